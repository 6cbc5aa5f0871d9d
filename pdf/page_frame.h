#pragma once

// The frame every sheet of the PDF shares: the paper, the margins, and the
// band at the foot of each sheet that holds its title block. Nothing a
// sheet draws comes closer than 10 pt to an edge of the paper, so the whole
// sheet survives the unprintable rim of an office printer.

#include <algorithm>
#include <cstdint>

#include "output/output_settings.h"

namespace kalvorden {

// Page geometry in points (1/72 inch).
struct PaperGeometry {
  double width = 0;
  double height = 0;
};

constexpr PaperGeometry kA4Geometry = {595.276, 841.89};  // 210 mm x 297 mm
constexpr PaperGeometry kLetterGeometry = {612, 792};     // 8.5 in x 11 in

constexpr PaperGeometry GeometryOf(PaperSize paper) {
  return paper == PaperSize::kLetter ? kLetterGeometry : kA4Geometry;
}

constexpr const char* kMonoFont = "DejaVu Sans Mono";
constexpr const char* kSansFont = "DejaVu Sans";

// DejaVu Sans Mono advances every character 1233/2048 em: a font of size
// `pitch` x 2048 / 1233 sets one character every `pitch` points.
constexpr double kMonoAdvancePerEm = 1233.0 / 2048.0;
constexpr double MonoFontSizeForPitch(double pitch) {
  return pitch / kMonoAdvancePerEm;
}

constexpr double kSideMargin = 50;
constexpr double kTopMargin = 50;
// The band at the foot of every sheet, from the paper's bottom edge up,
// that only the title block draws in.
constexpr double kTitleBlockBand = 60;
// Chart pages (a case's, the comparison's) use the paper's printable area:
// a margin all round that office printers print into, and the foot of the
// page, kTitleBlockBand high, left to the title block. A chart's own text
// stays inside the rectangle it is given.
constexpr double kChartPageMargin = 36;  // half an inch

// The lowest baseline a sheet's own text may take: clear of the title block
// with room for descenders.
constexpr double LowestBaseline(const PaperGeometry& page) {
  return page.height - kTitleBlockBand - 8;
}

// How many lines `pitch` apart fit on a sheet from the baseline `top`
// down to the lowest baseline.
constexpr int32_t LinesPerSheet(const PaperGeometry& page, double top, double pitch) {
  return static_cast<int32_t>((LowestBaseline(page) - top) / pitch) + 1;
}

// The pages that `count` lines or entries take at `perPage` a page; at
// least one, so that an empty list still has its page.
constexpr int32_t PagesFor(int64_t count, int64_t perPage) {
  return static_cast<int32_t>(std::max<int64_t>(1, (count + perPage - 1) / perPage));
}

// The baseline of a small caption above a sheet's text (the case it
// belongs to).
constexpr double kCaptionBaseline = 30;

}  // namespace kalvorden
