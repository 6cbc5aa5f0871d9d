#pragma once

#include <cstdint>

#include "numeric/quad.h"

namespace kalvorden {

// The reinforcing bars the design chooses from, selected by a bar index from
// 1 to 12. Entry 1 holds no bar; the design starts its main bars at index 4
// (#16) and its distribution bars at index 3 (#13) and only moves up.
constexpr int32_t kFirstBarIndex = 1;
constexpr int32_t kLastBarIndex = 12;

struct BarTable {
  int32_t designation[kLastBarIndex];  // the size printed after "#"
  Quad diameter[kLastBarIndex];        // nominal diameter, mm (widened single precision)
  Quad area[kLastBarIndex];            // cross-sectional area, mm^2 (whole numbers)
};

extern const BarTable kBarTable;

constexpr bool IsBarIndex(int32_t index) {
  return index >= kFirstBarIndex && index <= kLastBarIndex;
}

// Lookups by bar index. An index outside 1 to 12 gives the empty entry 1
// rather than reading outside the table; the design never asks for one.
int32_t BarDesignation(int32_t index);
Quad BarDiameter(int32_t index);
Quad BarArea(int32_t index);

}  // namespace kalvorden
