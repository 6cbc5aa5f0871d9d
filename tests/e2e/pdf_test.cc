// The PDF output of the built program, with the dialogue and with the
// options: the index and four pages per case, every report row as text, a
// valid file with a bookmark per case; and its failures, including a file
// size limit set by a real shell, as a user's `ulimit -f` sets it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "pdf/pdf_output.h"
#include "tests/support/run_binary.h"

using namespace kalvorden::testing;

namespace {

// Two cases (a wheel load too wide for the report's field, and fc 0, which
// cannot be designed): a report of 23334 bytes and a PDF of about 48000.
const std::vector<std::string> kTwoCases = {"--wheel-load", "120",     "--top-cover", "50",
                                            "--paving",     "1.44",    "--fs",        "165",
                                            "--fc",         "10,1e-6", "--continuity"};

const std::vector<std::string> kMultiCase = {"--wheel-load", "72.5,120", "--top-cover", "50",
                                             "--paving",     "1.44",     "--fs",        "165,170",
                                             "--fc",         "10,1e-6",  "--continuity"};

std::string ToolOutput(const std::string& tool, std::vector<std::string> arguments,
                       const std::string& directory) {
  const RunResult result = RunBinary(tool, {std::move(arguments), directory, "", -1});
  EXPECT_EQ(result.exitStatus, 0) << tool << ": " << result.err;
  return result.out;
}

std::string TrimRight(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

// The 59-character rows of a report file (the lines with "#xx at").
std::vector<std::string> ReportRows(const std::string& report) {
  std::vector<std::string> rows;
  std::istringstream records(report);
  for (std::string record; std::getline(records, record, '\r');) {
    record.erase(0, record.find_first_not_of("\n\f"));
    if (record.size() == 70 && record[40] == '#') {
      rows.push_back(record.substr(11));
    }
  }
  return rows;
}

// The page count, the rows in order, qpdf's check and the bookmarks.
void ExpectPdfOfReport(const std::string& directory, const std::string& pdf,
                       const std::string& report, kalvorden::PaperSize paper) {
  const std::vector<std::string> rows = ReportRows(ReadFileBytes(directory + "/" + report));
  ASSERT_FALSE(rows.empty());
  const int64_t cases = static_cast<int64_t>(rows.size() / 111);
  const std::string info = ToolOutput("/usr/bin/pdfinfo", {pdf}, directory);
  const std::string pages = std::to_string(kalvorden::IndexPageCount(paper, cases) + 4 * cases);
  EXPECT_NE(info.find("Pages:           " + pages + "\n"), std::string::npos) << info;
  ToolOutput("/usr/bin/qpdf", {"--check", pdf}, directory);
  const std::string text =
      ToolOutput("/usr/bin/pdftotext", {"-layout", "-fixed", "6", pdf, "-"}, directory);
  size_t at = 0;
  for (const std::string& row : rows) {
    at = text.find(TrimRight(row), at);
    ASSERT_NE(at, std::string::npos) << "not found in order: " << row;
  }
  const std::string outline =
      ToolOutput("/usr/bin/qpdf", {"--json=2", "--json-key=outlines", pdf}, directory);
  int64_t bookmarks = 0;
  for (size_t found = 0; (found = outline.find("\"title\": \"Case ", found)) != std::string::npos;
       ++found) {
    ++bookmarks;
  }
  EXPECT_EQ(bookmarks, cases);
}

TEST(PdfOption, IndexPagesRowsAndBookmarksWithAndWithoutTheDialogue) {
  {
    SCOPED_TRACE("options, US Letter");
    TempDir dir;
    std::vector<std::string> arguments = kMultiCase;
    arguments.insert(arguments.end(), {"--output", "r.rpt", "--pdf", "r.pdf", "--paper", "letter"});
    const RunResult run = RunFixedClockWith(dir.path(), arguments);
    EXPECT_EQ(run.exitStatus, 65) << run.err;  // the cases with fc 1e-6
    EXPECT_NE(run.err.find("kalvorden: wrote report file \"r.rpt\" (24 pages), PDF file \"r.pdf\" "
                           "(33 pages): 8 design cases, 4 not designed in full"),
              std::string::npos)
        << run.err;
    ExpectPdfOfReport(dir.path(), "r.pdf", "r.rpt", kalvorden::PaperSize::kLetter);
  }
  {
    SCOPED_TRACE("the dialogue, A4");
    TempDir dir;
    const RunResult run = RunFixedClockWith(
        dir.path(), {"--pdf", "d.pdf"}, "d.rpt\n2\n72.5\n90\n1\n50\n1\n1.44\n1\n165\n1\n10\nY\n");
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    ExpectPdfOfReport(dir.path(), "d.pdf", "d.rpt", kalvorden::PaperSize::kA4);
    const std::string info = ToolOutput("/usr/bin/pdfinfo", {"d.pdf"}, dir.path());
    EXPECT_NE(info.find("Dec  7 14:03:09 2026"), std::string::npos) << info;
  }
}

// A PDF that cannot be written: its status and line, no success message,
// no file of its own left behind, an existing target untouched.
TEST(PdfOption, FailuresEndWithTheirStatusAndLine) {
  const struct {
    const char* name;
    const char* shellLimit;  // `ulimit -f` in 512-byte blocks, or nullptr
    const char* target;
    int status;
    const char* line;
    bool reportInPlace;  // finished before the PDF failed
  } table[] = {
      {"a file size limit set in a shell", "80", "r.pdf", 74,
       "kalvorden: error (74): write failure, writing PDF file \"r.pdf\": File too large", true},
      {"a directory of the name", nullptr, "taken", 43,
       "kalvorden: error (43): file name specification error", false},
      {"a directory that does not exist", nullptr, "missing/r.pdf", 43,
       "kalvorden: error (43): file name specification error", false},
  };
  for (const auto& test : table) {
    SCOPED_TRACE(test.name);
    TempDir dir;
    WriteFileBytes(dir.File("r.pdf"), "the previous PDF");
    std::filesystem::create_directory(dir.File("taken"));
    std::vector<std::string> arguments = kTwoCases;
    arguments.insert(arguments.end(), {"--output", "r.rpt", "--pdf", test.target});
    RunResult run;
    if (test.shellLimit != nullptr) {
      // 80 blocks of 512 bytes: the report fits, the PDF does not.
      std::vector<std::string> shell = {
          "-c",
          std::string("ulimit -f ") + test.shellLimit + " && exec \"$0\" \"$@\"",
          KALVORDEN_AT_BINARY,
          "2026",
          "12",
          "7",
          "14",
          "3",
          "9"};
      shell.insert(shell.end(), arguments.begin(), arguments.end());
      run = RunBinary("/bin/sh", {shell, dir.path(), "", -1});
    } else {
      run = RunFixedClockWith(dir.path(), arguments);
    }
    EXPECT_EQ(run.exitStatus, test.status) << run.err;
    EXPECT_NE(run.err.find(test.line), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("wrote"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFileBytes(dir.File("r.pdf")), "the previous PDF");
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    const std::vector<std::string> expected =
        test.reportInPlace ? std::vector<std::string>{"r.pdf", "r.rpt", "taken"}
                           : std::vector<std::string>{"r.pdf", "taken"};
    EXPECT_EQ(left, expected);
  }
}

}  // namespace
