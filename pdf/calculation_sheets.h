#pragma once

// The calculation sheet of a case's governing row, as `kalvorden explain`
// writes it, set monospaced over as many sheets as its lines take.

#include <cstdint>
#include <string>
#include <vector>

#include "design/design_records.h"
#include "pdf/pdf_document.h"

namespace kalvorden {

// Lines of a calculation sheet per page.
int32_t CalculationLinesPerPage(PaperSize paper);

// Where each page of a sheet of `lines` begins (the first at 0; at least
// one page). A page is full but where that would leave the next, last page
// fewer than kLeastLinesOnLastPage lines: then it ends earlier, before the
// heading of the block that runs over (a line the next line is indented
// under), so a block's last lines go with what they belong to.
constexpr size_t kLeastLinesOnLastPage = 8;
std::vector<size_t> CalculationPageStarts(PaperSize paper, const std::vector<std::string>& lines);

// The sheet's text for row `row` of `designCase`, as the lines set on the
// page (a line longer than the page's 100 columns continues on the next).
std::vector<std::string> CalculationLines(const std::string& sheetText);

// `lines` set monospaced as a calculation sheet is, over the pages
// CalculationPageStarts gives them, each page under `caption` with ", page
// p of P" added and ended with the title block naming `subject`. Returns
// the number of pages.
int32_t WriteMonospacedSheets(PdfDocument& document, const std::vector<std::string>& lines,
                              const std::string& caption, const std::string& subject);

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
