#pragma once

namespace kalvorden {

// How a run designs its spans. The printed results are the same binary128
// values whatever is chosen.
struct DesignOptions {
  // Design every span with the exact binary128 engine alone, without the
  // enclosure filter that takes its decisions in hardware doubles: slower,
  // the same results; for comparing the two engines on any inputs.
  bool exact = false;
  // Give each span's full record (SpanDesign): the unrounded minimum
  // thickness and the exact working values (design moment, effective depth,
  // required steel area), for an output that prints them. Only the exact
  // engine computes them, so this designs every span exactly.
  bool workingValues = false;
};

}  // namespace kalvorden
