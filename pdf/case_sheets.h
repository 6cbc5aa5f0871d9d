#pragma once

// The sheets every design case has: the report's three pages of the case,
// line for line as the report prints them (monospaced, selectable text;
// the governing row marked), then the case's chart.

#include <cstdint>
#include <string>

#include "chart/case_chart.h"
#include "design/case_pipeline.h"
#include "output/output_settings.h"
#include "pdf/pdf_document.h"
#include "pdf/row_marks.h"
#include "report/report_writer.h"

namespace kalvorden {

// The table and chart sheets of one case.
constexpr int32_t kTableAndChartSheets = 4;

// "Design case 3 of 16".
std::string CaseCaption(int64_t caseNumber, int64_t caseCount);

struct CaseSheetContent {
  const DesignedCase* designed = nullptr;
  int64_t caseNumber = 0;  // from 1
  int64_t caseCount = 0;
  std::string subject;  // for the title blocks
  // The report's heading lines stamped with the run's clock.
  const ReportWriter* headings = nullptr;
  // The span and its governing row (-1 for none).
  const OutputSettings* settings = nullptr;
  // The run's charts' fixed parts, drawn once (null: each chart drawn whole).
  CaseChartFurniture* chartFurniture = nullptr;
  // The crosses of the rows that fail a check as built, drawn once a run.
  RowMarks* rowMarks = nullptr;
};

// Draws the case's kTableAndChartSheets sheets.
void WriteCaseSheets(PdfDocument& document, const CaseSheetContent& content);

}  // namespace kalvorden
