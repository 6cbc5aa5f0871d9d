#include "web/explain_page.h"

#include "explain/calculation_sheet.h"
#include "report/printed_span.h"
#include "run/design_run.h"
#include "web/html_page.h"

namespace kalvorden {

std::string ExplainPage(const DesignQuery& query) {
  const GoverningSpan span = GoverningSpanOf(query.request);
  const CalculationSheet sheet =
      WriteGovernedSheet(CaseValuesOf(DesignInputsOf(query.request)), span);
  std::string body =
      "<p>How the row of span " + PrintedSpan(span.row) + " m was obtained, step by step.";
  if (!sheet.designed) {
    body += " This span could not be designed; the sheet says why.";
  }
  body += "</p>\n<pre class=\"sheet\">" + EscapeHtml(sheet.text) + "</pre>\n";
  DesignQuery back = query;
  back.request.span.clear();
  back.spanText.clear();
  body += "<p><a href=\"/design?" + EscapeHtml(EncodeDesignQuery(back)) +
          "\">The design of this case</a></p>\n";
  return PageFrame("Calculation sheet, span " + PrintedSpan(span.row) + " m", body);
}

}  // namespace kalvorden
