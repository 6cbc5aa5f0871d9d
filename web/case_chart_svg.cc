#include "web/case_chart_svg.h"

namespace kalvorden {

// The chart is drawn by the PDF's drawing code, which this build does not
// have yet: the page goes without it.
std::string CaseChartSvg(const DesignedCase& /*designed*/, int32_t /*caseNumber*/) {
  return {};
}

}  // namespace kalvorden
