#include "web/case_chart_svg.h"

#include "chart/case_chart.h"

namespace kalvorden {
namespace {

// Replaces every `from` in `text` with `to`.
void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

}  // namespace

std::string InlineSvg(std::string svg, std::string_view idPrefix) {
  // Inline in HTML, the document's XML declaration has no place.
  const size_t start = svg.find("<svg");
  if (start == std::string::npos) {
    return {};
  }
  svg.erase(0, start);
  // The glyphs and clip paths of every chart are named alike ("glyph0-1");
  // on one page, each chart's names get its own prefix.
  const std::string prefix(idPrefix);
  ReplaceAll(svg, "id=\"", "id=\"" + prefix);
  ReplaceAll(svg, "href=\"#", "href=\"#" + prefix);
  ReplaceAll(svg, "url(#", "url(#" + prefix);
  return svg;
}

std::string CaseChartSvg(const DesignedCase& designed, int32_t caseNumber, int32_t governingRow) {
  std::string svg;
  if (!WriteCaseChartSvg(designed, svg, governingRow)) {
    return {};
  }
  return InlineSvg(std::move(svg), "c" + std::to_string(caseNumber) + "-");
}

}  // namespace kalvorden
