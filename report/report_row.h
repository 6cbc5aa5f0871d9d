#pragma once

#include "design/design_records.h"
#include "report/report_writer.h"

namespace kalvorden {

// Overwrites the seven slices of the case line with the parameters of
// `designCase`; the page headings print it between the column heads and the
// lower rule.
void FillCaseLine(ReportWriter& writer, const DesignCase& designCase);

// The row of `span` exactly as the report prints it (59 characters). A span
// that could not be designed shows its length and asterisks in every other
// field.
ReportLine FormatRow(const SpanDesign& span);

// Fills the writer's row with `span` and writes it as one single-spaced
// record.
void WriteRow(ReportWriter& writer, const SpanDesign& span);

}  // namespace kalvorden
