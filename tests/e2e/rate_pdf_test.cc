// `kalvorden rate --pdf`: the rating package read back from the file the
// real program writes (pdftotext, qpdf): the cover's identity, digest and
// verdicts, one rating sheet per span whose values are the text sheet's,
// every sheet numbered, a bookmark per span; and a failed or refused run
// that leaves nothing behind.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/pdf/pdf_test_util.h"
#include "tests/support/run_binary.h"

using namespace kalvorden::testing;

namespace {

// A slab with both faces and W, not continuous, at two spans.
const std::vector<std::string> kSlab = {
    "rate", "--thickness",      "200",     "--top-cover",    "40",   "--top-bar",
    "16",   "--top-spacing",    "150",     "--bottom-cover", "25",   "--bottom-bar",
    "#16",  "--bottom-spacing", "200",     "--bottom-loss",  "10",   "--concrete-strength",
    "28",   "--paving",         "1.2",     "--wheel-load",   "72.5", "--vehicle-weight",
    "325",  "--span",           "2.4,3.2", "--fs",           "165",  "--fc",
    "11.2", "--fs-operating",   "248",     "--fc-operating", "16.8"};

std::vector<std::string> SlabWith(std::vector<std::string> more) {
  std::vector<std::string> arguments = kSlab;
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

// Runs of blanks and line ends as one blank, as a sheet's text reads
// whatever columns and line breaks pdftotext gives it.
std::string Collapsed(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const bool blank = c == ' ' || c == '\n' || c == '\f';
    if (!blank) {
      out += c;
    } else if (!out.empty() && out.back() != ' ') {
      out += ' ';
    }
  }
  return out;
}

std::string Joined(const std::vector<std::string>& pages, int from, int to) {
  std::string text;
  for (int p = from; p < to; ++p) {
    text += pages[static_cast<size_t>(p) - 1] + "\n";
  }
  return Collapsed(text);
}

}  // namespace

TEST(RatePdf, CoverSheetPerSpanNumbersAndBookmarks) {
  for (const char* paper : {"a4", "letter"}) {
    SCOPED_TRACE(paper);
    TempDir dir;
    const RunResult run = RunFixedClockWith(
        dir.path(), SlabWith({"--title", "Deck over the Kal", "--bridge", "12/345", "--designer",
                              "A. Designer", "--checker", "B. Checker", "--csv", "r.csv", "--text",
                              "r.txt", "--pdf", "r.pdf", "--paper", paper}));
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err,
              "kalvorden: wrote CSV file \"r.csv\", text file \"r.txt\", PDF file \"r.pdf\": the "
              "rating of 2 spans\n");
    Tool("/usr/bin/qpdf", {"--check", "r.pdf"}, dir.path());
    const std::vector<std::string> pages = PageTexts("r.pdf", dir.path());
    const int sheets = static_cast<int>(pages.size());
    for (int n = 1; n <= sheets; ++n) {
      EXPECT_NE(pages[n - 1].find("Sheet " + std::to_string(n) + " of " + std::to_string(sheets)),
                std::string::npos)
          << "sheet " << n;
    }
    const std::map<std::string, int> bookmarks = Bookmarks("r.pdf", dir.path());
    ASSERT_EQ(bookmarks.size(), 3U);
    EXPECT_EQ(bookmarks.at("Cover sheet"), 1);
    const int starts[] = {bookmarks.at("Span 1 of 2, S = 2.4 m"),
                          bookmarks.at("Span 2 of 2, S = 3.2 m"), sheets + 1};
    ASSERT_LT(1, starts[0]);
    ASSERT_LT(starts[0], starts[1]);

    const std::string cover = Joined(pages, 1, starts[0]);
    const std::string onCover[] = {
        "Title Deck over the Kal",
        "Bridge 12/345",
        "Designer A. Designer",
        "Checker B. Checker",
        "Date and time 2026-12-07 14:03:09",
        // the pinned canonical form of these values (tests/run/values_digest_test.cc)
        "SHA-256 of values 3b5de980fd28cab69e41a5342e527e03d92f8da14237d2fff0cdc7d363e855de",
        "Designed by A. Designer",
        "Span 1 of 2, S = 2.4 m: rating sheet " + std::to_string(starts[0]),
        "Inventory: RF 0.633574784723, bottom face, steel governs: below the design level for "
        "this vehicle.",
        "Operating: RF 1.02580429121, bottom face, steel governs: the vehicle is within the "
        "operating level.",
        "Span 2 of 2, S = 3.2 m: rating sheet " + std::to_string(starts[1]),
        "Operating: RF 0.720603008781, bottom face, steel governs: the vehicle exceeds the "
        "operating level: posting or strengthening to be considered.",
        "allowable-stress rating table for reinforcing steel of The Manual for Bridge Evaluation",
        "Grade 280 (Grade 40) 138 / 193 MPa (20 / 28 ksi)",
        "structural grade before 1954, 124 / 172 MPa (18 / 25 ksi)",
        "Some owners restrict the use of ASR",
        "Not rated here: the distribution steel, shear, the overhang.",
    };
    for (const std::string& words : onCover) {
      EXPECT_NE(cover.find(words), std::string::npos) << words << "\nin: " << cover;
    }

    // Each span's sheets hold the text sheet's values and that span's part,
    // line for line in order.
    const std::string text = ReadFileBytes(dir.File("r.txt"));
    const size_t values = text.find("VALUES AS ENTERED");
    const size_t span2 = text.find("\nSPAN S = 3.2 m");
    const std::string common = text.substr(values, text.find("\nSPAN S = ") - values);
    const std::string parts[] = {
        common + text.substr(text.find("\nSPAN S = 2.4 m"), span2 - text.find("\nSPAN S = 2.4")),
        common + text.substr(span2)};
    for (int n = 0; n < 2; ++n) {
      const std::string sheet = Joined(pages, starts[n], starts[n + 1]);
      size_t at = 0;
      for (const std::string& line : Lines(parts[n])) {
        const std::string words = Collapsed(line);
        if (words.empty() || words == " ") {
          continue;
        }
        at = sheet.find(words.front() == ' ' ? words.substr(1) : words, at);
        ASSERT_NE(at, std::string::npos) << "span " << n + 1 << ": " << line;
      }
    }
  }
}

// Each ends with its status and one line, and leaves the directory as it
// was: no output, no temporary file, the project file untouched. The lean
// program hands each run with --pdf to the complete one.
TEST(RatePdf, FailedOrRefusedRunLeavesNothing) {
  const struct {
    std::vector<std::string> options;
    int fileSizeLimit;
    int status;
    const char* error;
  } cases[] = {
      {{"--csv", "r.csv", "--pdf", "r.pdf"},
       20000,
       74,
       "kalvorden: error (74): write failure, writing PDF file \"r.pdf\""},
      {{"--project", "p.toml", "--pdf", "./p.toml"},
       -1,
       64,
       "usage error, options --project and --pdf: both name \"p.toml\""},
      {{"--text", "r.txt", "--pdf", "sub/../r.txt"},
       -1,
       64,
       "usage error, options --text and --pdf: both name \"r.txt\""},
      {{"--csv", "-", "--text", "-"},
       -1,
       64,
       "usage error, options --csv and --text: both name standard output"},
      {{"--paper", "letter"}, -1, 64, "usage error, option --paper: only with --pdf"},
      {{"--pdf", "-"}, -1, 64, "usage error, option --pdf \"-\": a PDF goes to a file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    TempDir dir;
    std::filesystem::create_directory(dir.File("sub"));
    WriteFileBytes(dir.File("p.toml"), "[rating]\nthickness = 200\n");
    const RunResult run =
        RunBinary(KALVORDEN_BINARY, {SlabWith(c.options), dir.path(), "", c.fileSizeLimit});
    EXPECT_EQ(run.exitStatus, c.status) << run.err;
    EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"p.toml", "sub"}));
    EXPECT_EQ(ReadFileBytes(dir.File("p.toml")), "[rating]\nthickness = 200\n");
  }
}
