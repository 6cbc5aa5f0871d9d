#pragma once

// The calculation sheet of a case's governing row, as `kalvorden explain`
// writes it, set monospaced over as many sheets as its lines take.

#include <cstdint>
#include <string>
#include <vector>

#include "design/design_records.h"
#include "pdf/pdf_document.h"

namespace kalvorden {

// Lines of a calculation sheet per page, and the pages a sheet of
// `lineCount` lines takes (at least one).
int32_t CalculationLinesPerPage(PaperSize paper);
int32_t CalculationPageCount(PaperSize paper, int64_t lineCount);

// The sheet's text for row `row` of `designCase`, as the lines set on the
// page (a line longer than the page's 100 columns continues on the next).
std::vector<std::string> CalculationLines(const std::string& sheetText);

struct CalculationSheetContent {
  const DesignCase* designCase = nullptr;
  int32_t governingRow = 0;
  int64_t caseNumber = 0;  // from 1
  int64_t caseCount = 0;
  std::string subject;  // for the title blocks
};

// Draws the sheet; the number of sheets it took.
int32_t WriteCalculationSheets(PdfDocument& document, const CalculationSheetContent& content);

}  // namespace kalvorden
