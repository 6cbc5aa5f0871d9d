#include "rating/rating_values.h"

#include <algorithm>

#include "design/bar_table.h"
#include "numeric/decimal.h"

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
    {"thickness", "mm", "the slab's thickness as it stands", RatingRule::kAboveZero, true},
    {"top-cover", "mm", "cover to the top main bars", RatingRule::kNotNegative, true},
    {"top-bar", "", "the top main bars' designation (16 or #16)", RatingRule::kBar, true},
    {"top-spacing", "mm", "the top main bars' spacing", RatingRule::kAboveZero, true},
    {"top-loss", "%", "section lost from the top bars (default 0)", RatingRule::kPercent, false},
    {"bottom-cover", "mm", "cover to the bottom main bars", RatingRule::kNotNegative, false},
    {"bottom-bar", "", "the bottom main bars' designation", RatingRule::kBar, false},
    {"bottom-spacing", "mm", "the bottom main bars' spacing", RatingRule::kAboveZero, false},
    {"bottom-loss", "%", "section lost from the bottom bars (default 0)", RatingRule::kPercent,
     false},
    {"concrete-strength", "MPa", "f'c", RatingRule::kAboveZero, true},
    {"paving", "kN/m^2", "wearing surface and overlays on the deck today", RatingRule::kNotNegative,
     true},
    {"wheel-load", "kN", "the rating vehicle's wheel load P", RatingRule::kAboveZero, true},
    {"vehicle-weight", "kN", "its gross weight W (optional)", RatingRule::kAboveZero, false},
    {"span", "m", "effective spans, 0.610 to 7.315, separated by commas", RatingRule::kSpans, true},
    {"fs", "MPa", "allowable steel stress, inventory", RatingRule::kAboveZero, true},
    {"fc", "MPa", "allowable concrete stress, inventory", RatingRule::kAboveZero, true},
    {"fs-operating", "MPa", "allowable steel stress, operating", RatingRule::kAboveZero, true},
    {"fc-operating", "MPa", "allowable concrete stress, operating", RatingRule::kAboveZero, true},
}};

// A finite decimal numeral, read to the nearest binary128 value.
bool ReadNumber(std::string_view text, Quad& value) {
  return IsDecimalNumeral(text) && ParseDecimal(std::string(text).c_str(), &value) &&
         IsFinite(value);
}

// The range of the live-load formula, from the decimals as written.
bool SpanInRange(Quad span) {
  static const Quad kLeast = [] {
    Quad value = 0;
    ParseDecimal("0.610", &value);
    return value;
  }();
  static const Quad kMost = [] {
    Quad value = 0;
    ParseDecimal("7.315", &value);
    return value;
  }();
  return span >= kLeast && span <= kMost;
}

std::string ReadSpans(std::string_view text, std::vector<Quad>& spans) {
  std::vector<Quad> read;
  size_t start = 0;
  for (int item = 1;; ++item) {
    const size_t comma = text.find(',', start);
    const std::string_view token =
        text.substr(start, comma == std::string_view::npos ? text.npos : comma - start);
    const std::string which = "item " + std::to_string(item);
    if (item > kMostRatedSpans) {
      return "more than " + std::to_string(kMostRatedSpans) + " spans";
    }
    Quad span = 0;
    if (!ReadNumber(token, span)) {
      return which + " is not a number";
    }
    if (!SpanInRange(span)) {
      return which + " must be 0.610 to 7.315 m";
    }
    read.push_back(span);
    if (comma == std::string_view::npos) {
      break;
    }
    start = comma + 1;
  }
  spans = std::move(read);
  return {};
}

std::string ReadBar(std::string_view text, int32_t& designation) {
  const std::string_view digits = text.starts_with('#') ? text.substr(1) : text;
  int32_t value = 0;
  if (digits.empty() || digits.size() > 2 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return "is not a bar of the table (#10 #13 #16 #19 #22 #25 #29 #32 #36 #43 #57)";
  }
  for (const char c : digits) {
    value = value * 10 + (c - '0');
  }
  if (BarIndexOf(value) == 0) {
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

std::string SetRatingField(const RatingFieldInfo& info, std::string_view text, RatingEntry& entry) {
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
