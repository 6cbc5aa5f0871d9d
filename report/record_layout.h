#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "report/report_file.h"

namespace kalvorden {

// A record layout is a fixed list of steps that places literals and texts
// into records, the way a line-printer format statement does.
enum class LayoutStepKind : uint8_t {
  kLiteral,      // place `literal` at the current column
  kSkip,         // advance `count` columns, writing nothing
  kText,         // place the next text of the list; stop if none is left
  kRecordBreak,  // the record is complete: write it and start a new one
  kGroup,        // run `group` `count` times in a row
};

struct LayoutStep {
  LayoutStepKind kind = LayoutStepKind::kSkip;
  int count = 0;
  std::string_view literal;
  std::span<const LayoutStep> group;
};

constexpr LayoutStep Literal(std::string_view text) {
  return {LayoutStepKind::kLiteral, 0, text, {}};
}
constexpr LayoutStep Skip(int columns) {
  return {LayoutStepKind::kSkip, columns, {}, {}};
}
constexpr LayoutStep Text() {
  return {LayoutStepKind::kText, 0, {}, {}};
}
constexpr LayoutStep RecordBreak() {
  return {LayoutStepKind::kRecordBreak, 0, {}, {}};
}
constexpr LayoutStep Group(int times, std::span<const LayoutStep> steps) {
  return {LayoutStepKind::kGroup, times, {}, steps};
}

using RecordLayout = std::span<const LayoutStep>;

// Composes records from `layout` and `texts` and writes each one as soon as
// it is complete. When the layout ends with texts left over, the current
// record is written and the layout goes on from its last top-level group;
// when the texts run out, the record under construction is written and
// composition stops.
void WriteLayout(ReportFile& file, RecordLayout layout, std::span<const std::string_view> texts);

}  // namespace kalvorden
