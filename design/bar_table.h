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

// The nominal mass per metre of each bar of the table, in grams per metre
// (whole numbers, so that quantities derived from it are exact until the
// one division that makes them per square metre). From ASTM A615/A615M,
// Table 1 (deformed bar designation numbers, nominal weights and masses):
// #10 0.560, #13 0.994, #16 1.552, #19 2.235, #22 3.042, #25 3.973,
// #29 5.060, #32 6.404, #36 7.907, #43 11.38, #57 20.24 kg/m. The empty
// entry 1 weighs 0.
int32_t BarMassGramsPerMetre(int32_t index);

// The bar index of the bar printed "#designation", or 0 when the table has
// no such bar.
int32_t BarIndexOf(int32_t designation);

}  // namespace kalvorden
