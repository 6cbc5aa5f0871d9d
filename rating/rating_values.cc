#include "rating/rating_values.h"

#include <charconv>

#include "design/bar_table.h"
#include "numeric/decimal.h"
#include "numeric/value_list_text.h"

namespace kalvorden {
namespace {

// The field indices, in the table's order.
enum Field : uint8_t {
  kThickness,
  kTopCover,
  kTopBar,
  kTopSpacing,
  kTopLoss,
  kBottomCover,
  kBottomBar,
  kBottomSpacing,
  kBottomLoss,
  kConcreteStrength,
  kPaving,
  kWheelLoad,
  kVehicleWeight,
  kSpan,
  kSteelInventory,
  kConcreteInventory,
  kSteelOperating,
  kConcreteOperating,
};

constexpr std::array<RatingFieldInfo, kRatingFieldCount> kFields = {{
    {"thickness", "Thickness t", "mm", "the slab's thickness as it stands", RatingRule::kAboveZero,
     true},
    {"top-cover", "Top face: cover", "mm", "cover to the top main bars", RatingRule::kNotNegative,
     true},
    {"top-bar", "Top face: bar", "", "the top main bars' designation (16 or #16)", RatingRule::kBar,
     true},
    {"top-spacing", "Top face: spacing", "mm", "the top main bars' spacing", RatingRule::kAboveZero,
     true},
    {"top-loss", "Top face: section loss", "%", "section lost from the top bars (default 0)",
     RatingRule::kPercent, false},
    {"bottom-cover", "Bottom face: cover", "mm", "cover to the bottom main bars",
     RatingRule::kNotNegative, false},
    {"bottom-bar", "Bottom face: bar", "", "the bottom main bars' designation", RatingRule::kBar,
     false},
    {"bottom-spacing", "Bottom face: spacing", "mm", "the bottom main bars' spacing",
     RatingRule::kAboveZero, false},
    {"bottom-loss", "Bottom face: section loss", "%",
     "section lost from the bottom bars (default 0)", RatingRule::kPercent, false},
    {"concrete-strength", "Concrete strength f'c", "MPa", "f'c", RatingRule::kAboveZero, true},
    {"paving", "Wearing surface and overlays", "kN/m^2",
     "wearing surface and overlays on the deck today", RatingRule::kNotNegative, true},
    {"wheel-load", "Wheel load P", "kN", "the rating vehicle's wheel load P",
     RatingRule::kAboveZero, true},
    {"vehicle-weight", "Gross vehicle weight W", "kN", "its gross weight W (optional)",
     RatingRule::kAboveZero, false},
    {"span", "Effective spans S", "m", "effective spans, 0.610 to 7.315, separated by commas",
     RatingRule::kSpans, true},
    {"fs", "Allowable steel stress fs, inventory", "MPa", "allowable steel stress, inventory",
     RatingRule::kAboveZero, true},
    {"fc", "Allowable concrete stress fc, inventory", "MPa", "allowable concrete stress, inventory",
     RatingRule::kAboveZero, true},
    {"fs-operating", "Allowable steel stress fs, operating", "MPa",
     "allowable steel stress, operating", RatingRule::kAboveZero, true},
    {"fc-operating", "Allowable concrete stress fc, operating", "MPa",
     "allowable concrete stress, operating", RatingRule::kAboveZero, true},
}};

// A finite decimal numeral, read to the nearest binary128 value.
bool ReadNumber(std::string_view text, Quad& value) {
  return IsDecimalNumeral(text) && ParseDecimal(std::string(text).c_str(), &value) &&
         IsFinite(value);
}

// The range of the live-load formula, from the decimals as written.
bool SpanInRange(Quad span) {
  const auto decimal = [](const char* text) {
    Quad value = 0;
    ParseDecimal(text, &value);
    return value;
  };
  static const Quad kLeast = decimal("0.610");
  static const Quad kMost = decimal("7.315");
  return span >= kLeast && span <= kMost;
}

std::string ReadSpans(std::string_view text, std::vector<Quad>& spans) {
  std::vector<Quad> read;
  std::string why =
      ReadValueList(text, kMostRatedSpans, "spans", [&read](std::string_view item, int /*index*/) {
        Quad span = 0;
        if (!ReadNumber(item, span)) {
          return std::string("is not a number");
        }
        if (!SpanInRange(span)) {
          return std::string("must be 0.610 to 7.315 m");
        }
        read.push_back(span);
        return std::string();
      });
  if (why.empty()) {
    spans = std::move(read);
  }
  return why;
}

// A designation of the table: one or two digits (a sign makes no bar).
std::string ReadBar(std::string_view text, int32_t& designation) {
  const std::string_view digits = text.starts_with('#') ? text.substr(1) : text;
  const char* const end = digits.data() + digits.size();
  int32_t value = 0;
  const auto [stop, error] = std::from_chars(digits.data(), end, value);
  if (digits.size() > 2 || error != std::errc() || stop != end || BarIndexOf(value) == 0) {
    return "is not a bar of the table (#10 #13 #16 #19 #22 #25 #29 #32 #36 #43 #57)";
  }
  designation = value;
  return {};
}

std::string ReadQuantity(RatingRule rule, std::string_view text, Quad& value) {
  Quad read = 0;
  if (!ReadNumber(text, read)) {
    return "is not a number";
  }
  if (rule == RatingRule::kAboveZero && !(read > 0)) {
    return "must be above zero";
  }
  if (rule == RatingRule::kNotNegative && read < 0) {
    return "must not be negative";
  }
  if (rule == RatingRule::kPercent && !(read >= 0 && read <= 100)) {
    return "must be 0 to 100 (percent)";
  }
  value = read;
  return {};
}

Quad* QuantityOf(Field field, RatingInputs& in) {
  Quad* const quantities[kRatingFieldCount] = {&in.thickness,
                                               &in.top.cover,
                                               nullptr,
                                               &in.top.spacing,
                                               &in.top.loss,
                                               &in.bottom.cover,
                                               nullptr,
                                               &in.bottom.spacing,
                                               &in.bottom.loss,
                                               &in.concreteStrength,
                                               &in.paving,
                                               &in.wheelLoad,
                                               &in.vehicleWeight,
                                               nullptr,
                                               &in.inventory.steel,
                                               &in.inventory.concrete,
                                               &in.operating.steel,
                                               &in.operating.concrete};
  return quantities[field];
}

}  // namespace

const std::array<RatingFieldInfo, kRatingFieldCount>& RatingFields() {
  return kFields;
}

const RatingFieldInfo* FindRatingField(std::string_view name) {
  for (const RatingFieldInfo& field : kFields) {
    if (field.name == name) {
      return &field;
    }
  }
  return nullptr;
}

std::string SetRatingField(const RatingFieldInfo& info, std::string_view typed,
                           RatingEntry& entry) {
  // Blanks around a value are no part of it, at every door (TrimBlanks).
  const std::string_view text = TrimBlanks(typed);
  const auto field = static_cast<Field>(&info - kFields.data());
  RatingInputs& in = entry.inputs;
  std::string why;
  switch (info.rule) {
    case RatingRule::kBar:
      why = ReadBar(text, field == kTopBar ? in.top.barDesignation : in.bottom.barDesignation);
      break;
    case RatingRule::kSpans:
      why = ReadSpans(text, in.spans);
      break;
    default:
      why = ReadQuantity(info.rule, text, *QuantityOf(field, in));
      break;
  }
  if (why.empty()) {
    entry.given[field] = true;
    in.bottomGiven = entry.given[kBottomCover] || entry.given[kBottomBar] ||
                     entry.given[kBottomSpacing] || entry.given[kBottomLoss];
    in.vehicleWeightGiven = entry.given[kVehicleWeight];
  }
  return why;
}

Quad RatingQuantity(const RatingFieldInfo& info, const RatingInputs& inputs) {
  const auto field = static_cast<Field>(&info - kFields.data());
  return *QuantityOf(field, const_cast<RatingInputs&>(inputs));
}

std::string RatingFieldText(const RatingFieldInfo& info, const RatingInputs& inputs,
                            FullDecimalUse use, std::string_view separator) {
  const auto field = static_cast<Field>(&info - kFields.data());
  const bool bottom = field >= kBottomCover && field <= kBottomLoss;
  if ((bottom && !inputs.bottomGiven) || (field == kVehicleWeight && !inputs.vehicleWeightGiven)) {
    return {};
  }
  switch (info.rule) {
    case RatingRule::kBar:
      return std::to_string(field == kTopBar ? inputs.top.barDesignation
                                             : inputs.bottom.barDesignation);
    case RatingRule::kSpans: {
      std::string text;
      for (const Quad span : inputs.spans) {
        text += (text.empty() ? "" : std::string(separator)) + FullDecimal(span, use);
      }
      return text;
    }
    default:
      return FullDecimal(RatingQuantity(info, inputs), use);
  }
}

RatingRefusal CheckRatingEntry(const RatingEntry& entry) {
  for (const RatingFieldInfo& field : kFields) {
    if (field.required && !entry.given[&field - kFields.data()]) {
      return {std::string(field.name), "the rating needs it", true};
    }
  }
  const RatingInputs& in = entry.inputs;
  if (in.bottomGiven) {
    for (const Field part : {kBottomCover, kBottomBar, kBottomSpacing}) {
      if (!entry.given[part]) {
        return {std::string(kFields[part].name), "the bottom face needs its cover, bar and spacing",
                true};
      }
    }
  }
  const std::pair<Field, const RatedFaceBars*> faces[] = {{kTopCover, &in.top},
                                                          {kBottomCover, &in.bottom}};
  for (const auto& [cover, bars] : faces) {
    if (cover == kBottomCover && !in.bottomGiven) {
      continue;
    }
    if (!(RatedFaceSectionOf(in.thickness, *bars).depth > 0)) {
      return {std::string(kFields[cover].name),
              "the effective depth (thickness - bar diameter / 2 - cover) is not above zero"};
    }
  }
  return {};
}

}  // namespace kalvorden
