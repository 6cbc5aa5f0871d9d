#include "output/case_sink.h"

namespace kalvorden {

CaseSink::~CaseSink() = default;

bool CaseSink::Start(const DesignInputs& /*inputs*/) {
  return true;
}

const Fault& CaseSink::failure() const {
  static const Fault kNone;
  return kNone;
}

std::string_view SpanFaultReason(SpanFault fault) {
  switch (fault) {
    case SpanFault::kInvalidInputs:
      return "these values cannot describe a slab (all must be finite numbers, fc and fs "
             "positive, the wheel load, cover and paving not negative)";
    case SpanFault::kNoThickness:
      return "the thickness iteration on the slab's own weight does not converge";
    case SpanFault::kNoBarLargeEnough:
      return "even #57 main bars would need a spacing under 125 mm";
    case SpanFault::kOutOfRange:
      return "the thickness, spacing or bar count is too large to design";
    case SpanFault::kNone:
      break;
  }
  return "no fault";
}

}  // namespace kalvorden
