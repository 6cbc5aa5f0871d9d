#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "design/design_inputs.h"
#include "driver/console.h"
#include "fault/fault.h"
#include "report/local_date_time.h"
#include "report/report_file.h"

namespace kalvorden {

using ClockReader = std::function<LocalDateTime()>;

// The local date and time of this machine, read once.
LocalDateTime ReadLocalClock();

// Runs the whole program: the dialogue, the design and the report. Returns
// the exit status: 0 after a finished report or a refused overwrite,
// otherwise the number of the fault that ended the run.
int RunProgram(Console& console, const ClockReader& readClock);

enum class OpenOutcome : uint8_t { kOpened, kRefused, kFailed };
struct OpenResult {
  OpenOutcome outcome = OpenOutcome::kFailed;
  Fault fault;  // for kFailed
};

// Opens the report file named by the 24-character answer, asking first
// whether an existing file may be overwritten. An existing file is opened
// without truncation: its old contents go only when the report's first
// record is written.
OpenResult OpenReportFile(Console& console, const std::string& reportFileName, ReportFile& file);

// Asks for one list: the count, then one value per entry. A count over the
// list's capacity is refused with a message and asked again.
Fault ReadValueList(Console& console, std::string_view countPrompt, std::string_view valuePrompt,
                    ValueList& list);

// 0.8 (widened) when the answer begins with Y or y, otherwise 1.0.
Fault AskContinuityFactor(Console& console, Quad& continuityFactor);

// Maps the operating system's reason for a failed open of the report file to
// the run's error number and text.
Fault OpenFault(int osError, bool creating, const std::string& name);

}  // namespace kalvorden
