#include "web/rate_query.h"

#include <set>

#include "fault/fault.h"
#include "numeric/decimal.h"
#include "web/query_text.h"

namespace kalvorden {
namespace {

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

// A field that is not a rating value: a field of every page
// (web/query_text.h), each of which may be given once.
void ParseSingleField(RateQueryParse& parse, const std::string& name, const std::string& value,
                      std::set<std::string>& seen) {
  RateQuery& query = parse.query;
  if (!IsPageField(name)) {
    AddError(parse, {}, "Unknown field " + QuoteName(name) + ".");
    return;
  }
  if (!seen.insert(name).second) {
    AddError(parse, {}, "The field " + QuoteName(name) + " is given more than once.");
    return;
  }
  RatingEntry& entry = query.request.entry;
  std::string why = ReadPageField(name, value,
                                  {entry.inputs.continuous, query.request.paper, query.paperGiven,
                                   query.clock, query.request.identity});
  if (!why.empty()) {
    AddError(parse, {}, std::move(why));
  } else if (name == "continuity") {
    entry.continuityGiven = true;
  }
}

}  // namespace

RateQueryParse ParseRateQuery(std::string_view text) {
  RateQueryParse parse;
  std::set<std::string> seen;
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
  AppendPaperAndClockPairs(out, query.paperGiven, query.request.paper, query.clock);
  return out;
}

}  // namespace kalvorden
