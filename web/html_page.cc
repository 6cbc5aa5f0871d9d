#include "web/html_page.h"

namespace kalvorden {
namespace {

std::string InputId(const ValueFieldInfo& info, int position) {
  return std::string(info.name) + "-" + std::to_string(position + 1);
}

const std::string* MessageFor(const std::vector<QueryError>& errors, int field, int position) {
  for (const QueryError& error : errors) {
    if (error.field == field && error.position == position) {
      return &error.message;
    }
  }
  return nullptr;
}

// One list: a fieldset with one labelled input per value, its unit beside
// it, the typical value as a placeholder and a place for its message.
void AppendValueList(std::string& html, ValueField field, const DesignQuery* shown,
                     const std::vector<QueryError>& errors) {
  const ValueFieldInfo& info = FieldInfo(field);
  const int index = static_cast<int>(field);
  html += "<fieldset class=\"values\" id=\"" + std::string(info.name) + "\"><legend>" +
          EscapeHtml(info.label) + " (" + EscapeHtml(info.unit) + ")</legend>\n";
  for (int position = 0; position < kMostValuesPerField; ++position) {
    const std::string id = InputId(info, position);
    std::string value;
    if (shown != nullptr && position < static_cast<int>(shown->lists[index].texts.size())) {
      value = shown->lists[index].texts[position];
    }
    const std::string* message = MessageFor(errors, index, position);
    html += "<div class=\"value\"><label for=\"" + id + "\">";
    html += EscapeHtml(info.label) + " " + std::to_string(position + 1);
    html += "</label><input type=\"text\" inputmode=\"decimal\" autocomplete=\"off\" id=\"";
    html += id + "\" name=\"" + std::string(info.name) + "\" value=\"" + EscapeHtml(value) + "\"";
    if (!info.typical[position].empty()) {
      html += " placeholder=\"" + std::string(info.typical[position]) + "\"";
    }
    html += std::string(" data-positive=\"") + (info.mustBePositive ? "yes" : "no") + "\"";
    html += " aria-describedby=\"" + id + "-message\"";
    if (message != nullptr) {
      html += " aria-invalid=\"true\"";
    }
    html += "><span class=\"unit\">" + EscapeHtml(info.unit) +
            "</span><span class=\"message\" id=\"" + id + "-message\" aria-live=\"polite\">" +
            (message ? EscapeHtml(*message) : "") + "</span></div>\n";
  }
  html += "</fieldset>\n";
}

}  // namespace

std::string EscapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
        break;
    }
  }
  return out;
}

std::string PageFrame(std::string_view title, std::string_view body) {
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
  html += EscapeHtml(title);
  html +=
      " - KALVORDEN</title>\n<link rel=\"stylesheet\" href=\"/static/style.css\">\n"
      "<script src=\"/static/form.js\" defer></script>\n</head>\n<body>\n"
      "<header><p><a href=\"/\">KALVORDEN</a>: service-load design of a reinforced-concrete "
      "bridge deck slab</p></header>\n<main>\n<h1>";
  html += EscapeHtml(title);
  html += "</h1>\n";
  html += body;
  html += "</main>\n</body>\n</html>\n";
  return html;
}

std::string ErrorList(const std::vector<QueryError>& errors) {
  std::string html =
      "<div class=\"errors\" role=\"alert\"><p>The values cannot be designed:</p><ul>\n";
  for (const QueryError& error : errors) {
    html += "<li>";
    if (error.field >= 0) {
      const ValueFieldInfo& info = FieldInfo(static_cast<ValueField>(error.field));
      html += EscapeHtml(info.label) + " " + std::to_string(error.position + 1) + ": ";
    }
    html += EscapeHtml(error.message) + "</li>\n";
  }
  html += "</ul></div>\n";
  return html;
}

std::string FormPage(const DesignQuery* shown, const std::vector<QueryError>& errors) {
  std::string body;
  if (!errors.empty()) {
    body += ErrorList(errors);
  }
  body +=
      "<form id=\"design-form\" action=\"/design\" method=\"get\" novalidate>\n"
      "<p>Enter one to five values in each list, with a decimal point. Every combination of the "
      "values is a design case; each case is designed for the 111 spans from 1.000 m to "
      "3.750 m. The grey figures are typical values, not defaults.</p>\n";
  for (int field = 0; field < kValueFieldCount; ++field) {
    AppendValueList(body, static_cast<ValueField>(field), shown, errors);
  }
  const bool continuity = shown != nullptr && shown->continuity;
  body += std::string(
              "<div class=\"choice\"><input type=\"checkbox\" id=\"continuity\" "
              "name=\"continuity\" value=\"on\"") +
          (continuity ? " checked" : "") +
          "> <label for=\"continuity\">Apply the continuity factor 0.8 to the live-load "
          "moment</label></div>\n<p><button type=\"submit\">Design</button></p>\n</form>\n";
  return PageFrame("Deck slab design", body);
}

std::string MessagePage(std::string_view title, std::string_view message) {
  return PageFrame(
      title, "<p>" + EscapeHtml(message) + "</p>\n<p><a href=\"/\">Back to the form</a></p>\n");
}

}  // namespace kalvorden
