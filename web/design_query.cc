#include "web/design_query.h"

#include <algorithm>
#include <set>

#include "numeric/decimal.h"
#include "report/printed_span.h"
#include "web/query_text.h"

namespace kalvorden {
namespace {

// The messages of the query as a whole; a value's own come from the value
// check (design/value_lists.h). The page's script shows the same words.
constexpr std::string_view kOneValue = "The calculation sheet takes exactly one value here.";

int FindValueField(std::string_view name) {
  const ValueListInfo* list = FindValueList(name);
  return list != nullptr ? static_cast<int>(list->id) : -1;
}

void AddError(QueryParse& parse, int field, int position, std::string_view message) {
  parse.errors.push_back({field, position, std::string(message)});
}

// adopt=N: the adopted case, read as the command line reads --adopt; empty
// is none. Whether the run has that many cases is checked once every list
// is read (CheckCompleteness).
void ParseAdoptedCase(QueryParse& parse, const std::string& value) {
  const std::string_view text = TrimBlanks(value);
  if (text.empty()) {
    return;
  }
  parse.query.adoptText = text;
  parse.query.request.adopt = AdoptedCaseOf(text);
  if (parse.query.request.adopt == 0) {
    AddError(parse, -1, 0, std::string("adopt ") + kAdoptedCaseRule + ".");
  }
}

// span=S: the bridge's effective span, read as the command line reads
// --span; a design may leave it empty, the calculation sheet may not
// (CheckCompleteness).
void ParseBridgeSpan(QueryParse& parse, const std::string& value) {
  DesignQuery& query = parse.query;
  const std::string_view text = TrimBlanks(value);
  if (text.empty()) {
    return;
  }
  const GoverningSpan span = GoverningRow(text);
  if (span.row < 0) {
    AddError(parse, -1, 0,
             "span is the bridge's effective span, from 1.000 to 3.750 m, such as 2.91.");
    return;
  }
  query.spanText = text;
  query.request.span = span.exact;
}

// A field that is not a value list: span, adopt or a field of every page
// (web/query_text.h), each of which may be given once.
void ParseSingleField(QueryParse& parse, const std::string& name, const std::string& value,
                      std::set<std::string>& seen) {
  DesignQuery& query = parse.query;
  const std::string shown = "\"" + name + "\"";
  if (name != "span" && name != "adopt" && !IsPageField(name)) {
    AddError(parse, -1, 0, "Unknown field " + shown + ".");
    return;
  }
  if (!seen.insert(name).second) {
    AddError(parse, -1, 0, "The field " + shown + " is given more than once.");
    return;
  }
  if (name == "span") {
    ParseBridgeSpan(parse, value);
  } else if (name == "adopt") {
    ParseAdoptedCase(parse, value);
  } else if (const std::string why =
                 ReadPageField(name, value,
                               {query.request.continuity, query.request.paper, query.paperGiven,
                                query.clock, query.request.identity});
             !why.empty()) {
    AddError(parse, -1, 0, why);
  }
}

// Checks the lists once the whole query is read: each must have a value,
// and the calculation sheet takes exactly one case and a span.
void CheckCompleteness(QueryParse& parse, QueryPurpose purpose) {
  const DesignQuery& query = parse.query;
  int64_t cases = 1;
  for (int field = 0; field < kValueListCount; ++field) {
    const ValueList& list = query.request.lists[static_cast<size_t>(field)];
    const bool hasFault = std::any_of(parse.errors.begin(), parse.errors.end(),
                                      [field](const QueryError& e) { return e.field == field; });
    if (hasFault) {
      continue;
    }
    cases *= list.count;
    if (list.count == 0) {
      AddError(parse, field, 0, kMissingValue);
    } else if (purpose == QueryPurpose::kExplain && list.count != 1) {
      AddError(parse, field, 0, kOneValue);
    }
  }
  if (purpose == QueryPurpose::kExplain && query.request.span.empty() &&
      std::none_of(parse.errors.begin(), parse.errors.end(),
                   [](const QueryError& e) { return e.field < 0; })) {
    AddError(parse, -1, 0, "Give the span, such as span=1.500.");
  }
  if (cases > 0 && query.request.adopt > cases) {
    AddError(parse, -1, 0, "adopt must be a case of this run, 1 to " + std::to_string(cases) + ".");
  }
}

}  // namespace

QueryParse ParseDesignQuery(std::string_view query, QueryPurpose purpose) {
  QueryParse parse;
  std::set<std::string> seen;
  for (const QueryPair& pair : SplitQuery(query)) {
    if (!pair.decoded) {
      AddError(parse, -1, 0, kBadPercent);
      continue;
    }
    const std::string& name = pair.name;
    const std::string& value = pair.value;
    const int field = FindValueField(name);
    if (field < 0) {
      ParseSingleField(parse, name, value, seen);
      continue;
    }
    std::vector<std::string>& texts = parse.query.texts[static_cast<size_t>(field)];
    ValueList& list = parse.query.request.lists[static_cast<size_t>(field)];
    const int position = static_cast<int>(texts.size());
    if (position >= kMostValuesPerField) {
      if (position == kMostValuesPerField) {
        AddError(parse, field, position - 1, "At most 5 values.");
      }
      texts.emplace_back();  // counted, not kept: the limit is reported once
      continue;
    }
    texts.push_back(value);
    if (TrimBlanks(value).empty()) {
      continue;  // an input left empty
    }
    Quad parsed = 0;
    const ValueRefusal refusal =
        CheckValue(ValueListOf(static_cast<ValueListId>(field)), value, &parsed);
    if (refusal != ValueRefusal::kNone) {
      AddError(parse, field, position, RefusalSentence(refusal));
      continue;
    }
    list.values[static_cast<size_t>(list.count)] = parsed;
    ++list.count;
  }
  for (std::vector<std::string>& texts : parse.query.texts) {
    if (texts.size() > kMostValuesPerField) {
      texts.resize(kMostValuesPerField);
    }
  }
  CheckCompleteness(parse, purpose);
  return parse;
}

std::string EncodeDesignQuery(const DesignQuery& query) {
  std::string out;
  for (const ValueListInfo& list : ValueLists()) {
    for (const std::string& text : query.texts[static_cast<size_t>(list.id)]) {
      if (!TrimBlanks(text).empty()) {
        AppendQueryPair(out, list.name, TrimBlanks(text));
      }
    }
  }
  if (query.request.continuity) {
    AppendQueryPair(out, "continuity", "on");
  }
  AppendIdentityPairs(out, query.request.identity);
  if (!query.spanText.empty()) {
    AppendQueryPair(out, "span", query.spanText);
  }
  if (!query.adoptText.empty()) {
    AppendQueryPair(out, "adopt", query.adoptText);
  }
  AppendPaperAndClockPairs(out, query.paperGiven, query.request.paper, query.clock);
  return out;
}

}  // namespace kalvorden
