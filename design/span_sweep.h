#pragma once

#include <cstdint>

#include "design/design_records.h"
#include "design/thickness_search.h"
#include "report/report_writer.h"

namespace kalvorden {

// The design state that lives from span to span: the span length and the
// two bar indices. Within a case the bars only grow; each case starts again
// from span 1.0 with bars #16 and #13.
struct SweepState {
  Quad spanLength = 1;
  BarIndices bars;
};

struct SweepResult {
  SpanFault fault = SpanFault::kNone;  // of the first span that has one
  Quad firstFaultSpan = 0;
};

// Designs and reports the 111 spans S = 1.000 m ... 3.750 m of one case, then
// brings the state back to its start values. Stops after the span whose row
// could not be written when the report file fails.
SweepResult SweepSpans(const DesignCase& designCase, SweepState& state, ReportWriter& writer);

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
