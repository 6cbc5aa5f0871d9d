#pragma once

// The text of a form-urlencoded query as every page reads and writes it:
// split into its name=value pairs and decoded, one value encoded for a
// link, and the clock a link carries (at=YYYYMMDDhhmmss), so that a
// download is stamped with the instant of the page that offered it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/output_settings.h"
#include "output/project_identity.h"
#include "report/local_date_time.h"

namespace kalvorden {

struct QueryPair {
  std::string name;     // decoded: "+" a blank, %XX a byte
  std::string value;    // decoded likewise
  bool decoded = true;  // false: a "%" without two hexadecimal digits
};

// The pairs of `query` (without the "?") in order; empty pairs ("a=1&&b=2")
// are skipped, a pair without "=" has an empty value.
std::vector<QueryPair> SplitQuery(std::string_view query);

// The message for a pair that could not be decoded.
constexpr std::string_view kBadPercent =
    "The query holds a \"%\" that is not followed by two hex digits.";

// Percent-encodes one value for a query (unreserved characters kept).
std::string EncodeQueryComponent(std::string_view text);

// Appends "&name=value" (without "&" to an empty `out`), the value encoded.
void AppendQueryPair(std::string& out, std::string_view name, std::string_view value);

// Appends the identity's fields that are not empty, in IdentityFields()
// order.
void AppendIdentityPairs(std::string& out, const ProjectIdentity& identity);
// Appends paper= (when it was given) and at= (when the query has a clock),
// in that order: the tail of every link the page makes.
void AppendPaperAndClockPairs(std::string& out, bool paperGiven, PaperSize paper,
                              const std::optional<LocalDateTime>& clock);

// Where the fields every page's query carries besides its values go:
// continuity (on or off, 1 or 0), paper (a4 or letter), at (the clock a link
// carries) and the identity texts.
struct PageFields {
  bool& continuity;
  PaperSize& paper;
  bool& paperGiven;
  std::optional<LocalDateTime>& clock;
  ProjectIdentity& identity;
};

// True when `name` is one of those fields.
bool IsPageField(std::string_view name);

// Reads `value` into the page field `name` (IsPageField). Returns an empty
// string, or the message for a value it refuses ("paper is a4 or letter.").
std::string ReadPageField(std::string_view name, const std::string& value, PageFields into);

}  // namespace kalvorden
