#include "web/result_page.h"

#include "comparison/case_comparison.h"

#include "design/as_built_check.h"

#include "numeric/decimal.h"
#include "output/case_sink.h"
#include "report/printed_span.h"
#include "report/report_row.h"
#include "run/output_factory.h"
#include "web/case_chart_svg.h"
#include "web/comparison.h"
#include "web/design_query.h"
#include "web/downloads.h"
#include "web/html_page.h"

namespace kalvorden {
namespace {

class ResultPage final : public CaseSink {
 public:
  ResultPage(const OutputSettings& settings, std::string designQuery, std::string& html);

  bool Write(const DesignedCase& designed) override;
  bool Finish() override;
  void Abandon() noexcept override;

 private:
  void AppendCase(const DesignedCase& designed);

  std::string designQuery_;  // the request's values and clock, for the download links
  std::string project_;      // the HTML of the identity, the span and the digest
  int32_t governingRow_ = -1;
  std::string governingNote_;  // the tables' caption on the marked row
  std::string cases_;          // the HTML of the cases shown in full
  CaseComparison comparison_;  // one small row per case, ranked at the governing row
  int32_t caseCount_ = 0;
  int32_t undesignedCount_ = 0;
  std::string& html_;  // the complete page, once finished
};

// Where the report's columns meet, in the 59-character row: the span, the
// minimum and actual thickness, the main bars and their spacing, the middle
// half and the outer quarters, each with the blanks before it. The pieces,
// joined, are the row exactly as printed.
constexpr int kPieceCount = 6;
constexpr size_t kPieceEnds[kPieceCount] = {7, 17, 24, 40, 50, 59};

void AppendValue(std::string& html, std::string_view name, const std::string& value,
                 std::string_view unit) {
  html += "<dt>" + EscapeHtml(name) + "</dt><dd>" + EscapeHtml(value);
  if (!unit.empty()) {
    html += " " + EscapeHtml(unit);
  }
  html += "</dd>";
}

constexpr std::string_view kColumnHeads[kPieceCount] = {
    "Span (m)",
    "Minimum thickness (mm)",
    "Actual (mm)",
    "Main bars at spacing (mm)",
    "Bars in the middle half",
    "Bars in both outer quarters (half in each)"};

// The link to the calculation sheets of one case, HTML-escaped, up to the
// span: "/explain?wheel-load=72.5&amp;...&amp;span=". It is the same for
// every row of the case, so it is built once; escaping works character by
// character, so the row's escaped span is simply appended.
std::string ExplainLinkPrefix(const DesignCase& c) {
  DesignQuery query;
  for (const ValueListInfo& list : ValueLists()) {
    query.texts[static_cast<size_t>(list.id)].push_back(
        FullDecimal(ValueOf(c, list.id), FullDecimalUse::kWeb));
  }
  query.request.continuity = !(c.continuityFactor == 1);
  return "/explain?" + EscapeHtml(EncodeDesignQuery(query) + "&span=");
}

// The identity texts given, the bridge's span with its governing row, and
// the digest of the values, as a list.
std::string ProjectSummary(const OutputSettings& settings) {
  std::string html = "<dl class=\"values project\">";
  for (const IdentityFieldInfo& field : IdentityFields()) {
    const std::string& text = settings.project.*(field.member);
    if (!text.empty()) {
      AppendValue(html, field.label, text, "");
    }
  }
  if (settings.governingRow >= 0) {
    AppendValue(html, "Effective span of the bridge",
                settings.spanText + " m, governed by the printed row " +
                    PrintedSpan(settings.governingRow) + " m, marked in each case",
                "");
  }
  html += "<dt>Values digest (SHA-256)</dt><dd><code>" + settings.digest + "</code></dd></dl>\n";
  return html;
}

ResultPage::ResultPage(const OutputSettings& settings, std::string designQuery, std::string& html)
    : designQuery_(std::move(designQuery)),
      project_(ProjectSummary(settings)),
      governingRow_(settings.governingRow),
      comparison_(governingRow_),
      html_(html) {
  if (governingRow_ >= 0) {
    governingNote_ = " The row of " + PrintedSpan(governingRow_) +
                     " m, which governs the bridge's span of " + EscapeHtml(settings.spanText) +
                     " m, is marked.";
  }
}

bool ResultPage::Write(const DesignedCase& designed) {
  ++caseCount_;
  if (designed.sweep.fault != SpanFault::kNone) {
    ++undesignedCount_;
  }
  if (caseCount_ <= kCasesShownInFull) {
    AppendCase(designed);
  }
  comparison_.Add(designed);
  return true;
}

void ResultPage::Abandon() noexcept {
  cases_.clear();
  html_.clear();
}

void ResultPage::AppendCase(const DesignedCase& designed) {
  const DesignCase& c = designed.designCase;
  const std::string number = std::to_string(caseCount_);
  std::string& html = cases_;
  html += "<section class=\"case\" id=\"case-" + number + "\" aria-labelledby=\"case-" + number +
          "-title\">\n<h2 id=\"case-" + number + "-title\">Case " + number + "</h2>\n";
  html += "<dl class=\"values\">";
  for (const ValueListInfo& list : ValueLists()) {
    AppendValue(html, ValueLabel(list), FullDecimal(ValueOf(c, list.id), FullDecimalUse::kWeb),
                DisplayUnit(list.unit));
  }
  AppendValue(html, "Modular ratio n", std::to_string(c.modularRatio), "");
  AppendValue(html, "Continuity factor",
              c.continuityFactor == 1
                  ? "1.0"
                  : "0.8 (" + FullDecimal(c.continuityFactor, FullDecimalUse::kWeb) + ")",
              "");
  html += "</dl>\n";
  if (designed.sweep.fault != SpanFault::kNone) {
    html += "<p class=\"note\">Not designed in full: " +
            std::string(SpanFaultReason(designed.sweep.fault)) + ", first at span " +
            EscapeHtml(PrintedSpanOf(designed.sweep.firstFaultSpan)) +
            " m. Such rows show asterisks.</p>\n";
  }

  const std::string chart = CaseChartSvg(designed, caseCount_, governingRow_);
  if (!chart.empty()) {
    html += "<figure class=\"chart\">" + chart + "<figcaption>Case " + number +
            ": slab thickness, main bar spacing and reinforcing steel against "
            "span</figcaption></figure>\n";
  }
  html +=
      "<p class=\"note\">Checked as built (the row's slab at its actual thickness, method "
      "manual section 18): " +
      FailingSpansLine(c,
                       std::span(designed.spans, static_cast<size_t>(designed.sweep.spanCount))) +
      ".</p>\n";
  html += "<table class=\"rows\"><caption>Case " + number +
          ": the rows as the report prints them; each span links to its calculation "
          "sheet." +
          governingNote_ + "</caption>\n<thead><tr>";
  for (const std::string_view head : kColumnHeads) {
    html += "<th scope=\"col\">" + std::string(head) + "</th>";
  }
  html += "<th scope=\"col\">Checks as built</th></tr></thead>\n<tbody>\n";
  const std::string explainLink = ExplainLinkPrefix(c);
  for (int32_t i = 0; i < designed.sweep.spanCount; ++i) {
    const ReportLine line = FormatRow(designed.spans[i]);
    const std::string_view row = View(line);
    const std::string_view first = row.substr(0, kPieceEnds[0]);
    const std::string_view spanText = first.substr(first.find_first_not_of(' '));
    const std::string_view blanks = first.substr(0, first.size() - spanText.size());
    const std::string span = EscapeHtml(spanText);
    html.append(i == governingRow_ ? "<tr class=\"governing\"><td>" : "<tr><td>");
    html.append(blanks).append("<a href=\"").append(explainLink);
    html.append(span).append("\">").append(span).append("</a></td>");
    for (int piece = 1; piece < kPieceCount; ++piece) {
      const size_t begin = kPieceEnds[piece - 1];
      html += "<td>" + EscapeHtml(row.substr(begin, kPieceEnds[piece] - begin)) + "</td>";
    }
    const AsBuiltCheck check =
        CheckAsBuilt(AsBuiltRowOf(c, designed.spans[i], PrintedSpanMillimetres(i)));
    html += "<td class=\"checks\">" + (check.known ? CheckNames(check.failed) : "") + "</td>";
    html += "</tr>\n";
  }
  html += "</tbody></table>\n";

  html += "</section>\n";
}

bool ResultPage::Finish() {
  const std::string links = EscapeHtml(designQuery_);
  std::string body = "<section class=\"summary\" aria-label=\"Summary\">\n" + project_ + "<p>" +
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
  for (const OutputKindInfo& download : OutputKinds()) {
    body += separator;
    body += "<a href=\"" + DownloadPath(download) + "?" + links + "\">" +
            std::string(download.linkText) + "</a>";
    separator = ", ";
  }
  body += ", <a href=\"" + std::string(kProjectDownloadPath) + "?" + links +
          "\">project file (.toml)</a>";
  body += ". <a href=\"/?" + links + "\">Change the values</a>.</p></nav>\n</section>\n";
  if (caseCount_ >= 2) {
    body += ComparisonHtml(comparison_, kCasesShownInFull);
  }
  // The cases, the bulk of a large page, are not copied into `body` first:
  // the page is made once at its size, so building it takes the page and
  // its cases, no third copy (HttpLimits::designMemory).
  html_ = PageFrame("Design results", {body, cases_});
  cases_ = std::string();
  return true;
}

}  // namespace

std::unique_ptr<CaseSink> MakeResultPage(const OutputSettings& settings, const std::string& links,
                                         std::string& html) {
  return std::make_unique<ResultPage>(settings, links, html);
}

}  // namespace kalvorden
