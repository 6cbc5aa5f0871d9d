#include "output/case_output.h"

#include <cstring>

namespace kalvorden {

CaseOutput::~CaseOutput() = default;

Fault OutputWriteFault(std::string_view what, const std::string& name, int osError) {
  return {kFaultWriteFailure, "write failure",
          "writing " + std::string(what) + " " + QuoteName(name), std::strerror(osError)};
}

}  // namespace kalvorden
