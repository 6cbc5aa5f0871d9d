#include "pdf/pdf_output.h"

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

#include "chart/case_chart.h"
#include "numeric/decimal.h"
#include "pdf/case_sheets.h"
#include "pdf/comparison_pages.h"
#include "pdf/stream_compression.h"
#include "tests/pdf/pdf_test_util.h"

namespace {

using kalvorden::PaperSize, kalvorden::PdfOutput;
using kalvorden::testing::TempDir;

std::string Full(kalvorden::Quad value) {
  return kalvorden::FullDecimal(value, kalvorden::FullDecimalUse::kPrinted);
}

std::vector<std::string> DirectoryEntries(const std::string& path) {
  std::vector<std::string> names;
  DIR* dir = opendir(path.c_str());
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") {
      names.push_back(name);
    }
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::string TrimRight(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

std::string Field(const std::string& info, const std::string& key) {
  for (const std::string& line : Lines(info)) {
    if (line.starts_with(key + ":")) {
      return TrimRight(line.substr(line.find_first_not_of(' ', key.size() + 1)));
    }
  }
  return {};
}

TEST(PdfOutput, IndexTablesChartsAndBookmarksOfTheRun) {
  const struct {
    const char* name;
    kalvorden::DesignInputs inputs;
    PaperSize paper;
    const char* pageSize;
  } table[] = {
      {"three loads, continuity", Inputs(0, {"72.5", "90", "100"}), PaperSize::kA4,
       "595.276 x 841.89 pts (A4)"},
      {"fc 10 and an undesignable fc 0", Inputs(4, {"10", "0"}), PaperSize::kLetter,
       "612 x 792 pts (letter)"},
      {"a wheel load too wide for the report's field", Inputs(0, {"123.456"}), PaperSize::kA4,
       "595.276 x 841.89 pts (A4)"},
  };
  for (auto test : table) {
    SCOPED_TRACE(test.name);
    test.inputs.continuityFactor = kalvorden::Widen(0.8f);
    const TempDir dir;
    const std::string path = dir.File("run.pdf");
    ASSERT_EQ(WritePdf(test.inputs, path, SettingsOf(test.paper)), 0);
    EXPECT_EQ(DirectoryEntries(dir.path()), std::vector<std::string>{"run.pdf"});

    const auto cases = DesignAll(test.inputs);
    const int64_t count = static_cast<int64_t>(cases.size());
    // Before the cases: the cover (one sheet without a project), the method
    // sheet (two), the index and, for two cases or more, the comparison.
    const int64_t beforeCases = 3 + kalvorden::IndexPageCount(test.paper, count) +
                                kalvorden::ComparisonPageCount(test.paper, count);
    const std::string info = Tool("/usr/bin/pdfinfo", {"run.pdf"}, dir.path());
    EXPECT_EQ(Field(info, "Pages"), std::to_string(beforeCases + 4 * count));
    EXPECT_EQ(Field(info, "Page size"), test.pageSize);
    EXPECT_EQ(Field(info, "Creator"), "kalvorden");
    EXPECT_NE(Field(info, "CreationDate").find("Dec  7 14:03:09 2026"), std::string::npos)
        << Field(info, "CreationDate");
    EXPECT_NE(Field(info, "Title").find(std::to_string(count) + " design case"), std::string::npos);
    Tool("/usr/bin/qpdf", {"--check", "run.pdf"}, dir.path());

    // One bookmark per case, on its first page.
    const std::string outline =
        Tool("/usr/bin/qpdf", {"--json=2", "--json-key=outlines", "run.pdf"}, dir.path());
    size_t bookmarks = 0;
    for (size_t at = 0; (at = outline.find("\"title\": \"Case ", at)) != std::string::npos; ++at) {
      ++bookmarks;
    }
    EXPECT_EQ(bookmarks, cases.size());

    // Every report row and case line, in order, in the text of the table
    // pages: verbatim at the table's character pitch, and word for word in
    // pdftotext's own estimate of the layout (which closes up runs of blanks).
    const std::string text =
        Tool("/usr/bin/pdftotext", {"-layout", "-fixed", "6", "run.pdf", "-"}, dir.path());
    const std::vector<std::string> estimated =
        Lines(Tool("/usr/bin/pdftotext", {"-layout", "run.pdf", "-"}, dir.path()));
    const DesignRun run = RunDesign(test.inputs);
    ASSERT_EQ(run.rows.size(), cases.size() * 111);
    size_t at = 0;
    size_t line = 0;
    for (const std::string& row : run.rows) {
      at = text.find(TrimRight(row), at);
      ASSERT_NE(at, std::string::npos) << "row not found in order: " << row;
      while (line < estimated.size() && Words(estimated[line]) != Words(row)) {
        ++line;
      }
      ASSERT_LT(line, estimated.size()) << "row not found in order: " << row;
    }
    for (const std::string& caseLine : run.caseLines) {
      EXPECT_NE(text.find(TrimRight(caseLine)), std::string::npos) << caseLine;
    }
    // Each table sheet has the report's heading block and the note on the
    // outer quarters, what every case shares painted from one form a page of
    // a case after the first two.
    const std::string laidOut = Tool("/usr/bin/pdftotext", {"-layout", "run.pdf", "-"}, dir.path());
    for (const auto& [in, heading] :
         {std::pair{&text, "SERVICE LOAD DESIGN OF BRIDGE SLAB (METRIC)"},
          std::pair{&text, "LENGTH    MINIMUM ACTUAL   REINFORCEMENT    HALF  QUARTERS"},
          std::pair{&laidOut, "OUTER QUARTERS: the distribution bars of both outer quarters"}}) {
      size_t found = 0;
      for (size_t from = 0; (from = in->find(heading, from)) != std::string::npos; ++from) {
        ++found;
      }
      EXPECT_EQ(found, 3 * cases.size()) << heading;
    }

    // The index lists each case with its values in full and its first page,
    // and the chart page's title carries them too.
    const std::vector<std::string> lines = Lines(text);
    for (int64_t n = 1; n <= count; ++n) {
      const kalvorden::DesignCase& c = cases[n - 1]->designCase;
      const std::vector<std::string> entry = {std::to_string(n),
                                              Full(c.wheelLoad),
                                              Full(c.topCover),
                                              Full(c.futurePaving),
                                              Full(c.steelStress),
                                              Full(c.concreteStress),
                                              std::to_string(c.modularRatio),
                                              "0.8",
                                              std::to_string(beforeCases + 4 * (n - 1) + 1)};
      EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                              [&](const std::string& line) { return Words(line) == entry; }))
          << "no index entry for case " << n;
      EXPECT_NE(text.find("wheel load " + Full(c.wheelLoad) + " kN"), std::string::npos);
      // Each of the case's sheets names it in full in its title block: set
      // smaller to fit, never shortened at the size that fits it.
      const std::vector<std::string> subject =
          Words(kalvorden::CaseCaption(n, count) + ": " + kalvorden::DescribeCaseValues(c));
      EXPECT_GE(std::count_if(estimated.begin(), estimated.end(),
                              [&](const std::string& line) { return Words(line) == subject; }),
                4)
          << "case " << n << "'s subject shortened";
    }
  }
}

// An index page holds the entries from its table top (130 pt) down to 68 pt
// above the paper's foot (the title block's band and room for descenders),
// one every 11 pt: 59 on A4 (841.89 pt high), 55 on Letter (792 pt).
TEST(IndexPageCount, OnePageAndMoreForManyCases) {
  EXPECT_EQ(kalvorden::IndexEntriesPerPage(PaperSize::kA4), 59);
  EXPECT_EQ(kalvorden::IndexEntriesPerPage(PaperSize::kLetter), 55);
  const struct {
    int64_t cases;
    PaperSize paper;
    int32_t pages;
  } table[] = {
      {0, PaperSize::kA4, 1},      {1, PaperSize::kA4, 1},         {59, PaperSize::kA4, 1},
      {60, PaperSize::kA4, 2},     {3125, PaperSize::kA4, 53},     {55, PaperSize::kLetter, 1},
      {56, PaperSize::kLetter, 2}, {3125, PaperSize::kLetter, 57},
  };
  for (const auto& row : table) {
    EXPECT_EQ(kalvorden::IndexPageCount(row.paper, row.cases), row.pages) << row.cases;
  }
  EXPECT_GT(kalvorden::IndexEntriesPerPage(PaperSize::kA4),
            kalvorden::IndexEntriesPerPage(PaperSize::kLetter));
}

// A failed PDF leaves no file of its own and an existing target untouched.
TEST(PdfOutput, FailuresLeaveNoFileAndTheTargetUntouched) {
  const kalvorden::DesignInputs inputs = Inputs(0, {"72.5", "90", "100"});
  const struct {
    const char* name;
    const char* target;  // in the test's directory
    long fileSizeLimit;  // bytes, or -1
    const char* detail;
  } table[] = {
      {"a directory that does not exist", "missing/run.pdf", -1, "No such file or directory"},
      {"a file size limit", "run.pdf", 40000, "File too large"},
      {"a directory in the target's place", "taken", -1, "Is a directory"},
  };
  for (const auto& test : table) {
    SCOPED_TRACE(test.name);
    const TempDir dir;
    kalvorden::testing::WriteFileBytes(dir.File("run.pdf"), "the previous PDF");
    mkdir(dir.File("taken").c_str(), 0755);
    const std::vector<std::string> before = DirectoryEntries(dir.path());
    // In a child process, where a file size limit cannot reach the test, and
    // with SIGXFSZ ignored as the program ignores it: the write fails.
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const pid_t child = fork();
    if (child == 0) {
      signal(SIGXFSZ, SIG_IGN);
      if (test.fileSizeLimit >= 0) {
        const rlimit limit = {static_cast<rlim_t>(test.fileSizeLimit),
                              static_cast<rlim_t>(test.fileSizeLimit)};
        setrlimit(RLIMIT_FSIZE, &limit);
      }
      std::string message;
      const int status =
          WritePdf(inputs, dir.File(test.target), SettingsOf(PaperSize::kA4), &message);
      (void)!write(pipeEnds[1], message.data(), message.size());
      _exit(status);
    }
    close(pipeEnds[1]);
    std::string message;
    char buffer[512];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
      message.append(buffer, static_cast<size_t>(n));
    }
    close(pipeEnds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 74);
    EXPECT_NE(message.find(dir.File(test.target)), std::string::npos) << message;
    EXPECT_NE(message.find(test.detail), std::string::npos) << message;
    EXPECT_EQ(DirectoryEntries(dir.path()), before);
    EXPECT_EQ(kalvorden::testing::ReadFileBytes(dir.File("run.pdf")), "the previous PDF");
  }
}

}  // namespace

// The index counts the comparison's pages before any case is designed: a
// run that hands the cases to Write without surveying them first fails
// with its reason rather than writing a file whose index is wrong.
TEST(PdfOutput, CasesNotSurveyedFailTheComparison) {
  const TempDir dir;
  PdfOutput pdf(SettingsOf(PaperSize::kA4));
  ASSERT_EQ(pdf.BeginPending(dir.File("run.pdf"), true), 0);
  const kalvorden::DesignInputs inputs = Inputs(0, {"72.5", "90"});
  ASSERT_TRUE(pdf.Start(inputs));
  EXPECT_TRUE(pdf.wantsSurvey());
  EXPECT_FALSE(pdf.Write(*DesignAll(inputs).front()));
  EXPECT_NE(pdf.failure().detail.find("the comparison saw 0 of 2 design cases"), std::string::npos)
      << kalvorden::FormatFault(pdf.failure());
  pdf.Abandon();
  EXPECT_TRUE(DirectoryEntries(dir.path()).empty());
}

// A case's plan, worked out on the thread that designed it, draws the same
// file as the case drawn on its own (cases with gaps, and one with no span
// designed); its bytes are read back whole or not at all, and a plan that
// cannot be read is worked out again.
TEST(PdfOutput, PreparedCasesDrawTheSameFile) {
  const kalvorden::DesignInputs inputs = Inputs(4, {"10", "0.5", "0"});
  const TempDir dir;
  const auto write = [&](const std::string& name, bool prepared, bool spoiled) {
    PdfOutput pdf(SettingsOf(PaperSize::kA4));
    EXPECT_EQ(pdf.BeginPending(dir.File(name), true), 0);
    EXPECT_TRUE(pdf.Start(inputs));
    const auto cases = DesignAll(inputs);
    for (const auto& designed : cases) {
      pdf.Survey(*designed);
    }
    for (const auto& designed : cases) {
      std::string plan;
      pdf.Prepare(*designed, plan);
      if (spoiled) {
        plan.pop_back();
      }
      EXPECT_TRUE(prepared ? pdf.WritePrepared(*designed, plan) : pdf.Write(*designed));
    }
    EXPECT_TRUE(pdf.Finish() && pdf.file()->Commit());
    return kalvorden::testing::ReadFileBytes(dir.File(name));
  };
  const std::string alone = write("alone.pdf", false, false);
  EXPECT_TRUE(alone == write("prepared.pdf", true, false));
  EXPECT_TRUE(alone == write("spoiled.pdf", true, true));

  const kalvorden::CaseSheetPlan plan = kalvorden::PlanCaseSheets(*DesignAll(inputs).back());
  std::string bytes;
  kalvorden::AppendCaseSheetPlan(plan, bytes);
  kalvorden::CaseSheetPlan read;
  ASSERT_TRUE(kalvorden::ReadCaseSheetPlan(bytes, read));
  std::string again;
  kalvorden::AppendCaseSheetPlan(read, again);
  EXPECT_TRUE(again == bytes);
  for (size_t length = 0; length < bytes.size(); length += 7) {
    EXPECT_FALSE(kalvorden::ReadCaseSheetPlan(std::string_view(bytes).substr(0, length), read));
  }
  EXPECT_FALSE(kalvorden::ReadCaseSheetPlan(bytes + '\0', read));
}

// Texts the engineer typed with code points cairo refuses (noncharacters)
// are shown with U+FFFD instead of failing the PDF; and a failure that is
// not the disk's says cairo's reason, not a write failure.
TEST(PdfOutput, NoncharactersShownAndCairosFailureNamed) {
  const TempDir dir;
  kalvorden::OutputSettings settings = SettingsOf(PaperSize::kA4);
  settings.project.title = "Deck \xEF\xBF\xBF slab";
  settings.project.designer = "A. \xEF\xB7\x90";
  settings.project.notes = "plane 1 \xF0\x9F\xBF\xBE, last \xF4\x8F\xBF\xBF";
  std::string message;
  EXPECT_EQ(WritePdf(Inputs(0, {"72.5"}), dir.File("run.pdf"), settings, &message), 0) << message;
  const std::string text = Tool("/usr/bin/pdftotext", {"-layout", "run.pdf", "-"}, dir.path());
  EXPECT_NE(text.find("Deck \xEF\xBF\xBD slab"), std::string::npos);

  const int descriptor = open(dir.File("other.pdf").c_str(), O_WRONLY | O_CREAT, 0644);
  kalvorden::PdfDocument document(PaperSize::kA4, {});
  document.Open(descriptor, {});
  cairo_show_text(document.cr(), "\xEF\xBF\xBF");
  const kalvorden::DocumentFailure failure = document.Failure();
  EXPECT_TRUE(failure.failed);
  EXPECT_FALSE(failure.disk);
  EXPECT_NE(failure.reason.find("UTF-8"), std::string::npos) << failure.reason;
  document.Release();
  close(descriptor);
}

// cairo must open its compressed streams through the program's entry, or
// the fast level silently stops applying (a cairo that opens them another
// way, or a link that leaves the entry out).
TEST(PdfDocument, StreamsCompressedAtTheProgramsLevel) {
  const int64_t before = kalvorden::FastCompressedStreams();
  std::string bytes;
  kalvorden::PdfDocument document(PaperSize::kA4, {});
  document.OpenInMemory(bytes, {"t", "", "", "kalvorden", "2026-12-11T08:00:00"});
  document.SetSheetCount(1);
  cairo_move_to(document.cr(), 50, 50);
  cairo_show_text(document.cr(), "Sheet");
  document.EndSheet("One sheet");
  EXPECT_FALSE(document.Close().failed);
  EXPECT_GT(kalvorden::FastCompressedStreams(), before);
  EXPECT_NE(bytes.find("/FlateDecode"), std::string::npos);
}
