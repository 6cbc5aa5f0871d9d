#include "web/rate_query.h"

#include "fault/fault.h"
#include "numeric/decimal.h"
#include "web/query_text.h"

namespace kalvorden {
namespace {

// The fields that are not rating values, each of which may be given once:
// continuity, paper, at and the identity texts.
enum SingleField : size_t { kContinuity, kPaper, kAt, kFirstIdentity };
constexpr size_t kSingleFields = kFirstIdentity + kIdentityFieldCount;

void AddError(RateQueryParse& parse, std::string_view field, std::string message) {
  parse.errors.push_back({std::string(field), std::move(message)});
}

void ParseValue(RateQueryParse& parse, const RatingFieldInfo& field, const std::string& value) {
  const size_t index = static_cast<size_t>(&field - RatingFields().data());
  parse.query.texts[index] = value;
  if (TrimBlanks(value).empty()) {
    return;  // an input left empty: not given
  }
  RatingEntry& entry = parse.query.request.entry;
  if (const std::string why = SetRatingField(field, value, entry); !why.empty()) {
    AddError(parse, field.name, std::string(field.name) + " " + QuoteName(value) + ": " + why);
  }
}

void ParseSingleField(RateQueryParse& parse, const std::string& name, const std::string& value,
                      std::array<bool, kSingleFields>& seen) {
  RateQuery& query = parse.query;
  const IdentityFieldInfo* identity = FindIdentityField(name);
  size_t which = 0;
  if (name == "continuity") {
    which = kContinuity;
  } else if (name == "paper") {
    which = kPaper;
  } else if (name == "at") {
    which = kAt;
  } else if (identity != nullptr) {
    which = kFirstIdentity + static_cast<size_t>(identity - IdentityFields().data());
  } else {
    AddError(parse, {}, "Unknown field " + QuoteName(name) + ".");
    return;
  }
  if (seen[which]) {
    AddError(parse, {}, "The field " + QuoteName(name) + " is given more than once.");
    return;
  }
  seen[which] = true;
  if (identity != nullptr) {
    if (const std::string why = IdentityTextFault(*identity, value); !why.empty()) {
      AddError(parse, {}, std::string(identity->label) + " " + why + ".");
    } else {
      query.request.identity.*(identity->member) = value;
    }
  } else if (which == kContinuity) {
    if (value == "on" || value == "1" || value == "off" || value == "0") {
      query.request.entry.inputs.continuous = value == "on" || value == "1";
      query.request.entry.continuityGiven = true;
    } else {
      AddError(parse, {}, "continuity is on or off.");
    }
  } else if (which == kPaper) {
    query.paperGiven = value == "a4" || value == "letter";
    if (!query.paperGiven) {
      AddError(parse, {}, "paper is a4 or letter.");
    }
    query.request.paper = value == "letter" ? PaperSize::kLetter : PaperSize::kA4;
  } else {
    query.hasClock = ParseQueryClock(value, query.clock);
    if (!query.hasClock) {
      AddError(parse, {}, std::string(kBadClock));
    }
  }
}

}  // namespace

RateQueryParse ParseRateQuery(std::string_view text) {
  RateQueryParse parse;
  std::array<bool, kSingleFields> seen{};
  std::array<bool, kRatingFieldCount> valueSeen{};
  for (const QueryPair& pair : SplitQuery(text)) {
    if (!pair.decoded) {
      AddError(parse, {}, std::string(kBadPercent));
      continue;
    }
    const RatingFieldInfo* field = FindRatingField(pair.name);
    if (field == nullptr) {
      ParseSingleField(parse, pair.name, pair.value, seen);
      continue;
    }
    const size_t index = static_cast<size_t>(field - RatingFields().data());
    if (valueSeen[index]) {
      AddError(parse, field->name,
               "The field " + QuoteName(pair.name) + " is given more than once.");
      continue;
    }
    valueSeen[index] = true;
    ParseValue(parse, *field, pair.value);
  }
  if (parse.ok()) {
    const RatingRefusal refusal = CheckRatingEntry(parse.query.request.entry);
    if (!refusal.ok()) {
      AddError(parse, refusal.field,
               refusal.field + (refusal.missing ? " missing" : "") + ": " + refusal.why);
    }
  }
  return parse;
}

std::string EncodeRateQuery(const RateQuery& query) {
  std::string out;
  for (const RatingFieldInfo& field : RatingFields()) {
    const std::string_view text =
        TrimBlanks(query.texts[static_cast<size_t>(&field - RatingFields().data())]);
    if (!text.empty()) {
      AppendQueryPair(out, field.name, text);
    }
  }
  if (query.request.entry.inputs.continuous) {
    AppendQueryPair(out, "continuity", "on");
  }
  AppendIdentityPairs(out, query.request.identity);
  AppendPaperAndClockPairs(out, query.paperGiven, query.request.paper, query.hasClock, query.clock);
  return out;
}

}  // namespace kalvorden
