#pragma once

#include <cstdint>

#include <span>
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
};

// Designs the spans S = 1.000 m ... 3.750 m of one case into `spans`, in
// sweep order, one settled design per span, then brings the state back to
// its start values. Stops early only if `spans` is full. `trace`, when given,
// hears every step of every span.
SweepResult SweepSpans(const DesignCase& designCase, SweepState& state, std::span<SpanDesign> spans,
                       SpanTrace* trace = nullptr);

// The moments per metre of slab width at design span S' (m) and trial
// thickness t (mm), in kN m per m.
struct DesignMoments {
  Quad liveLoadMoment = 0;  // M_LL
  Quad deadLoad = 0;        // w, kN/m^2: self-weight plus future paving
  Quad deadLoadMoment = 0;  // M_DL
  Quad designMoment = 0;    // M = M_LL + M_DL
};
DesignMoments DesignMoment(Quad designSpan, Quad trialThickness, const DesignCase& designCase);

}  // namespace kalvorden
