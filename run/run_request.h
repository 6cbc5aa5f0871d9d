#pragma once

// What every door into a run produces and the only thing a run takes: the
// dialogue, the command line, a project file and the web page's query each
// fill one request and nothing else. What the outputs are told (the clock,
// the span's governing row, the values' digest) is derived from it here, and
// its design inputs by the run (run/design_run.h), once, whichever door
// filled it.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "design/value_lists.h"
#include "output/output_settings.h"
#include "output/project_identity.h"
#include "report/local_date_time.h"
#include "report/printed_span.h"

namespace kalvorden {

struct RunRequest {
  // Which bridge and who answers for it; every field may be empty.
  ProjectIdentity identity;
  // In ValueListId order, each with 1 to 5 values the value check accepts
  // (empty while the dialogue has yet to ask for them).
  std::array<ValueList, kValueListCount> lists{};
  bool continuity = false;
  // The bridge's effective span as an exact decimal (GoverningSpan::exact,
  // "2.91"); empty when none is given.
  std::string span;
  PaperSize paper = PaperSize::kA4;  // the PDF's
  // The design case adopted (from 1, in case order); 0: none.
  int64_t adopt = 0;
  // True when the dialogue asks for the values after the outputs' files are
  // made: the outputs then carry no digest of them.
  bool fromDialogue = false;
};

// The number of an adopted design case as typed ("3"): 1 to 3125 (five
// lists of five values), digits only; 0 for any other text.
int64_t AdoptedCaseOf(std::string_view text);
constexpr const char* kAdoptedCaseRule = "must be a case number, 1 to 3125";

// The printed row that governs the request's span (report/printed_span.h);
// its row is -1 without a span.
GoverningSpan GoverningSpanOf(const RunRequest& request);

// What the outputs of the run of `request` are told besides its cases,
// with `now` the run's one clock reading.
OutputSettings SettingsOf(const RunRequest& request, const LocalDateTime& now);

}  // namespace kalvorden
