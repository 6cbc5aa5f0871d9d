#pragma once

#include "design/design_records.h"
#include "report/local_date_time.h"
#include "report/report_writer.h"

namespace kalvorden {

// Writes the run's date (dd-MON-yy) into characters 1-9 of header line 1 and
// its time (hh:mm:ss) into characters 2-9 of header line 2, from one reading
// of the clock, so date and time always belong to the same instant.
void StampHeaderLines(ReportWriter& writer, const LocalDateTime& now);

// Writes the page output that the span's length calls for (the previous
// page's footer, a form feed and the heading block, or a case's first
// heading) and then the span's row. Returns true when the row began a page:
// the row of span length S starts a page of its case when S = 1.0, or S just
// above 2.0 or 3.0 (the sweep's 41st and 81st spans are 2.00000001490116...
// and 3.00000002980232...).
bool ReportSpan(ReportWriter& writer, const SpanDesign& span, const DesignCase& designCase);

// Ends the report with "Page 3 of 3", once, after the last design case (or
// alone, when the run had no design case).
void WriteFinalFooter(ReportWriter& writer);

}  // namespace kalvorden
