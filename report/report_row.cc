#include "report/report_row.h"

#include <cstring>

#include "report/field_edit.h"

namespace kalvorden {
namespace {

// Columns are counted from 1, as the column heads of the report number them.
char* Column(ReportLine& line, int column) {
  return line.data() + (column - 1);
}

void FillAsterisks(ReportLine& line, int firstColumn, int width) {
  std::memset(Column(line, firstColumn), '*', static_cast<size_t>(width));
}

// The row is the only text of its record: a blank control character and 11
// blanks put it in printed columns 12 to 70.
constexpr int kRowIndent = 12;

}  // namespace

void FillCaseLine(ReportWriter& writer, const DesignCase& designCase) {
  ReportLine& line = writer.caseLine;
  const int32_t cover = TruncateToInt32(designCase.topCover);
  EditFixed(designCase.wheelLoad, 5, 2, Column(line, 3));
  EditFixed(designCase.concreteStress, 7, 3, Column(line, 10));
  EditFixed(designCase.steelStress, 7, 3, Column(line, 19));
  EditInteger(designCase.modularRatio, 3, Column(line, 27));
  EditInteger(cover, 2, Column(line, 34));
  EditFixed(designCase.futurePaving, 6, 3, Column(line, 41));
  EditFixed(designCase.continuityFactor, 3, 1, Column(line, 54));
}

namespace {

// The row's fields after the span's.
void FillResults(ReportLine& row, const SpanDesign& span) {
  if (span.fault == SpanFault::kNone) {
    EditFixed(span.minThickness, 6, 2, Column(row, 12));
    EditInteger(span.actualThickness, 4, Column(row, 21));
    EditInteger(span.mainBarDesignation, 2, Column(row, 31));
    EditInteger(span.mainBarSpacing, 4, Column(row, 37));
    EditInteger(span.middleHalfBarCount, 2, Column(row, 45));
    EditInteger(span.distBarDesignation, 2, Column(row, 49));
    EditInteger(span.outerQuartersBarCount, 2, Column(row, 53));
    EditInteger(span.distBarDesignation, 2, Column(row, 57));
  } else {
    FillAsterisks(row, 12, 6);
    FillAsterisks(row, 21, 4);
    FillAsterisks(row, 31, 2);
    FillAsterisks(row, 37, 4);
    FillAsterisks(row, 45, 2);
    FillAsterisks(row, 49, 2);
    FillAsterisks(row, 53, 2);
    FillAsterisks(row, 57, 2);
  }
}

}  // namespace

void SpanColumnTexts::Edit(Quad length, char* field) {
  unsigned __int128 bits = 0;
  static_assert(sizeof bits == sizeof length);
  std::memcpy(&bits, &length, sizeof bits);
  const auto mixed = (static_cast<uint64_t>(bits >> 64) ^ static_cast<uint64_t>(bits)) *
                     uint64_t{0x9E3779B97F4A7C15};
  Entry& entry = entries_[mixed >> 56];
  if (!entry.known || entry.bits != bits) {
    EditFixed(length, kWidth, kDecimals, entry.text.data());
    entry.bits = bits;
    entry.known = true;
  }
  std::memcpy(field, entry.text.data(), entry.text.size());
}

ReportLine FormatRow(const SpanDesign& span) {
  ReportLine row = kRowTemplate;
  EditFixed(span.spanLength, SpanColumnTexts::kWidth, SpanColumnTexts::kDecimals, Column(row, 2));
  FillResults(row, span);
  return row;
}

void WriteRow(ReportWriter& writer, const SpanDesign& span) {
  writer.spanTexts.Edit(span.spanLength, Column(writer.row, 2));
  FillResults(writer.row, span);
  char record[kRowIndent + kLineWidth];
  std::memset(record, ' ', kRowIndent);
  std::memcpy(record + kRowIndent, writer.row.data(), kLineWidth);
  WriteRecord(writer.file, std::string_view(record, sizeof record));
}

}  // namespace kalvorden
