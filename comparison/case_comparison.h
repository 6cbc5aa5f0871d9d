#pragma once

// The design cases of a run compared by what their deck takes in
// reinforcing steel: a row per case (its values, its thickness at the first
// and last span, the main bar sizes of its rows, its steel at a few spans),
// ranked by the steel at one span, and for each span the lightest and the
// heaviest case. Built case by case as the run hands them over, in memory
// that grows by one small row per case: no case's rows are kept, only the
// curves the chart draws (every case's for a run of up to 25 cases,
// otherwise the lightest and the heaviest case's).
//
// Every steel figure is the printed one: all reinforcing steel in kg/m^2 of
// deck to 2 decimals, as the CSV table prints it (design/span_quantities.h),
// held as whole hundredths. So the ranking and the lightest case of a span
// are what anyone finds from the CSV table: the smaller figure first, equal
// figures the thinner slab first (less concrete for the same steel), then
// in case order.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "design/case_pipeline.h"

namespace kalvorden {

// Runs of more cases chart only the lightest and heaviest case and the band
// between the least and the most steel of every span.
constexpr int32_t kCasesChartedInFull = 25;

// The figure of a span that could not be designed.
constexpr int64_t kNoSteel = -1;

// The rows the comparison table shows for every case: 1.000, 2.375 and
// 3.750 m (the first, middle and last span).
constexpr std::array<int32_t, 3> kComparedRows = {0, kSpansPerCase / 2, kSpansPerCase - 1};

struct ComparedCase {
  int64_t number = 0;  // in run order, from 1
  DesignCase values;
  int32_t firstThickness = 0;   // actual thickness at 1.000 m, mm; 0 when not designed
  int32_t lastThickness = 0;    // at 3.750 m
  uint32_t mainBarIndices = 0;  // bit i set: bar index i is a main bar of a designed row
  std::array<int64_t, kComparedRows.size()> steel{};  // at kComparedRows
  int64_t rankingSteel = kNoSteel;                    // at the ranking row
  int32_t rankingThickness = 0;                       // actual, mm, at the ranking row
  // The row at the ranking row checked as built (design/as_built_check.h):
  // whether it was, and the AsBuiltFailure bits of the checks it fails.
  bool rankingChecked = false;
  uint32_t rankingFailures = 0;
};

// The main bar sizes of a compared case, smallest first: {16, 19}.
std::vector<int32_t> MainBarSizes(const ComparedCase& compared);

// The lightest and the heaviest case of one span: the least steel, equal
// steel the thinner slab; the most steel, equal steel the thicker slab;
// equal in both, the first case. Case 0 when no case designed the span.
struct SpanExtremes {
  int64_t lightestCase = 0;
  int64_t lightestSteel = kNoSteel;
  int32_t lightestThickness = 0;
  int64_t heaviestCase = 0;
  int64_t heaviestSteel = kNoSteel;
  int32_t heaviestThickness = 0;
};

// One case's steel at every span, for the chart.
struct SteelCurve {
  int64_t caseNumber = 0;
  std::array<int64_t, kSpansPerCase> steel{};
};

class CaseComparison {
 public:
  // Ranked by the steel at `governingRow` (0 for 1.000 m ... 110 for
  // 3.750 m), the row that governs the bridge's span; by the steel at
  // 3.750 m when it is -1 (no span given).
  explicit CaseComparison(int32_t governingRow = -1);

  // The next case of the run, in run order.
  void Add(const DesignedCase& designed);

  int32_t rankingRow() const { return rankingRow_; }
  bool governed() const { return governed_; }
  int64_t caseCount() const { return static_cast<int64_t>(cases_.size()); }

  // The cases lightest first: ascending steel at the ranking row, equal
  // figures the thinner slab there first, then in case order; cases with no
  // figure there last in case order.
  std::vector<ComparedCase> Ranked() const;

  const std::array<SpanExtremes, kSpansPerCase>& spans() const { return spans_; }

  // Every case's curve for a run of up to kCasesChartedInFull cases; empty
  // for a larger run.
  const std::vector<SteelCurve>& curves() const { return curves_; }

  // The first and the last case of the ranking that has a figure at the
  // ranking row; null when no case has one.
  const SteelCurve* lightest() const { return hasExtremes_ ? &lightest_ : nullptr; }
  const SteelCurve* heaviest() const { return hasExtremes_ ? &heaviest_ : nullptr; }
  // True when every case with a figure at the ranking row has the same
  // steel and the same thickness there: no case is lighter than another.
  bool allEqual() const {
    return hasExtremes_ && lightestKey_ == heaviestKey_ && lightestThickness_ == heaviestThickness_;
  }

 private:
  int32_t rankingRow_;
  bool governed_;
  std::vector<ComparedCase> cases_;
  std::array<SpanExtremes, kSpansPerCase> spans_{};
  std::vector<SteelCurve> curves_;
  bool hasExtremes_ = false;
  SteelCurve lightest_;
  SteelCurve heaviest_;
  int64_t lightestKey_ = kNoSteel;
  int64_t heaviestKey_ = kNoSteel;
  int32_t lightestThickness_ = 0;
  int32_t heaviestThickness_ = 0;
};

// All reinforcing steel of span `row` of a case, kg/m^2 in hundredths as
// printed; kNoSteel when the span was not designed.
int64_t PrintedSteelOf(const SpanDesign& span, int32_t row);

// A figure as printed: "19.57"; "" for kNoSteel.
std::string SteelText(int64_t hundredths);

}  // namespace kalvorden
