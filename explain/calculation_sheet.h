#pragma once

#include <cstdint>
#include <string>

#include "design/design_records.h"
#include "report/printed_span.h"

namespace kalvorden {

// A calculation sheet: how one span of one design case was designed, step by
// step, for a checker to follow by hand.
struct CalculationSheet {
  std::string text;       // plain text, lines of at most 100 columns, each ended by LF
  bool designed = false;  // false: the span could not be designed; the text says why
  SpanDesign span;        // the span's design (the full record), whose row the text ends with
};

// The sheet for span `spanIndex` (0 for 1.000 m ... 110 for 3.750 m) of the
// case with the entered values of `values` (wheel load, cover, paving, fs,
// fc and the continuity factor; the span deduction width is 0). The case's
// constants are derived here as for the report, and the spans from 1.000 m
// up to the chosen one are designed with the design engine's trace on, so
// the sheet shows the bar advances that set the bars the span starts with.
// It ends with the span's row exactly as the report prints it and, for a
// span that was designed, its quantities per square metre of deck. A span index
// outside 0 to 110 gives a one-line text saying so, not designed.
CalculationSheet WriteCalculationSheet(const DesignCase& values, int32_t spanIndex);

// The sheet of the row that governs the bridge's span `span` (whose row is
// not -1), after a line that names that row when the span is not a printed
// one: the command line and the web page show the same sheet for a span.
CalculationSheet WriteGovernedSheet(const DesignCase& values, const GoverningSpan& span);

}  // namespace kalvorden
