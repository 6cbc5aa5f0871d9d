#include "output/csv_output.h"

#include <unistd.h>

#include <charconv>

#include "design/as_built_check.h"
#include "design/span_quantities.h"
#include "numeric/decimal.h"
#include "report/printed_span.h"
#include "report/report_file.h"

namespace kalvorden {
namespace {

constexpr size_t kFlushSize = 1 << 16;

constexpr std::string_view kHeader =
    "case,wheel load (kN),top cover (mm),future paving (kN/m^2),fs (MPa),fc (MPa),"
    "continuity factor,modular ratio n,span (m),minimum thickness (mm),actual thickness (mm),"
    "main bar,main bar spacing (mm),bars in middle half,distribution bar,"
    "bars in both outer quarters (half in each),status,"
    "design moment M (kN m/m),effective depth d (mm),main steel area required As (mm^2/m),"
    "main steel area provided (mm^2/m),concrete (m^3/m^2 of deck),main bars (kg/m^2 of deck),"
    "distribution bars (kg/m^2 of deck),reinforcing steel (kg/m^2 of deck),"
    "reinforcing steel (kg/m^3 of concrete),"
    "as-built steel stress fs (MPa),as-built concrete stress fc (MPa),"
    "recommended least thickness (mm),largest main bar spacing (mm),checks\r\n";

// Room for any value the report's field editing shows: 48 characters, as
// wide as EditFixed ever needs (report/field_edit.h).
constexpr int kWideField = 48;

// |value| x 10^decimals rounded (RoundToDecimals) as EditFixed edits it into
// a field of kWideField characters, without the blanks before it: a minus
// sign unless it rounds to zero, the whole part ("0" for none: a wide field
// has room for it), the point and `decimals` (0 to 4) digits; asterisks
// across the field for a value that does not fit. Rows are appended field
// by field, without temporary strings: a large run writes millions of
// fields.
void AppendScaled(std::string& row, const ScaledDecimal& scaled, int decimals) {
  if (!scaled.fits) {
    row.append(kWideField, '*');
    return;
  }
  // A magnitude under 2^128 has at most 39 digits; with the point, 40.
  char text[48];
  char* const end = text + sizeof text;
  char* cursor = end;
  unsigned __int128 wide = scaled.magnitude;
  int decimalsLeft = decimals;
  if (decimals == 0) {
    *--cursor = '.';  // as EditFixed writes a whole number: "12."
  }
  // The digits above 64 bits in 128-bit arithmetic (a library call each);
  // every field of a slab fits 64 bits and starts below.
  while ((wide >> 64) != 0) {
    *--cursor = static_cast<char>('0' + static_cast<int>(wide % 10));
    wide /= 10;
    if (--decimalsLeft == 0) {
      *--cursor = '.';
    }
  }
  auto rest = static_cast<uint64_t>(wide);
  for (; decimalsLeft > 0; --decimalsLeft) {
    *--cursor = static_cast<char>('0' + rest % 10);
    rest /= 10;
    if (decimalsLeft == 1) {
      *--cursor = '.';
    }
  }
  if (rest == 0 && cursor[0] == '.') {
    *--cursor = '0';
  }
  for (; rest != 0; rest /= 10) {
    *--cursor = static_cast<char>('0' + rest % 10);
  }
  if (scaled.negative && scaled.magnitude != 0) {
    *--cursor = '-';
  }
  row.append(cursor, static_cast<size_t>(end - cursor));
}

void AppendFixed(std::string& row, Quad value, int decimals) {
  AppendScaled(row, RoundToDecimals(value, decimals), decimals);
}

// A whole number as the report's fields print it, without their blanks:
// its decimal digits, a minus sign before a negative one.
void AppendInteger(std::string& row, int32_t value) {
  char digits[12];
  const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
  row.append(digits, static_cast<size_t>(end.ptr - digits));
}

// A field as RFC 4180 wants it: in double quotes, doubled inside, when it
// holds a comma, a quote or a line end.
std::string Quoted(std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
    return std::string(field);
  }
  std::string quoted = "\"";
  for (const char c : field) {
    quoted += c;
    if (c == '"') {
      quoted += '"';
    }
  }
  return quoted + "\"";
}

// An entered value in full: the shortest decimal that reads back as exactly
// the binary128 value.
std::string Value(Quad value) {
  return FullDecimal(value, FullDecimalUse::kTable);
}

// The fields every row of a case repeats, up to the span.
std::string CaseFields(int64_t caseNumber, const DesignCase& c) {
  std::string fields = std::to_string(caseNumber) + "," + Value(c.wheelLoad) + "," +
                       Value(c.topCover) + "," + Value(c.futurePaving) + "," +
                       Value(c.steelStress) + "," + Value(c.concreteStress) + ",";
  AppendFixed(fields, c.continuityFactor, 1);
  fields += ',';
  AppendInteger(fields, c.modularRatio);
  return fields += ',';
}

// The working values of the exact design, then the span's quantities
// (design/span_quantities.h) with their stated decimals.
void AppendWorkingAndQuantityFields(std::string& row, const SpanDesign& s,
                                    const PrintedQuantities& q) {
  for (const Quad working : {s.designMoment, s.effectiveDepth, s.requiredSteelArea}) {
    row += ',';
    row += SignificantDecimal(working, kWorkingValueDigits);
  }
  const std::pair<const ScaledDecimal&, int> quantities[] = {
      {q.providedSteelArea, kSteelAreaDecimals}, {q.concrete, kConcreteDecimals},
      {q.mainSteel, kSteelMassDecimals},         {q.distributionSteel, kSteelMassDecimals},
      {q.totalSteel, kSteelMassDecimals},        {q.steelPerConcrete, kSteelPerConcreteDecimals}};
  for (const auto& [value, decimals] : quantities) {
    row += ',';
    AppendScaled(row, value, decimals);
  }
}

// The check of the row as built (design/as_built_check.h): the stresses
// under the service moment, the recommended least thickness and the largest
// main-bar spacing, and the names of the checks it fails, or OK.
void AppendAsBuiltFields(std::string& row, const PrintedAsBuiltCheck& check) {
  const std::pair<const ScaledDecimal&, int> figures[] = {
      {check.steelStress, kAsBuiltStressDecimals},
      {check.concreteStress, kAsBuiltStressDecimals},
      {check.leastThickness, kLeastThicknessDecimals},
      {check.largestSpacing, kLargestSpacingDecimals}};
  for (const auto& [value, decimals] : figures) {
    row += ',';
    AppendScaled(row, value, decimals);
  }
  row += ',';
  row += CheckNames(check.failed);
}

// The span and its results with the decimals of the report row: span 3,
// minimum thickness 2, everything else whole numbers; then the working
// values, quantities and the as-built check, empty for a span that could
// not be designed.
void AppendSpanFields(std::string& row, const DesignCase& c, const AsBuiltCaseEnclosures& enclosed,
                      const SpanDesign& s, int32_t spanIndex) {
  AppendFixed(row, s.spanLength, 3);
  if (s.fault != SpanFault::kNone) {
    row += ",,,,,,,,";
    row += Quoted(SpanFaultReason(s.fault));
    row += ",,,,,,,,,,,,,,\r\n";
    return;
  }
  row += ',';
  AppendFixed(row, s.minThickness, 2);
  for (const int32_t whole :
       {s.actualThickness, s.mainBarDesignation, s.mainBarSpacing, s.middleHalfBarCount,
        s.distBarDesignation, s.outerQuartersBarCount}) {
    row += ',';
    AppendInteger(row, whole);
  }
  row += ",ok";
  const int32_t spanMillimetres = PrintedSpanMillimetres(spanIndex);
  const PrintedQuantities q = PrintedQuantitiesOf(s, spanMillimetres);
  const PrintedAsBuiltCheck check = PrintedAsBuilt(AsBuiltRowOf(c, s, spanMillimetres), enclosed);
  if (q.known && check.known) {
    AppendWorkingAndQuantityFields(row, s, q);
    AppendAsBuiltFields(row, check);
  } else {
    row += ",,,,,,,,,,,,,,";
  }
  row += "\r\n";
}

// Every row of a case.
void AppendCaseRows(std::string& rows, int64_t caseNumber, const DesignedCase& designed) {
  const DesignCase& c = designed.designCase;
  const std::string caseFields = CaseFields(caseNumber, c);
  const AsBuiltCaseEnclosures enclosed = EncloseCaseOf(AsBuiltRowOf(c, {}, 0));
  for (int32_t i = 0; i < designed.sweep.spanCount; ++i) {
    rows += caseFields;
    AppendSpanFields(rows, c, enclosed, designed.spans[i], i);
  }
}

}  // namespace

CsvOutput::CsvOutput() {
  buffer_.reserve(kFlushSize + 4096);
}

CsvOutput::~CsvOutput() {
  Abandon();
}

int CsvOutput::BeginPending(const std::string& name, bool replace) {
  SetLabel(OutputLabel("CSV", name));
  if (name == kStandardOutputName) {
    toStandardOutput_ = true;
    descriptor_ = STDOUT_FILENO;
  } else {
    if (const int failure = CreatePending(name, replace); failure != 0) {
      return failure;
    }
    descriptor_ = pending().descriptor();
    writeBack_.wanted = true;
  }
  buffer_ = kHeader;
  return 0;
}

bool CsvOutput::Flush() {
  if (failure_ == 0) {
    failure_ = WriteAll(descriptor_, buffer_.data(), buffer_.size());
    NoteWritten(writeBack_, descriptor_, buffer_.size());
  }
  buffer_.clear();
  return CheckFailure();
}

bool CsvOutput::CheckFailure() {
  if (failure_ != 0) {
    Fail(OutputWriteFault(label(), failure_));
    return false;
  }
  return true;
}

void CsvOutput::Prepare(const DesignedCase& designed, std::string& text) const {
  AppendCaseRows(text, designed.number, designed);
}

bool CsvOutput::WritePrepared(const DesignedCase& designed, std::string_view text) {
  // A case numbered otherwise than this table counts (one designed outside
  // a run) is written here, with the table's number.
  if (designed.number != caseNumber_ + 1) {
    return Write(designed);
  }
  ++caseNumber_;
  buffer_ += text;
  return buffer_.size() < kFlushSize || Flush();
}

bool CsvOutput::Write(const DesignedCase& designed) {
  AppendCaseRows(buffer_, ++caseNumber_, designed);
  return buffer_.size() < kFlushSize || Flush();
}

bool CsvOutput::Finish() {
  if (!Flush()) {
    Abandon();
    return false;
  }
  descriptor_ = -1;
  if (toStandardOutput_) {
    return true;
  }
  failure_ = pending().Finish();
  return CheckFailure();
}

void CsvOutput::Abandon() noexcept {
  descriptor_ = -1;
  pending().Abandon();
}

}  // namespace kalvorden
