#include "rating/rating_csv.h"

#include <vector>

#include "design/design_records.h"
#include "numeric/decimal.h"

namespace kalvorden {
namespace {

// A header holds commas: in double quotes, as RFC 4180 wants it.
std::string QuotedHeader(const std::string& header) {
  return "\"" + header + "\"";
}

struct Row {
  std::vector<std::string> fields;
  void Add(std::string field) { fields.push_back(std::move(field)); }
  std::string Line() const {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
      line += (i == 0 ? "" : ",") + fields[i];
    }
    return line + "\r\n";
  }
};

constexpr const char* kLevels[] = {"inventory", "operating"};
constexpr const char* kFaces[] = {"top face", "bottom face"};

void AddLevelFields(Row& row, const LevelRating* level, bool weightGiven) {
  row.Add(level ? WorkingText(level->steelCapacity) : "");
  row.Add(level ? WorkingText(level->concreteCapacity) : "");
  row.Add(level ? (level->concreteGoverns ? "concrete" : "steel") : "");
  row.Add(level ? WorkingText(level->ratingFactor) : "");
  row.Add(level ? WorkingText(level->staticWheelLoad) : "");
  row.Add(level && weightGiven ? WorkingText(level->ratedVehicle) : "");
}

void AddFaceFields(Row& row, const RatedFaceSection& face, const FaceRating& rating,
                   bool weightGiven) {
  const bool rated = rating.rated;
  const CrackedSection& s = rating.section;
  for (const Quad value :
       {face.depth, face.steelArea, s.steelRatio, s.k, s.j, s.steelStress, s.concreteStress}) {
    row.Add(rated ? WorkingText(value) : "");
  }
  AddLevelFields(row, rated ? &rating.inventory : nullptr, weightGiven);
  AddLevelFields(row, rated ? &rating.operating : nullptr, weightGiven);
}

std::string Header() {
  Row header;
  header.Add(QuotedHeader("effective span S, as entered (m)"));
  header.Add(QuotedHeader("modular ratio n"));
  header.Add(QuotedHeader("dead-load moment M_DL (kN m/m)"));
  header.Add(QuotedHeader("live-load moment M_LL, impact included (kN m/m)"));
  for (const char* level : kLevels) {
    const std::string l = level;
    header.Add(QuotedHeader("rating factor, " + l));
    header.Add(QuotedHeader("governing face, " + l));
    header.Add(QuotedHeader("static wheel load at RF, " + l + " (kN)"));
    header.Add(QuotedHeader("rated vehicle RT, " + l + " (kN)"));
  }
  for (const char* face : kFaces) {
    const std::string f = face;
    header.Add(QuotedHeader("effective depth d, " + f + " (mm)"));
    header.Add(QuotedHeader("steel area As, " + f + " (mm^2/m)"));
    header.Add(QuotedHeader("steel ratio rho, " + f));
    header.Add(QuotedHeader("k, " + f));
    header.Add(QuotedHeader("j, " + f));
    header.Add(QuotedHeader("steel stress under service load, " + f + " (MPa)"));
    header.Add(QuotedHeader("concrete stress under service load, " + f + " (MPa)"));
    for (const char* level : kLevels) {
      const std::string lf = std::string(level) + ", " + f;
      header.Add(QuotedHeader("capacity by steel, " + lf + " (kN m/m)"));
      header.Add(QuotedHeader("capacity by concrete, " + lf + " (kN m/m)"));
      header.Add(QuotedHeader("capacity governed by, " + lf));
      header.Add(QuotedHeader("rating factor, " + lf));
      header.Add(QuotedHeader("static wheel load at RF, " + lf + " (kN)"));
      header.Add(QuotedHeader("rated vehicle RT, " + lf + " (kN)"));
    }
  }
  return header.Line();
}

}  // namespace

std::string WriteRatingCsv(const RatingInputs& inputs, const SlabRating& rating) {
  std::string csv = Header();
  const bool weight = inputs.vehicleWeightGiven;
  for (const SpanRating& span : rating.spans) {
    Row row;
    row.Add(FullDecimal(span.span, FullDecimalUse::kTable));
    row.Add(std::to_string(rating.material.modularRatio));
    row.Add(WorkingText(span.deadLoadMoment));
    row.Add(WorkingText(span.liveLoadMoment));
    const std::pair<const LevelRating*, bool> governing[] = {
        {&span.GoverningInventory(), span.bottomGovernsInventory},
        {&span.GoverningOperating(), span.bottomGovernsOperating}};
    for (const auto& [level, bottom] : governing) {
      row.Add(WorkingText(level->ratingFactor));
      row.Add(bottom ? "bottom" : "top");
      row.Add(WorkingText(level->staticWheelLoad));
      row.Add(weight ? WorkingText(level->ratedVehicle) : "");
    }
    AddFaceFields(row, rating.top, span.top, weight);
    AddFaceFields(row, rating.bottom, span.bottom, weight);
    csv += row.Line();
  }
  return csv;
}

}  // namespace kalvorden
