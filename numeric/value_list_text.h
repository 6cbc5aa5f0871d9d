#pragma once

// A list of values as an engineer types it at any door: values separated by
// commas, "72.5, 80". The one reader of such a text, so that the design's
// lists and a rating's spans meet one rule: blanks around each value are no
// part of it, an empty item is refused by its place, and a list never holds
// more than its most items.

#include <functional>
#include <string>
#include <string_view>

namespace kalvorden {

// Reads one item, its blanks already trimmed, as the `index`-th value (from
// 0): an empty string, or why it is refused ("must be above zero").
using ListItemReader = std::function<std::string(std::string_view item, int index)>;

// Reads `text` item by item with `readItem`. Returns an empty string, or
// why the text is not a list: "item 2 is empty", "item 2 must be above
// zero", "more than 5 values" (`most` items at most, `noun` naming them).
std::string ReadValueList(std::string_view text, int most, std::string_view noun,
                          const ListItemReader& readItem);

}  // namespace kalvorden
