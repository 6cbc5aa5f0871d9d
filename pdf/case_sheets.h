#pragma once

// The sheets every design case has: the report's three pages of the case,
// line for line as the report prints them (monospaced, selectable text;
// the governing row marked), then the case's chart.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "chart/case_chart.h"
#include "design/case_pipeline.h"
#include "output/output_settings.h"
#include "pdf/pdf_document.h"
#include "pdf/row_marks.h"
#include "pdf/table_headings.h"
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
  // The lines every case's table sheets share, drawn once a page of a case
  // (null: each sheet shows all its lines).
  TableHeadings* tableHeadings = nullptr;
};

// What a case's sheets show that takes the most work besides the drawing:
// the checks as built each row fails and the chart's figures. A run works
// them out on the threads that design the cases, so that the one thread
// that draws (cairo's) mostly draws; about 9 KB a case, held by each case
// in the design's ring of batches.
struct CaseSheetPlan {
  std::vector<uint32_t> failedChecks;  // by span: CheckAsBuilt's bits
  std::vector<ChartSpan> chartSpans;
};
CaseSheetPlan PlanCaseSheets(const DesignedCase& designed);

// The plan as bytes (appended to `bytes`) and back, to travel with the case
// as its prepared text. False for bytes that are no plan.
void AppendCaseSheetPlan(const CaseSheetPlan& plan, std::string& bytes);
bool ReadCaseSheetPlan(std::string_view bytes, CaseSheetPlan& plan);

// Draws the case's kTableAndChartSheets sheets, the report's pages laid out
// here, the rest from the case's plan.
void WriteCaseSheets(PdfDocument& document, const CaseSheetContent& content,
                     const CaseSheetPlan& plan);

}  // namespace kalvorden
