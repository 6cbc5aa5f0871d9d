#include "web/html_page.h"

#include <utility>

#include "output/utf8.h"
#include "web/rating_page.h"

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
    const std::vector<std::string>* texts =
        shown != nullptr ? &shown->texts[static_cast<size_t>(index)] : nullptr;
    if (texts != nullptr && position < static_cast<int>(texts->size())) {
      value = (*texts)[static_cast<size_t>(position)];
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

// The project's identity and the bridge's span: plain texts, which the
// server alone checks, filled in again from `shown`.
void AppendProjectFields(std::string& html, const DesignQuery* shown) {
  html +=
      "<fieldset class=\"project\" id=\"project\"><legend>Project (optional, shown on the "
      "results and in the PDF)</legend>\n";
  AppendIdentityInputs(html, shown != nullptr ? &shown->request.identity : nullptr, "");
  const std::string span = shown != nullptr ? shown->spanText : std::string();
  html +=
      "<div class=\"value\"><label for=\"span\">Effective span of the bridge</label><input "
      "type=\"text\" inputmode=\"decimal\" autocomplete=\"off\" id=\"span\" name=\"span\" "
      "placeholder=\"2.91\" aria-describedby=\"span-note\" value=\"" +
      EscapeHtml(span) +
      "\"><span class=\"unit\">m</span><span class=\"note-inline\" id=\"span-note\">1.000 to "
      "3.750 m; each case marks its governing row, the first printed span at or above "
      "it</span></div>\n";
  // The adopted case, whose slab the PDF's cover states and checks.
  const std::string adopt = shown != nullptr ? shown->adoptText : std::string();
  html +=
      "<div class=\"value\"><label for=\"adopt\">Adopted case</label><input type=\"text\" "
      "inputmode=\"numeric\" autocomplete=\"off\" id=\"adopt\" name=\"adopt\" "
      "aria-describedby=\"adopt-note\" value=\"" +
      EscapeHtml(adopt) +
      "\"><span class=\"note-inline\" id=\"adopt-note\">optional: the case number, 1 to the "
      "number of cases; the PDF's cover states and checks its slab at the governing "
      "row</span></div>\n";
  // The PDF's paper, as the command line's --paper.
  AppendPaperSelect(html, shown != nullptr && shown->request.paper == PaperSize::kLetter, "");
  html += "</fieldset>\n";
}

}  // namespace

void AppendIdentityInputs(std::string& html, const ProjectIdentity* identity,
                          std::string_view idPrefix) {
  for (const IdentityFieldInfo& field : IdentityFields()) {
    const std::string id = std::string(idPrefix) + std::string(field.name);
    const std::string value = identity != nullptr ? identity->*(field.member) : std::string();
    html.append("<div class=\"value\"><label for=\"").append(id).append("\">");
    html.append(field.label).append("</label><input type=\"text\" id=\"").append(id);
    html.append("\" name=\"").append(field.name).append("\" maxlength=\"");
    html.append(std::to_string(field.mostCharacters)).append("\" value=\"");
    html.append(EscapeHtml(value)).append("\"></div>\n");
  }
}

void AppendPaperSelect(std::string& html, bool letter, std::string_view idPrefix) {
  const std::string id = std::string(idPrefix) + "paper";
  html += "<div class=\"value\"><label for=\"" + id + "\">Paper of the PDF</label><select id=\"" +
          id + "\" name=\"paper\"><option value=\"a4\"" + (letter ? "" : " selected") +
          ">A4</option><option value=\"letter\"" + (letter ? " selected" : "") +
          ">Letter</option></select></div>\n";
}

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
  for (size_t at = 0; at < text.size();) {
    const char c = text[at];
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
      case '\0':
        // NUL and bytes that are not UTF-8 become U+FFFD, so every page is
        // valid UTF-8 whatever a request held.
        out += kReplacementCharacter;
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x80) {
          out += c;
          break;
        }
        if (const size_t length = ReadUtf8(text.substr(at)).length; length > 0) {
          out += text.substr(at, length);
          at += length;
          continue;
        }
        out += kReplacementCharacter;
        at += Utf8FaultLength(text.substr(at));
        continue;
    }
    ++at;
  }
  return out;
}

std::string PageFrame(std::string_view title, std::string_view body) {
  return PageFrame(title, {body});
}

std::string PageFrame(std::string_view title, std::initializer_list<std::string_view> body) {
  const std::string escapedTitle = EscapeHtml(title);
  constexpr std::string_view kTop =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
  constexpr std::string_view kHeader =
      " - KALVORDEN</title>\n<link rel=\"stylesheet\" href=\"/static/style.css\">\n"
      "<script src=\"/static/form.js\" defer></script>\n</head>\n<body>\n"
      "<header><p><a href=\"/\">KALVORDEN</a>: service-load design of a reinforced-concrete "
      "bridge deck slab</p></header>\n<main>\n<h1>";
  constexpr std::string_view kHeading = "</h1>\n";
  constexpr std::string_view kEnd = "</main>\n</body>\n</html>\n";
  size_t size =
      kTop.size() + kHeader.size() + kHeading.size() + kEnd.size() + 2 * escapedTitle.size();
  for (const std::string_view piece : body) {
    size += piece.size();
  }
  std::string html;
  html.reserve(size);
  html.append(kTop).append(escapedTitle).append(kHeader).append(escapedTitle).append(kHeading);
  for (const std::string_view piece : body) {
    html += piece;
  }
  html += kEnd;
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
  AppendProjectFields(body, shown);
  for (const ValueListInfo& list : ValueLists()) {
    AppendValueList(body, list, shown, errors);
  }
  const bool continuity = shown != nullptr && shown->request.continuity;
  body += std::string(
              "<div class=\"choice\"><input type=\"checkbox\" id=\"continuity\" "
              "name=\"continuity\" value=\"on\"") +
          (continuity ? " checked" : "") +
          "> <label for=\"continuity\">Apply the continuity factor 0.8 to the live-load "
          "moment</label></div>\n<p><button type=\"submit\">Design</button></p>\n</form>\n"
          "<form class=\"open-project\" method=\"post\" action=\"/project\" "
          "enctype=\"multipart/form-data\"><label for=\"project-file\">Open a saved project "
          "file</label> <input type=\"file\" id=\"project-file\" name=\"project\" "
          "accept=\".toml,application/toml\"> <button type=\"submit\">Open</button></form>\n";
  body += RatingForm(nullptr, {});
  return PageFrame("Deck slab design", body);
}

std::string MessagePage(std::string_view title, std::string_view message) {
  return PageFrame(
      title, "<p>" + EscapeHtml(message) + "</p>\n<p><a href=\"/\">Back to the form</a></p>\n");
}

}  // namespace kalvorden
