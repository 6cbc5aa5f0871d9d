#pragma once

// The values of a design as the web page sends them: a form-urlencoded query
// whose field names are those of the command-line options (design/value_lists.h),
// read into the run request every door fills. Each value and the span are
// checked by the rules the command line and project files share; nothing
// is reinterpreted: a decimal comma is refused with a hint, never read as a
// point or as the end of the number.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "design/value_lists.h"
#include "report/local_date_time.h"
#include "run/run_request.h"
#include "web/query_text.h"

namespace kalvorden {

// The message for a list left empty.
constexpr std::string_view kMissingValue = "Enter at least one value.";

// Inputs of one list on the form, and values one list may hold.
constexpr int kMostValuesPerField = kListCapacity;

struct DesignQuery {
  // The run the query asks for: its values, continuity, identity and the
  // bridge's span (for the calculation sheet, the span whose governing
  // row's sheet is shown; for a design, optional).
  RunRequest request;
  // Every input of each list as typed (decoded), empty inputs included, so
  // a form can be shown again as it was.
  std::array<std::vector<std::string>, kValueListCount> texts;
  std::string spanText;     // span=S as typed, for the links
  std::string adoptText;    // adopt=N as typed, for the links
  bool paperGiven = false;  // paper=a4 or paper=letter was given: the links carry it
  // A reading of the clock carried by the link (at=YYYYMMDDhhmmss), so that
  // a download is stamped with the same instant as the page that offered it.
  std::optional<LocalDateTime> clock;
};

// Where a message belongs: beside one input of a list, or (field < 0) to
// the request as a whole.
struct QueryError {
  int field = -1;    // a ValueListId, or -1
  int position = 0;  // the input's place in its list
  std::string message;
};

struct QueryParse {
  DesignQuery query;
  std::vector<QueryError> errors;
  bool ok() const { return errors.empty(); }
};

// What the request asks for: a run of every combination (at least one value
// per list), or one case and one span (exactly one value per list and a
// span).
enum class QueryPurpose : uint8_t { kDesign, kExplain };

// Parses the query part of a URL (without the "?"). Every fault found is
// listed, each with its place, so a form can show them all at once.
QueryParse ParseDesignQuery(std::string_view query, QueryPurpose purpose);

// Query text for a link: the lists, continuity, identity, the design's span,
// the adopted case, the PDF's paper and the clock of `query`, each value exactly as it was typed,
// percent-encoded ("wheel-load=72.5&...").
std::string EncodeDesignQuery(const DesignQuery& query);

}  // namespace kalvorden
