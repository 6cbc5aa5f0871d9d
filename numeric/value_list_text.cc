#include "numeric/value_list_text.h"

#include "numeric/decimal.h"

namespace kalvorden {

std::string ReadValueList(std::string_view text, int most, std::string_view noun,
                          const ListItemReader& readItem) {
  size_t start = 0;
  for (int item = 1;; ++item) {
    const size_t comma = text.find(',', start);
    const std::string_view token =
        TrimBlanks(text.substr(start, comma == std::string_view::npos ? text.npos : comma - start));
    if (item > most) {
      std::string message = "more than " + std::to_string(most);
      message += " ";
      message += noun;
      return message;
    }
    if (token.empty()) {
      return "item " + std::to_string(item) + " is empty";
    }
    if (const std::string why = readItem(token, item - 1); !why.empty()) {
      std::string message = "item " + std::to_string(item);
      message += " ";
      message += why;
      return message;
    }
    if (comma == std::string_view::npos) {
      return {};
    }
    start = comma + 1;
  }
}

}  // namespace kalvorden
