#pragma once

// The values of a rating, described once: every door (the command line,
// the project file's [rating] table) reads this table, sets a value by the
// one rule below and completes the rating by the one check, so no door
// accepts what another refuses. A field's name is its option and its key.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "numeric/decimal.h"
#include "rating/slab_rating.h"

namespace kalvorden {

enum class RatingRule : uint8_t {
  kAboveZero,    // a thickness, spacing, strength, load or allowable stress
  kNotNegative,  // a cover, the surface load
  kPercent,      // a section loss: 0 to 100
  kBar,          // a bar designation of the table: 16 or #16
  kSpans,        // a list of spans, each 0.610 to 7.315 m
};

struct RatingFieldInfo {
  std::string_view name;   // "top-cover"
  std::string_view label;  // "Top face: cover", as a form names it
  std::string_view unit;   // "mm"
  std::string_view help;   // for the help text
  RatingRule rule;
  bool required;
};

constexpr int kRatingFieldCount = 18;
// The fields in the order the help and the sheet list them.
const std::array<RatingFieldInfo, kRatingFieldCount>& RatingFields();
// The field named `name`, or null.
const RatingFieldInfo* FindRatingField(std::string_view name);

// The most spans one rating takes.
constexpr int kMostRatedSpans = 100;

// A rating as a door fills it: the values and which were given.
struct RatingEntry {
  RatingInputs inputs;
  std::array<bool, kRatingFieldCount> given{};
  bool continuityGiven = false;
};

// Sets the field from its text (the whole of it, but for blanks around it
// and, in a list of spans, around each span: TrimBlanks). Returns an empty string,
// or why the text is refused ("must be above zero"); the entry then keeps
// what it had.
std::string SetRatingField(const RatingFieldInfo& field, std::string_view text, RatingEntry& entry);

// The quantity a field of a number sets in `inputs` (not a bar nor the
// spans), as a writer of the values needs it.
Quad RatingQuantity(const RatingFieldInfo& field, const RatingInputs& inputs);

// The field's value in `inputs` as the shortest decimal that reads back as
// its exact binary128 value (`use` as numeric/decimal.h says), a bar as its
// designation, the spans separated by `separator`; empty for a field the
// rating does not have (the bottom face's without it, W without it).
std::string RatingFieldText(const RatingFieldInfo& field, const RatingInputs& inputs,
                            FullDecimalUse use, std::string_view separator = ",");

// What is wrong with a filled entry as a whole: the field to name (without
// "--") and why; an empty field for none.
struct RatingRefusal {
  std::string field;
  std::string why;
  bool missing = false;  // the field was not given
  bool ok() const { return field.empty(); }
};
// Checks that the required fields are given, that the bottom face is given
// whole or not at all, and that each face's effective depth is above zero.
RatingRefusal CheckRatingEntry(const RatingEntry& entry);

}  // namespace kalvorden
