#include "design/bar_table.h"

namespace kalvorden {

// The diameters are the single-precision values of the written millimetres;
// the design takes them at these stored values (9.52 is
// 9.520000457763671875, 15.88 is 15.88000011444091796875, ...).
constexpr BarTable kBarTable = {
    {0, 10, 13, 16, 19, 22, 25, 29, 32, 36, 43, 57},
    {Widen(0.0f), Widen(9.52f), Widen(12.7f), Widen(15.88f), Widen(19.05f), Widen(22.23f),
     Widen(25.4f), Widen(28.65f), Widen(32.26f), Widen(35.81f), Widen(43.0f), Widen(57.33f)},
    {0, 71, 129, 200, 284, 387, 510, 645, 819, 1006, 1452, 2581},
};

// Nominal masses, g/m, in the order of the bar table (source: bar_table.h).
constexpr int32_t kBarMassGramsPerMetre[kLastBarIndex] = {0,    560,  994,  1552, 2235,  3042,
                                                          3973, 5060, 6404, 7907, 11380, 20240};

namespace {
int32_t Slot(int32_t index) {
  return IsBarIndex(index) ? index - 1 : 0;
}
}  // namespace

int32_t BarDesignation(int32_t index) {
  return kBarTable.designation[Slot(index)];
}
Quad BarDiameter(int32_t index) {
  return kBarTable.diameter[Slot(index)];
}
Quad BarArea(int32_t index) {
  return kBarTable.area[Slot(index)];
}

int32_t BarMassGramsPerMetre(int32_t index) {
  return kBarMassGramsPerMetre[Slot(index)];
}

int32_t BarIndexOf(int32_t designation) {
  for (int32_t index = kFirstBarIndex + 1; index <= kLastBarIndex; ++index) {
    if (BarDesignation(index) == designation) {
      return index;
    }
  }
  return 0;
}

}  // namespace kalvorden
