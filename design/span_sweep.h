#pragma once

#include <cstdint>

#include <span>
#include "design/design_options.h"
#include "design/design_records.h"
#include "design/thickness_search.h"

namespace kalvorden {

// The design state that lives from span to span: the span length and the
// two bar indices. Within a case the bars only grow; each case starts again
// from span 1.0 with bars #16 and #13.
struct SweepState {
  Quad spanLength = 1;
  BarIndices bars;
};

// A case has 111 spans: S = 1 + i x 0.025 (widened), i = 0 ... 110.
constexpr int32_t kSpansPerCase = 111;

struct SweepResult {
  int32_t spanCount = 0;               // spans designed, in sweep order
  SpanFault fault = SpanFault::kNone;  // of the first span that has one
  Quad firstFaultSpan = 0;
  // Spans whose decisions the enclosure filter could not take for certain,
  // designed again by the exact engine.
  int32_t exactSpans = 0;
};

// Designs the spans S = 1.000 m ... 3.750 m of one case into `spans`, in
// sweep order, one settled design per span, then brings the state back to
// its start values. Stops early only if `spans` is full.
//
// This one is the exact binary128 engine alone, giving the full record of
// each span (the unrounded minimum thickness and the working values).
// `trace`, when given, hears every step of every span.
SweepResult SweepSpans(const DesignCase& designCase, SweepState& state, std::span<SpanDesign> spans,
                       SpanTrace* trace = nullptr);

// The same as a run designs it, by `options`. By default each span is
// designed first on enclosures in hardware doubles, giving the printed
// record; a span with a decision the enclosures cannot take for certain is
// designed again, alone, by the exact engine from the same bars (spans
// depend on each other only through the bars). A case whose values lie
// outside a comfortable part of the double range is designed exactly
// throughout. Either way the record is the printed one the exact engine
// gives; options.exact designs every span exactly, to the same record.
// options.workingValues adds the working values as an output prints them
// (FillPrintedWorkingValues): on the enclosures when their printed digits
// are certain, else the span is designed again exactly, as for any other
// decision.
SweepResult SweepSpans(const DesignCase& designCase, SweepState& state, std::span<SpanDesign> spans,
                       const DesignOptions& options);

// The filtered sweep with every case constant's enclosure widened by the
// relative amount `widening` (still holding the exact value, only less
// certain), so that the exact fallback is exercised at every kind of
// decision, the printed working values among them when `workingValues`.
// For tests.
SweepResult SweepSpansWidened(const DesignCase& designCase, SweepState& state,
                              std::span<SpanDesign> spans, double widening,
                              bool workingValues = false);

// The moments per metre of slab width at design span S' (m) and trial
// thickness t (mm), in kN m per m.
template <class Number>
struct DesignMomentsOf {
  Number liveLoadMoment{};  // M_LL
  Number deadLoad{};        // w, kN/m^2: self-weight plus future paving
  Number deadLoadMoment{};  // M_DL
  Number designMoment{};    // M = M_LL + M_DL
};
template <class Number>
DesignMomentsOf<Number> DesignMoment(Number designSpan, Number trialThickness,
                                     const CaseNumbers<Number>& constants);

}  // namespace kalvorden
