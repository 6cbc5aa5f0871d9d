#include "web/rating_page.h"

#include "numeric/decimal.h"
#include "rating/rating_sheet.h"
#include "web/html_page.h"

namespace kalvorden {
namespace {

const std::string* MessageFor(const std::vector<RateQueryError>& errors, std::string_view field) {
  for (const RateQueryError& error : errors) {
    if (error.field == field) {
      return &error.message;
    }
  }
  return nullptr;
}

void AppendErrors(std::string& html, const std::vector<RateQueryError>& errors) {
  if (errors.empty()) {
    return;
  }
  html += "<div class=\"errors\" role=\"alert\"><p>The values cannot be rated:</p><ul>\n";
  for (const RateQueryError& error : errors) {
    html += "<li>" + EscapeHtml(error.message) + "</li>\n";
  }
  html += "</ul></div>\n";
}

// One value: a labelled input with its unit, "optional" where the rating
// does without it, and the place for its message.
void AppendValue(std::string& html, const RatingFieldInfo& field, const RateQuery* shown,
                 const std::vector<RateQueryError>& errors) {
  const std::string id = "rate-" + std::string(field.name);
  const size_t index = static_cast<size_t>(&field - RatingFields().data());
  const std::string value = shown != nullptr ? shown->texts[index] : std::string();
  const std::string* message = MessageFor(errors, field.name);
  html += "<div class=\"value\"><label for=\"" + id + "\">" + EscapeHtml(field.label) +
          "</label><input type=\"text\" autocomplete=\"off\" id=\"" + id + "\" name=\"" +
          std::string(field.name) + "\" value=\"" + EscapeHtml(value) + "\" aria-describedby=\"" +
          id + "-message\"" + (message != nullptr ? " aria-invalid=\"true\"" : "") +
          "><span class=\"unit\">" + EscapeHtml(DisplayUnit(field.unit)) + "</span>" +
          (field.required ? "" : "<span class=\"note-inline\">optional</span>") +
          "<span class=\"message\" id=\"" + id + "-message\" aria-live=\"polite\">" +
          (message != nullptr ? EscapeHtml(*message) : "") + "</span></div>\n";
}

// The project's identity and the PDF's paper, as on the design form; the
// ids are the rating's own, the names the same.
void AppendProjectFields(std::string& html, const RateQuery* shown) {
  html += "<fieldset class=\"project\" id=\"rate-project\"><legend>Project (optional)</legend>\n";
  AppendIdentityInputs(html, shown != nullptr ? &shown->request.identity : nullptr, "rate-");
  AppendPaperSelect(html, shown != nullptr && shown->request.paper == PaperSize::kLetter, "rate-");
  html += "</fieldset>\n";
}

void AppendVerdicts(std::string& html, const SlabRating& rating) {
  html +=
      "<table class=\"verdicts\"><caption>Rating factors RF = (C - M_DL) / M_LL of the governing "
      "face (the lower RF of the two) at each effective span</caption>\n<thead><tr><th "
      "scope=\"col\">Effective span S (m)</th><th scope=\"col\">Inventory RF</th><th "
      "scope=\"col\">Governing face, inventory</th><th scope=\"col\">Verdict, inventory</th><th "
      "scope=\"col\">Operating RF</th><th scope=\"col\">Governing face, operating</th><th "
      "scope=\"col\">Verdict, operating</th></tr></thead><tbody>\n";
  for (const SpanRating& span : rating.spans) {
    const Quad inventory = span.GoverningInventory().ratingFactor;
    const Quad operating = span.GoverningOperating().ratingFactor;
    html += "<tr><td>" + FullDecimal(span.span, FullDecimalUse::kWeb) + "</td><td>" +
            WorkingText(inventory) + "</td><td>" +
            (span.bottomGovernsInventory ? "bottom" : "top") + "</td><td>" +
            EscapeHtml(InventoryVerdict(inventory)) + "</td><td>" + WorkingText(operating) +
            "</td><td>" + (span.bottomGovernsOperating ? "bottom" : "top") + "</td><td>" +
            EscapeHtml(OperatingVerdict(operating)) + "</td></tr>\n";
  }
  html += "</tbody></table>\n";
}

// The messages and the form itself, under the heading of its page or section.
std::string FormBody(const RateQuery* shown, const std::vector<RateQueryError>& errors) {
  std::string html;
  AppendErrors(html, errors);
  html +=
      "<form id=\"rating-form\" action=\"" + std::string(kRatePath) +
      "\" method=\"get\" novalidate>\n<p>The allowable-stress rating (ASR) of a slab as it "
      "stands: a strip 1 m wide, main bars perpendicular to traffic, at inventory and operating "
      "level for each effective span. Bars by designation (16 or #16); spans separated by "
      "commas.</p>\n";
  AppendProjectFields(html, shown);
  html +=
      "<fieldset class=\"rating-values\" id=\"rate-values\"><legend>The slab, its loads and "
      "the allowable stresses</legend>\n";
  for (const RatingFieldInfo& field : RatingFields()) {
    AppendValue(html, field, shown, errors);
  }
  const bool continuous = shown != nullptr && shown->request.entry.inputs.continuous;
  html += std::string(
              "</fieldset>\n<div class=\"choice\"><input type=\"checkbox\" "
              "id=\"rate-continuity\" name=\"continuity\" value=\"on\"") +
          (continuous ? " checked" : "") +
          "> <label for=\"rate-continuity\">Continuous over three or more supports: CF 0.8 and "
          "M_DL = w S\u00b2 / 10 (otherwise CF 1.0 and w S\u00b2 / 8)</label></div>\n<p><button "
          "type=\"submit\">Rate</button></p>\n</form>\n";
  return html;
}

}  // namespace

std::string RateDownloadPath(const RatingOutputKindInfo& kind) {
  return "/rate/download/" + std::string(kind.fileName);
}

std::string RatingForm(const RateQuery* shown, const std::vector<RateQueryError>& errors) {
  return "<section class=\"rating\" aria-labelledby=\"rating-heading\"><h2 "
         "id=\"rating-heading\">Rate an existing slab</h2>\n" +
         FormBody(shown, errors) + "</section>\n";
}

std::string RatingFormPage(const RateQuery* shown, const std::vector<RateQueryError>& errors) {
  return PageFrame("Rate an existing slab", FormBody(shown, errors));
}

std::string RatingResultPage(const RateQuery& query, const SlabRating& rating, bool pdfOffered) {
  const std::string links = EscapeHtml(EncodeRateQuery(query));
  std::string body = "<section class=\"summary\" aria-label=\"Summary\">\n";
  for (const IdentityFieldInfo& field : IdentityFields()) {
    const std::string& text = query.request.identity.*(field.member);
    if (!text.empty()) {
      body += "<p>" + std::string(field.label) + ": " + EscapeHtml(text) + "</p>\n";
    }
  }
  AppendVerdicts(body, rating);
  body += "<nav class=\"downloads\" aria-label=\"Downloads\"><p>Download the rating:";
  const char* separator = " ";
  for (const RatingOutputKindInfo& kind : RatingOutputKinds()) {
    if (kind.kind == RatingOutputKind::kPdf && !pdfOffered) {
      continue;
    }
    body += separator + std::string("<a href=\"") + RateDownloadPath(kind) + "?" + links + "\">" +
            std::string(kind.linkText) + "</a>";
    separator = ", ";
  }
  body += ", <a href=\"" + std::string(kRateProjectPath) + "?" + links +
          "\">project file (.toml)</a>. <a href=\"" + std::string(kRateFormPath) + "?" + links +
          "\">Change the values</a>.</p></nav>\n</section>\n<pre class=\"sheet\">" +
          EscapeHtml(RatingOutputBytes(RatingOutputKind::kText, query.request, rating, {}, {})) +
          "</pre>\n";
  return PageFrame("Rating of an existing slab", body);
}

}  // namespace kalvorden
