#include "design/span_sweep.h"

#include <cmath>
#include <type_traits>

#include "design/design_cases.h"
#include "design/design_constants.h"
#include "design/design_numbers.h"
#include "design/distribution.h"
#include "numeric/deferred_enclosure.h"
#include "numeric/quad_ops.h"

namespace kalvorden {
namespace {

// The filter takes a case only when every value lies well inside the double
// range, so that no enclosure of a sound design comes near its ends.
constexpr Quad kLeastComfortable = 0x1p-256;
constexpr Quad kMostComfortable = 0x1p256;

bool Comfortable(Quad value) {
  const Quad magnitude = Abs(value);
  return magnitude == 0 || (magnitude >= kLeastComfortable && magnitude <= kMostComfortable);
}

bool SuitsTheFilter(const DesignCase& c) {
  const Quad values[] = {c.wheelLoad,
                         c.topCover,
                         c.futurePaving,
                         c.steelStress,
                         c.concreteStress,
                         c.spanDeductionWidth,
                         c.continuityFactor,
                         c.modularRatioQuad,
                         c.k,
                         c.j,
                         c.resistingMomentFactor,
                         c.steelAreaFactor,
                         c.liveLoadMomentFactor,
                         c.halfSpanDeductionWidth};
  for (const Quad value : values) {
    if (!IsFinite(value) || !Comfortable(value)) {
      return false;
    }
  }
  return HasDesignableValues(c);
}

// One span of the sweep: S, S' exactly and S' enclosed.
struct Station {
  Quad spanLength = 0;
  Quad designSpan = 0;
  Enclosure enclosedDesignSpan;
};

// The stations of a sweep from span 1.0 depend only on the span deduction
// width, the same for every case of a run, so each thread keeps those of the
// last width it met: the exact binary128 values, computed once by the same
// formulas the sweep would use.
struct SweepStations {
  bool valid = false;
  Quad halfSpanDeductionWidth = 0;
  int32_t count = 0;  // the stop test holds at the last
  Station stations[kSpansPerCase];
};

bool SameBits(Quad a, Quad b) {
  return quad_detail::Bits(a) == quad_detail::Bits(b);
}

Station StationAt(Quad spanLength, const DesignCase& c) {
  const Quad spanMillimetres = Mul(kMillimetresPerMetre, spanLength);
  const Quad netSpan = Sub(spanMillimetres, c.halfSpanDeductionWidth);
  const Quad designSpan = Div(netSpan, kMillimetresPerMetre);
  return {spanLength, designSpan, Enclose(designSpan)};
}

bool IsLastSpan(Quad spanLength) {
  return Less(Abs(Sub(spanLength, kLastSpan)), kStopTolerance);
}

// The stations from span 1.0 for the case's width, or null when the sweep
// does not start at span 1.0.
const SweepStations* StationsFrom(Quad firstSpan, const DesignCase& c) {
  thread_local SweepStations cache;
  if (!SameBits(firstSpan, kFirstSpan)) {
    return nullptr;
  }
  if (!cache.valid || !SameBits(cache.halfSpanDeductionWidth, c.halfSpanDeductionWidth)) {
    cache.valid = true;
    cache.halfSpanDeductionWidth = c.halfSpanDeductionWidth;
    cache.count = 0;
    Quad spanLength = kFirstSpan;
    for (;;) {
      cache.stations[cache.count++] = StationAt(spanLength, c);
      if (IsLastSpan(spanLength) || cache.count == kSpansPerCase) {
        break;
      }
      spanLength = Add(spanLength, kSpanStep);
    }
  }
  return &cache;
}

// Which record a span gets (design_records.h); the full one only from the
// exact engine.
enum class Record : uint8_t { kPrinted, kPrintedWithWorkingValues, kFull };

// Designs one span from the bars in `indices` (moved on by bar advances)
// into the record `record`.
template <class Number>
void DesignSpan(const CaseNumbers<Number>& c, const Station& station, BarIndices& indices,
                BarValuesOf<Number>& bars, SpanDesign& span, Record record = Record::kPrinted,
                SpanTrace* trace = nullptr) {
  SpanWorkingOf<Number> working;
  Number designSpan;
  if constexpr (std::is_same_v<Number, Enclosure>) {
    designSpan = station.enclosedDesignSpan;
  } else {
    designSpan = station.designSpan;
  }
  // A bar advance designs the same span again, from the first trial
  // thickness, with the larger bars. The indices stop at the table's end, so
  // this loop runs at most once per bar size.
  while (DesignThicknessAndMainBars(c, station.spanLength, station.designSpan, designSpan,
                                    kConstant<Number, kFirstTrialThickness>, indices, bars, span,
                                    working, trace) == SearchOutcome::kBarAdvance) {
  }
  if (span.fault != SpanFault::kNone) {
    return;
  }
  if (record == Record::kPrintedWithWorkingValues) {
    FillPrintedWorkingValues(working, span);
  }
  if constexpr (std::is_same_v<Number, Quad>) {
    if (record == Record::kFull) {
      FillWorkingValues(working, span);
    }
  }
  const DistributionCounts counts =
      CountDistributionBars(designSpan, working.requiredSteelArea, bars.distBarArea, trace);
  if (!counts.inRange) {
    span.fault = SpanFault::kOutOfRange;
    return;
  }
  span.middleHalfBarCount = counts.middleHalf;
  span.outerQuartersBarCount = counts.outerQuarters;
}

// The sweep over the spans of a case; `designOneSpan(station, bars, span,
// result)` designs one.
template <class DesignOneSpan>
SweepResult Sweep(const DesignCase& c, SweepState& state, std::span<SpanDesign> spans,
                  DesignOneSpan&& designOneSpan) {
  SweepResult result;
  const bool designable = HasDesignableValues(c);
  const SweepStations* stations = StationsFrom(state.spanLength, c);
  while (static_cast<size_t>(result.spanCount) < spans.size()) {
    const int32_t index = result.spanCount++;
    SpanDesign& span = spans[static_cast<size_t>(index)];
    span = SpanDesign{};
    if (!designable) {
      span.spanLength = state.spanLength;
      span.fault = SpanFault::kInvalidInputs;
    } else {
      designOneSpan(
          stations != nullptr ? stations->stations[index] : StationAt(state.spanLength, c),
          state.bars, span, result);
    }
    if (span.fault != SpanFault::kNone && result.fault == SpanFault::kNone) {
      result.fault = span.fault;
      result.firstFaultSpan = span.spanLength;
    }
    if (stations != nullptr ? index + 1 == stations->count : IsLastSpan(state.spanLength)) {
      break;
    }
    state.spanLength = stations != nullptr ? stations->stations[index + 1].spanLength
                                           : Add(state.spanLength, kSpanStep);
  }
  state.spanLength = kFirstSpan;
  state.bars = BarIndices{};
  return result;
}

SweepResult SweepExactly(const DesignCase& c, SweepState& state, std::span<SpanDesign> spans,
                         Record record, SpanTrace* trace) {
  const CaseNumbers<Quad> constants = CaseNumbersOf<Quad>(c);
  BarValues bars = LoadBarValuesOf<Quad>(state.bars);
  return Sweep(c, state, spans,
               [&](const Station& station, BarIndices& indices, SpanDesign& span, SweepResult&) {
                 DesignSpan(constants, station, indices, bars, span, record, trace);
               });
}

Enclosure Widened(Enclosure value, double widening) {
  return {value.lo - std::fabs(value.lo) * widening, value.hi + std::fabs(value.hi) * widening};
}

SweepResult SweepFiltered(const DesignCase& c, SweepState& state, std::span<SpanDesign> spans,
                          Record record, double widening) {
  CaseNumbers<Enclosure> enclosed = CaseNumbersOf<Enclosure>(c);
  if (widening > 0) {
    for (Enclosure* value :
         {&enclosed.topCover, &enclosed.futurePaving, &enclosed.liveLoadMomentFactor,
          &enclosed.resistingMomentFactor, &enclosed.steelAreaFactor}) {
      *value = Widened(*value, widening);
    }
  }
  const CaseNumbers<Quad> exact = CaseNumbersOf<Quad>(c);
  BarValuesOf<Enclosure> bars = LoadBarValuesOf<Enclosure>(state.bars);
  return Sweep(
      c, state, spans,
      [&](const Station& station, BarIndices& indices, SpanDesign& span, SweepResult& result) {
        const BarIndices start = indices;
        try {
          DesignSpan(enclosed, station, indices, bars, span, record);
        } catch (const UncertainDecision&) {
          // The same span again, exactly, from the bars it started with.
          indices = start;
          BarValues exactBars = LoadBarValuesOf<Quad>(indices);
          DesignSpan(exact, station, indices, exactBars, span, record);
          bars = LoadBarValuesOf<Enclosure>(indices);
          ++result.exactSpans;
        }
      });
}

}  // namespace

template <class Number>
DesignMomentsOf<Number> DesignMoment(Number designSpan, Number trialThickness,
                                     const CaseNumbers<Number>& c) {
  DesignMomentsOf<Number> m;
  const Number liveLoadLever = Add(designSpan, kConstant<Number, kLiveLoadSpanAddend>);
  m.liveLoadMoment = Mul(liveLoadLever, c.liveLoadMomentFactor);
  const Number selfWeight = Mul(trialThickness, kConstant<Number, kSlabWeightFactor>);
  m.deadLoad = Add(selfWeight, c.futurePaving);
  const Number loadTimesSpan = Mul(m.deadLoad, designSpan);
  const Number loadTimesSpanSquared = Mul(loadTimesSpan, designSpan);
  m.deadLoadMoment = Mul(loadTimesSpanSquared, kConstant<Number, kDeadLoadMomentCoefficient>);
  m.designMoment = Add(m.liveLoadMoment, m.deadLoadMoment);
  return m;
}

SweepResult SweepSpans(const DesignCase& c, SweepState& state, std::span<SpanDesign> spans,
                       SpanTrace* trace) {
  return SweepExactly(c, state, spans, Record::kFull, trace);
}

SweepResult SweepSpans(const DesignCase& c, SweepState& state, std::span<SpanDesign> spans,
                       const DesignOptions& options) {
  const Record record =
      options.workingValues ? Record::kPrintedWithWorkingValues : Record::kPrinted;
  if (options.exact || !SuitsTheFilter(c)) {
    return SweepExactly(c, state, spans, record, nullptr);
  }
  return SweepFiltered(c, state, spans, record, 0);
}

SweepResult SweepSpansWidened(const DesignCase& c, SweepState& state, std::span<SpanDesign> spans,
                              double widening, bool workingValues) {
  return SweepFiltered(c, state, spans,
                       workingValues ? Record::kPrintedWithWorkingValues : Record::kPrinted,
                       widening);
}

template DesignMomentsOf<Quad> DesignMoment(Quad, Quad, const CaseNumbers<Quad>&);
template DesignMomentsOf<DeferredEnclosure> DesignMoment(DeferredEnclosure, DeferredEnclosure,
                                                         const CaseNumbers<DeferredEnclosure>&);

}  // namespace kalvorden
