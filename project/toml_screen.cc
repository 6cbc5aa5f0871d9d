#include "project/toml_screen.h"

namespace kalvorden {
namespace {

bool IsContinuationByte(char c) {
  return (static_cast<uint8_t>(c) & 0xC0) == 0x80;
}

bool IsBeyondAscii(char c) {
  return static_cast<uint8_t>(c) >= 0x80;
}

// Walks the text once, keeping the line and the column of the byte at hand.
class Screen {
 public:
  explicit Screen(std::string_view text) : text_(text) {}
  ScreenFault Run();

 private:
  char At(size_t i) const { return i < text_.size() ? text_[i] : '\0'; }
  void Step() {
    if (text_[at_] == '\n') {
      ++line_;
      column_ = 1;
    } else if (!IsContinuationByte(text_[at_])) {
      ++column_;
    }
    ++at_;
  }
  ScreenFault Refuse(std::string detail) const { return {line_, column_, std::move(detail)}; }
  // Skips a one-line text that begins at the quote under `at_`; true when it
  // holds a character beyond ASCII.
  bool SkipText();
  bool IsKeyAhead() const;

  std::string_view text_;
  size_t at_ = 0;
  uint32_t line_ = 1;
  uint32_t column_ = 1;
};

bool Screen::SkipText() {
  const char quote = text_[at_];
  bool beyondAscii = false;
  Step();
  while (at_ < text_.size() && text_[at_] != quote && text_[at_] != '\n') {
    beyondAscii = beyondAscii || IsBeyondAscii(text_[at_]);
    if (quote == '"' && text_[at_] == '\\' && at_ + 1 < text_.size() && text_[at_ + 1] != '\n') {
      Step();  // the escaped character cannot end the text
    }
    Step();
  }
  if (at_ < text_.size() && text_[at_] == quote) {
    Step();
  }
  return beyondAscii;
}

// A quoted text followed by '=', '.' or ']' is a key or part of a table's
// name.
bool Screen::IsKeyAhead() const {
  size_t i = at_;
  while (At(i) == ' ' || At(i) == '\t') {
    ++i;
  }
  return At(i) == '=' || At(i) == '.' || At(i) == ']';
}

// A quote begins a text only where TOML expects a key or a value: at the
// start of a line or after '=', '[', ',', '{' or '.'. Elsewhere it sits in a
// bare word (a number, a date), which the library reads character by
// character, and what follows it is screened as outside a text.
bool OpensText(char lastSignificant) {
  return lastSignificant == '\n' || lastSignificant == '=' || lastSignificant == '[' ||
         lastSignificant == ',' || lastSignificant == '{' || lastSignificant == '.';
}

ScreenFault Screen::Run() {
  char lastSignificant = '\n';
  while (at_ < text_.size()) {
    const char c = text_[at_];
    if (c == '#') {
      while (at_ < text_.size() && text_[at_] != '\n') {
        Step();
      }
    } else if ((c == '"' || c == '\'') && OpensText(lastSignificant)) {
      if (At(at_ + 1) == c && At(at_ + 2) == c) {
        return Refuse(
            "a text over several lines (\"\"\" or \'\'\') is not read: write it on one line");
      }
      const uint32_t line = line_;
      const uint32_t column = column_;
      if (SkipText() && IsKeyAhead()) {
        return {line, column,
                "a key with characters beyond ASCII: no key of a project file has one"};
      }
      lastSignificant = '"';
    } else if (IsBeyondAscii(c)) {
      return Refuse(
          "a character beyond ASCII outside a text in quotes or a comment (only texts and "
          "comments may hold one)");
    } else {
      if (c == '\n' || (c != ' ' && c != '\t' && c != '\r')) {
        lastSignificant = c;
      }
      Step();
    }
  }
  return {};
}

}  // namespace

ScreenFault ScreenTomlText(std::string_view text) {
  return Screen(text).Run();
}

}  // namespace kalvorden
