#include "output/case_output.h"

#include <cstring>

namespace kalvorden {

CaseOutput::~CaseOutput() = default;

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
