// The program driven by its command line, run end to end with its clock
// fixed: the same report as the dialogue for the same values, the summary
// line, --output and --overwrite, the plain-text copy, usage errors and
// failed outputs.
#include <gtest/gtest.h>

#include <algorithm>
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
// fc = 0.000001 MPa makes a slab too thick to count from the first span on:
// both ways end with status 65.
const ValueSet kUndesignable = {{{"72.5"}, {"50"}, {"1.5"}, {"165"}, {"10", "0.000001"}}, false};

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
            "kalvorden: wrote report file \"r.rpt\" (24 pages): 8 design cases, "
            "0 not designed in full\n");
  run = RunFixedClockWith(dir.path(), Options(kUndesignable, "u.rpt"));
  EXPECT_EQ(run.exitStatus, 65);
  const size_t notice = run.err.find("kalvorden: design case not designed in full:");
  EXPECT_EQ(notice, 0u) << run.err;
  EXPECT_NE(run.err.find("\nkalvorden: wrote report file \"u.rpt\" (6 pages): 2 design cases, "
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
    EXPECT_EQ(options.err.rfind("kalvorden: wrote report file \"o.rpt\" (", 0), 0u);
    EXPECT_NE(options.err.find("pages), text file \"o.txt\" ("), std::string::npos);
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

namespace {

// The result rows of a report, in order (59 characters each).
std::vector<std::string> ReportRows(const std::string& report) {
  std::vector<std::string> rows;
  size_t start = 0;
  for (size_t end; (end = report.find('\r', start)) != std::string::npos; start = end + 1) {
    const std::string record = report.substr(start, end - start);
    const size_t text = record.find_first_not_of("\n\f");
    if (text != std::string::npos && record.size() - text == 70 && record[text + 40] == '#') {
      rows.push_back(record.substr(text + 11));
    }
  }
  return rows;
}

std::string Trim(const std::string& field) {
  const size_t first = field.find_first_not_of(' ');
  return first == std::string::npos ? "" : field.substr(first);
}

}  // namespace

// Every CSV row carries the report row's printed fields, digit for digit;
// a span that could not be designed has empty numbers and its reason.
TEST(CsvOutput, RowsAgreeWithTheReportFieldByField) {
  // Columns of the row: span, minimum, actual, main bar, spacing, middle
  // half, distribution bar, outer quarters (1-based first column, width).
  const std::pair<int, int> slices[] = {{2, 6},  {12, 6}, {21, 4}, {31, 2},
                                        {37, 4}, {45, 2}, {49, 2}, {53, 2}};
  for (const ValueSet* set : {&kEightCases, &kUndesignable, &kWideLoads}) {
    TempDir dir;
    std::vector<std::string> arguments = Options(*set, "r.rpt");
    arguments.insert(arguments.end(), {"--csv", "r.csv"});
    const RunResult run = RunFixedClockWith(dir.path(), arguments);
    EXPECT_EQ(run.exitStatus, set == &kUndesignable ? 65 : 0);
    const std::vector<std::string> rows = ReportRows(ReadFileBytes(dir.File("r.rpt")));
    const std::string csv = ReadFileBytes(dir.File("r.csv"));
    const std::vector<std::string> records = [&] {
      std::vector<std::string> lines;
      size_t start = 0;
      for (size_t end; (end = csv.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(csv.substr(start, end - start));
      }
      EXPECT_EQ(start, csv.size()) << "every record ends in CR LF";
      return lines;
    }();
    ASSERT_EQ(records.size(), rows.size() + 1);
    EXPECT_EQ(records[0].rfind("case,wheel load (kN),top cover (mm),future paving (kN/m^2),"
                               "fs (MPa),fc (MPa),continuity factor,modular ratio n,span (m),",
                               0),
              0u);
    for (size_t i = 0; i < rows.size(); ++i) {
      const std::vector<std::string> fields = CsvFields(records[i + 1]);
      ASSERT_EQ(fields.size(), 31u) << records[i + 1];
      EXPECT_EQ(fields[0], std::to_string(i / 111 + 1));
      EXPECT_EQ(fields[6], set->continuity ? "0.8" : "1.0");
      const bool designed = rows[i].find('*') == std::string::npos;
      EXPECT_EQ(fields[16] == "ok", designed) << records[i + 1];
      for (size_t k = 0; k < std::size(slices); ++k) {
        const std::string printed = Trim(rows[i].substr(static_cast<size_t>(slices[k].first - 1),
                                                        static_cast<size_t>(slices[k].second)));
        EXPECT_EQ(fields[8 + k], designed || k == 0 ? printed : "") << rows[i];
      }
      // The working values and quantities only for a span that was designed.
      for (size_t k = 17; k < fields.size(); ++k) {
        EXPECT_EQ(fields[k].empty(), !designed) << records[i + 1];
      }
    }
  }
}

TEST(CsvOutput, EnteredValuesInFullAndStandardOutput) {
  TempDir dir;
  ValueSet set = kWorked;
  set.lists[0] = {"100.125"};  // the report's field shows asterisks
  set.lists[2] = {"0.000001234"};
  std::vector<std::string> arguments = Options(set, "r.rpt");
  arguments.insert(arguments.end(), {"--csv", "-"});
  const RunResult run = RunFixedClockWith(dir.path(), arguments);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_NE(run.out.find("\r\n1,100.125,50,0.000001234,165,10,1.0,8,1.000,"), std::string::npos);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 112);
  EXPECT_NE(run.err.find("CSV on standard output"), std::string::npos) << run.err;
}

// A file size limit set in a real shell: the program itself ignores
// SIGXFSZ, so the write past the limit fails and the run ends with status
// 74 and its line, in the dialogue (the report keeps the bytes up to the
// limit) and with options (nothing is left under the report's name).
TEST(FileSizeLimit, InARealShellEndsWithAWriteFailure) {
  const std::string shell = "ulimit -f 8; exec \"$0\" \"$@\"";  // 8 blocks of 512 bytes
  const std::vector<std::string> forms[] = {{}, Options(kEightCases, "r.rpt")};
  for (const auto& form : forms) {
    TempDir dir;
    RunOptions options;
    options.arguments = {"-c", shell, KALVORDEN_BINARY};
    options.arguments.insert(options.arguments.end(), form.begin(), form.end());
    options.workingDirectory = dir.path();
    options.input = form.empty() ? Answers(kEightCases, "r.rpt") : "";
    const RunResult run = RunBinary("/bin/sh", options);
    EXPECT_EQ(run.exitStatus, 74) << run.err;
    EXPECT_EQ(run.err.substr(run.err.rfind("kalvorden: error")),
              "kalvorden: error (74): write failure, writing report file \"r.rpt\": File too "
              "large\n");
    EXPECT_EQ(ReadFileBytes(dir.File("r.rpt")).size(), form.empty() ? 4096u : 0u);
    EXPECT_EQ(FilesIn(dir), form.empty() ? 1u : 0u);
  }
}

// With the dialogue, the report's name comes after the other outputs exist.
// An output that is the report file itself (by name or through a link)
// would replace the finished report when renamed into place: the run ends
// before anything is written, and an existing report keeps what it had.
TEST(Options, OutputThatIsTheDialoguesReportFile) {
  const struct {
    const char* option;
    const char* target;
  } kCases[] = {{"--csv", "r.rpt"}, {"--text", "link.txt"}};
  for (const auto& c : kCases) {
    TempDir dir;
    WriteFileBytes(dir.File("r.rpt"), "old");
    std::filesystem::create_symlink("r.rpt", dir.File("link.txt"));
    const RunResult run =
        RunFixedClockWith(dir.path(), {c.option, c.target}, Answers(kWorked, "r.rpt\nY"));
    EXPECT_EQ(run.exitStatus, 64) << c.option;
    EXPECT_NE(run.err.find("output file is the report file"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFileBytes(dir.File("r.rpt")), "old") << c.option;
    EXPECT_EQ(FilesIn(dir), 2u) << c.option;
  }
}

// Two outputs whose names differ but reach one file would overwrite each
// other: the one renamed into place last replaces the other, while the run
// names both as written. The run ends before anything is written, with the
// line equal names get, whether the values come from the options or from
// the dialogue; every file keeps what it had and no file is created.
TEST(Options, TwoOutputsThatAreOneFile) {
  struct Case {
    bool dialogue;
    std::vector<std::string> outputs;  // --output FILE first when not the dialogue
    std::string err;                   // after "kalvorden: error (64): usage error, "
  };
  const Case cases[] = {
      {false, {"--output", "r.rpt", "--csv", "./r.rpt"}, "options --output and --csv"},
      {false,
       {"--output", "old.rpt", "--overwrite", "--text", "./old.rpt"},
       "options --output and --text"},
      {false, {"--output", "r.rpt", "--text", "sub/../r.rpt"}, "options --output and --text"},
      {false,
       {"--output", "old.rpt", "--overwrite", "--csv", "link"},
       "options --output and --csv"},
      {false, {"--output", "r.rpt", "--csv", "a", "--text", "./a"}, "options --csv and --text"},
      {false,
       {"--output", "old.rpt", "--overwrite", "--csv", "hard"},
       "options --output and --csv"},
      {true, {"--csv", "a", "--text", "./a"}, "options --csv and --text"},
      {true, {"--csv", "sub/../old.rpt", "--text", "link"}, "options --csv and --text"},
      {true, {"--csv", "hard", "--text", "old.rpt"}, "options --csv and --text"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.outputs));
    TempDir dir;
    WriteFileBytes(dir.File("old.rpt"), "old");
    std::filesystem::create_directory(dir.File("sub"));
    std::filesystem::create_symlink("old.rpt", dir.File("link"));
    std::filesystem::create_hard_link(dir.File("old.rpt"), dir.File("hard"));
    std::vector<std::string> arguments;
    if (!c.dialogue) {
      arguments = Options(kWorked, c.outputs[1]);
    }
    arguments.insert(arguments.end(), c.outputs.begin() + (c.dialogue ? 0 : 2), c.outputs.end());
    const RunResult run =
        RunFixedClockWith(dir.path(), arguments, c.dialogue ? Answers(kWorked, "d.rpt") : "");
    EXPECT_EQ(run.exitStatus, 64);
    EXPECT_EQ(run.out, "");  // not one question asked
    EXPECT_EQ(run.err.rfind("kalvorden: error (64): usage error, " + c.err + ": both name ", 0), 0u)
        << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_TRUE(ReadFileBytes(dir.File("old.rpt")) == "old");
    EXPECT_EQ(FilesIn(dir), 4u);  // old.rpt, sub, link, hard
  }
}

// --output - writes the report on standard output: a file named "-" in the
// working directory is another file, neither an existing report nor changed.
TEST(Options, ReportOnStandardOutputBesideAFileNamedDash) {
  TempDir dir;
  WriteFileBytes(dir.File("-"), "old");
  const RunResult run = RunFixedClockWith(dir.path(), Options(kWorked, "-"));
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_TRUE(run.out == ReadFileBytes(std::string(KALVORDEN_GOLDEN_DIR) + "/worked-example.rpt"));
  EXPECT_EQ(ReadFileBytes(dir.File("-")), "old");
  EXPECT_EQ(FilesIn(dir), 1u);
}
