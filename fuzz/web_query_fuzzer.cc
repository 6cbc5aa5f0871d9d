// Fuzzes the web page's query parser: any byte string, read as the query of
// a design and of a calculation sheet. The parser must never overrun or
// crash; a query it accepts must hold only values a slab can be designed for
// and identity texts every door accepts, and must read back the same (values,
// span, adopted case, identity) from the link the page makes of it. Every
// query it refuses is answered 400 by the server, with the messages listed.

#include <cstdint>
#include <cstring>
#include <string_view>

#include "web/design_query.h"

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
  return 0;
}
