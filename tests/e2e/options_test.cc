// The program driven by its command line, run end to end with its clock
// fixed: the same report as the dialogue for the same values, the summary
// line, --output and --overwrite, the plain-text copy, usage errors and
// failed outputs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/run_binary.h"

using namespace kalvorden::testing;

namespace {

// One design: the five lists as the options give them, and continuity.
struct ValueSet {
  std::vector<std::string> lists[5];
  bool continuity = false;
};

const char* const kListOptions[] = {"--wheel-load", "--top-cover", "--paving", "--fs", "--fc"};

std::vector<std::string> Options(const ValueSet& set, const std::string& output) {
  std::vector<std::string> arguments;
  for (int i = 0; i < 5; ++i) {
    std::string list;
    for (const std::string& value : set.lists[i]) {
      list += (list.empty() ? "" : ",") + value;
    }
    arguments.push_back(kListOptions[i]);
    arguments.push_back(list);
  }
  if (set.continuity) {
    arguments.push_back("--continuity");
  }
  arguments.push_back("--output");
  arguments.push_back(output);
  return arguments;
}

// The dialogue's answers for the same values.
std::string Answers(const ValueSet& set, const std::string& name) {
  std::string input = name + "\n";
  for (const auto& list : set.lists) {
    input += std::to_string(list.size()) + "\n";
    for (const std::string& value : list) {
      input += value + "\n";
    }
  }
  return input + (set.continuity ? "Y\n" : "N\n");
}

const ValueSet kWorked = {{{"72.5"}, {"50"}, {"1.5"}, {"165"}, {"10"}}, false};
const ValueSet kEightCases = {{{"72.5", "90"}, {"50", "60"}, {"1.44", "1.5"}, {"165"}, {"10"}},
                              true};
// Wheel loads of 100 kN and more print as asterisks in the case line.
const ValueSet kWideLoads = {{{"100", "120"}, {"65"}, {"0"}, {"170", "185"}, {"8", "12"}}, true};
// fc = 0 cannot be designed: both ways end with status 65.
const ValueSet kUndesignable = {{{"72.5"}, {"50"}, {"1.5"}, {"165"}, {"10", "0"}}, false};

// The report bytes as plain text: the first LF dropped, every CR LF turned
// into LF and every CR FF into LF FF.
std::string AsPlainText(const std::string& report) {
  std::string text;
  for (size_t i = report.rfind('\n', 0) == 0 ? 1 : 0; i < report.size(); ++i) {
    if (report[i] == '\r' && i + 1 < report.size() &&
        (report[i + 1] == '\n' || report[i + 1] == '\f')) {
      text += '\n';
      if (report[i + 1] == '\f') {
        text += '\f';
      }
      ++i;
    } else {
      text += report[i];
    }
  }
  return text;
}

size_t FilesIn(const TempDir& dir) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
}

}  // namespace

TEST(Options, SameReportAsTheDialogue) {
  const std::pair<const ValueSet*, int> sets[] = {
      {&kWorked, 0}, {&kEightCases, 0}, {&kWideLoads, 0}, {&kUndesignable, 65}};
  for (const auto& [set, status] : sets) {
    SCOPED_TRACE(Answers(*set, "r.rpt"));
    TempDir dir;
    const RunResult dialogue = RunFixedClock(dir.path(), Answers(*set, "dialogue.rpt"));
    const RunResult options = RunFixedClockWith(dir.path(), Options(*set, "options.rpt"));
    EXPECT_EQ(dialogue.exitStatus, status);
    EXPECT_EQ(options.exitStatus, status);
    EXPECT_EQ(options.out, "");
    const std::string report = ReadFileBytes(dir.File("dialogue.rpt"));
    ASSERT_GT(report.size(), 10000u);
    EXPECT_TRUE(ReadFileBytes(dir.File("options.rpt")) == report);
    EXPECT_EQ(FilesIn(dir), 2u);  // no temporary file left
  }
}

TEST(Options, SummaryLineAndUndesignableCases) {
  TempDir dir;
  RunResult run = RunFixedClockWith(dir.path(), Options(kEightCases, "r.rpt"));
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.err,
            "kalvorden: wrote report file \"r.rpt\": 8 design cases, 24 pages, "
            "0 not designed in full\n");
  run = RunFixedClockWith(dir.path(), Options(kUndesignable, "u.rpt"));
  EXPECT_EQ(run.exitStatus, 65);
  const size_t notice = run.err.find("kalvorden: design case not designed in full:");
  EXPECT_EQ(notice, 0u) << run.err;
  EXPECT_NE(run.err.find("\nkalvorden: wrote report file \"u.rpt\": 2 design cases, 6 pages, "
                         "1 not designed in full\n"),
            std::string::npos)
      << run.err;
}

// An existing report file is replaced only with --overwrite; without it the
// run ends before anything is written. Names that cannot be created keep the
// dialogue's numbers.
TEST(Options, OutputFileAndOverwrite) {
  const std::string old = "an older report\r\n";
  struct Case {
    std::vector<std::string> extra;  // after the worked example's options
    std::string output;
    int status;
    std::string err;  // the start of the error line
  };
  const Case cases[] = {
      {{},
       "old.rpt",
       10,
       "kalvorden: error (10): cannot overwrite existing file, opening report file \"old.rpt\""},
      {{"--overwrite"}, "old.rpt", 0, "kalvorden: wrote report file \"old.rpt\""},
      {{},
       "missing/r.rpt",
       43,
       "kalvorden: error (43): file name specification error, opening report file "
       "\"missing/r.rpt\""},
      {{}, "adir", 43, "kalvorden: error (43): file name specification error"},
      {{"--text", "missing/r.txt"},
       "r.rpt",
       43,
       "kalvorden: error (43): file name specification error, opening text file "
       "\"missing/r.txt\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output + " " + ::testing::PrintToString(c.extra));
    TempDir dir;
    WriteFileBytes(dir.File("old.rpt"), old);
    std::filesystem::create_directory(dir.File("adir"));
    std::vector<std::string> arguments = Options(kWorked, c.output);
    arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
    const RunResult run = RunFixedClockWith(dir.path(), arguments);
    EXPECT_EQ(run.exitStatus, c.status);
    EXPECT_EQ(run.err.rfind(c.err, 0), 0u) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_EQ(ReadFileBytes(dir.File("old.rpt")),
              c.status == 0
                  ? ReadFileBytes(std::string(KALVORDEN_GOLDEN_DIR) + "/worked-example.rpt")
                  : old);
    EXPECT_EQ(FilesIn(dir), 2u);  // old.rpt and adir: nothing else created
  }
}

// The text copy, with the dialogue and without: the report's pages with LF
// line ends and a form feed between pages.
TEST(TextOutput, IsTheReportWithPlainLineEnds) {
  for (const ValueSet* set : {&kWorked, &kEightCases}) {
    TempDir dir;
    const RunResult dialogue =
        RunFixedClockWith(dir.path(), {"--text", "d.txt"}, Answers(*set, "d.rpt"));
    std::vector<std::string> arguments = Options(*set, "o.rpt");
    arguments.insert(arguments.end(), {"--text", "o.txt"});
    const RunResult options = RunFixedClockWith(dir.path(), arguments);
    EXPECT_EQ(dialogue.exitStatus, 0);
    EXPECT_EQ(dialogue.err, "Normal termination of the KALVORDEN application.\n");
    EXPECT_EQ(options.exitStatus, 0);
    EXPECT_EQ(options.err.rfind("kalvorden: wrote report file \"o.rpt\", text file \"o.txt\": ", 0),
              0u);
    const std::string report = ReadFileBytes(dir.File("d.rpt"));
    EXPECT_TRUE(ReadFileBytes(dir.File("d.txt")) == AsPlainText(report));
    EXPECT_TRUE(ReadFileBytes(dir.File("o.txt")) == AsPlainText(report));
    EXPECT_EQ(report.find('\r') != std::string::npos, true);
    EXPECT_EQ(ReadFileBytes(dir.File("o.txt")).find('\r'), std::string::npos);
  }
  TempDir dir;  // "-": the text on standard output, without the dialogue
  std::vector<std::string> arguments = Options(kWorked, "o.rpt");
  arguments.insert(arguments.end(), {"--text", "-"});
  const RunResult run = RunFixedClockWith(dir.path(), arguments);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_TRUE(run.out == AsPlainText(ReadFileBytes(dir.File("o.rpt"))));
}

// A failed write of any output ends the run with status 74 and that
// output's line; no summary; files written through a temporary name are
// not left behind and an existing file keeps what it had.
TEST(Options, FailedOutputWrite) {
  TempDir dir;
  WriteFileBytes(dir.File("r.rpt"), "old");
  std::vector<std::string> arguments = Options(kEightCases, "r.rpt");
  arguments.insert(arguments.end(), {"--overwrite", "--text", "/dev/full"});
  const RunResult run = RunFixedClockWith(dir.path(), arguments);
  EXPECT_EQ(run.exitStatus, 74);
  EXPECT_EQ(run.err,
            "kalvorden: error (74): write failure, writing text file \"/dev/full\": "
            "No space left on device\n");
  EXPECT_EQ(ReadFileBytes(dir.File("r.rpt")), "old");
  EXPECT_EQ(FilesIn(dir), 1u);
}

TEST(Options, HelpVersionAndUsageErrors) {
  TempDir dir;
  RunResult run = RunFixedClockWith(dir.path(), {"--version"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out, "kalvorden 1.0.0\n");
  run = RunFixedClockWith(dir.path(), {"--help"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_NE(run.out.find("--wheel-load LIST"), std::string::npos);
  EXPECT_EQ(run.err, "");
  const std::vector<std::string> refused[] = {
      {"--nope"}, {"--fs", "1,x"}, {"--output", "r.rpt"}, {"stray"}, {"--text"}};
  for (const auto& arguments : refused) {
    run = RunFixedClockWith(dir.path(), arguments, "r.rpt\n");
    EXPECT_EQ(run.exitStatus, 64) << arguments[0];
    EXPECT_EQ(run.out, "");  // no dialogue
    EXPECT_EQ(run.err.rfind("kalvorden: error (64): usage error, ", 0), 0u) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
  EXPECT_EQ(FilesIn(dir), 0u);
}
