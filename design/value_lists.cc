#include "design/value_lists.h"

#include <string>

#include "numeric/decimal.h"
#include "numeric/value_list_text.h"

namespace kalvorden {
namespace {

constexpr std::array<ValueListInfo, kValueListCount> kLists = {{
    {.id = ValueListId::kWheelLoad,
     .name = "wheel-load",
     .label = "Wheel load",
     .symbol = "P",
     .unit = "kN",
     .plural = "wheel loads",
     .note = "72.5 for MS 18",
     .typical = {"72.5", "", "", "", ""},
     .rule = SignRule::kNotNegative,
     .countPrompt = " How many wheel loadings do you want?",
     .valuePrompt = " Enter wheel loading in kN: 72.5 for MS 18"},
    {.id = ValueListId::kTopCover,
     .name = "top-cover",
     .label = "Top cover",
     .symbol = "c",
     .unit = "mm",
     .plural = "top covers",
     .note = "50, 60, 65 or 70",
     .typical = {"50", "60", "65", "70", ""},
     .rule = SignRule::kNotNegative,
     .countPrompt = " How many top covers do you want?",
     .valuePrompt = " Enter top cover in mm: 50, 60, 65 or 70"},
    {.id = ValueListId::kFuturePaving,
     .name = "paving",
     .label = "Future paving allowance",
     .symbol = "FP",
     .unit = "kN/m^2",
     .plural = "future paving allowances",
     .note = "1.44",
     .typical = {"1.44", "", "", "", ""},
     .rule = SignRule::kNotNegative,
     .countPrompt = " How many future paving allowances do you want?",
     .valuePrompt = " Enter future paving allowance in kN/m^2: 1.44, See Design Memo No. 4.04"},
    {.id = ValueListId::kSteelStress,
     .name = "fs",
     .label = "Allowable steel stress",
     .symbol = "fs",
     .unit = "MPa",
     .plural = "allowable steel stresses fs",
     .note = "170 for Grade 420",
     .typical = {"170", "", "", "", ""},
     .rule = SignRule::kAboveZero,
     .countPrompt = " How many steel stresses do you want?",
     .valuePrompt =
         " Enter the allowable steel stress, fs, in MPa: 170 for Grade 420 Reinforcement"},
    {.id = ValueListId::kConcreteStress,
     .name = "fc",
     .label = "Allowable concrete stress",
     .symbol = "fc",
     .unit = "MPa",
     .plural = "allowable concrete stresses fc",
     .note = "10 for f'c 25 MPa",
     .typical = {"10", "", "", "", ""},
     .rule = SignRule::kAboveZero,
     .countPrompt = " How many concrete stresses do you want?",
     .valuePrompt = " Enter the allowable concrete stress, fc, in MPa: 10 for 25 MPa concrete"},
}};

struct RefusalWords {
  std::string_view sentence;
  std::string_view phrase;
};

constexpr RefusalWords kRefusals[] = {
    {"", ""},
    {"Enter a number, such as 72.5.", "is not a number"},
    {"Use a decimal point: 72.5, not 72,5.", "has a decimal comma: write 72.5, not 72,5"},
    {"Too large: enter a finite number.", "is not finite"},
    {"Must be above zero.", "must be above zero"},
    {"Must not be negative.", "must not be negative"},
};

}  // namespace

const std::array<ValueListInfo, kValueListCount>& ValueLists() {
  return kLists;
}

const ValueListInfo& ValueListOf(ValueListId id) {
  return kLists[static_cast<size_t>(id)];
}

const ValueListInfo* FindValueList(std::string_view name) {
  for (const ValueListInfo& list : kLists) {
    if (list.name == name) {
      return &list;
    }
  }
  return nullptr;
}

ValueRefusal CheckValue(const ValueListInfo& list, std::string_view typed, Quad* value) {
  const std::string_view text = TrimBlanks(typed);
  if (!IsDecimalNumeral(text)) {
    std::string withPoint(text);
    for (char& c : withPoint) {
      c = c == ',' ? '.' : c;
    }
    const bool comma = withPoint != text;
    return comma && IsDecimalNumeral(withPoint) ? ValueRefusal::kDecimalComma
                                                : ValueRefusal::kNotANumber;
  }
  Quad parsed = 0;
  if (!ParseDecimal(std::string(text).c_str(), &parsed)) {
    return ValueRefusal::kNotANumber;
  }
  if (!IsFinite(parsed)) {
    return ValueRefusal::kNotFinite;
  }
  const Quad zero = 0;
  if (list.rule == SignRule::kAboveZero && !(parsed > zero)) {
    return ValueRefusal::kNotAboveZero;
  }
  if (list.rule == SignRule::kNotNegative && parsed < zero) {
    return ValueRefusal::kNegative;
  }
  if (value != nullptr) {
    *value = parsed;
  }
  return ValueRefusal::kNone;
}

std::string ParseValueList(const ValueListInfo& list, std::string_view text, ValueList& values) {
  ValueList parsed;
  std::string why =
      ReadValueList(text, kListCapacity, "values", [&](std::string_view item, int index) {
        const ValueRefusal refusal =
            CheckValue(list, item, &parsed.values[static_cast<size_t>(index)]);
        if (refusal != ValueRefusal::kNone) {
          return std::string(RefusalPhrase(refusal));
        }
        parsed.count = index + 1;
        return std::string();
      });
  if (why.empty()) {
    values = parsed;
  }
  return why;
}

std::string_view RefusalSentence(ValueRefusal refusal) {
  return kRefusals[static_cast<size_t>(refusal)].sentence;
}

std::string_view RefusalPhrase(ValueRefusal refusal) {
  return kRefusals[static_cast<size_t>(refusal)].phrase;
}

ValueList& ListOf(DesignInputs& inputs, ValueListId id) {
  ValueList* const lists[kValueListCount] = {&inputs.wheelLoads, &inputs.topCovers,
                                             &inputs.futurePavings, &inputs.steelStresses,
                                             &inputs.concreteStresses};
  return *lists[static_cast<size_t>(id)];
}

const ValueList& ListOf(const DesignInputs& inputs, ValueListId id) {
  return ListOf(const_cast<DesignInputs&>(inputs), id);
}

Quad ContinuityFactorOf(bool continuous) {
  return continuous ? kContinuityFactor : Quad{1};
}

DesignCase CaseValuesOf(const DesignInputs& inputs) {
  DesignCase values;
  values.wheelLoad = inputs.wheelLoads.values[0];
  values.topCover = inputs.topCovers.values[0];
  values.futurePaving = inputs.futurePavings.values[0];
  values.steelStress = inputs.steelStresses.values[0];
  values.concreteStress = inputs.concreteStresses.values[0];
  values.continuityFactor = inputs.continuityFactor;
  return values;
}

Quad ValueOf(const DesignCase& designCase, ValueListId id) {
  const Quad values[kValueListCount] = {designCase.wheelLoad, designCase.topCover,
                                        designCase.futurePaving, designCase.steelStress,
                                        designCase.concreteStress};
  return values[static_cast<size_t>(id)];
}

}  // namespace kalvorden
