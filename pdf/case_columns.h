#pragma once

// The entered values of a run's design cases as the columns of a monospaced
// table (the index, the cover's governing rows): each value in full, each
// column as wide as its widest value or heading, and the table's font made
// small enough for the whole line to fit the sheet, however many digits an
// engineer entered.

#include <array>
#include <cstddef>
#include <string>

#include "design/design_inputs.h"
#include "design/design_records.h"

namespace kalvorden {

class CaseColumns {
 public:
  // Columns for every value of every list of `inputs`.
  explicit CaseColumns(const DesignInputs& inputs);

  // The two heading lines over the value columns ("Wheel load" over
  // "(kN)"), as wide as Cells.
  std::string Heading(int line) const;
  // The case's five entered values in full, each padded to its column.
  std::string Cells(const DesignCase& designCase) const;

 private:
  std::array<size_t, 5> widths_{};
};

// `text` padded with blanks to `width`, after at least one blank so that a
// value as wide as its column still stands apart from the next.
std::string PadCell(std::string text, size_t width);
// A value in full, every digit of the binary128 value, as the sheets
// print the run's values.
std::string FullValue(Quad value);
// `text` with blanks before it to `width`.
std::string PadCellLeft(const std::string& text, size_t width);

// The monospaced font size that sets `characters` within `width` points,
// at most `largest`.
double MonoSizeToFit(size_t characters, double width, double largest);

}  // namespace kalvorden
