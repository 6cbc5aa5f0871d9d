#pragma once

namespace kalvorden {

// How a run designs its spans. The printed results are the same binary128
// values whatever is chosen.
struct DesignOptions {
  // Design every span with the exact binary128 engine alone, without the
  // enclosure filter that takes its decisions in hardware doubles: slower,
  // the same results; for comparing the two engines on any inputs.
  bool exact = false;
  // Give every span its working values as well (the design moment, the
  // effective depth and the steel area required; design_records.h), for an
  // output that prints them beside the row (the CSV table), each as a
  // binary128 value that prints as the exact design's value does to
  // kWorkingValueDigits significant digits; the printed record is the same,
  // its minimum thickness still rounded to the printed hundredths.
  bool workingValues = false;
};

}  // namespace kalvorden
