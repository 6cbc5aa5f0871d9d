// The built program run end to end in a fresh directory, with its clock
// fixed: the console dialogue byte for byte (prompts, list counts, fatal
// input at every point, the overwrite question, line ends), report file
// names and open and write failures, the worked example's figures and page
// layout, the committed golden reports, undesignable cases, the real clock.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/run_binary.h"

using namespace kalvorden::testing;

// A run's dialogue as pairs of a prompt (as written to a pipe: the record's
// leading blank kept) and the answer line read after it, so one script gives
// both the input to feed and the exact standard output to expect.
static const std::string kNamePrompt = " Enter Output File Name:";
static const std::string kOverwriteQuestion =
    " OUTPUT FILE ALREADY EXISTS.  DO YOU WISH TO DELETE IT [DEFAULT IS N]? (Y/N) ";
static const std::string kContinuityQuestion =
    " Use continuity factor? Enter Y for YES or N for NO.";
static const std::string kNormalTermination = "Normal termination of the KALVORDEN application.\n";
static const std::array<std::string, 5> kCountPrompts = {
    " How many wheel loadings do you want?", " How many top covers do you want?",
    " How many future paving allowances do you want?", " How many steel stresses do you want?",
    " How many concrete stresses do you want?"};
static const std::array<std::string, 5> kValuePrompts = {
    " Enter wheel loading in kN: 72.5 for MS 18", " Enter top cover in mm: 50, 60, 65 or 70",
    " Enter future paving allowance in kN/m^2: 1.44, See Design Memo No. 4.04",
    " Enter the allowable steel stress, fs, in MPa: 170 for Grade 420 Reinforcement",
    " Enter the allowable concrete stress, fc, in MPa: 10 for 25 MPa concrete"};

struct Step {
  std::string prompt;
  std::string answer;
};
using Script = std::vector<Step>;

// For each of the five lists: the count answer, then one answer per value
// prompt the program is expected to ask.
using ListAnswers = std::array<std::vector<std::string>, 5>;

static Script MakeScript(const std::string& name, const ListAnswers& lists,
                         const std::string& continuity) {
  Script script = {{kNamePrompt, name}};
  for (size_t i = 0; i < lists.size(); ++i) {
    for (size_t k = 0; k < lists[i].size(); ++k)
      script.push_back({k == 0 ? kCountPrompts[i] : kValuePrompts[i], lists[i][k]});
  }
  script.push_back({kContinuityQuestion, continuity});
  return script;
}

// The answers of the first `count` steps, each ended by `lineEnd`.
static std::string Answers(const Script& script, size_t count = SIZE_MAX,
                           const std::string& lineEnd = "\n") {
  std::string input;
  for (size_t i = 0; i < count && i < script.size(); ++i)
    input += script[i].answer + lineEnd;
  return input;
}

// The prompts of the first `count` steps, as written to a pipe.
static std::string Prompts(const Script& script, size_t count = SIZE_MAX) {
  std::string output;
  for (size_t i = 0; i < count && i < script.size(); ++i)
    output += script[i].prompt + "\n";
  return output;
}

// The answers of examples/worked-example.txt: one design case; and a run
// with two values in three of the lists: eight cases, a report of 93 kB.
static const ListAnswers kWorkedLists = {
    {{"1", "72.5"}, {"1", "50"}, {"1", "1.5"}, {"1", "165"}, {"1", "10"}}};
static const ListAnswers kEightCases = {
    {{"2", "72.5", "90"}, {"2", "50", "60"}, {"2", "1.44", "1.5"}, {"1", "165"}, {"1", "10"}}};

static Script WorkedScript(const std::string& name) {
  return MakeScript(name, kWorkedLists, "N");
}

static std::string Golden(const std::string& name) {
  return ReadFileBytes(std::string(KALVORDEN_GOLDEN_DIR) + "/" + name);
}

static std::string Example(const std::string& name) {
  return ReadFileBytes(std::string(KALVORDEN_EXAMPLES_DIR) + "/" + name);
}

// The result rows of a report, in order: each printed line that is 11 blanks
// and a row beginning with a span length.
static std::vector<std::string> ReportRows(const std::string& report) {
  static const std::regex row("\n {11}(  [0-9]\\.[0-9]{3} [^\r]{51})\r");
  std::vector<std::string> rows;
  for (std::sregex_iterator it(report.begin(), report.end(), row), end; it != end; ++it)
    rows.push_back((*it)[1]);
  return rows;
}

static const std::string kPad(11, ' ');  // printed columns before every heading text and row

static std::vector<std::string> Split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at; (at = text.find(separator, start)) != std::string::npos;
       start = at + separator.size()) {
    parts.push_back(text.substr(start, at - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

static bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A fatal error ends the run with exactly one line on standard error.
static void ExpectFaultLine(const std::string& err, int number, const std::string& text) {
  const std::string start = "kalvorden: error (" + std::to_string(number) + "): " + text;
  EXPECT_EQ(err.substr(0, start.size()), start);
  EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
}

static const std::string kOldContents = "an older report\r\n";

// A count above 5 is met by a message and the count prompt again. A count of
// 0 or less (a blank line included) asks no values and leaves no design
// case, but every later prompt still comes.
TEST(Dialogue, ListCounts) {
  struct Case {
    int list;
    std::vector<std::string> refused;   // count answers met by the message
    std::vector<std::string> accepted;  // then the list as answered
    size_t rows;                        // result rows in the report
  };
  std::vector<Case> cases = {
      {0, {}, {"1", "72.5"}, 111},
      {0, {"6"}, {"1", "72.5"}, 111},
      {4, {"99", "6"}, {"1", "10"}, 111},
      {1, {"6"}, {"5", "50", "50", "60", "65", "70"}, 555},
  };
  for (int list = 0; list < 5; ++list) {
    for (const char* count : {"0", "", "-1"})
      cases.push_back({list, {}, {count}, 0});
  }
  // The empty first record and 11 empty lines (each CR, then LF), the label.
  const std::string footerOnly =
      "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n" + std::string(39, ' ') + "Page 3 of 3\r\n";
  for (const Case& c : cases) {
    SCOPED_TRACE("list " + std::to_string(c.list) + " count '" + c.accepted[0] + "'");
    ListAnswers lists = kWorkedLists;
    lists[c.list] = c.accepted;
    Script script = MakeScript("r.rpt", lists, "N");
    size_t at = 1 + 2 * static_cast<size_t>(c.list);  // the name; a count and a value a list
    for (const std::string& answer : c.refused) {
      script.insert(script.begin() + static_cast<long>(at), {script[at].prompt, answer});
      script[++at].prompt =
          " A list holds at most 5 values. Enter a count of 5 or less.\n" + kCountPrompts[c.list];
    }
    TempDir dir;
    const RunResult run = RunFixedClock(dir.path(), Answers(script));
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, Prompts(script));
    EXPECT_EQ(run.err, kNormalTermination);
    const std::string report = ReadFileBytes(dir.File("r.rpt"));
    EXPECT_EQ(ReportRows(report).size(), c.rows);
    if (c.rows != 555) {
      EXPECT_EQ(report, c.rows == 0 ? footerOnly : Golden("worked-example.rpt"));
    }
  }
}

// End of input at every prompt, and fields that cannot be converted: the run
// stops at the prompt left unanswered; a new report file stays empty and an
// existing one whose overwrite was accepted keeps its old bytes.
TEST(Dialogue, FatalInputStopsAtOnce) {
  struct Case {
    Script script;
    size_t answered;  // answer lines given
    size_t shown;     // prompts written
    int exitStatus;
  };
  std::vector<Case> cases;
  for (const bool existing : {false, true}) {
    Script script = MakeScript("r.rpt", kEightCases, "Y");
    if (existing)
      script.insert(script.begin() + 1, {kOverwriteQuestion, "y"});
    for (size_t n = 0; n < script.size(); ++n)
      cases.push_back({script, n, n + 1, 24});
  }
  const std::pair<int, std::vector<std::string>> badLists[] = {
      {0, {"2.0"}}, {0, {"1", "72.5 kN"}}, {3, {"2", "165", "17O"}}, {4, {"1", "1..0"}}};
  for (const auto& [list, answers] : badLists) {
    ListAnswers lists = kWorkedLists;
    lists[list] = answers;
    const Script script = MakeScript("r.rpt", lists, "N");
    const auto bad = std::find_if(script.begin(), script.end(),
                                  [&](const Step& step) { return step.answer == answers.back(); });
    cases.push_back({script, SIZE_MAX, static_cast<size_t>(bad - script.begin()) + 1, 64});
  }
  for (const Case& c : cases) {
    const bool existing = c.script[1].prompt == kOverwriteQuestion;
    SCOPED_TRACE("status " + std::to_string(c.exitStatus) + ", " + std::to_string(c.shown) +
                 " prompts" + (existing ? ", existing file" : ""));
    TempDir dir;
    if (existing)
      WriteFileBytes(dir.File("r.rpt"), kOldContents);
    const RunResult run = RunFixedClock(dir.path(), Answers(c.script, c.answered));
    EXPECT_EQ(run.exitStatus, c.exitStatus);
    EXPECT_EQ(run.err,
              "kalvorden: error (" + std::to_string(c.exitStatus) + "): " +
                  (c.exitStatus == 24 ? "end-of-file during read" : "input conversion error") +
                  ", reading standard input\n");
    EXPECT_EQ(run.out, Prompts(c.script, c.shown));
    EXPECT_EQ(FileExists(dir.File("r.rpt")), existing || c.shown > 1);
    EXPECT_EQ(ReadFileBytes(dir.File("r.rpt")), existing ? kOldContents : "");
  }
}

// Only a first character Y or y replaces an existing file, whose old bytes
// then all go; any other answer stops the run with the file untouched.
TEST(Dialogue, OverwriteQuestion) {
  const Script script = WorkedScript("r.rpt");
  const std::string newReport = Golden("worked-example.rpt");  // the same answers, a new file
  const std::string oldContents(newReport.size() + 4096, 'x');
  const std::pair<std::string, bool> answers[] = {{"y", true},   {"Y", true},  {"yes", true},
                                                  {"", false},   {"N", false}, {"n", false},
                                                  {" Y", false}, {"x", false}};
  for (const auto& [answer, accepted] : answers) {
    SCOPED_TRACE("'" + answer + "'");
    Script asked = script;
    asked.insert(asked.begin() + 1, {kOverwriteQuestion, answer});
    TempDir dir;
    WriteFileBytes(dir.File("r.rpt"), oldContents);
    const RunResult run = RunFixedClock(dir.path(), Answers(asked));
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, accepted ? Prompts(asked) : Prompts(asked, 2) + " EXITING PROGRAM\n");
    EXPECT_EQ(run.err, accepted ? kNormalTermination : "");
    EXPECT_EQ(ReadFileBytes(dir.File("r.rpt")), accepted ? newReport : oldContents);
  }
  TempDir dir;  // the example answer file against a README.md
  WriteFileBytes(dir.File("README.md"), kOldContents);
  const RunResult run = RunFixedClock(dir.path(), Example("refuse-overwrite.txt"));
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out, kNamePrompt + "\n" + kOverwriteQuestion + "\n EXITING PROGRAM\n");
  EXPECT_EQ(ReadFileBytes(dir.File("README.md")), kOldContents);
}

// Answer lines may end in CR LF, and the last one needs no line end.
TEST(Dialogue, AnswerLineEndsDoNotMatter) {
  const Script script = WorkedScript("r.rpt");
  const std::string dos = Answers(script, SIZE_MAX, "\r\n");
  const std::string unix = Answers(script);
  for (const std::string& input :
       {dos, dos.substr(0, dos.size() - 2), dos.substr(0, dos.size() - 1),
        unix.substr(0, unix.size() - 1)}) {
    SCOPED_TRACE(::testing::PrintToString(input.substr(input.size() - 4)));
    TempDir dir;
    const RunResult run = RunFixedClock(dir.path(), input);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, Prompts(script));
    EXPECT_EQ(run.err, kNormalTermination);
    EXPECT_EQ(ReadFileBytes(dir.File("r.rpt")), Golden("worked-example.rpt"));
  }
}

// Only the first 24 characters name the file, without the blanks around
// them. A name that cannot be a new file, an existing file that cannot be
// opened or a file that takes no bytes ends the run with one error line.
TEST(ReportFileName, NamesAndOpenFailures) {
  enum class Setup { kNothing, kDirectory, kFifo, kFullDevice };
  struct Case {
    std::string answer;  // the file name line
    Setup setup;         // what stands under that name before the run
    int exitStatus;
    std::string result;  // exit 0: the file the run creates; else the error text
  };
  const Case cases[] = {
      {"abcdefghijklmnopqrstuvwxyz.rpt", Setup::kNothing, 0, "abcdefghijklmnopqrstuvwx"},
      {"   padded.rpt           ", Setup::kNothing, 0, "padded.rpt"},
      {"short.rpt    X", Setup::kNothing, 0, "short.rpt    X"},
      {"", Setup::kNothing, 43, "file name specification error"},
      {"        ", Setup::kNothing, 43, "file name specification error"},
      {"adir", Setup::kDirectory, 43, "file name specification error"},
      {"missing/r.rpt", Setup::kNothing, 43, "file name specification error"},
      {"fifo", Setup::kFifo, 30, "open failure"},
      {"full", Setup::kFullDevice, 74,
       "write failure, writing report file \"full\": No space left on device"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("'" + c.answer + "'");
    TempDir dir;
    const std::string path = dir.File(c.answer);
    const int made = c.setup == Setup::kDirectory    ? mkdir(path.c_str(), 0755)
                     : c.setup == Setup::kFifo       ? mkfifo(path.c_str(), 0644)
                     : c.setup == Setup::kFullDevice ? symlink("/dev/full", path.c_str())
                                                     : 0;
    ASSERT_EQ(made, 0);
    Script script = WorkedScript(c.answer);
    const bool exists = c.setup == Setup::kFifo || c.setup == Setup::kFullDevice;
    if (exists)
      script.insert(script.begin() + 1, {kOverwriteQuestion, "Y"});
    const RunResult run = RunFixedClock(dir.path(), Answers(script));
    EXPECT_EQ(run.exitStatus, c.exitStatus);
    const bool opened = c.exitStatus == 0 || c.exitStatus == 74;
    EXPECT_EQ(run.out, Prompts(script, opened ? SIZE_MAX : exists ? 2 : 1));
    const auto files = std::distance(std::filesystem::directory_iterator(dir.path()), {});
    EXPECT_EQ(files, c.exitStatus == 0 || c.setup != Setup::kNothing ? 1 : 0);
    if (c.exitStatus == 0) {
      EXPECT_EQ(run.err, kNormalTermination);
      EXPECT_EQ(ReadFileBytes(dir.File(c.result)), Golden("worked-example.rpt"));
    } else {
      ExpectFaultLine(run.err, c.exitStatus, c.result);
    }
  }
}

TEST(ReportFileName, PermissionDenied) {
  if (geteuid() == 0)
    GTEST_SKIP() << "running as root: file permissions do not stop the program";
  TempDir dir;
  WriteFileBytes(dir.File("locked.rpt"), "old");
  ASSERT_EQ(chmod(dir.File("locked.rpt").c_str(), 0444), 0);
  ASSERT_EQ(mkdir(dir.File("locked").c_str(), 0555), 0);
  for (const std::string input : {"locked.rpt\nY\n", "locked/r.rpt\n"}) {
    SCOPED_TRACE(input);
    const RunResult run = RunFixedClock(dir.path(), input);
    EXPECT_EQ(run.exitStatus, 9);
    ExpectFaultLine(run.err, 9, "permission to access file denied");
  }
  EXPECT_EQ(ReadFileBytes(dir.File("locked.rpt")), "old");
  EXPECT_FALSE(FileExists(dir.File("locked/r.rpt")));
}

// A file size limit cuts the report off: the run ends with a write failure
// and the file holds exactly the bytes up to the limit. The large report
// fails while designing, the small one only when it is completed.
TEST(ReportWriteFailure, FileSizeLimitLeavesAPrefix) {
  for (const Script& script : {WorkedScript("r.rpt"), MakeScript("r.rpt", kEightCases, "Y")}) {
    TempDir fullDir;
    ASSERT_EQ(RunFixedClock(fullDir.path(), Answers(script)).exitStatus, 0);
    const std::string full = ReadFileBytes(fullDir.File("r.rpt"));
    const int size = static_cast<int>(full.size());
    for (const int limit : {0, 5000, size - 1, size}) {
      SCOPED_TRACE("limit " + std::to_string(limit) + " of " + std::to_string(size));
      TempDir dir;
      const RunOptions options = {
          {"2026", "12", "7", "14", "3", "9"}, dir.path(), Answers(script), limit};
      const RunResult run = RunBinary(KALVORDEN_AT_BINARY, options);
      EXPECT_EQ(ReadFileBytes(dir.File("r.rpt")), full.substr(0, static_cast<size_t>(limit)));
      if (limit == size) {
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.err, kNormalTermination);
      } else {
        EXPECT_EQ(run.exitStatus, 74);
        ExpectFaultLine(run.err, 74,
                        "write failure, writing report file \"r.rpt\": File too large");
      }
    }
  }
}

TEST(WorkedExample, RowsHeadingsAndPages) {
  TempDir dir;
  ASSERT_EQ(RunFixedClock(dir.path(), Example("worked-example.txt")).exitStatus, 0);
  const std::string report = ReadFileBytes(dir.File("worked-example.rpt"));
  for (const std::string row : {"  1.000    163.18    165     #16 at  195     3-#13   2-#13 ",
                                "  2.875    222.27    225     #16 at  125    12-#13   6-#13 ",
                                "  2.900    224.67    225     #19 at  170     8-#16   4-#16 ",
                                "  3.750    249.61    250     #19 at  150    11-#16   6-#16 "}) {
    EXPECT_NE(report.find("\n" + kPad + row + "\r"), std::string::npos) << row;
  }
  const std::string heading = kPad +
                              " 07-DEC-26   VALDORA DEPARTMENT OF TRANSPORTATION           \r\n" +
                              kPad + " 14:03:09         FENWORTHY" + std::string(32, ' ') + "\r\n";
  const std::string caseLine = "  72.50   10.000  165.000   8    50      1.500       1.0   ";
  const std::vector<std::string> pages = Split(report, "\f");
  ASSERT_EQ(pages.size(), 3u);
  const size_t rowsOnPage[] = {40, 40, 31};
  for (size_t p = 0; p < 3; ++p) {
    SCOPED_TRACE("page " + std::to_string(p + 1));
    EXPECT_EQ(pages[p].rfind((p == 0 ? "\n" : "") + heading, 0), 0u);
    EXPECT_NE(pages[p].find("\n" + kPad + caseLine + "\r"), std::string::npos);
    EXPECT_EQ(ReportRows(pages[p]).size(), rowsOnPage[p]);
    // The last row's CR, the empty lines, then the label, whose CR the next
    // page's form feed follows directly.
    std::string end = "\r";
    for (int i = 0; i < (p < 2 ? 7 : 12); ++i)
      end += "\n\r";
    end += "\n" + std::string(39, ' ') + "Page " + std::to_string(p + 1) + " of 3\r";
    EXPECT_TRUE(EndsWith(pages[p], p < 2 ? end : end + "\n"));
  }
}

TEST(Golden, ExampleReportsByteForByte) {
  for (const std::string name : {"worked-example", "multi-case"}) {
    SCOPED_TRACE(name);
    TempDir dir;
    const RunResult run = RunFixedClock(dir.path(), Example(name + ".txt"));
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, kNormalTermination);
    const std::string report = ReadFileBytes(dir.File(name + ".rpt"));
    const std::string golden = Golden(name + ".rpt");
    ASSERT_FALSE(golden.empty());
    EXPECT_TRUE(report == golden) << report.size() << " bytes against " << golden.size();
  }
}

// Four cases, wheel load outermost and steel stress inner, each heading its
// three pages with its own case line; cases follow one another after one
// empty line, without a form feed.
TEST(Golden, MultiCaseOrderAndJoins) {
  const std::string report = Golden("multi-case.rpt");
  const std::vector<std::string> headings = Split(report, "(kN/m^2)            \r\n" + kPad);
  ASSERT_EQ(headings.size(), 13u);
  const std::string cases[] = {"  72.50   10.000  165.000", "  72.50   10.000  170.000",
                               "  90.00   10.000  165.000", "  90.00   10.000  170.000"};
  for (size_t i = 1; i < headings.size(); ++i) {
    EXPECT_EQ(headings[i].substr(0, 59), cases[(i - 1) / 3] + "   8    50      1.440       0.8   ");
  }
  EXPECT_EQ(ReportRows(report).size(), 444u);
  EXPECT_EQ(Split(report, "\r\n\n" + kPad + " 07-DEC-26").size(), 4u);
  EXPECT_EQ(Split(report, "\f").size(), 9u);
}

TEST(Examples, UndesignableCaseIsMarkedAndReported) {
  TempDir dir;
  const RunResult run = RunFixedClock(dir.path(), Example("undesignable.txt"));
  EXPECT_EQ(run.exitStatus, 65);
  const std::vector<std::string> lines = Split(run.err, "\n");
  ASSERT_EQ(lines.size(), 3u) << run.err;  // two lines and the empty rest
  EXPECT_EQ(lines[0].rfind("kalvorden: design case not designed in full:", 0), 0u);
  EXPECT_NE(lines[0].find("fc 0 MPa"), std::string::npos);
  EXPECT_NE(lines[0].find("first at span 1.000 m"), std::string::npos);
  EXPECT_EQ(lines[1].rfind("kalvorden: error (65): design incomplete", 0), 0u);
  const std::string report = ReadFileBytes(dir.File("undesignable.rpt"));
  EXPECT_TRUE(EndsWith(report, "Page 3 of 3\r\n"));
  const std::vector<std::string> rows = ReportRows(report);
  ASSERT_EQ(rows.size(), 222u);
  // The first case (fc 10) is the worked example's; the second only asterisks.
  const std::vector<std::string> worked = ReportRows(Golden("worked-example.rpt"));
  EXPECT_TRUE(std::equal(worked.begin(), worked.end(), rows.begin()));
  for (size_t i = 0; i < 111; ++i) {
    EXPECT_EQ(rows[111 + i],
              rows[i].substr(0, 7) + "    ******   ****     #** at ****    **-#**  **-#** ");
  }
}

TEST(RealClock, HeadingsCarryTheRunDateAndTime) {
  TempDir dir;
  const RunResult run =
      RunBinary(KALVORDEN_BINARY, {{}, dir.path(), Answers(WorkedScript("r.rpt")), -1});
  ASSERT_EQ(run.exitStatus, 0);
  const std::vector<std::string> pages = Split(ReadFileBytes(dir.File("r.rpt")), "\f");
  ASSERT_EQ(pages.size(), 3u);
  const std::string stamp = pages[0].substr(1, (12 + 59 + 2) + (11 + 59 + 2));
  static const std::regex pattern(
      " {12}(0[1-9]|[12][0-9]|3[01])-(JAN|FEB|MAR|APR|MAY|JUN|JUL|AUG|SEP|OCT|NOV|DEC)-[0-9]{2}"
      "   VALDORA DEPARTMENT OF TRANSPORTATION {11}\r\n"
      " {12}([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]         FENWORTHY {32}\r\n");
  EXPECT_TRUE(std::regex_match(stamp, pattern)) << stamp;
  EXPECT_EQ(pages[1].rfind(stamp, 0), 0u);  // stamped once: every page the same
  EXPECT_EQ(pages[2].rfind(stamp, 0), 0u);
}
