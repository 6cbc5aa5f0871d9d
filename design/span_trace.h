#pragma once

// An observer of the design of spans: the design engine tells it every
// intermediate value of the calculation, as the calculation computes it, so
// a calculation sheet shows the very numbers that make the report row. The
// engine is given no observer (nullptr) for the report; it then only tests
// the pointer.

#include <cstdint>

#include "numeric/quad.h"

namespace kalvorden {

// The design of span S with one pair of bars begins (again, after a bar
// advance).
struct SpanAttempt {
  Quad spanLength = 0;           // S, m
  Quad designSpan = 0;           // S' = (1000 S - deduction width / 2) / 1000, m
  int32_t mainBar = 0;           // designation of the main bar
  int32_t distributionBar = 0;   // designation of the distribution bar
  Quad halfMainBarDiameter = 0;  // mm
  Quad mainBarArea = 0;          // mm^2
  Quad distBarArea = 0;          // mm^2
};

// One pass of the iteration on the slab's own weight, at trial thickness t.
struct ThicknessPass {
  int32_t pass = 0;            // counted from 1
  Quad trialThickness = 0;     // t, mm
  Quad liveLoadMoment = 0;     // M_LL = (S' + 0.61) F, kN m per m
  Quad deadLoad = 0;           // w = 0.0235631503 t + FP, kN/m^2
  Quad deadLoadMoment = 0;     // M_DL = w S'^2 / 10, kN m per m
  Quad designMoment = 0;       // M = M_LL + M_DL, kN m per m
  Quad requiredDepth = 0;      // d = 1000 sqrt(M / R), mm
  Quad requiredThickness = 0;  // d + bar diameter / 2 + cover, mm
  Quad change = 0;             // |required thickness - t|, mm
  bool converged = false;      // change under the tolerance: the minimum thickness
};

// The actual thickness and the main steel at it.
struct MainSteelSteps {
  Quad minThickness = 0;        // mm
  Quad thicknessSteps = 0;      // minimum thickness / 5 mm
  int32_t actualThickness = 0;  // mm: 5 x trunc(steps + 0.999)
  Quad effectiveDepth = 0;      // actual - bar diameter / 2 - cover, mm
  Quad designMoment = 0;        // M of the last pass, kN m per m
  Quad requiredSteelArea = 0;   // As = 10^6 M Cs / d, mm^2 per m
  Quad rawSpacing = 0;          // 1000 x bar area / As, mm
  int32_t mainBarSpacing = 0;   // mm: 5 x trunc(raw / 5)
  bool inRange = false;         // false: a thickness or spacing does not fit 32 bits
};

// The main bar spacing came out under the least spacing of 125 mm: both bars
// move up one size (to 0 when the main bar is already the largest).
struct BarAdvance {
  Quad spanLength = 0;         // S, m
  int32_t mainBarSpacing = 0;  // mm, the spacing that was too close
  int32_t fromMainBar = 0;     // the main bar's designation before ...
  int32_t toMainBar = 0;       // ... and the bars' after; 0: no larger bar in the table
  int32_t toDistributionBar = 0;
};

// The distribution bars of a settled span.
struct DistributionSteps {
  Quad percentage = 0;        // 121 / sqrt(S'), %
  Quad fraction = 0;          // percentage / 100, at most 0.67
  bool capped = false;        // the fraction is the 0.67 limit
  Quad distributionArea = 0;  // fraction x As x S', mm^2
  Quad pairArea = 0;          // 2 x distribution bar area, mm^2
  Quad bars = 0;              // N = distribution area / pair area
  Quad halfBars = 0;          // N / 2
  int32_t middleHalf = 0;     // trunc(N + 0.9999)
  int64_t outerQuarters = 0;  // trunc(N / 2 + 0.9999), made even
};

// Receives the steps of the design in the order they are computed. Every
// member does nothing unless overridden.
class SpanTrace {
 public:
  SpanTrace() = default;
  SpanTrace(const SpanTrace&) = default;
  SpanTrace& operator=(const SpanTrace&) = default;
  virtual ~SpanTrace() = default;

  virtual void Attempt(const SpanAttempt& /*attempt*/) {}
  virtual void Pass(const ThicknessPass& /*pass*/) {}
  virtual void MainSteel(const MainSteelSteps& /*steel*/) {}
  virtual void Advance(const BarAdvance& /*advance*/) {}
  virtual void Distribution(const DistributionSteps& /*distribution*/) {}
};

}  // namespace kalvorden
