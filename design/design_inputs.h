#pragma once

// The values to design, from the dialogue's answers or the command line's
// lists, as the design engine consumes them. Filled once by the run driver,
// read-only afterwards.

#include <array>
#include <cstdint>
#include <string>

#include "numeric/quad.h"

namespace kalvorden {

// Every list holds at most five values.
constexpr int32_t kListCapacity = 5;

// A count as typed (0 or less: an empty list) and the values entered for it.
struct ValueList {
  int32_t count = 0;
  std::array<Quad, kListCapacity> values{};
};

// The continuity factor when it is applied: 0.8 widened
// (0.800000011920928955078125); otherwise 1.0.
constexpr Quad kContinuityFactor = Widen(0.8f);

struct DesignInputs {
  std::string reportFileName;  // the first 24 characters of the answer, blank-padded
  ValueList wheelLoads;        // WHEEL LOAD, kN
  ValueList topCovers;         // SLAB COVER, mm
  ValueList futurePavings;     // FUTURE PAVING allowance, kN/m^2
  ValueList steelStresses;     // fs, MPa
  ValueList concreteStresses;  // fc, MPa
  // The span deduction width is not asked for: one entry of 0.0 mm, so the
  // design span equals the swept span exactly.
  ValueList spanDeductionWidths = {1, {}};
  Quad continuityFactor = 1;  // 1.0, or 0.8 widened when the answer was Y or y
};

}  // namespace kalvorden
