#pragma once

// The values of a rating as the web page sends them (GET /rate and its
// downloads): a form-urlencoded query whose field names are the options of
// `kalvorden rate` (rating/rating_values.h), read into the rating request
// every door fills. Each value is set by the rating's one rule, and a fault
// is said in the command line's words with the field's name in place of the
// option's: top-bar "15": is not a bar of the table (...).

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/local_date_time.h"
#include "run/rating_run.h"

namespace kalvorden {

struct RateQuery {
  // The rating the query asks for: its values, continuity, identity and paper.
  RatingRequest request;
  // Each value as typed (decoded), in RatingFields() order, for the form
  // shown again and for the links.
  std::array<std::string, kRatingFieldCount> texts;
  bool paperGiven = false;  // paper=a4 or letter was given: the links carry it
  // A reading of the clock carried by the link (at=YYYYMMDDhhmmss): a
  // download is dated with the instant of the page that offered it.
  std::optional<LocalDateTime> clock;
};

struct RateQueryError {
  std::string field;  // the rating field the message belongs beside, or empty
  std::string message;
};

struct RateQueryParse {
  RateQuery query;
  std::vector<RateQueryError> errors;
  bool ok() const { return errors.empty(); }
};

// Parses the query part of a URL (without the "?"). A value left empty is
// not given; once every value is read, the rating is checked as a whole
// (CheckRatingEntry) unless a value was already refused.
RateQueryParse ParseRateQuery(std::string_view query);

// Query text for a link: every value as typed (blanks around it trimmed),
// continuity, identity, paper and the clock of `query`.
std::string EncodeRateQuery(const RateQuery& query);

}  // namespace kalvorden
