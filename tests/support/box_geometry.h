#pragma once

// What the chart tests ask of boxes (chart/chart_layout.h): whether one
// lies inside another and whether two overlap. The layout itself never asks.

#include "chart/chart_layout.h"

namespace kalvorden {

inline bool Contains(const Box& outer, const Box& inner) {
  return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
         inner.bottom <= outer.bottom;
}

inline bool Overlaps(const Box& one, const Box& other) {
  return one.left < other.right && other.left < one.right && one.top < other.bottom &&
         other.top < one.bottom;
}

}  // namespace kalvorden
