#include "comparison/case_comparison.h"

#include <algorithm>

#include "design/as_built_check.h"
#include "design/bar_table.h"
#include "design/span_quantities.h"
#include "numeric/decimal.h"
#include "report/printed_span.h"

namespace kalvorden {
namespace {

constexpr int32_t kLastRow = kSpansPerCase - 1;

// True when `steel` ranks before `than`: a smaller figure, any figure
// before none.
bool Lighter(int64_t steel, int64_t than) {
  return steel != kNoSteel && (than == kNoSteel || steel < than);
}

// True when (steel, thickness) ranks before (than, thanThickness): the
// lighter, and of equal steel the thinner slab. Equal in both: neither.
bool RanksBefore(int64_t steel, int32_t thickness, int64_t than, int32_t thanThickness) {
  if (steel != than) {
    return Lighter(steel, than);
  }
  return steel != kNoSteel && thickness < thanThickness;
}

}  // namespace

int64_t PrintedSteelOf(const SpanDesign& span, int32_t row) {
  // The printed figure straight from its whole-number quotient: the same
  // digits as the binary128 figure's, without its division (every span of
  // every case is ranked). A designed span's steel is far below 2^63
  // hundredths (a count of 2^32 bars of 20 kg/m over 1 m is under 2^57).
  const std::optional<ScaledDecimal> printed =
      PrintedTotalSteelOf(span, PrintedSpanMillimetres(row));
  return printed ? static_cast<int64_t>(printed->magnitude) : kNoSteel;
}

std::string SteelText(int64_t hundredths) {
  if (hundredths == kNoSteel) {
    return {};
  }
  return FixedUnitsText(hundredths, 2);
}

std::vector<int32_t> MainBarSizes(const ComparedCase& compared) {
  std::vector<int32_t> sizes;
  for (int32_t index = kFirstBarIndex; index <= kLastBarIndex; ++index) {
    if ((compared.mainBarIndices >> index & 1U) != 0) {
      sizes.push_back(BarDesignation(index));
    }
  }
  return sizes;
}

CaseComparison::CaseComparison(int32_t governingRow)
    : rankingRow_(governingRow >= 0 && governingRow <= kLastRow ? governingRow : kLastRow),
      governed_(governingRow >= 0 && governingRow <= kLastRow) {}

void CaseComparison::Add(const DesignedCase& designed) {
  ComparedCase row;
  row.number = caseCount() + 1;
  row.values = designed.designCase;
  SteelCurve curve;
  curve.caseNumber = row.number;
  curve.steel.fill(kNoSteel);
  const int32_t spanCount = std::clamp(designed.sweep.spanCount, 0, kSpansPerCase);
  for (int32_t i = 0; i < spanCount; ++i) {
    const SpanDesign& span = designed.spans[i];
    const int64_t steel = PrintedSteelOf(span, i);
    curve.steel[static_cast<size_t>(i)] = steel;
    if (steel == kNoSteel) {
      continue;
    }
    row.mainBarIndices |= 1U << static_cast<uint32_t>(BarIndexOf(span.mainBarDesignation));
    SpanExtremes& extremes = spans_[static_cast<size_t>(i)];
    const int32_t thickness = span.actualThickness;
    // Cases come in case order: a later case equal in steel and thickness
    // is neither lighter nor heavier than the first.
    if (RanksBefore(steel, thickness, extremes.lightestSteel, extremes.lightestThickness)) {
      extremes.lightestSteel = steel;
      extremes.lightestThickness = thickness;
      extremes.lightestCase = row.number;
    }
    if (extremes.heaviestSteel == kNoSteel ||
        RanksBefore(extremes.heaviestSteel, extremes.heaviestThickness, steel, thickness)) {
      extremes.heaviestSteel = steel;
      extremes.heaviestThickness = thickness;
      extremes.heaviestCase = row.number;
    }
  }
  const auto thicknessAt = [&](int32_t i) {
    return curve.steel[static_cast<size_t>(i)] == kNoSteel ? 0 : designed.spans[i].actualThickness;
  };
  row.firstThickness = thicknessAt(0);
  row.lastThickness = thicknessAt(kLastRow);
  for (size_t k = 0; k < kComparedRows.size(); ++k) {
    row.steel[k] = curve.steel[static_cast<size_t>(kComparedRows[k])];
  }
  row.rankingSteel = curve.steel[static_cast<size_t>(rankingRow_)];
  row.rankingThickness = thicknessAt(rankingRow_);
  if (row.rankingSteel != kNoSteel) {
    const AsBuiltCheck check = CheckAsBuilt(
        AsBuiltRowOf(row.values, designed.spans[rankingRow_], PrintedSpanMillimetres(rankingRow_)));
    row.rankingChecked = check.known;
    row.rankingFailures = check.failed;
  }
  cases_.push_back(row);

  // Cases come in case order, so a later case that ranks equal ranks after
  // the earlier ones: it replaces the heaviest, not the lightest.
  if (row.rankingSteel != kNoSteel) {
    const int64_t steel = row.rankingSteel;
    const int32_t thickness = row.rankingThickness;
    if (!hasExtremes_ || RanksBefore(steel, thickness, lightestKey_, lightestThickness_)) {
      lightest_ = curve;
      lightestKey_ = steel;
      lightestThickness_ = thickness;
    }
    if (!hasExtremes_ || !RanksBefore(steel, thickness, heaviestKey_, heaviestThickness_)) {
      heaviest_ = curve;
      heaviestKey_ = steel;
      heaviestThickness_ = thickness;
    }
    hasExtremes_ = true;
  }
  if (caseCount() <= kCasesChartedInFull) {
    curves_.push_back(curve);
  } else {
    curves_.clear();
  }
}

std::vector<ComparedCase> CaseComparison::Ranked() const {
  std::vector<ComparedCase> ranked = cases_;
  std::stable_sort(ranked.begin(), ranked.end(), [](const ComparedCase& a, const ComparedCase& b) {
    return RanksBefore(a.rankingSteel, a.rankingThickness, b.rankingSteel, b.rankingThickness);
  });
  return ranked;
}

}  // namespace kalvorden
