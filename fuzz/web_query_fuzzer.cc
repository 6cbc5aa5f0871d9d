// Fuzzes the web page's query parsers: any byte string, read as the query of
// a design, of a calculation sheet and of a rating (/rate). The parsers must
// never overrun or crash; a query they accept must hold only values a slab
// can be designed or rated for and identity texts every door accepts, and
// must read back the same (values, span, adopted case, identity) from the
// link the page makes of it; a rating's also from the project file the page
// offers. Every query refused is answered 400 by the server, with the
// messages listed.

#include <cstdint>
#include <cstring>
#include <string_view>

#include "project/project_file.h"
#include "project/project_writer.h"
#include "web/design_query.h"
#include "web/rate_query.h"

using kalvorden::DesignQuery;
using kalvorden::QueryParse;
using kalvorden::QueryPurpose;

namespace {

void CheckAccepted(const DesignQuery& query) {
  const kalvorden::Quad zero = 0;
  for (const kalvorden::ValueListInfo& info : kalvorden::ValueLists()) {
    const kalvorden::ValueList& list = query.request.lists[static_cast<size_t>(info.id)];
    if (list.count < 1 || list.count > kalvorden::kMostValuesPerField ||
        query.texts[static_cast<size_t>(info.id)].size() >
            static_cast<size_t>(kalvorden::kMostValuesPerField)) {
      __builtin_trap();
    }
    const bool positive = info.rule == kalvorden::SignRule::kAboveZero;
    for (int i = 0; i < list.count; ++i) {
      const kalvorden::Quad v = list.values[static_cast<size_t>(i)];
      if (!kalvorden::IsFinite(v) || (positive ? !(v > zero) : v < zero)) {
        __builtin_trap();
      }
    }
  }
}

void CheckRoundTrip(const DesignQuery& query, QueryPurpose purpose) {
  if (purpose == QueryPurpose::kExplain) {
    return;  // the span is not part of a design link
  }
  const QueryParse again =
      kalvorden::ParseDesignQuery(kalvorden::EncodeDesignQuery(query), QueryPurpose::kDesign);
  if (!again.ok() || again.query.request.continuity != query.request.continuity ||
      again.query.request.span != query.request.span ||
      again.query.request.adopt != query.request.adopt) {
    __builtin_trap();
  }
  for (const kalvorden::IdentityFieldInfo& field : kalvorden::IdentityFields()) {
    if (again.query.request.identity.*(field.member) != query.request.identity.*(field.member) ||
        !kalvorden::IdentityTextFault(field, query.request.identity.*(field.member)).empty()) {
      __builtin_trap();
    }
  }
  for (size_t field = 0; field < query.request.lists.size(); ++field) {
    const kalvorden::ValueList& a = query.request.lists[field];
    const kalvorden::ValueList& b = again.query.request.lists[field];
    if (a.count != b.count ||
        std::memcmp(a.values.data(), b.values.data(), sizeof(a.values[0]) * a.count) != 0) {
      __builtin_trap();
    }
  }
}

// An accepted rating is complete, and its link and its project file give
// back the same values, to the bit (the project file writes each as the
// shortest decimal that reads back exactly).
void CheckRating(std::string_view text) {
  const kalvorden::RateQueryParse parse = kalvorden::ParseRateQuery(text);
  for (const kalvorden::RateQueryError& error : parse.errors) {
    if (error.message.empty() ||
        (!error.field.empty() && kalvorden::FindRatingField(error.field) == nullptr)) {
      __builtin_trap();
    }
  }
  if (!parse.ok()) {
    return;
  }
  const kalvorden::RatingRequest& request = parse.query.request;
  if (!kalvorden::CheckRatingEntry(request.entry).ok()) {
    __builtin_trap();
  }
  const std::string written = kalvorden::RatingProjectFileText(request);
  const kalvorden::RateQueryParse again =
      kalvorden::ParseRateQuery(kalvorden::EncodeRateQuery(parse.query));
  if (!again.ok() || kalvorden::RatingProjectFileText(again.query.request) != written) {
    __builtin_trap();
  }
  kalvorden::RunRequest design;
  kalvorden::RatingRequest read;
  if (!kalvorden::ParseProjectText(written, "rating.toml", design, kalvorden::ProjectUse::kRating,
                                   &read.entry)
           .ok()) {
    __builtin_trap();
  }
  read.identity = design.identity;
  if (kalvorden::RatingProjectFileText(read) != written) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view query(reinterpret_cast<const char*>(data), size);
  for (const QueryPurpose purpose : {QueryPurpose::kDesign, QueryPurpose::kExplain}) {
    const QueryParse parse = kalvorden::ParseDesignQuery(query, purpose);
    for (const kalvorden::QueryError& error : parse.errors) {
      if (error.message.empty() || error.field < -1 || error.field >= kalvorden::kValueListCount ||
          error.position < 0 || error.position >= kalvorden::kMostValuesPerField) {
        __builtin_trap();
      }
    }
    if (parse.ok()) {
      CheckAccepted(parse.query);
      CheckRoundTrip(parse.query, purpose);
    }
  }
  CheckRating(query);
  return 0;
}
