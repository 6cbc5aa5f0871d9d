#pragma once

// The page's script and style sheet, served from memory as /static/form.js
// and /static/style.css: the Content-Security-Policy allows no inline
// script, and nothing the server sends is read from disk.

#include <string_view>

namespace kalvorden {

extern const std::string_view kFormScript;
extern const std::string_view kStyleSheet;

}  // namespace kalvorden
