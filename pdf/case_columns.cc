#include "pdf/case_columns.h"

#include <algorithm>

#include "numeric/decimal.h"
#include "pdf/page_frame.h"

namespace kalvorden {
namespace {

struct ColumnHead {
  const char* name;
  const char* unit;
};

// In the order of the lists and of a case's values.
constexpr std::array<ColumnHead, 5> kHeads = {{{"Wheel load", "(kN)"},
                                               {"Top cover", "(mm)"},
                                               {"Paving", "(kN/m^2)"},
                                               {"fs", "(MPa)"},
                                               {"fc", "(MPa)"}}};

// A minimum gap between columns, beyond the one blank PadCell keeps.
constexpr size_t kLeastColumn = 12;

std::array<Quad, 5> ValuesOf(const DesignCase& c) {
  return {c.wheelLoad, c.topCover, c.futurePaving, c.steelStress, c.concreteStress};
}

}  // namespace

CaseColumns::CaseColumns(const DesignInputs& inputs) {
  const std::array<const ValueList*, 5> lists = {&inputs.wheelLoads, &inputs.topCovers,
                                                 &inputs.futurePavings, &inputs.steelStresses,
                                                 &inputs.concreteStresses};
  for (size_t column = 0; column < widths_.size(); ++column) {
    size_t widest = std::max({kLeastColumn, std::string(kHeads[column].name).size() + 1,
                              std::string(kHeads[column].unit).size() + 1});
    const int32_t count = std::clamp(lists[column]->count, 0, kListCapacity);
    for (int32_t i = 0; i < count; ++i) {
      widest =
          std::max(widest, FullValue(lists[column]->values[static_cast<size_t>(i)]).size() + 1);
    }
    widths_[column] = widest;
  }
}

std::string CaseColumns::Heading(int line) const {
  std::string text;
  for (size_t column = 0; column < widths_.size(); ++column) {
    text += PadCell(line == 0 ? kHeads[column].name : kHeads[column].unit, widths_[column]);
  }
  return text;
}

std::string CaseColumns::Cells(const DesignCase& designCase) const {
  const std::array<Quad, 5> values = ValuesOf(designCase);
  std::string text;
  for (size_t column = 0; column < widths_.size(); ++column) {
    text += PadCell(FullValue(values[column]), widths_[column]);
  }
  return text;
}

std::string PadCell(std::string text, size_t width) {
  text.push_back(' ');
  if (text.size() < width) {
    text.append(width - text.size(), ' ');
  }
  return text;
}

std::string FullValue(Quad value) {
  return FullDecimal(value, FullDecimalUse::kPrinted);
}

std::string PadCellLeft(const std::string& text, size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

double MonoSizeToFit(size_t characters, double width, double largest) {
  if (characters == 0) {
    return largest;
  }
  return std::min(largest, width / (static_cast<double>(characters) * kMonoAdvancePerEm));
}

}  // namespace kalvorden
