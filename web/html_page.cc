#include "web/html_page.h"

namespace kalvorden {
namespace {

std::string InputId(const ValueListInfo& info, int position) {
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
void AppendValueList(std::string& html, const ValueListInfo& info, const DesignQuery* shown,
                     const std::vector<QueryError>& errors) {
  const int index = static_cast<int>(info.id);
  const std::string label = ValueLabel(info);
  const std::string unit = DisplayUnit(info.unit);
  html += "<fieldset class=\"values\" id=\"" + std::string(info.name) + "\"><legend>" +
          EscapeHtml(label) + " (" + EscapeHtml(unit) + ")</legend>\n";
  for (int position = 0; position < kMostValuesPerField; ++position) {
    const std::string id = InputId(info, position);
    std::string value;
    const QueryList* list = shown != nullptr ? &shown->list(info.id) : nullptr;
    if (list != nullptr && position < static_cast<int>(list->texts.size())) {
      value = list->texts[static_cast<size_t>(position)];
    }
    const std::string* message = MessageFor(errors, index, position);
    html += "<div class=\"value\"><label for=\"" + id + "\">";
    html += EscapeHtml(label) + " " + std::to_string(position + 1);
    html += "</label><input type=\"text\" inputmode=\"decimal\" autocomplete=\"off\" id=\"";
    html += id + "\" name=\"" + std::string(info.name) + "\" value=\"" + EscapeHtml(value) + "\"";
    const std::string_view typical = info.typical[static_cast<size_t>(position)];
    if (!typical.empty()) {
      html += " placeholder=\"" + std::string(typical) + "\"";
    }
    html += std::string(" data-positive=\"") + (info.rule == SignRule::kAboveZero ? "yes" : "no") +
            "\"";
    html += " aria-describedby=\"" + id + "-message\"";
    if (message != nullptr) {
      html += " aria-invalid=\"true\"";
    }
    html += "><span class=\"unit\">" + EscapeHtml(unit) + "</span><span class=\"message\" id=\"" +
            id + "-message\" aria-live=\"polite\">" + (message ? EscapeHtml(*message) : "") +
            "</span></div>\n";
  }
  html += "</fieldset>\n";
}

}  // namespace

std::string ValueLabel(const ValueListInfo& list) {
  return std::string(list.label) + " " + std::string(list.symbol);
}

std::string DisplayUnit(std::string_view unit) {
  std::string shown(unit);
  const size_t square = shown.find("^2");
  if (square != std::string::npos) {
    shown.replace(square, 2, "\u00b2");
  }
  return shown;
}

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
      const ValueListInfo& info = ValueListOf(static_cast<ValueListId>(error.field));
      html += EscapeHtml(ValueLabel(info)) + " " + std::to_string(error.position + 1) + ": ";
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
  // The page's script checks each value as it is typed, in the words of the
  // server's own check, which the form carries.
  body += "<form id=\"design-form\" action=\"/design\" method=\"get\" novalidate";
  const std::pair<const char*, ValueRefusal> words[] = {
      {"not-a-number", ValueRefusal::kNotANumber},
      {"comma", ValueRefusal::kDecimalComma},
      {"not-finite", ValueRefusal::kNotFinite},
      {"not-above-zero", ValueRefusal::kNotAboveZero},
      {"negative", ValueRefusal::kNegative}};
  for (const auto& [name, refusal] : words) {
    body += std::string(" data-") + name + "=\"" + EscapeHtml(RefusalSentence(refusal)) + "\"";
  }
  body += " data-missing=\"" + EscapeHtml(kMissingValue) + "\">\n";
  body +=
      "<p>Enter one to five values in each list, with a decimal point. Every combination of the "
      "values is a design case; each case is designed for the 111 spans from 1.000 m to "
      "3.750 m. The grey figures are typical values, not defaults.</p>\n";
  for (const ValueListInfo& list : ValueLists()) {
    AppendValueList(body, list, shown, errors);
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
