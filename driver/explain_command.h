#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "design/design_records.h"

namespace kalvorden {

// `kalvorden explain`: the calculation sheet of one span of one case.
struct ExplainRequest {
  // The entered values: wheel load, top cover, future paving, fs, fc and the
  // continuity factor (1.0, or 0.8 widened with --continuity).
  DesignCase values;
  int32_t spanIndex = 0;  // 0 for 1.000 m ... 110 for 3.750 m
  // The span as the engineer named it ("2.91"), when it lies between two
  // printed spans and `spanIndex` is the row that governs it; else empty.
  std::string governedSpan;
};

// Writes the sheet to `output`, after a line that names the governing row
// when the span asked for is not a printed one. Returns the exit status: 0; 65 when the span
// cannot be designed (the sheet says why, and one line on `errors` says so);
// 74 when the sheet cannot be written (its error line on `errors`).
int RunExplain(const ExplainRequest& request, std::FILE* output, std::FILE* errors);

}  // namespace kalvorden
