#pragma once

// The pages that compare the design cases of a run, between the index and
// the cases: the comparison table (a row per case, lightest first), the
// chart of all reinforcing steel against span, and the table of the
// lightest and heaviest case of every span. Only for runs of two or more
// cases; their number is known from the number of cases alone, so the
// index can give every case's page before any case is designed.

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <string>

#include "comparison/case_comparison.h"
#include "output/output_settings.h"
#include "pdf/page_frame.h"

namespace kalvorden {

// Rows of the comparison table per page, and the pages the comparison takes
// (0 for fewer than two cases).
int32_t ComparisonRowsPerPage(PaperSize paper);
int32_t ComparisonPageCount(PaperSize paper, int64_t caseCount);

// Where the pages go: the paper, the run's date and time, and what ends a
// page (its title block and cairo_show_page), given what the page holds.
struct ComparisonPageSetting {
  PaperGeometry page;
  PaperSize paper = PaperSize::kA4;
  std::string runStamp;
  std::function<void(const std::string& subject)> endPage;
};

// Draws the comparison's pages to `cr`, each ended by `endPage`; returns
// the number drawn (ComparisonPageCount of its cases).
int32_t WriteComparisonPages(cairo_t* cr, const ComparisonPageSetting& setting,
                             const CaseComparison& comparison);

}  // namespace kalvorden
