#pragma once

namespace kalvorden {

// How a run designs its spans. The printed results are the same binary128
// values whatever is chosen.
struct DesignOptions {
  // Design every span with the exact binary128 engine alone, without the
  // enclosure filter that takes its decisions in hardware doubles: slower,
  // the same results; for comparing the two engines on any inputs.
  bool exact = false;
};

}  // namespace kalvorden
