#pragma once

// The HTML of the page's fixed parts: the form (empty, or filled in again
// with the values and messages of a refused request), the frame every page
// shares, and the short pages of refusals. Every text that comes from a
// request is escaped before it is written into HTML.

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "web/design_query.h"

namespace kalvorden {

// A value list as the page names it: "Allowable steel stress fs".
std::string ValueLabel(const ValueListInfo& list);

// A unit as the page shows it: "kN/m\u00b2" for "kN/m^2".
std::string DisplayUnit(std::string_view unit);

// Escapes &, <, >, " and ' so a text stays text inside an element or a
// quoted attribute, and puts U+FFFD in place of NUL and of every byte that
// is not part of valid UTF-8, so the page stays valid UTF-8.
std::string EscapeHtml(std::string_view text);

// The inputs of the project's identity texts, filled in from `identity`
// (may be null), and the select of the PDF's paper, as the design's and the
// rating's forms show them: the names are the query's, each id is the name
// after `idPrefix`.
void AppendIdentityInputs(std::string& html, const ProjectIdentity* identity,
                          std::string_view idPrefix);
void AppendPaperSelect(std::string& html, bool letter, std::string_view idPrefix);

// The page around `body`, with `title` in the document title and heading.
std::string PageFrame(std::string_view title, std::string_view body);
// The page around the pieces of `body`, in order, made in one string of the
// page's size: a large page takes no more than itself and its pieces.
std::string PageFrame(std::string_view title, std::initializer_list<std::string_view> body);

// The form. `shown` (may be null) fills the inputs with the values as typed
// and `errors` puts each message beside its input, or above the form for
// the request as a whole.
std::string FormPage(const DesignQuery* shown, const std::vector<QueryError>& errors);

// A short page for a refusal (404, 405, 413, 503, ...) or a query that a
// design link cannot be made from.
std::string MessagePage(std::string_view title, std::string_view message);

// The messages of a refused query as a list, for pages without the form.
std::string ErrorList(const std::vector<QueryError>& errors);

}  // namespace kalvorden
