// The CSV table's working values and quantities, run as a user runs the
// program: every quantity recomputed exactly from the row's own printed
// columns and the standard's bar masses, the working values equal to the
// calculation sheet's, and the report's 17 columns as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/run_binary.h"

using namespace kalvorden::testing;

namespace {

using Int = __int128;

// Runs the program with `arguments` in a fresh directory and returns the
// CSV's records (the header first) split into fields.
std::vector<std::vector<std::string>> CsvOf(std::vector<std::string> arguments) {
  TempDir dir;
  arguments.insert(arguments.end(), {"--output", "r.rpt", "--csv", "r.csv"});
  const RunResult run = RunFixedClockWith(dir.path(), arguments);
  EXPECT_TRUE(run.exitStatus == 0 || run.exitStatus == 65) << run.err;
  std::vector<std::vector<std::string>> records;
  std::istringstream lines(ReadFileBytes(dir.File("r.csv")));
  for (std::string line; std::getline(lines, line);) {
    records.push_back(CsvFields(line));
  }
  return records;
}

// Wheel loads from everyday to absurd: the main bars of these cases run
// through every size from #16 to #57.
const std::vector<std::string> kEveryBarSize = {"--wheel-load", "72.5,300,1000,2500,6000",
                                                "--top-cover",  "50,65",
                                                "--paving",     "1.5",
                                                "--fs",         "165",
                                                "--fc",         "10"};

// The columns of a record.
enum Column {
  kSpan = 8,
  kActual = 10,
  kMainBar = 11,
  kSpacing = 12,
  kMiddle = 13,
  kDistributionBar = 14,
  kOuter = 15,
  kStatus = 16,
  kMoment = 17,
  kDepth = 18,
  kRequired = 19,
  kProvided = 20,
  kConcrete = 21,
  kMainSteel = 22,
  kDistributionSteel = 23,
  kTotalSteel = 24,
  kSteelPerConcrete = 25,
  kAsBuiltSteelStress = 26,
  kAsBuiltConcreteStress = 27,
  kLeastThickness = 28,
  kLargestSpacing = 29,
  kChecks = 30,
  kColumns = 31
};

struct Bar {
  Int gramsPerMetre;  // ASTM A615/A615M, Table 1: nominal mass
  Int area;           // mm^2, the design's bar table (method manual)
  float diameter;     // mm, as the design stores it (single precision)
};
const std::map<std::string, Bar> kBars = {
    {"10", {560, 71, 9.52f}},     {"13", {994, 129, 12.7f}},    {"16", {1552, 200, 15.88f}},
    {"19", {2235, 284, 19.05f}},  {"22", {3042, 387, 22.23f}},  {"25", {3973, 510, 25.4f}},
    {"29", {5060, 645, 28.65f}},  {"32", {6404, 819, 32.26f}},  {"36", {7907, 1006, 35.81f}},
    {"43", {11380, 1452, 43.0f}}, {"57", {20240, 2581, 57.33f}}};

Int Whole(const std::string& text) {
  return std::stoll(text);
}

std::string Digits(Int value) {
  std::string text;
  do {
    text.insert(text.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
    value /= 10;
  } while (value > 0);
  return text;
}

// n / 10^decimals written with its decimals.
std::string WithDecimals(Int n, int decimals) {
  std::string digits = Digits(n);
  if (decimals == 0) {
    return digits;
  }
  if (digits.size() <= static_cast<size_t>(decimals)) {
    digits.insert(0, static_cast<size_t>(decimals) + 1 - digits.size(), '0');
  }
  return digits.insert(digits.size() - static_cast<size_t>(decimals), ".");
}

// True when `printed` is the exact value numerator / denominator (both
// positive) rounded to `decimals`, halfway cases away from zero.
bool IsRounded(const std::string& printed, Int numerator, Int denominator, int decimals) {
  Int scale = 1;
  for (int i = 0; i < decimals; ++i) {
    scale *= 10;
  }
  return printed ==
         WithDecimals((2 * numerator * scale + denominator) / (2 * denominator), decimals);
}

// Whether numerator / denominator lies exactly halfway between two values
// of `decimals` decimals.
bool IsHalfway(Int numerator, Int denominator, int decimals) {
  Int scale = 1;
  for (int i = 0; i < decimals; ++i) {
    scale *= 10;
  }
  return (2 * numerator * scale) % (2 * denominator) == denominator;
}

// The quantity columns of a record with the exact fraction each prints:
// concrete t / 1000; provided 1000 A / s; main (1000 / s) m; distribution
// (middle + outer) m / S with S the printed span; total their sum; per m^3
// total / concrete. Masses from the standard, not from the program.
struct ExpectedQuantity {
  Column column;
  Int numerator, denominator;
  int decimals;
};
std::vector<ExpectedQuantity> ExpectedQuantities(const std::vector<std::string>& r) {
  const Int t = Whole(r[kActual]);
  const Int s = Whole(r[kSpacing]);
  const Int bars = Whole(r[kMiddle]) + Whole(r[kOuter]);
  std::string span = r[kSpan];
  span.erase(span.find('.'), 1);
  const Int length = Whole(span);  // mm
  const Int main = kBars.at(r[kMainBar]).gramsPerMetre;
  const Int distribution = kBars.at(r[kDistributionBar]).gramsPerMetre;
  const Int area = kBars.at(r[kMainBar]).area;
  // kg/m^2 = g / 1000 per bar metre; the span in mm is 1000 S.
  const Int totalNumerator = main * length + bars * distribution * s;  // over s L
  return {{kConcrete, t, 1000, 3},
          {kProvided, 1000 * area, s, 2},
          {kMainSteel, main, s, 2},
          {kDistributionSteel, bars * distribution, length, 2},
          {kTotalSteel, totalNumerator, s * length, 2},
          {kSteelPerConcrete, 1000 * totalNumerator, s * length * t, 1}};
}

}  // namespace

// Every quantity is its exact fraction rounded by the rule.
TEST(CsvQuantities, RecomputedFromThePrintedColumnsForEveryBarSize) {
  const auto records = CsvOf(kEveryBarSize);
  ASSERT_EQ(records.size(), 1u + 10 * 111);
  std::map<std::string, int> mainBars;
  for (size_t i = 1; i < records.size(); ++i) {
    const std::vector<std::string>& r = records[i];
    ASSERT_EQ(r.size(), static_cast<size_t>(kColumns)) << i;
    ASSERT_EQ(r[kStatus], "ok") << i;
    ++mainBars[r[kMainBar]];
    const std::vector<ExpectedQuantity> expected = ExpectedQuantities(r);
    for (const auto& e : expected) {
      EXPECT_TRUE(IsRounded(r[e.column], e.numerator, e.denominator, e.decimals))
          << "record " << i << " column " << e.column << ": " << r[e.column];
    }
  }
  for (const char* size : {"16", "19", "22", "25", "29", "32", "36", "43", "57"}) {
    EXPECT_GT(mainBars[size], 0) << "#" << size;
  }
}

// The design moment, effective depth and steel area required, and the
// quantities, are those of the calculation sheet, digit for digit: at the
// first span, at spans where the bars move up (designed twice), after one,
// and at the last.
TEST(CsvWorkingValues, EqualTheCalculationSheet) {
  const struct {
    std::vector<std::string> values;
    std::vector<const char*> spans;
  } cases[] = {
      {{"72.5", "50", "1.5", "165", "10"}, {"1.000", "2.875", "2.900", "2.925", "3.750"}},
      {{"1000", "65", "1.5", "165", "10"}, {"1.275", "2.325", "2.350", "3.175"}},
  };
  // The sheet's line and formula for each column from kMoment on.
  const char* const lines[][2] = {{"design moment", "M (of the last pass)"},
                                  {"effective depth", "d = t - db / 2 - c"},
                                  {"required steel area", "As = 10^6 M Cs / d"},
                                  {"main steel provided", "1000 Ab / s"},
                                  {"concrete", "t / 1000"},
                                  {"main bars", "(1000 / s) m"},
                                  {"distribution bars", ") m / S"},
                                  {"reinforcing steel", "main + distribution"},
                                  {"steel per concrete", "steel / concrete"}};
  for (const auto& c : cases) {
    const auto records = CsvOf({"--wheel-load", c.values[0], "--top-cover", c.values[1], "--paving",
                                c.values[2], "--fs", c.values[3], "--fc", c.values[4]});
    for (const char* span : c.spans) {
      TempDir dir;
      RunOptions options;
      options.arguments = {"explain",   "--wheel-load", c.values[0], "--top-cover", c.values[1],
                           "--paving",  c.values[2],    "--fs",      c.values[3],   "--fc",
                           c.values[4], "--span",       span};
      options.workingDirectory = dir.path();
      const std::string sheet = RunBinary(KALVORDEN_BINARY, options).out;
      const auto record = std::find_if(records.begin(), records.end(),
                                       [&](const auto& r) { return r[kSpan] == span; });
      ASSERT_NE(record, records.end()) << span;
      for (int k = 0; k < static_cast<int>(std::size(lines)); ++k) {
        // "    design moment    M (of the last pass)    = 39.6784428949 kN m/m"
        const size_t at = sheet.rfind(std::string("    ") + lines[k][0]);
        ASSERT_NE(at, std::string::npos) << span;
        const size_t formula = sheet.find(lines[k][1], at);
        const size_t value = sheet.find("= ", formula + std::strlen(lines[k][1])) + 2;
        EXPECT_EQ((*record)[kMoment + k], sheet.substr(value, sheet.find(' ', value) - value))
            << c.values[0] << " kN, span " << span << ": " << lines[k][0];
      }
    }
  }
}

namespace {

// Each record of a CSV text cut after its 17th field, CR LF kept.
std::string FirstSeventeenColumns(const std::string& csv) {
  std::string cut;
  bool quoted = false;
  int commas = 0;
  for (const char c : csv) {
    quoted = c == '"' ? !quoted : quoted;
    commas += c == ',' && !quoted ? 1 : 0;
    if (commas < 17 || c == '\r' || c == '\n') {
      cut += c;
    }
    commas = c == '\n' ? 0 : commas;
  }
  return cut;
}

uint64_t Fnv1a(const std::string& bytes) {
  uint64_t hash = 0xcbf29ce484222325u;
  for (const char c : bytes) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
  }
  return hash;
}

}  // namespace

// The report's columns (the first 17) stay byte for byte what the program
// wrote before the working values and quantities were added: the 64-bit
// FNV-1a of those columns, taken from that program's CSV of the same runs
// (main at 53d456e).
TEST(CsvOutput, ReportColumnsAsBefore) {
  const struct {
    std::vector<std::string> arguments;
    uint64_t hash;
  } cases[] = {
      {{"--wheel-load", "72.5,90", "--top-cover", "50,60", "--paving", "1.44,1.5", "--fs", "165",
        "--fc", "10", "--continuity"},
       0x21f02011338787ceu},
      {{"--wheel-load", "72.5", "--top-cover", "50", "--paving", "1.5", "--fs", "165", "--fc",
        "10,0.000001"},
       0x4ada8385de2b951cu},
      {{"--wheel-load", "100,120", "--top-cover", "65", "--paving", "0", "--fs", "170,185", "--fc",
        "8,12", "--continuity"},
       0x4029abfea1926ce7u},
      {kEveryBarSize, 0x1c7f3fd92c66c693u},
  };
  for (const auto& c : cases) {
    TempDir dir;
    std::vector<std::string> arguments = c.arguments;
    arguments.insert(arguments.end(), {"--output", "r.rpt", "--csv", "r.csv"});
    RunFixedClockWith(dir.path(), arguments);
    EXPECT_EQ(Fnv1a(FirstSeventeenColumns(ReadFileBytes(dir.File("r.csv")))), c.hash)
        << arguments[1];
  }
}

namespace {

// 405 cases without continuity, so each row is checked as a simple span:
// light loads on thin slabs with wide bars, covers under a deck's 50 mm,
// and the allowables of the usual grades. Its rows fail every check.
const std::vector<std::string> kCheckedRun = {
    "--wheel-load", "20,72.5,90,120,300", "--top-cover", "25,40,65", "--paving", "0,1.5,2.4",
    "--fs",         "138,165,170",        "--fc",        "8,10,14"};

long double Real(const std::string& text) {
  return std::strtold(text.c_str(), nullptr);
}

// The row's as-built stresses from its own printed columns, in long double:
// the cracked elastic section under the service moment (the live-load
// moment as designed, the dead load at the actual thickness, w S^2 / 8 or
// / 10), with the design's single-precision constants.
std::pair<long double, long double> AsBuiltStresses(const std::vector<std::string>& r) {
  const bool continuous = r[6] == "0.8";
  const long double span = Real(r[kSpan]), t = Real(r[kActual]), s = Real(r[kSpacing]);
  const Bar& bar = kBars.at(r[kMainBar]);
  const long double area = 1000.0L * static_cast<long double>(bar.area) / s;
  const long double d = t - bar.diameter / 2.0L - Real(r[2]);
  const long double factor =
      Real(r[1]) * (continuous ? 0.8f : 1.0f) * (1.0L + 0.3f) / static_cast<long double>(9.74f);
  const long double live = (span + 0.61f) * factor;
  const long double dead = (t * 0.0235631503f + Real(r[3])) * span * span / (continuous ? 10 : 8);
  const long double moment = live + dead;
  const long double rn = area / (1000 * d) * Real(r[7]);
  const long double k = std::sqrt(2 * rn + rn * rn) - rn;
  const long double jd = (1 - k / 3) * d;
  return {1e6L * moment / (area * jd), 2000 * moment / (k * d * jd)};
}

}  // namespace

// Every designed row's check columns recomputed from its printed values: the
// stresses to the printed 0.01 MPa, the least thickness (S + 3000) / 30, at
// least 165 mm, times 1.2 for a simple span, the largest spacing min(1.5 t,
// 450) and the checks failed, each of which some row fails.
TEST(CsvChecks, RecomputedFromThePrintedColumns) {
  for (const bool continuous : {false, true}) {
    std::vector<std::string> arguments = kCheckedRun;
    if (continuous) {
      arguments = {"--wheel-load", "20,72.5", "--top-cover", "40,50", "--paving",    "1.5",
                   "--fs",         "165",     "--fc",        "10",    "--continuity"};
    }
    const auto records = CsvOf(arguments);
    std::map<std::string, int> failures;
    for (size_t i = 1; i < records.size(); ++i) {
      const std::vector<std::string>& r = records[i];
      ASSERT_EQ(r.size(), static_cast<size_t>(kColumns)) << i;
      if (r[kStatus] != "ok") {
        EXPECT_EQ(r[kChecks], "") << i;
        continue;
      }
      const auto [fs, fc] = AsBuiltStresses(r);
      EXPECT_NEAR(Real(r[kAsBuiltSteelStress]), fs, 0.00501L) << i;
      EXPECT_NEAR(Real(r[kAsBuiltConcreteStress]), fc, 0.00501L) << i;
      std::string span = r[kSpan];
      span.erase(span.find('.'), 1);
      const Int t = Whole(r[kActual]), s = Whole(r[kSpacing]);
      const Int numerator = std::max<Int>(Whole(span) + 3000, 4950);
      const Int divisor = continuous ? 30 : 25;
      EXPECT_TRUE(IsRounded(r[kLeastThickness], numerator, divisor, 2)) << r[kLeastThickness];
      EXPECT_EQ(r[kLargestSpacing], WithDecimals(std::min<Int>(15 * t, 4500), 1)) << i;
      const struct {
        const char* name;
        bool fails;
      } checks[] = {{"fs", fs > Real(r[4])},
                    {"fc", fc > Real(r[5])},
                    {"thickness", t * divisor < numerator},
                    {"spacing", 2 * s > 3 * t || s > 450},
                    {"cover", Real(r[2]) < 50}};
      std::string expected;
      for (const auto& check : checks) {
        if (check.fails) {
          expected += (expected.empty() ? "" : " ") + std::string(check.name);
          ++failures[check.name];
        }
      }
      EXPECT_EQ(r[kChecks], expected.empty() ? "OK" : expected) << i;
      ++failures[r[kChecks] == "OK" ? "OK" : ""];
    }
    for (const char* name : {"fs", "fc", "thickness", "spacing", "cover", "OK"}) {
      EXPECT_TRUE(continuous || failures[name] > 0) << name;
    }
  }
}

// A run of 405 cases holds many quantities exactly halfway between two
// printed values (17 x 1.552 / 3.200 = 8.245): each prints rounded away
// from zero, as the method manual rounds, wherever binary128 would put it.
TEST(CsvQuantities, ExactHalvesRoundAwayFromZero) {
  const auto records = CsvOf(kCheckedRun);
  ASSERT_EQ(records.size(), 1u + 405 * 111);
  int halves = 0;
  for (size_t i = 1; i < records.size(); ++i) {
    if (records[i][kStatus] != "ok") {
      continue;
    }
    for (const ExpectedQuantity& e : ExpectedQuantities(records[i])) {
      if (IsHalfway(e.numerator, e.denominator, e.decimals)) {
        ++halves;
        EXPECT_TRUE(IsRounded(records[i][e.column], e.numerator, e.denominator, e.decimals))
            << "record " << i << " column " << e.column << ": " << records[i][e.column];
      }
    }
  }
  EXPECT_GT(halves, 600);
}
