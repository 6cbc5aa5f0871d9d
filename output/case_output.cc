#include "output/case_output.h"

#include <cstring>

namespace kalvorden {

CaseOutput::~CaseOutput() = default;

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

bool CaseOutput::Start(const DesignInputs& /*inputs*/) {
  return true;
}

std::string OutputLabel(std::string_view what, const std::string& name) {
  if (name == kStandardOutputName) {
    return std::string(what) + " on standard output";
  }
  return std::string(what) + " file " + QuoteName(name);
}

Fault OutputWriteFault(const std::string& label, int osError) {
  return {kFaultWriteFailure, "write failure", "writing " + label, std::strerror(osError)};
}

}  // namespace kalvorden
