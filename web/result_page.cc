#include "web/result_page.h"

#include "numeric/decimal.h"
#include "output/case_output.h"
#include "report/report_row.h"
#include "web/case_chart_svg.h"
#include "web/downloads.h"
#include "web/html_page.h"

namespace kalvorden {
namespace {

// The row of `span` cut at the report's column boundaries: the pieces,
// joined, are the 59-character row exactly as printed.
struct RowPieces {
  static constexpr int kCount = 6;
  std::string_view pieces[kCount];
};

// Where the report's columns meet, in the 59-character row: the span, the
// minimum and actual thickness, the main bars and their spacing, the middle
// half and the outer quarters, each with the blanks before it.
constexpr size_t kPieceEnds[RowPieces::kCount] = {7, 17, 24, 40, 50, 59};

RowPieces CutRow(std::string_view row) {
  RowPieces cut;
  size_t begin = 0;
  for (int i = 0; i < RowPieces::kCount; ++i) {
    cut.pieces[i] = row.substr(begin, kPieceEnds[i] - begin);
    begin = kPieceEnds[i];
  }
  return cut;
}

// The span as printed, without the blanks before it ("1.025").
std::string_view TrimmedSpan(std::string_view row) {
  const std::string_view piece = CutRow(row).pieces[0];
  return piece.substr(piece.find_first_not_of(' '));
}

void AppendValue(std::string& html, std::string_view name, const std::string& value,
                 std::string_view unit) {
  html += "<dt>" + EscapeHtml(name) + "</dt><dd>" + EscapeHtml(value);
  if (!unit.empty()) {
    html += " " + EscapeHtml(unit);
  }
  html += "</dd>";
}

constexpr std::string_view kColumnHeads[RowPieces::kCount] = {
    "Span (m)",         "Minimum thickness (mm)", "Actual (mm)", "Main bars at spacing (mm)",
    "Middle half bars", "Outer quarter bars"};

// The link to the calculation sheets of one case, HTML-escaped, up to the
// span: "/explain?wheel-load=72.5&amp;...&amp;span=". It is the same for
// every row of the case, so it is built once; escaping works character by
// character, so the row's escaped span is simply appended.
std::string ExplainLinkPrefix(const DesignCase& c) {
  DesignQuery query;
  const Quad values[kValueFieldCount] = {c.wheelLoad, c.topCover, c.futurePaving, c.steelStress,
                                         c.concreteStress};
  for (int field = 0; field < kValueFieldCount; ++field) {
    query.lists[field].texts.push_back(ExactDecimal(values[field]));
  }
  query.continuity = !(c.continuityFactor == 1);
  return "/explain?" + EscapeHtml(EncodeDesignQuery(query) + "&span=");
}

}  // namespace

std::string ExactDecimal(Quad value) {
  // "5e+01" as "50" and "1.5e-05" as "0.000015": an engineer's figures have
  // no exponent unless they are far from 1 (beyond 10^21 or below 10^-7).
  return ShortestExactDecimal(value, {.least = -7, .beyond = 21});
}

ResultPage::ResultPage(const DesignQuery& query) : designQuery_(EncodeDesignQuery(query)) {}

void ResultPage::AddCase(const DesignedCase& designed) {
  ++caseCount_;
  if (designed.sweep.fault != SpanFault::kNone) {
    ++undesignedCount_;
  }
  if (caseCount_ <= kCasesShownInFull) {
    AppendCase(designed);
  }
}

void ResultPage::AppendCase(const DesignedCase& designed) {
  const DesignCase& c = designed.designCase;
  const std::string number = std::to_string(caseCount_);
  std::string& html = cases_;
  html += "<section class=\"case\" id=\"case-" + number + "\" aria-labelledby=\"case-" + number +
          "-title\">\n<h2 id=\"case-" + number + "-title\">Case " + number + "</h2>\n";
  html += "<dl class=\"values\">";
  AppendValue(html, "Wheel load", ExactDecimal(c.wheelLoad), "kN");
  AppendValue(html, "Top cover", ExactDecimal(c.topCover), "mm");
  AppendValue(html, "Future paving", ExactDecimal(c.futurePaving), "kN/m\u00b2");
  AppendValue(html, "Allowable steel stress fs", ExactDecimal(c.steelStress), "MPa");
  AppendValue(html, "Allowable concrete stress fc", ExactDecimal(c.concreteStress), "MPa");
  AppendValue(html, "Modular ratio n", std::to_string(c.modularRatio), "");
  AppendValue(html, "Continuity factor",
              c.continuityFactor == 1 ? "1.0" : "0.8 (" + ExactDecimal(c.continuityFactor) + ")",
              "");
  html += "</dl>\n";
  if (designed.sweep.fault != SpanFault::kNone) {
    SpanDesign first;
    first.spanLength = designed.sweep.firstFaultSpan;
    const ReportLine firstRow = FormatRow(first);
    html += "<p class=\"note\">Not designed in full: " +
            std::string(SpanFaultReason(designed.sweep.fault)) + ", first at span " +
            EscapeHtml(TrimmedSpan(View(firstRow))) + " m. Such rows show asterisks.</p>\n";
  }

  const std::string chart = CaseChartSvg(designed, caseCount_);
  if (!chart.empty()) {
    html += "<figure class=\"chart\">" + chart + "<figcaption>Case " + number +
            ": slab thickness and main bar spacing against span</figcaption></figure>\n";
  }
  html += "<table class=\"rows\"><caption>Case " + number +
          ": the rows as the report prints them; each span links to its calculation "
          "sheet</caption>\n<thead><tr>";
  for (const std::string_view head : kColumnHeads) {
    html += "<th scope=\"col\">" + std::string(head) + "</th>";
  }
  html += "</tr></thead>\n<tbody>\n";
  const std::string explainLink = ExplainLinkPrefix(c);
  for (int32_t i = 0; i < designed.sweep.spanCount; ++i) {
    const ReportLine row = FormatRow(designed.spans[i]);
    const RowPieces cut = CutRow(View(row));
    const std::string_view spanText = TrimmedSpan(View(row));
    const std::string_view blanks = cut.pieces[0].substr(0, cut.pieces[0].size() - spanText.size());
    const std::string span = EscapeHtml(spanText);
    html.append("<tr><td>").append(blanks).append("<a href=\"").append(explainLink);
    html.append(span).append("\">").append(span).append("</a></td>");
    for (int piece = 1; piece < RowPieces::kCount; ++piece) {
      html += "<td>" + EscapeHtml(cut.pieces[piece]) + "</td>";
    }
    html += "</tr>\n";
  }
  html += "</tbody></table>\n";

  html += "</section>\n";
}

std::string ResultPage::Finish() const {
  const std::string links = EscapeHtml(designQuery_);
  std::string body = "<section class=\"summary\" aria-label=\"Summary\">\n<p>" +
                     std::to_string(caseCount_) +
                     (caseCount_ == 1 ? " design case" : " design cases");
  if (undesignedCount_ == 0) {
    body += ", all designed in full.</p>\n";
  } else {
    body += "; " + std::to_string(undesignedCount_) +
            " could not be designed in full (their rows show asterisks).</p>\n";
  }
  if (caseCount_ > kCasesShownInFull) {
    body += "<p class=\"note\">This page shows the first " + std::to_string(kCasesShownInFull) +
            " cases in full; all " + std::to_string(caseCount_) + " are in the downloads.</p>\n";
  }
  body += "<nav class=\"downloads\" aria-label=\"Downloads\"><p>Download the whole run:";
  const char* separator = " ";
  for (const DownloadInfo& download : AvailableDownloads()) {
    body += separator;
    body += "<a href=\"" + std::string(download.path) + "?" + links + "\">" +
            std::string(download.linkText) + "</a>";
    separator = ", ";
  }
  body += ". <a href=\"/?" + links + "\">Change the values</a>.</p></nav>\n</section>\n";
  body += cases_;
  return PageFrame("Design results", body);
}

}  // namespace kalvorden
