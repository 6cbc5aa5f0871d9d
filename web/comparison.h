#pragma once

// The comparison of a run's cases on the result page, for runs of two or
// more cases: the cases ranked by their reinforcing steel (the lightest
// kCasesShownInFull of a larger run), the chart of the steel against span,
// and the lightest and heaviest case of every span.

#include <cstdint>
#include <string>

#include "comparison/case_comparison.h"

namespace kalvorden {

// The comparison's <section>; cases up to `casesShownInFull` link to their
// own section on the page ("#case-3").
std::string ComparisonHtml(const CaseComparison& comparison, int32_t casesShownInFull);

}  // namespace kalvorden
