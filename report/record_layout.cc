#include "report/record_layout.h"

#include <algorithm>
#include <cstring>

namespace kalvorden {
namespace {

// The longest record the report's layouts build is 72 characters; the
// composition clips anything past this capacity instead of overrunning.
constexpr int kRecordCapacity = 160;

struct Composition {
  ReportFile* file = nullptr;
  std::span<const std::string_view> texts;
  size_t nextText = 0;
  bool stopped = false;

  char record[kRecordCapacity];
  int position = 0;     // columns passed so far (0-based next column)
  int furthest = 0;     // columns up to the end of the furthest placement
  bool placed = false;  // anything placed since the record started
};

void EndRecord(Composition& c) {
  // A record is as long as its furthest placement; a record that received
  // only skips is as long as the columns it skipped.
  const int length = std::min(c.placed ? c.furthest : c.position, kRecordCapacity);
  WriteRecord(*c.file, std::string_view(c.record, static_cast<size_t>(length)));
  // Placements wrote only columns before the furthest: blank those again.
  std::memset(c.record, ' ', static_cast<size_t>(std::min(c.furthest, kRecordCapacity)));
  c.position = 0;
  c.furthest = 0;
  c.placed = false;
}

void Place(Composition& c, std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const int column = c.position + static_cast<int>(i);
    if (column >= 0 && column < kRecordCapacity) {
      c.record[column] = text[i];
    }
  }
  c.position += static_cast<int>(text.size());
  c.furthest = std::max(c.furthest, c.position);
  c.placed = true;
}

void Run(Composition& c, std::span<const LayoutStep> steps) {
  for (const LayoutStep& step : steps) {
    if (c.stopped) {
      return;
    }
    switch (step.kind) {
      case LayoutStepKind::kLiteral:
        Place(c, step.literal);
        break;
      case LayoutStepKind::kSkip:
        c.position += step.count;
        break;
      case LayoutStepKind::kText:
        if (c.nextText == c.texts.size()) {
          c.stopped = true;
          return;
        }
        Place(c, c.texts[c.nextText++]);
        break;
      case LayoutStepKind::kRecordBreak:
        EndRecord(c);
        break;
      case LayoutStepKind::kGroup:
        for (int i = 0; i < step.count && !c.stopped; ++i) {
          Run(c, step.group);
        }
        break;
    }
  }
}

}  // namespace

void WriteLayout(ReportFile& file, RecordLayout layout, std::span<const std::string_view> texts) {
  Composition c;
  c.file = &file;
  c.texts = texts;
  std::memset(c.record, ' ', sizeof c.record);

  size_t lastGroup = layout.size();
  for (size_t i = 0; i < layout.size(); ++i) {
    if (layout[i].kind == LayoutStepKind::kGroup) {
      lastGroup = i;
    }
  }

  Run(c, layout);
  // Texts left at the end of the layout: the layout is used again from its
  // last top-level group. A layout without a group, or one whose group takes
  // no text, cannot use them up; composition stops instead of looping.
  while (!c.stopped && c.nextText < c.texts.size() && lastGroup < layout.size()) {
    const size_t before = c.nextText;
    EndRecord(c);
    Run(c, layout.subspan(lastGroup));
    if (c.nextText == before) {
      break;
    }
  }
  EndRecord(c);
}

}  // namespace kalvorden
