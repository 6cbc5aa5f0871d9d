#pragma once

// The values of a design as the web page sends them: a form-urlencoded query
// whose field names are those of the command-line options (run/value_lists.h). Parsing is
// strict: a value is a decimal number written with a decimal point that
// converts to a finite binary128 value in full, and each value must be one a
// slab can be designed for. Nothing is reinterpreted: a decimal comma is
// refused with a hint, never read as a point or as the end of the number.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "numeric/quad.h"
#include "report/local_date_time.h"
#include "run/project_identity.h"
#include "run/value_lists.h"

namespace kalvorden {

// The message for a list left empty.
constexpr std::string_view kMissingValue = "Enter at least one value.";

// Inputs of one list on the form, and values one list may hold.
constexpr int kMostValuesPerField = kListCapacity;

// One list as sent: every input in order, as typed (decoded), empty inputs
// included so a form can be shown again as it was, and the values of the
// inputs that were filled in.
struct QueryList {
  std::vector<std::string> texts;
  int32_t count = 0;
  std::array<Quad, kMostValuesPerField> values{};
};

struct DesignQuery {
  std::array<QueryList, kValueListCount> lists;
  bool continuity = false;  // CF 0.8 when set, 1.0 otherwise
  // span=S. For the calculation sheet a printed span, whose row is
  // `spanIndex`; for a design the bridge's effective span (optional), whose
  // governing row is `spanIndex`, `spanText` as typed (for the link) and
  // `spanExact` its exact decimal ("2.91").
  bool hasSpan = false;
  int32_t spanIndex = 0;  // 0 for 1.000 m ... 110 for 3.750 m
  std::string spanText;
  std::string spanExact;
  // Which bridge and who answers for it (title=, bridge=, designer=, ...),
  // each as typed; empty when not given.
  ProjectIdentity identity;
  // A reading of the clock carried by the link (at=YYYYMMDDhhmmss), so that
  // a download is stamped with the same instant as the page that offered it.
  bool hasClock = false;
  LocalDateTime clock;

  const QueryList& list(ValueListId id) const { return lists[static_cast<size_t>(id)]; }
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

// Checks one value as typed (blanks around it allowed), by the value check
// every door shares: an empty string when `list` accepts it, else the
// message shown beside its field.
std::string CheckValueText(const ValueListInfo& list, std::string_view text, Quad* value);

// The design inputs of a query's lists and continuity.
DesignInputs QueryInputs(const DesignQuery& query);

// Query text for a link: the lists, continuity, identity, the design's span
// and the clock of `query`, each value exactly as it was typed,
// percent-encoded ("wheel-load=72.5&...").
std::string EncodeDesignQuery(const DesignQuery& query);

// Percent-encodes one value for a query (unreserved characters kept).
std::string EncodeQueryComponent(std::string_view text);

}  // namespace kalvorden
