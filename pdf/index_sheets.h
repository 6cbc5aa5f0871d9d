#pragma once

// The index of the design cases: one entry per case with its values and
// the sheet where it begins, as many entries to a sheet as fit.

#include <cstdint>
#include <functional>
#include <string>

#include "design/design_inputs.h"
#include "pdf/pdf_document.h"

namespace kalvorden {

// Index entries per index sheet for a paper size, and the sheets the index
// takes for `caseCount` cases (at least one, which says when there is none).
int32_t IndexEntriesPerPage(PaperSize paper);
int32_t IndexPageCount(PaperSize paper, int64_t caseCount);

struct IndexContent {
  const DesignInputs* inputs = nullptr;
  int64_t caseCount = 0;
  std::string runStamp;          // "2026-12-07 14:03:09"
  int32_t comparisonSheets = 0;  // right after the index; 0 for none
  bool calculationSheets = false;
  // The sheet on which case n (from 1) begins.
  std::function<int64_t(int64_t caseNumber)> firstSheetOf;
};

// Draws the index's sheets (IndexPageCount of them) and bookmarks the first.
void WriteIndexSheets(PdfDocument& document, const IndexContent& content);

// A line of notes above a table, in 9 pt or, where that would run past the
// right margin (a run of thousands of cases), as much smaller as it needs.
void ShowNoteLine(cairo_t* cr, const PaperGeometry& page, double baseline, const std::string& text);

}  // namespace kalvorden
