#include "rating/rating_sheet.h"

#include <algorithm>

#include "design/design_records.h"
#include "numeric/decimal.h"

namespace kalvorden {
namespace {

constexpr size_t kLabelWidth = 44;
constexpr size_t kValueWidth = 20;

std::string Entered(Quad value) {
  return FullDecimal(value, FullDecimalUse::kTable);
}

std::string Padded(std::string text, size_t width) {
  text.resize(std::max(text.size() + 1, width), ' ');
  return text;
}

// "  label ............ value unit"
std::string Line(const std::string& indent, const std::string& label, const std::string& value,
                 const std::string& unit = "") {
  std::string line = Padded(indent + label, kLabelWidth) + value;
  if (!unit.empty()) {
    line += " " + unit;
  }
  return line + "\n";
}

std::string TwoColumns(const std::string& label, const std::string& inventory,
                       const std::string& operating) {
  return Padded("    " + label, kLabelWidth) + Padded(inventory, kValueWidth) + operating + "\n";
}

std::string FaceBars(const RatedFaceBars& bars) {
  return "cover " + Entered(bars.cover) + " mm, #" + std::to_string(bars.barDesignation) + " at " +
         Entered(bars.spacing) + " mm, section loss " + Entered(bars.loss) + " %";
}

// `text` broken at blanks into lines of at most kSheetColumns characters.
std::string Wrapped(const std::string& text) {
  constexpr size_t kSheetColumns = 78;
  std::string out;
  std::string line;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = std::min(text.find(' ', at), text.size());
    const std::string word = text.substr(at, end - at);
    if (!line.empty() && line.size() + 1 + word.size() > kSheetColumns) {
      out += line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    at = end + 1;
  }
  return out + line + "\n";
}

std::string Method() {
  std::string text = "KALVORDEN  ALLOWABLE-STRESS RATING (ASR) OF AN EXISTING DECK SLAB\n\n";
  for (const std::string& paragraph : RatingMethodParagraphs()) {
    text += Wrapped(paragraph);
  }
  return text + "\n";
}

std::string Values(const RatingInputs& in, const SlabRating& r) {
  std::string text = "VALUES AS ENTERED\n";
  text += Line("  ", "thickness t", Entered(in.thickness), "mm");
  text += Line("  ", "top face (negative moment)", FaceBars(in.top));
  text += Line(
      "  ", "bottom face (positive moment)",
      in.bottomGiven ? FaceBars(in.bottom) : "not given: the positive-moment section is not rated");
  text += Line("  ", "concrete strength f'c", Entered(in.concreteStrength), "MPa");
  text += Line("  ", "wearing surface and overlays", Entered(in.paving), "kN/m^2");
  text += Line("  ", "wheel load P", Entered(in.wheelLoad), "kN");
  text += Line("  ", "gross vehicle weight W",
               in.vehicleWeightGiven ? Entered(in.vehicleWeight) + " kN" : "not given");
  text += Line("  ", "continuity",
               std::string(in.continuous ? "" : "not ") + "continuous over three or more supports");
  text +=
      Line("  ", "continuity factor CF; c_DL of M_DL", in.continuous ? "0.8; 1/10" : "1.0; 1/8");
  text += Line(
      "  ", "allowables, inventory",
      "fs " + Entered(in.inventory.steel) + " MPa, fc " + Entered(in.inventory.concrete) + " MPa");
  text += Line(
      "  ", "allowables, operating",
      "fs " + Entered(in.operating.steel) + " MPa, fc " + Entered(in.operating.concrete) + " MPa");
  text += "\nMATERIAL (the same at both levels)\n";
  text += Line("  ", "Ec = 4790.956 x sqrt(f'c)", WorkingText(r.material.concreteModulus), "MPa");
  text += Line("  ", "Es / Ec = 200000 / Ec", WorkingText(r.material.ratio));
  text +=
      Line("  ", "n, nearest whole number, at least 6", std::to_string(r.material.modularRatio));
  text += "\nSECTIONS\n";
  const std::pair<const char*, const RatedFaceSection*> faces[] = {{"top", &r.top},
                                                                   {"bottom", &r.bottom}};
  for (const auto& [name, face] : faces) {
    if (std::string_view(name) == "bottom" && !in.bottomGiven) {
      continue;
    }
    text += Line("  ", std::string(name) + " face: bar diameter phi",
                 WorkingText(face->barDiameter), "mm");
    text += Line("    ", "bar area A", WorkingText(face->barArea), "mm^2");
    text += Line("    ", "d = (t - phi / 2) - cover", WorkingText(face->depth), "mm");
    text += Line("    ", "1 - loss / 100", WorkingText(face->remaining));
    text += Line("    ", "As = ((1000 A) / s) x (1 - loss / 100)", WorkingText(face->steelArea),
                 "mm^2/m");
  }
  text += "\nLOADS\n";
  text += Line("  ", "F = ((P x CF) x 1.3) / 9.74", WorkingText(r.liveLoadFactor), "kN");
  text += Line("  ", "w = t x 0.0235631503 + surface load", WorkingText(r.deadLoad), "kN/m^2");
  return text;
}

std::string Level(const char* label, const LevelRating& inv, const LevelRating& op,
                  Quad (*pick)(const LevelRating&)) {
  return TwoColumns(label, WorkingText(pick(inv)), WorkingText(pick(op)));
}

std::string Face(const char* title, const FaceRating& f, bool weightGiven) {
  std::string text = std::string("  ") + title + "\n";
  const CrackedSection& s = f.section;
  text += Line("    ", "rho = As / (1000 d)", WorkingText(s.steelRatio));
  text += Line("    ", "k = sqrt(2 rho n + (rho n)^2) - rho n", WorkingText(s.k));
  text += Line("    ", "j = 1 - k / 3", WorkingText(s.j));
  text += Line("    ", "fs under M = 10^6 M / (As j d)", WorkingText(s.steelStress), "MPa");
  text += Line("    ", "fc under M = 2000 M / (k d j d)", WorkingText(s.concreteStress), "MPa");
  text += TwoColumns("", "inventory", "operating");
  const LevelRating &inv = f.inventory, &op = f.operating;
  text += Level("capacity by steel, kN m/m", inv, op,
                [](const LevelRating& l) { return l.steelCapacity; });
  text += Level("capacity by concrete, kN m/m", inv, op,
                [](const LevelRating& l) { return l.concreteCapacity; });
  text += TwoColumns("capacity C governed by", inv.concreteGoverns ? "concrete" : "steel",
                     op.concreteGoverns ? "concrete" : "steel");
  text +=
      Level("RF = (C - M_DL) / M_LL", inv, op, [](const LevelRating& l) { return l.ratingFactor; });
  text += Level("static wheel load RF x P, kN", inv, op,
                [](const LevelRating& l) { return l.staticWheelLoad; });
  if (weightGiven) {
    text += Level("rated vehicle RT = RF x W, kN", inv, op,
                  [](const LevelRating& l) { return l.ratedVehicle; });
  }
  return text;
}

std::string Span(const RatingInputs& in, const SlabRating& r, const SpanRating& s) {
  std::string text = "\nSPAN S = " + Entered(s.span) + " m\n";
  text += Line("  ", "M_LL = (S + 0.61) x F", WorkingText(s.liveLoadMoment), "kN m/m");
  text += Line("  ", "M_DL = ((w x S) x S) / " + std::to_string(r.deadLoadDivisor),
               WorkingText(s.deadLoadMoment), "kN m/m");
  text += Line("  ", "service moment M = M_DL + M_LL", WorkingText(s.serviceMoment), "kN m/m");
  text += Face("TOP FACE (negative moment over the girders)", s.top, in.vehicleWeightGiven);
  if (in.bottomGiven) {
    text +=
        Face("BOTTOM FACE (positive moment between the girders)", s.bottom, in.vehicleWeightGiven);
  }
  const LevelRating& inv = s.GoverningInventory();
  const LevelRating& op = s.GoverningOperating();
  text += "  RATING (the lower RF of the faces rated governs)\n";
  const std::string inventoryFace = s.bottomGovernsInventory ? "bottom" : "top";
  const std::string operatingFace = s.bottomGovernsOperating ? "bottom" : "top";
  text += Line("    ", "inventory RF, " + inventoryFace + " face", WorkingText(inv.ratingFactor));
  text += "      " + InventoryVerdict(inv.ratingFactor) + "\n";
  text += Line("    ", "operating RF, " + operatingFace + " face", WorkingText(op.ratingFactor));
  text += "      " + OperatingVerdict(op.ratingFactor) + "\n";
  text += Line("    ", "static wheel load RF x P, inventory", WorkingText(inv.staticWheelLoad),
               "kN, impact excluded");
  text += Line("    ", "static wheel load RF x P, operating", WorkingText(op.staticWheelLoad),
               "kN, impact excluded");
  if (in.vehicleWeightGiven) {
    text +=
        Line("    ", "rated vehicle RT = RF x W, inventory", WorkingText(inv.ratedVehicle), "kN");
    text +=
        Line("    ", "rated vehicle RT = RF x W, operating", WorkingText(op.ratedVehicle), "kN");
  }
  return text;
}

}  // namespace

std::vector<std::string> RatingMethodParagraphs() {
  return {
      "A strip 1 m wide with its main bars perpendicular to traffic, rated by the constants and "
      "load model of the design: RF = (C - A1 D) / (A2 L (1 + I)) with A1 = A2 = 1, the "
      "allowable-stress rating (ASR) of The Manual for Bridge Evaluation. C is the moment a face "
      "carries at the allowable stresses of the level, the smaller of the steel's and the "
      "concrete's. Inventory: the allowables of design; operating: the most a rare vehicle may "
      "use.",
      "The usual allowables, inventory / operating, from the allowable-stress rating table for "
      "reinforcing steel of The Manual for Bridge Evaluation: Grade 280 (Grade 40) 138 / 193 MPa "
      "(20 / 28 ksi); Grade 420 (Grade 60) 165 / 248 MPa (24 / 36 ksi); unknown grade, or "
      "structural grade before 1954, 124 / 172 MPa (18 / 25 ksi); concrete 0.40 f'c / 0.60 f'c. "
      "The rating takes the allowables as entered and checks only that each is above zero.",
      "Some owners restrict the use of ASR: confirm it is accepted for this bridge.",
      "Not rated here: the distribution steel, shear, the overhang.",
  };
}

std::string InventoryVerdict(Quad ratingFactor) {
  if (ratingFactor < 0) {
    return "negative: the dead load alone is beyond the capacity";
  }
  return ratingFactor < 1 ? "below the design level for this vehicle"
                          : "at or above the design level for this vehicle";
}

std::string OperatingVerdict(Quad ratingFactor) {
  if (ratingFactor < 0) {
    return "negative: the dead load alone is beyond the capacity";
  }
  return ratingFactor < 1
             ? "the vehicle exceeds the operating level: posting or strengthening to be considered"
             : "the vehicle is within the operating level";
}

std::string WriteRatingSpanSheet(const RatingInputs& inputs, const SlabRating& rating,
                                 size_t span) {
  return Values(inputs, rating) + Span(inputs, rating, rating.spans.at(span));
}

std::string WriteRatingSheet(const RatingInputs& inputs, const SlabRating& rating) {
  std::string text = Method() + Values(inputs, rating);
  for (const SpanRating& span : rating.spans) {
    text += Span(inputs, rating, span);
  }
  return text;
}

}  // namespace kalvorden
