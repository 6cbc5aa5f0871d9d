#include "project/toml_screen.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

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
  Screen(std::string_view text, std::string& forLibrary) : text_(text), forLibrary_(forLibrary) {
    forLibrary_.assign(text);
  }
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
  void MaskIfBeyondDouble(size_t begin, size_t end);

  std::string_view text_;
  std::string& forLibrary_;
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

// Where the walk is in TOML's grammar, as far as a quote's meaning depends
// on it. In a key a quote begins a quoted key. In a value a quote begins a
// text only before a bare word (a number, a date, true): once a bare word has
// begun, the library reads every character up to a blank, a line break, ',',
// ']', '}' or '#' as part of it, quotes included, and asks of each whether it
// is whitespace. Arrays and inline tables nest, so a line break ends a value
// only outside them.
class Grammar {
 public:
  bool InBareWord() const { return inValue_ && bareWord_; }
  void See(char c) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ']' || c == '}' ||
        c == '#') {
      bareWord_ = false;
    }
    if (inValue_ && bareWord_) {
      return;
    }
    switch (c) {
      case '=':
        inValue_ = true;
        break;
      case '[':
        nesting_ += inValue_ ? "[" : "";
        break;
      case '{':
        nesting_ += "{";
        inValue_ = false;
        break;
      case ',':
        inValue_ = !nesting_.empty() && nesting_.back() == '[';
        break;
      case ']':
      case '}':
        if (inValue_ && !nesting_.empty()) {
          nesting_.pop_back();
        }
        break;
      case '\n':
        inValue_ = !nesting_.empty();
        break;
      case ' ':
      case '\t':
      case '\r':
      case '#':
      case '"':
      case '\'':
        break;
      default:
        bareWord_ = inValue_;
        break;
    }
  }

 private:
  bool inValue_ = false;
  bool bareWord_ = false;
  std::string nesting_;  // '[' for an array, '{' for an inline table
};

// A bare word of a value that is a decimal number beyond a double's range,
// above or below, is written as a zero of its own length.
void Screen::MaskIfBeyondDouble(size_t begin, size_t end) {
  std::string number;
  for (size_t i = begin; i < end; ++i) {
    const char c = text_[i];
    if (c != '_') {
      number += c;
    }
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == 'e' ||
          c == 'E' || c == '+' || c == '-')) {
      return;  // not a decimal number: a date, true, inf, a hexadecimal integer
    }
  }
  if (number.size() < 3 || number.find_first_of("123456789") == std::string::npos) {
    return;  // a zero, or too short to leave a double's range
  }
  errno = 0;
  char* stop = nullptr;
  (void)std::strtod(number.c_str(), &stop);
  if (errno != ERANGE || stop != number.c_str() + number.size()) {
    return;
  }
  const size_t sign = (text_[begin] == '+' || text_[begin] == '-') ? 1 : 0;
  std::string zero = "0.";
  zero.resize(end - begin - sign, '0');
  forLibrary_.replace(begin + sign, zero.size(), zero);
}

ScreenFault Screen::Run() {
  Grammar grammar;
  size_t wordBegin = 0;
  while (at_ < text_.size()) {
    const char c = text_[at_];
    if (c == '#' && !grammar.InBareWord()) {
      while (at_ < text_.size() && text_[at_] != '\n') {
        Step();
      }
    } else if ((c == '"' || c == '\'') && !grammar.InBareWord()) {
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
    } else if (IsBeyondAscii(c)) {
      return Refuse(
          "a character beyond ASCII outside a text in quotes or a comment (only texts and "
          "comments may hold one)");
    } else {
      const bool wasInWord = grammar.InBareWord();
      grammar.See(c);
      if (!wasInWord && grammar.InBareWord()) {
        wordBegin = at_;
      } else if (wasInWord && !grammar.InBareWord()) {
        MaskIfBeyondDouble(wordBegin, at_);
      }
      Step();
    }
  }
  if (grammar.InBareWord()) {
    MaskIfBeyondDouble(wordBegin, at_);
  }
  return {};
}

}  // namespace

ScreenFault ScreenTomlText(std::string_view text, std::string& forLibrary) {
  return Screen(text, forLibrary).Run();
}

}  // namespace kalvorden
