#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "design/design_records.h"
#include "report/report_writer.h"

namespace kalvorden {

constexpr int kPagesPerCase = 3;

// One design case's pages as the report prints them: every printed line in
// order, without carriage control, carriage returns or form feeds, each page
// ending with its "Page N of 3" footer line.
struct CasePages {
  std::array<std::vector<std::string>, kPagesPerCase> pages;
  // Where the row of span i (from 0) was printed: its page and its line
  // on that page, both from 0.
  struct Place {
    int32_t page = 0;
    int32_t line = 0;
  };
  std::vector<Place> rows;
};

// Lays out one case through the report's own heading, row and footer code,
// so every line is the report's to the byte. `headings` carries the run's
// stamped heading lines. A case always has three pages; were the report's
// layout ever to give fewer, the missing ones are empty.
void FormatCasePages(const ReportWriter& headings, const DesignCase& designCase,
                     std::span<const SpanDesign> spans, CasePages& pages);

}  // namespace kalvorden
