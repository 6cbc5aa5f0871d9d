#pragma once

// A case's chart as SVG to put inline in the result page, drawn by the same
// code as the PDF's chart page.

#include <cstdint>
#include <string>
#include <string_view>

#include "design/case_pipeline.h"

namespace kalvorden {

// The chart's <svg> element, without the XML declaration, its element ids
// made unique to case `caseNumber` so several charts can share one page,
// with the governing row (-1: none) marked as on the PDF's chart sheet.
// Empty when the chart could not be drawn (the page then goes without it).
std::string CaseChartSvg(const DesignedCase& designed, int32_t caseNumber, int32_t governingRow);

// An SVG document made fit to stand inline in a page: its XML declaration
// dropped and its element ids prefixed with `idPrefix` ("c3-"), so several
// charts can share one page. Empty when it holds no <svg> element.
std::string InlineSvg(std::string document, std::string_view idPrefix);

}  // namespace kalvorden
