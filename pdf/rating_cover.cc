#include "pdf/rating_cover.h"

#include "numeric/decimal.h"
#include "pdf/cover_sheet.h"
#include "pdf/pdf_document.h"
#include "rating/rating_sheet.h"
#include "rating/rating_values.h"

namespace kalvorden {
namespace {

// "Inventory: RF 1.14072859708, top face, steel governs: at or above the
// design level for this vehicle." The face and material are those of the
// face with the lower RF, as the sheet names them.
std::string LevelVerdict(const char* level, const LevelRating& governing, bool bottom,
                         const std::string& verdict) {
  return std::string(level) + ": RF " + WorkingText(governing.ratingFactor) + ", " +
         (bottom ? "bottom" : "top") + " face, " +
         (governing.concreteGoverns ? "concrete" : "steel") + " governs: " + verdict + ".";
}

void Verdicts(SheetFlow& flow, const RatingCoverContent& content) {
  const SlabRating& rating = *content.rating;
  CoverSection(flow, "VERDICTS");
  CoverParagraph(flow,
                 "For each span, the governing rating factor at each level: the lower of the "
                 "faces rated, with that face and whether its steel or its concrete limits the "
                 "moment it carries. The span's rating sheet gives every value behind it.");
  for (size_t n = 0; n < rating.spans.size(); ++n) {
    const SpanRating& span = rating.spans[n];
    const int64_t sheet = content.firstSheetOf ? content.firstSheetOf(n) : 0;
    flow.Gap(4);
    flow.KeepTogether(40);
    // One short line: its width never depends on the sheet's number, so the
    // counting pass and the drawing pass break the cover alike.
    flow.Line(RatedSpanName(rating, n) + ": rating sheet " + std::to_string(sheet),
              TextStyle{.size = 9, .bold = true, .leading = 13});
    CoverParagraph(flow,
                   LevelVerdict("Inventory", span.GoverningInventory(), span.bottomGovernsInventory,
                                InventoryVerdict(span.GoverningInventory().ratingFactor)));
    CoverParagraph(flow,
                   LevelVerdict("Operating", span.GoverningOperating(), span.bottomGovernsOperating,
                                OperatingVerdict(span.GoverningOperating().ratingFactor)));
  }
}

void Method(SheetFlow& flow) {
  CoverSection(flow, "METHOD, ALLOWABLES AND LIMITS");
  for (const std::string& paragraph : RatingMethodParagraphs()) {
    CoverParagraph(flow, paragraph);
    flow.Gap(3);
  }
}

// Each value by its label and unit, as the page's form names it.
void Values(SheetFlow& flow, const RatingInputs& inputs) {
  constexpr double kValueX = 200;  // after the longest label and unit
  CoverSection(flow, "VALUES AS ENTERED, IN FULL");
  for (const RatingFieldInfo& field : RatingFields()) {
    const std::string text = RatingFieldText(field, inputs, FullDecimalUse::kTable, ", ");
    std::string label = std::string(field.label);
    label += field.unit.empty() ? "" : " (" + std::string(field.unit) + ")";
    CoverField(flow, label, text.empty() ? "not given" : text, kValueX);
  }
  CoverField(flow, "Continuity",
             inputs.continuous ? "continuous over three or more supports: CF 0.8, c_DL 1/10"
                               : "not continuous over three or more supports: CF 1.0, c_DL 1/8",
             kValueX);
}

}  // namespace

std::string RatedSpanName(const SlabRating& rating, size_t span) {
  return "Span " + std::to_string(span + 1) + " of " + std::to_string(rating.spans.size()) +
         ", S = " + FullDecimal(rating.spans.at(span).span, FullDecimalUse::kTable) + " m";
}

void ComposeRatingCover(SheetFlow& flow, const RatingCoverContent& content) {
  CoverHeading(flow, "KALVORDEN RATING PACKAGE",
               "Reinforced-concrete deck slab of a highway bridge as it stands: allowable-stress "
               "rating (metric)");
  CoverIdentity(flow, *content.project);
  CoverRun(flow, ProgramVersion(), content.runStamp, content.digest, "rated");
  // The sign-off signs the values the digest above identifies: it stays on
  // the first sheet with it, however many spans follow.
  CoverSignOff(flow, *content.project);
  Verdicts(flow, content);
  Method(flow);
  Values(flow, *content.inputs);
}

}  // namespace kalvorden
