#pragma once

#include "design/design_records.h"
#include "report/report_writer.h"

namespace kalvorden {

// Overwrites the seven slices of the case line with the parameters of
// `designCase`; the page headings print it between the column heads and the
// lower rule.
void FillCaseLine(ReportWriter& writer, const DesignCase& designCase);

// Overwrites the nine slices of the row with `span` and writes the row as one
// single-spaced record. A span that could not be designed shows its length
// and asterisks in every other field.
void WriteRow(ReportWriter& writer, const SpanDesign& span);

}  // namespace kalvorden
