// Hostile answer files run end to end, each in a fresh directory: binary
// bytes and NULs, megabyte lines, odd counts and numerals, values no slab
// can be designed for, and the largest run the dialogue allows. Every run
// must end in bounded time with a documented status, one well-formed account
// on standard error, and a report file that is absent, empty or complete.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/run_binary.h"

using namespace kalvorden::testing;
using namespace std::string_literals;

// For each of the five lists: the count answer, then the value answers.
using Lists = std::array<std::vector<std::string>, 5>;

// An answer file: the report file name, the five lists, then `tail`: the
// continuity answer with its line end, without it, or nothing at all.
static std::string Answers(const std::string& name, const Lists& lists, const std::string& tail) {
  std::string text = name + "\n";
  for (const std::vector<std::string>& list : lists) {
    for (const std::string& answer : list)
      text += answer + "\n";
  }
  return text + tail;
}

// The worked example's lists (one case) with list `i` answered otherwise.
static Lists With(int i, std::vector<std::string> answers) {
  Lists lists = {{{"1", "72.5"}, {"1", "50"}, {"1", "1.5"}, {"1", "165"}, {"1", "10"}}};
  lists[static_cast<size_t>(i)] = std::move(answers);
  return lists;
}

// The worked example with the single value of list `i` answered `value`.
static std::string Value(int i, const std::string& value) {
  return Answers("r.rpt", With(i, {"1", value}), "N\n");
}

// Expected standard error, as regular expressions.
static std::string Fatal(int number, const std::string& text) {
  return "kalvorden: error \\(" + std::to_string(number) + "\\): " + text + "\n";
}
static const std::string kDone = "Normal termination of the KALVORDEN application\\.\n";
static const std::string kBadField = Fatal(64, "input conversion error, reading standard input");
static const std::string kNoAnswer = Fatal(24, "end-of-file during read, reading standard input");

// One case whose line names `value` and whose first span cannot be designed,
// then the closing line of a run with `cases` cases.
static std::string Undesigned(const std::string& value, int cases = 1) {
  return "kalvorden: design case not designed in full: [^\n]*" + value +
         "[^\n]*, first at span 1\\.000 m; [^\n]*\n" +
         Fatal(65, "design incomplete, 1 of " + std::to_string(cases) + " design cases [^\n]*");
}

static const std::string kPad(11, ' ');  // printed columns before every row and case line
static std::string CaseLine(const std::string& wheelLoad, const std::string& continuity) {
  return "\n" + kPad + wheelLoad + "   10.000  165.000   8    50      1.500       " + continuity +
         "   \r";
}
// Every field of an undesigned span's row after its span length.
static const std::string kStarRow = "    ******   ****     #** at ****    **-#**  **-#** ";

// The result rows: 11 blanks, a row of 59 characters that begins with a span
// such as "  1.000 ", and the record's CR. Scanned by hand, not by a regular
// expression: the largest report is 36 MB.
static std::vector<std::string_view> ReportRows(const std::string& report) {
  std::vector<std::string_view> rows;
  for (size_t at = 0, end; (end = report.find('\n', at)) != std::string::npos; at = end + 1) {
    const std::string_view line(report.data() + at, end - at);
    if (line.size() == 71 && line.find_first_not_of(' ') == 13 &&
        std::isdigit(static_cast<unsigned char>(line[13])) && line[14] == '.' && line[70] == '\r')
      rows.push_back(line.substr(11, 59));
  }
  return rows;
}

static bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

enum Report { kAbsent, kEmpty, kComplete };

TEST(HostileAnswers, EndWithADocumentedStatusAndASoundReport) {
  const Lists largest = {{{"5", "40", "55", "72.5", "87.5", "95"},
                          {"5", "40", "50", "60", "65", "70"},
                          {"5", "0", "1", "1.44", "2", "3"},
                          {"5", "140", "150", "165", "170", "200"},
                          {"5", "8", "9", "10", "11", "12"}}};
  const std::string worked = CaseLine("  72.50", "1.0");
  const std::string zeroLoad = CaseLine("   0.00", "1.0");
  const std::string megabyte(1 << 20, '7');
  struct Row {
    const char* label;
    std::string input;
    int status;
    long prompts;         // lines on standard output
    std::string err;      // standard error, a regular expression
    Report report;        // the state of r.rpt, the only file the run may leave
    size_t rows = 0;      // result rows of a complete report
    size_t starred = 0;   // of those, the first `starred` are all asterisks, the rest have none
    std::string shows{};  // text a complete report holds
  };
  const Row table[] = {
      {"NUL in the name", Answers("r.rpt\0x"s, With(0, {"1", "72.5"}), "N\n"), 43, 1,
       Fatal(43,
             "file name specification error, opening report file \"r\\.rpt\\\\x00x\": "
             "the name holds a NUL character"),
       kAbsent},
      {"NUL in a value", Value(3, "16\0.5"s), 64, 9, kBadField, kEmpty},
      {"0xFF in a value", Value(0, "72\xff.5"), 64, 3, kBadField, kEmpty},
      {"binary after 8 characters", Value(0, "72.5    \0\xff\x1b\r\x80\x01"s), 0, 12, kDone,
       kComplete, 111, 0, worked},
      {"1 MB value line", Value(0, "72.50000" + megabyte), 0, 12, kDone, kComplete, 111, 0, worked},
      {"1 MB name line",
       Answers("r.rpt" + std::string(19, ' ') + "\0"s + megabyte, With(0, {"1", "72.5"}), "N\n"), 0,
       12, kDone, kComplete, 111, 0, worked},
      {"no last line end", Answers("r.rpt", With(0, {"1", "72.5"}), "y"), 0, 12, kDone, kComplete,
       111, 0, CaseLine("  72.50", "0.8")},
      {"count 99, then 1", Answers("r.rpt", With(0, {"99", "1", "72.5"}), "N\n"), 0, 14, kDone,
       kComplete, 111, 0, worked},
      {"count -9", Answers("r.rpt", With(0, {"-9"}), "N\n"), 0, 11, kDone, kComplete},
      {"count +", Answers("r.rpt", With(1, {"+"}), "N\n"), 0, 11, kDone, kComplete},
      {"count ' -'", Answers("r.rpt", With(4, {" -"}), "N\n"), 0, 11, kDone, kComplete},
      {"count 5x", Answers("r.rpt", With(3, {"5x"}), "N\n"), 64, 8, kBadField, kEmpty},
      {"Inf", Value(0, "Inf"), 65, 12, Undesigned("wheel load inf kN"), kComplete, 111, 111},
      {"-Inf", Value(1, "-Inf"), 65, 12, Undesigned("top cover -inf mm"), kComplete, 111, 111},
      {"NaN", Value(2, "NaN"), 65, 12, Undesigned("future paving nan kN"), kComplete, 111, 111},
      {"1e5000", Value(3, "1e5000"), 65, 12, Undesigned("fs inf MPa"), kComplete, 111, 111},
      {"1e-5000", Value(0, "1e-5000"), 0, 12, kDone, kComplete, 111, 0, zeroLoad},
      {"-0", Value(0, "-0"), 0, 12, kDone, kComplete, 111, 0, zeroLoad},
      {".", Value(0, "."), 64, 3, kBadField, kEmpty},
      {"1.2.3", Value(1, "1.2.3"), 64, 5, kBadField, kEmpty},
      {"1e", Value(2, "1e"), 64, 7, kBadField, kEmpty},
      {"1.5+", Value(4, "1.5+"), 64, 11, kBadField, kEmpty},
      {"fc 0", Value(4, "0"), 65, 12, Undesigned("fc 0 MPa"), kComplete, 111, 111},
      {"fc -10", Value(4, "-10"), 65, 12, Undesigned("fc -10 MPa"), kComplete, 111, 111},
      {"fs 0", Value(3, "0"), 65, 12, Undesigned("fs 0 MPa"), kComplete, 111, 111},
      {"fs -165", Value(3, "-165"), 65, 12, Undesigned("fs -165 MPa"), kComplete, 111, 111},
      {"wheel load 1e6", Value(0, "1e6"), 65, 12, Undesigned("wheel load 1000000 kN[^\n]*#57"),
       kComplete, 111, 111},
      // The sound case after the undesignable one starts again from the
      // smallest bars and ends as the worked example does.
      {"fc 0, then 10", Answers("r.rpt", With(4, {"2", "0", "10"}), "N\n"), 65, 13,
       Undesigned("fc 0 MPa", 2), kComplete, 222, 111,
       "\n" + kPad + "  3.750    249.61    250     #19 at  150    11-#16   6-#16 \r"},
      {"largest run", Answers("r.rpt", largest, "Y\n"), 0, 32, kDone, kComplete, 3125 * 111, 0},
      {"end after 2 of 5 values", Answers("r.rpt", {{{"5", "72.5", "72.5"}}}, ""), 24, 5, kNoAnswer,
       kEmpty},
  };
  for (const Row& row : table) {
    SCOPED_TRACE(row.label);
    TempDir dir;
    const RunResult run = RunFixedClock(dir.path(), row.input);
    EXPECT_EQ(run.exitStatus, row.status);
    EXPECT_TRUE(std::regex_match(run.err, std::regex(row.err))) << run.err;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), row.prompts) << run.out;
    if (row.status == 0 || row.status == 65) {
      EXPECT_TRUE(EndsWith(run.out, " Use continuity factor? Enter Y for YES or N for NO.\n"));
    }
    const auto files = std::distance(std::filesystem::directory_iterator(dir.path()), {});
    EXPECT_EQ(files, row.report == kAbsent ? 0 : 1);
    if (row.report == kAbsent)
      continue;
    EXPECT_TRUE(FileExists(dir.File("r.rpt")));
    const std::string report = ReadFileBytes(dir.File("r.rpt"));
    if (row.report == kEmpty) {
      EXPECT_EQ(report, "");
      continue;
    }
    EXPECT_TRUE(EndsWith(report, "Page 3 of 3\r\n"));
    const std::vector<std::string_view> rows = ReportRows(report);
    EXPECT_EQ(rows.size(), row.rows);
    size_t wrong = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
      const bool ok = i < row.starred ? rows[i].substr(7) == kStarRow
                                      : rows[i].find('*') == std::string_view::npos;
      wrong += ok ? 0 : 1;
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_NE(report.find(row.shows), std::string::npos) << row.shows;
  }
}
