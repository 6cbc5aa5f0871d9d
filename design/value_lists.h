#pragma once

// The five lists of values a design is made of, described once. Every door
// into a run (the dialogue, the command line, the web form and its query)
// and every text that names the values (the help, the calculation sheet)
// reads this table, and the command line, the web page and project files
// check a value by the one rule below, so no door accepts what another
// refuses.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "design/design_inputs.h"
#include "design/design_records.h"

namespace kalvorden {

// In the order the dialogue asks for the lists and the design nests them.
enum class ValueListId : uint8_t {
  kWheelLoad,
  kTopCover,
  kFuturePaving,
  kSteelStress,
  kConcreteStress
};
constexpr int kValueListCount = 5;

// What a value must be, beyond a finite number, for a slab to be designed
// from it: the allowable stresses carry the design and must be above zero;
// a load, a cover or a paving allowance may be zero.
enum class SignRule : uint8_t { kNotNegative, kAboveZero };

struct ValueListInfo {
  ValueListId id;
  std::string_view name;    // the option and the query field: "wheel-load"
  std::string_view label;   // "Wheel load"
  std::string_view symbol;  // "P", as the calculation sheet writes it
  std::string_view unit;    // "kN", "kN/m^2"
  std::string_view plural;  // "wheel loads", for the help text
  std::string_view note;    // what is typical: "72.5 for MS 18"
  // The typical values the form shows in grey, one per input ("" for none).
  std::array<std::string_view, kListCapacity> typical;
  SignRule rule;
  // The dialogue's two questions, exactly as it asks them.
  std::string_view countPrompt;
  std::string_view valuePrompt;
};

// The five lists in ValueListId order.
const std::array<ValueListInfo, kValueListCount>& ValueLists();
const ValueListInfo& ValueListOf(ValueListId id);

// The list whose name is `name`, or null.
const ValueListInfo* FindValueList(std::string_view name);

// Why a value as typed is refused, for the command line, the web page and
// project files.
// The dialogue keeps the field rules of its answer files.
enum class ValueRefusal : uint8_t {
  kNone,
  kNotANumber,    // not a decimal numeral (hexadecimal, inf and nan are not)
  kDecimalComma,  // a numeral but for a comma where the point belongs
  kNotFinite,     // beyond binary128's range
  kNotAboveZero,
  kNegative,
};

// Checks `text`, which must be the value's whole text but for blanks around
// it (TrimBlanks): a decimal numeral
// (optional sign, digits with at most one decimal point, optional exponent),
// finite once rounded to binary128, and within `list`'s sign rule. Sets
// `*value` (when not null) only for a value it accepts.
ValueRefusal CheckValue(const ValueListInfo& list, std::string_view text, Quad* value);

// The refusal as the web page says it beside its field: "Must be above zero."
std::string_view RefusalSentence(ValueRefusal refusal);
// The same after "item 2 " in a usage error: "must be above zero".
std::string_view RefusalPhrase(ValueRefusal refusal);

// Parses a LIST value of `list`, as every door reads one (a command-line
// option, a query's value): 1 to 5 values separated by commas
// (numeric/value_list_text.h), each one that the value check accepts.
// Returns an empty string, or why the text is not one ("item 2 must be above
// zero"); `values` keeps what it had then.
std::string ParseValueList(const ValueListInfo& list, std::string_view text, ValueList& values);

// The list `id` of a design's inputs.
ValueList& ListOf(DesignInputs& inputs, ValueListId id);
const ValueList& ListOf(const DesignInputs& inputs, ValueListId id);

// The continuity factor: 0.8 widened when the slab is continuous, else 1.0.
Quad ContinuityFactorOf(bool continuous);

// One design case's entered values: the first value of each list.
DesignCase CaseValuesOf(const DesignInputs& inputs);

// The entered value `id` of a case.
Quad ValueOf(const DesignCase& designCase, ValueListId id);

}  // namespace kalvorden
