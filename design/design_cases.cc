#include "design/design_cases.h"

#include <algorithm>

#include "design/case_pipeline.h"
#include "design/design_constants.h"

namespace kalvorden {
namespace {

constexpr Quad kHalf = 0.5;
constexpr Quad kOne = 1;
constexpr Quad kTwo = 2;
constexpr Quad kThree = 3;

// The number of entries a loop over `list` runs: the count when it is
// entered, never more than the list holds.
int32_t Entries(const ValueList& list) {
  return std::clamp(list.count, 0, kListCapacity);
}

// Hands the cases of the oldest batch in the pipeline to the sink, waiting
// for their design if need be. Returns false when the sink asks to stop.
bool DeliverOldestBatch(CasePipeline& pipeline, const DesignedCaseSink& sink,
                        DesignRunSummary& summary) {
  for (const DesignedCase& done : WaitForOldestBatch(pipeline)) {
    if (!sink(done)) {
      return false;
    }
    ++summary.designCases;
    if (done.sweep.fault != SpanFault::kNone) {
      ++summary.undesignedCases;
    }
  }
  ReleaseOldestBatch(pipeline);
  return true;
}

}  // namespace

std::optional<UndesignedCase> FindUndesignedSpan(const DesignedCase& designed) {
  if (designed.sweep.fault == SpanFault::kNone) {
    return std::nullopt;
  }
  return UndesignedCase{designed.designCase, designed.sweep.firstFaultSpan, designed.sweep.fault};
}

bool HasDesignableValues(const DesignCase& c) {
  const Quad zero = 0;
  const Quad notNegative[] = {c.wheelLoad, c.topCover, c.futurePaving};
  const Quad positive[] = {c.steelStress, c.concreteStress};
  for (const Quad value : notNegative) {
    if (!IsFinite(value) || value < zero) {
      return false;
    }
  }
  for (const Quad value : positive) {
    if (!IsFinite(value) || !(value > zero)) {
      return false;
    }
  }
  return IsFinite(c.continuityFactor) && IsFinite(c.spanDeductionWidth);
}

ModularRatioSteps DeriveModularRatioSteps(Quad concreteStress) {
  return ModularRatioStepsOfStrength(concreteStress / kAllowableStressRatio);
}

ModularRatioSteps ModularRatioStepsOfStrength(Quad concreteStrength) {
  ModularRatioSteps steps;
  steps.concreteStrength = concreteStrength;
  steps.concreteModulus = kConcreteModulusFactor * SquareRoot(steps.concreteStrength);
  steps.ratio = kSteelModulus / steps.concreteModulus;
  const int32_t n = TruncateToInt32(steps.ratio + kHalf);
  steps.modularRatio = n < kLeastModularRatio ? kLeastModularRatio : n;
  return steps;
}

int32_t DeriveModularRatio(Quad concreteStress) {
  return DeriveModularRatioSteps(concreteStress).modularRatio;
}

void DeriveCaseConstants(DesignCase& c) {
  c.modularRatioQuad = c.modularRatio;
  c.halfSpanDeductionWidth = c.spanDeductionWidth / kTwo;

  // F = ((P x CF) x (1.0 + 0.3)) / 9.74: the continuity factor enters the
  // design here and nowhere else.
  const Quad factoredLoad = c.wheelLoad * c.continuityFactor;
  const Quad impactFactor = kOne + kImpactFraction;
  const Quad impactLoad = factoredLoad * impactFactor;
  c.liveLoadMomentFactor = impactLoad / kWheelLoadDivisor;

  const Quad steelStressInConcreteUnits = c.steelStress / c.modularRatioQuad;
  c.k = c.concreteStress / (c.concreteStress + steelStressInConcreteUnits);
  c.j = kOne - c.k / kThree;

  c.resistingMomentFactor = ((kResistingMomentScale * c.concreteStress) * c.k) * c.j;
  c.steelAreaFactor = (kOne / c.steelStress) / c.j;
}

void ForEachDesignCase(const DesignInputs& inputs,
                       const std::function<void(const DesignCase&)>& visit) {
  DesignCase c;
  c.continuityFactor = inputs.continuityFactor;
  const int32_t loads = Entries(inputs.wheelLoads);
  for (int32_t a = 0; a < loads; ++a) {
    c.wheelLoad = inputs.wheelLoads.values[a];
    const int32_t covers = Entries(inputs.topCovers);
    for (int32_t b = 0; b < covers; ++b) {
      c.topCover = inputs.topCovers.values[b];
      const int32_t pavings = Entries(inputs.futurePavings);
      for (int32_t p = 0; p < pavings; ++p) {
        c.futurePaving = inputs.futurePavings.values[p];
        const int32_t steels = Entries(inputs.steelStresses);
        for (int32_t s = 0; s < steels; ++s) {
          c.steelStress = inputs.steelStresses.values[s];
          const int32_t concretes = Entries(inputs.concreteStresses);
          for (int32_t f = 0; f < concretes; ++f) {
            c.concreteStress = inputs.concreteStresses.values[f];
            c.modularRatio = DeriveModularRatio(c.concreteStress);
            const int32_t widths = Entries(inputs.spanDeductionWidths);
            for (int32_t w = 0; w < widths; ++w) {
              c.spanDeductionWidth = inputs.spanDeductionWidths.values[w];
              DeriveCaseConstants(c);
              visit(c);
            }
          }
        }
      }
    }
  }
}

int64_t DesignCaseCount(const DesignInputs& inputs) {
  const int32_t lists[] = {Entries(inputs.wheelLoads),       Entries(inputs.topCovers),
                           Entries(inputs.futurePavings),    Entries(inputs.steelStresses),
                           Entries(inputs.concreteStresses), Entries(inputs.spanDeductionWidths)};
  int64_t count = 1;
  for (const int32_t entries : lists) {
    count *= entries;
  }
  return count;
}

DesignRunSummary EnumerateDesignCases(const DesignInputs& inputs, const DesignedCaseSink& sink,
                                      const DesignOptions& options, const CasePreparer& prepare) {
  DesignRunSummary summary;
  const int64_t caseCount = DesignCaseCount(inputs);
  CasePipeline pipeline;
  // A few workers are enough to keep the outputs busy; more would only
  // add threads and slots (memory) on large machines.
  constexpr uint32_t kMostWorkers = 4;
  const uint32_t workers = std::min(std::thread::hardware_concurrency(), kMostWorkers);
  StartCasePipeline(pipeline, caseCount > 0 ? workers : 0, options, prepare);

  // Each case formed goes to the pipeline; when it is full, the oldest
  // batch goes to the sink first to make room.
  bool delivering = true;
  const auto designAndDeliver = [&](const DesignCase& c) {
    if (delivering && IsCasePipelineFull(pipeline)) {
      delivering = DeliverOldestBatch(pipeline, sink, summary);
    }
    if (delivering) {
      SubmitCase(pipeline, c);
    }
  };

  ForEachDesignCase(inputs, designAndDeliver);
  while (delivering && !IsCasePipelineEmpty(pipeline)) {
    delivering = DeliverOldestBatch(pipeline, sink, summary);
  }
  StopCasePipeline(pipeline);
  return summary;
}

}  // namespace kalvorden
