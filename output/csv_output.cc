#include "output/csv_output.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>

#include "design/as_built_check.h"
#include "design/span_quantities.h"
#include "numeric/decimal.h"
#include "report/printed_span.h"
#include "report/report_file.h"

namespace kalvorden {
namespace {

// The table goes to its file in whole blocks of this size, each at an
// offset that is a multiple of it: the page cache then takes it in large
// folios, and the kernel's work for the 61 MB of a run of 3125 cases
// (pages, buffer heads, write-back) is about half what writing each case's
// 20 kB as it comes costs, for one copy of the rows here.
constexpr size_t kBlockSize = size_t{1} << 18;

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

// A magnitude of 64 bits: its digits, at least `decimals` + 1 of them, with
// the point before the last `decimals` ("12." for a whole number, as
// EditFixed writes it). Below 10^8, as every figure of a slab is, the
// digits are made at once and stored in whole words (the characters after
// the end, within the field's room, are written too).
[[gnu::always_inline]] inline char* WriteScaledMagnitude(char* out, uint64_t magnitude,
                                                         int decimals) {
  const int count = std::max(DecimalDigitCount(magnitude), decimals + 1);
  const int integral = count - decimals;
  if (magnitude < 100000000) {
    // The digits in the word's first `count` bytes, the first lowest.
    const uint64_t digits =
        EightDigitCharacters(static_cast<uint32_t>(magnitude)) >> (8 * (8 - count));
    std::memcpy(out, &digits, sizeof digits);
    out[integral] = '.';
    if (decimals > 0) {  // integral is then under 8
      const auto fraction = static_cast<uint32_t>(digits >> (8 * integral));
      std::memcpy(out + integral + 1, &fraction, sizeof fraction);
    }
    return out + count + 1;
  }
  char* const end = out + count + 1;  // and the point
  const uint64_t whole = PutDigitsBefore(end, magnitude, decimals);
  out[integral] = '.';
  PutDigitsBefore(out + integral, whole, integral);
  return end;
}

// A wider magnitude (at most 39 digits, 40 characters with the point):
// the digits above 64 bits in 128-bit arithmetic, a library call a digit.
char* WriteScaledMagnitude(char* out, unsigned __int128 wide, int decimals) {
  char text[40];
  char* const end = text + sizeof text;
  char* cursor = end;
  int decimalsLeft = decimals;
  if (decimals == 0) {
    *--cursor = '.';
  }
  while ((wide >> 64) != 0) {
    *--cursor = static_cast<char>('0' + static_cast<int>(wide % 10));
    wide /= 10;
    if (--decimalsLeft == 0) {
      *--cursor = '.';
    }
  }
  for (auto rest = static_cast<uint64_t>(wide); rest != 0 || decimalsLeft > 0; rest /= 10) {
    *--cursor = static_cast<char>('0' + rest % 10);
    if (--decimalsLeft == 0) {
      *--cursor = '.';
    }
  }
  return std::copy(cursor, end, out);
}

// |value| x 10^decimals rounded (RoundToDecimals) as EditFixed edits it into
// a field of kWideField characters, without the blanks before it, written
// at `out`: a minus sign unless it rounds to zero, the whole part ("0" for
// none: a wide field has room for it), the point and `decimals` (0 to 4)
// digits; asterisks across the field for a value that does not fit. Returns
// the end of the text. A large run writes millions of fields: each row is
// composed in a buffer of its own and appended once.
[[gnu::always_inline]] inline char* WriteScaled(char* out, const ScaledDecimal& scaled,
                                                int decimals) {
  if (!scaled.fits) {
    return std::fill_n(out, kWideField, '*');
  }
  if (scaled.negative && scaled.magnitude != 0) {
    *out++ = '-';
  }
  // Every field of a slab fits 64 bits.
  if ((scaled.magnitude >> 64) == 0) {
    return WriteScaledMagnitude(out, static_cast<uint64_t>(scaled.magnitude), decimals);
  }
  return WriteScaledMagnitude(out, scaled.magnitude, decimals);
}

char* WriteFixed(char* out, Quad value, int decimals) {
  return WriteScaled(out, RoundToDecimals(value, decimals), decimals);
}

// A whole number as the report's fields print it, without their blanks:
// its decimal digits, a minus sign before a negative one (11 characters at
// most).
char* WriteInteger(char* out, int32_t value) {
  return std::to_chars(out, out + 11, value).ptr;
}

void AppendFixed(std::string& row, Quad value, int decimals) {
  char text[kWideField];
  row.append(text, WriteFixed(text, value, decimals));
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

// The entered values of a case in full, each the shortest decimal that reads
// back as exactly the binary128 value. A run's cases combine five short
// lists, so each value's text is kept (per thread, by the value's bits) for
// the cases after it.
class EnteredValueTexts {
 public:
  const std::string& Of(size_t list, Quad value) {
    Kept& kept = kept_[list];
    const auto bits = std::bit_cast<unsigned __int128>(value);
    if (!kept.known || kept.bits != bits) {
      kept = {true, bits, FullDecimal(value, FullDecimalUse::kTable)};
    }
    return kept.text;
  }

 private:
  struct Kept {
    bool known = false;
    unsigned __int128 bits = 0;
    std::string text;
  };
  std::array<Kept, 5> kept_;
};

// The span field of a row: a run's rows repeat the same 111 spans in every
// case, so each thread keeps the text of each span it wrote, by the span's
// place in the sweep and its bits.
char* WriteSpan(char* out, Quad span, int32_t spanIndex) {
  struct Kept {
    unsigned __int128 bits = 0;
    char text[16] = {};
    int8_t length = -1;  // none kept
  };
  thread_local std::array<Kept, 128> kept;
  Kept& slot = kept[static_cast<size_t>(spanIndex) % kept.size()];
  const auto bits = std::bit_cast<unsigned __int128>(span);
  if (slot.length < 0 || slot.bits != bits) {
    char* const end = WriteFixed(out, span, 3);
    if (end - out > static_cast<ptrdiff_t>(sizeof slot.text)) {
      return end;  // too long to keep (no span of a sweep is)
    }
    slot.bits = bits;
    slot.length = static_cast<int8_t>(end - out);
    std::memcpy(slot.text, out, static_cast<size_t>(slot.length));
    return end;
  }
  std::memcpy(out, slot.text, sizeof slot.text);  // within the field's room
  return out + slot.length;
}

// The fields every row of a case repeats, up to the span.
std::string CaseFields(int64_t caseNumber, const DesignCase& c) {
  thread_local EnteredValueTexts texts;
  std::string fields = std::to_string(caseNumber) + "," + texts.Of(0, c.wheelLoad) + "," +
                       texts.Of(1, c.topCover) + "," + texts.Of(2, c.futurePaving) + "," +
                       texts.Of(3, c.steelStress) + "," + texts.Of(4, c.concreteStress) + ",";
  AppendFixed(fields, c.continuityFactor, 1);
  fields += ',';
  fields += std::to_string(c.modularRatio);
  return fields += ',';
}

// The working values of the exact design, then the span's quantities
// (design/span_quantities.h) with their stated decimals.
char* WriteWorkingAndQuantityFields(char* out, const SpanDesign& s, const PrintedQuantities& q) {
  const Quad working[] = {s.designMoment, s.effectiveDepth, s.requiredSteelArea};
  for (size_t i = 0; i < std::size(working); ++i) {
    *out++ = ',';
    out = s.workingDigitsKnown
              ? WriteSignificantDigits(out, s.workingDigits[i], kWorkingValueDigits)
              : WriteSignificantDecimal(out, working[i], kWorkingValueDigits);
  }
  const std::pair<const ScaledDecimal&, int> quantities[] = {
      {q.providedSteelArea, kSteelAreaDecimals}, {q.concrete, kConcreteDecimals},
      {q.mainSteel, kSteelMassDecimals},         {q.distributionSteel, kSteelMassDecimals},
      {q.totalSteel, kSteelMassDecimals},        {q.steelPerConcrete, kSteelPerConcreteDecimals}};
  for (const auto& [value, decimals] : quantities) {
    *out++ = ',';
    out = WriteScaled(out, value, decimals);
  }
  return out;
}

// The figures of the check of the row as built (design/as_built_check.h):
// the stresses under the service moment, the recommended least thickness and
// the largest main-bar spacing; the names of the checks it fails follow.
char* WriteAsBuiltFigures(char* out, const PrintedAsBuiltCheck& check) {
  const std::pair<const ScaledDecimal&, int> figures[] = {
      {check.steelStress, kAsBuiltStressDecimals},
      {check.concreteStress, kAsBuiltStressDecimals},
      {check.leastThickness, kLeastThicknessDecimals},
      {check.largestSpacing, kLargestSpacingDecimals}};
  for (const auto& [value, decimals] : figures) {
    *out++ = ',';
    out = WriteScaled(out, value, decimals);
  }
  *out++ = ',';
  return out;
}

// Room for a designed span's fields and the line end: two fixed fields, six
// whole numbers, the status, three working values, ten quantities and
// figures, each with the comma before it, the comma after, the names of its
// failed checks.
constexpr size_t kSpanFieldsRoom = kWideField + (1 + kWideField) + 6 * (1 + 11) + 3 +
                                   3 * (1 + kSignificantDecimalRoom) + 10 * (1 + kWideField) + 1 +
                                   kLongestCheckNames + 2;

// CheckNames, made once for each of the 32 sets of the five checks.
const std::string& CheckNamesText(uint32_t failed) {
  static_assert(kCoverFails == 1U << 4, "five checks, the last bit 4: 32 sets");
  static const auto kTexts = [] {
    std::array<std::string, 32> texts;
    for (uint32_t set = 0; set < texts.size(); ++set) {
      texts[set] = CheckNames(set);
    }
    return texts;
  }();
  return kTexts[failed & 31U];
}

// The span and its results with the decimals of the report row: span 3,
// minimum thickness 2, everything else whole numbers; then the working
// values, quantities and the as-built check, empty for a span that could
// not be designed.
[[gnu::always_inline]] inline void AppendSpanFields(std::string& rows, const AsBuiltRow& caseRow,
                                                    const AsBuiltCaseEnclosures& enclosed,
                                                    const SpanDesign& s, int32_t spanIndex) {
  char text[kSpanFieldsRoom];
  char* out = WriteSpan(text, s.spanLength, spanIndex);
  if (s.fault != SpanFault::kNone) {
    rows.append(text, out);
    rows += ",,,,,,,,";
    rows += Quoted(SpanFaultReason(s.fault));
    rows += ",,,,,,,,,,,,,,\r\n";
    return;
  }
  *out++ = ',';
  out = s.minThicknessHundredths > 0
            ? WriteScaledMagnitude(out, static_cast<uint64_t>(s.minThicknessHundredths), 2)
            : WriteFixed(out, s.minThickness, 2);
  for (const int32_t whole :
       {s.actualThickness, s.mainBarDesignation, s.mainBarSpacing, s.middleHalfBarCount,
        s.distBarDesignation, s.outerQuartersBarCount}) {
    *out++ = ',';
    out = WriteInteger(out, whole);
  }
  out = std::copy_n(",ok", 3, out);
  const int32_t spanMillimetres = PrintedSpanMillimetres(spanIndex);
  const PrintedQuantities q = PrintedQuantitiesOf(s, spanMillimetres);
  const PrintedAsBuiltCheck check =
      PrintedAsBuilt(AsBuiltRowOf(caseRow, s, spanMillimetres), enclosed);
  if (!q.known || !check.known) {
    rows.append(text, out);
    rows += ",,,,,,,,,,,,,,\r\n";
    return;
  }
  out = WriteWorkingAndQuantityFields(out, s, q);
  out = WriteAsBuiltFigures(out, check);
  const std::string& names = CheckNamesText(check.failed);
  out = std::copy(names.begin(), names.end(), out);
  *out++ = '\r';
  *out++ = '\n';
  rows.append(text, out);
}

// Every row of a case.
void AppendCaseRows(std::string& rows, int64_t caseNumber, const DesignedCase& designed) {
  const DesignCase& c = designed.designCase;
  const std::string caseFields = CaseFields(caseNumber, c);
  const AsBuiltRow caseRow = AsBuiltRowOf(c, {}, 0);
  const AsBuiltCaseEnclosures enclosed = EncloseCaseOf(caseRow);
  for (int32_t i = 0; i < designed.sweep.spanCount; ++i) {
    rows += caseFields;
    AppendSpanFields(rows, caseRow, enclosed, designed.spans[i], i);
  }
}

}  // namespace

CsvOutput::CsvOutput() {
  buffer_.reserve(kBlockSize + (size_t{1} << 16));
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
  const bool written = WriteOut(buffer_);
  buffer_.clear();
  return written;
}

bool CsvOutput::WriteWholeBlocks() {
  if (buffer_.size() < kBlockSize) {
    return true;
  }
  const size_t whole = buffer_.size() - buffer_.size() % kBlockSize;
  const bool written = WriteOut({buffer_.data(), whole});
  buffer_.erase(0, whole);
  return written;
}

bool CsvOutput::WriteOut(std::string_view text) {
  if (failure_ == 0) {
    failure_ = WriteAll(descriptor_, text.data(), text.size());
    NoteWritten(writeBack_, descriptor_, text.size());
  }
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
  return WriteWholeBlocks();
}

bool CsvOutput::Write(const DesignedCase& designed) {
  AppendCaseRows(buffer_, ++caseNumber_, designed);
  return WriteWholeBlocks();
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
