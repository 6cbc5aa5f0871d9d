// The PDF as a calculation package: the cover with the project, the run and
// the governing rows; "Sheet n of N" on every sheet; the governing row
// marked on its table page; the calculation sheet that ends with the
// report's row; the index's sheets where the bookmarks lead; no text near
// the paper's edge.
#include <algorithm>
#include <fstream>

#include "chart/case_chart.h"
#include "report/printed_span.h"
#include "tests/pdf/pdf_test_util.h"

namespace {

using kalvorden::PaperSize;
using kalvorden::testing::TempDir;

const char* const kDigest = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";
const char* const kLongTitle =
    "Route 9 over Mill Creek and the railway sidings west of the old town, replacement of the "
    "deck slab between the girders of spans 2 to 5";

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The words of `text` with one blank between them.
std::string Flat(const std::string& text) {
  std::string flat;
  for (const std::string& word : Words(text)) {
    flat += (flat.empty() ? "" : " ") + word;
  }
  return flat;
}

// The lines of the calculation sheet on its sheets from `first` on: every
// line but the caption above it and the title block below.
std::vector<std::string> SheetLines(const std::vector<std::string>& pages, int first) {
  std::vector<std::string> lines;
  for (size_t n = static_cast<size_t>(first); n <= pages.size(); ++n) {
    const std::string& page = pages[n - 1];
    if (!Contains(page, "calculation sheet of the governing row")) {
      break;
    }
    for (const std::string& line : Lines(page)) {
      if (!Words(line).empty() && !Contains(line, "Sheet ") && !Contains(line, "BRIDGE") &&
          !Contains(line, "DESIGNER") && !Contains(line, "DATE 2026") &&
          !Contains(line, "Design case")) {
        lines.push_back(line);
      }
    }
  }
  return lines;
}

// The grey level (0 black, 255 white) at (x, y) points of page `page`,
// rendered at 72 dpi so that a pixel is a point.
int GreyAt(const std::string& pdf, const std::string& directory, int page, double x, double y) {
  const std::string number = std::to_string(page);
  Tool("/usr/bin/pdftoppm",
       {"-gray", "-r", "72", "-f", number, "-l", number, "-singlefile", pdf, "page"}, directory);
  std::ifstream image(directory + "/page.pgm", std::ios::binary);
  std::string magic;
  int width = 0;
  int height = 0;
  int largest = 0;
  image >> magic >> width >> height >> largest;
  image.get();
  std::string pixels((std::istreambuf_iterator<char>(image)), std::istreambuf_iterator<char>());
  const size_t at = static_cast<size_t>(static_cast<int>(y) * width + static_cast<int>(x));
  return magic == "P5" && at < pixels.size() ? static_cast<unsigned char>(pixels[at]) : -1;
}

// The marked row of a table page: a light band behind the row (between its
// first two figures) and a dark mark in the margin, 13 columns of 6 pt left
// of the span's figure; neither on the row above.
void ExpectMarkedRow(const std::string& pdf, const std::string& directory, int page,
                     const std::string& span) {
  const std::vector<WordBox> boxes = WordBoxes(pdf, directory);
  const auto box = std::find_if(boxes.begin(), boxes.end(), [&](const WordBox& b) {
    return b.page == page && b.word == span && b.yMin > 40;  // not the caption's
  });
  ASSERT_NE(box, boxes.end());
  const double middle = (box->yMin + box->yMax) / 2;
  const double margin = box->xMin - 13 * 6 - 11;
  const double above = middle - 10.5;
  const int band = GreyAt(pdf, directory, page, box->xMax + 6, middle);
  EXPECT_TRUE(band > 190 && band < 240) << band;
  EXPECT_LT(GreyAt(pdf, directory, page, margin, middle), 80);
  EXPECT_EQ(GreyAt(pdf, directory, page, box->xMax + 6, above), 255);
  EXPECT_EQ(GreyAt(pdf, directory, page, margin, above), 255);
}

// The report row's figures (thickness, bars, spacing, distribution bars),
// as the cover lists them: "225 #19 at 170 8-#16 4-#16".
std::vector<std::string> RowResult(const std::string& row) {
  const std::vector<std::string> words = Words(row);
  return std::vector<std::string>(words.begin() + 2, words.end());
}

kalvorden::DesignInputs WithConcreteStresses(kalvorden::DesignInputs inputs,
                                             const std::vector<const char*>& values) {
  inputs.concreteStresses.count = static_cast<int32_t>(values.size());
  std::transform(values.begin(), values.end(), inputs.concreteStresses.values.begin(), Q);
  return inputs;
}

kalvorden::DesignInputs WithSteelStresses(kalvorden::DesignInputs inputs,
                                          const std::vector<const char*>& stresses,
                                          const std::vector<const char*>& covers) {
  inputs.steelStresses.count = static_cast<int32_t>(stresses.size());
  std::transform(stresses.begin(), stresses.end(), inputs.steelStresses.values.begin(), Q);
  inputs.topCovers.count = static_cast<int32_t>(covers.size());
  std::transform(covers.begin(), covers.end(), inputs.topCovers.values.begin(), Q);
  return inputs;
}

TEST(CalculationPackage, CoverSheetsMarkedRowsAndCalculationSheets) {
  const struct {
    const char* name;
    kalvorden::DesignInputs inputs;
    bool continuous;
    PaperSize paper;
    kalvorden::ProjectIdentity project;
    const char* span;
    int32_t row;  // the governing row of `span`
    const char* digest;
  } table[] = {
      {"a project, span 2.91, fc 0 undesignable",
       WithConcreteStresses(Inputs(0, {"72.5", "120"}), {"10", "0"}),
       true,
       PaperSize::kA4,
       {kLongTitle, "Bridge 4711", "A. Engineer", "B. Checker", "C",
        "Deck between girders.\nNotes with a stray byte \xff here."},
       "2.91",
       77,
       kDigest},
      {"no project, span 2.900, Letter", Inputs(), false, PaperSize::kLetter, {}, "2.900", 76, ""},
      // A value entered with 34 digits: every table that shows it (cover,
      // index, comparison) stays inside the page.
      {"a project without a span, a long fs",
       Inputs(3, {"165", "170.1234567890123456789012345678901"}),
       false,
       PaperSize::kA4,
       {"Mill Creek", "B-12", "D. Designer", "E. Checker", "0", ""},
       "",
       -1,
       kDigest},
      // 64 cases: the cover's table and the index each go on to a second
      // sheet.
      {"64 cases, span 1.0",
       WithSteelStresses(Inputs(0, {"60", "72.5", "80", "90"}), {"140", "155", "170", "185"},
                         {"40", "50", "60", "70"}),
       false,
       PaperSize::kA4,
       {"Mill Creek", "B-12", "", "", "", ""},
       "1.0",
       0,
       ""},
      {"no design case (an empty list)", Inputs(0, {}), false, PaperSize::kA4, {}, "2.91", 77, ""},
  };
  for (auto test : table) {
    SCOPED_TRACE(test.name);
    test.inputs.continuityFactor = test.continuous ? kalvorden::kContinuityFactor : 1;
    kalvorden::OutputSettings settings = SettingsOf(test.paper);
    settings.project = test.project;
    settings.spanText = test.span;
    settings.governingRow = test.row;
    settings.digest = test.digest;
    const TempDir dir;
    ASSERT_EQ(WritePdf(test.inputs, dir.File("p.pdf"), settings), 0);
    Tool("/usr/bin/qpdf", {"--check", "p.pdf"}, dir.path());
    const std::vector<std::string> pages = PageTexts("p.pdf", dir.path());
    const int sheets = static_cast<int>(pages.size());

    // Every sheet says which it is, of how many.
    for (int n = 1; n <= sheets; ++n) {
      EXPECT_TRUE(
          Contains(pages[n - 1], "Sheet " + std::to_string(n) + " of " + std::to_string(sheets)))
          << "sheet " << n;
    }
    EXPECT_EQ(WordsNearTheEdge(WordBoxes("p.pdf", dir.path()), 10), std::vector<std::string>{});

    // The cover: the project in full, the program, the run, the digest.
    const std::map<std::string, int> bookmarks = Bookmarks("p.pdf", dir.path());
    std::string cover;
    for (int n = 1; n < bookmarks.at("Method of design"); ++n) {
      cover += pages[n - 1];
    }
    for (const std::string* field : {&test.project.title, &test.project.bridge,
                                     &test.project.designer, &test.project.checker}) {
      EXPECT_TRUE(Contains(Flat(cover), Flat(*field))) << *field;
    }
    EXPECT_TRUE(Contains(cover, "kalvorden " KALVORDEN_VERSION));
    EXPECT_TRUE(Contains(cover, "2026-12-07 14:03:09"));
    EXPECT_EQ(Contains(cover, kDigest), !std::string(test.digest).empty());
    EXPECT_TRUE(Contains(Flat(cover), Flat("Designed by " + test.project.designer + " signature")));
    // The document's author is the designer, its subject the title and bridge.
    const std::string info = Tool("/usr/bin/pdfinfo", {"p.pdf"}, dir.path());
    EXPECT_EQ(Contains(info, "Author:          " + test.project.designer + "\n"),
              !test.project.designer.empty());
    EXPECT_EQ(Contains(info, "Subject:         Mill Creek, B-12\n"),
              test.project.title == "Mill Creek");
    // The title block of every sheet: a long title wrapped, not cut; the
    // designer, the checker and the run's date.
    EXPECT_FALSE(Contains(pages[1], "\u2026"));
    EXPECT_TRUE(test.project.title == kLongTitle
                    ? Contains(pages[1], "girders of spans 2 to 5")
                    : Contains(Flat(pages[1]), Flat(test.project.title)));
    for (const std::string& page : pages) {
      EXPECT_TRUE(Contains(page, "DATE 2026-12-07 14:03:09"));
      EXPECT_TRUE(Contains(Flat(page), Flat("DESIGNER " + test.project.designer)));
      EXPECT_TRUE(Contains(Flat(page), Flat("CHECKER " + test.project.checker)));
    }

    // Each case: the index gives the sheet its bookmark leads to; the cover
    // lists its governing row's result, which is marked on one of its table
    // pages and ends its calculation sheet.
    const DesignRun run = RunDesign(test.inputs);
    const auto cases = DesignAll(test.inputs);
    const std::vector<std::string> coverLines = Lines(cover);
    std::vector<std::string> index;  // the lines of every index page
    for (int n = bookmarks.at("Index of design cases"); n <= sheets; ++n) {
      if (!Contains(pages[n - 1], "Index of design cases, page")) {
        break;
      }
      for (const std::string& line : Lines(pages[n - 1])) {
        index.push_back(line);
      }
    }
    for (size_t c = 0; c < cases.size(); ++c) {
      SCOPED_TRACE("case " + std::to_string(c + 1));
      const std::string number = std::to_string(c + 1);
      const std::string bookmark =
          "Case " + number + ": " + kalvorden::DescribeCaseValues(cases[c]->designCase);
      ASSERT_EQ(bookmarks.count(bookmark), 1u) << bookmark;
      const int first = bookmarks.at(bookmark);
      const auto entry = [&](const std::string& line) {
        const std::vector<std::string> words = Words(line);
        return words.size() > 6 && words.front() == number;
      };
      const auto indexEntry = std::find_if(index.begin(), index.end(), entry);
      ASSERT_NE(indexEntry, index.end());
      // The index gives where the case begins and, with a span, where its
      // calculation sheet does (as its bookmark).
      const std::vector<std::string> entryWords = Words(*indexEntry);
      EXPECT_EQ(entryWords[entryWords.size() - (test.row < 0 ? 1 : 2)], std::to_string(first))
          << *indexEntry;
      // The case's chart names the governing row in its legend when one is marked.
      EXPECT_EQ(Contains(pages[first + 2], "governing row, S = "), test.row >= 0);
      EXPECT_TRUE(Contains(pages[first - 1], "both outer quarters together, half in each"));
      if (test.row < 0) {
        EXPECT_FALSE(Contains(cover, "Governing row (m)"));
        EXPECT_FALSE(Contains(pages[first - 1] + pages[first] + pages[first + 1], "Marked row"));
        continue;
      }
      const std::string span = kalvorden::PrintedSpan(test.row);
      const std::string row = run.rows[c * 111 + static_cast<size_t>(test.row)];
      const auto coverLine = std::find_if(coverLines.begin(), coverLines.end(), entry);
      ASSERT_NE(coverLine, coverLines.end());
      std::vector<std::string> listed = Words(*coverLine);
      EXPECT_EQ(listed.back(), std::to_string(first));
      if (cases[c]->spans[test.row].fault == kalvorden::SpanFault::kNone) {
        EXPECT_EQ(std::vector<std::string>(listed.begin() + 6, listed.end() - 1), RowResult(row));
      } else {
        EXPECT_TRUE(Contains(*coverLine, "not designed")) << *coverLine;
      }
      std::vector<int> marked;
      for (int n = first; n < first + 3; ++n) {
        if (Contains(pages[n - 1], "Marked row: S = " + span + " m")) {
          marked.push_back(n);
          EXPECT_TRUE(Contains(Flat(pages[n - 1]), Flat(row))) << "sheet " << n;
        }
      }
      ASSERT_EQ(marked.size(), 1u);
      if (c == 0) {
        ExpectMarkedRow("p.pdf", dir.path(), marked.front(), span);
      }
      const int sheet = bookmarks.at(
          "Case " + number + ": calculation sheet of the governing row, S = " + span + " m");
      EXPECT_EQ(entryWords.back(), std::to_string(sheet)) << *indexEntry;
      const std::vector<std::string> lines = SheetLines(pages, sheet);
      // The result ends with the report's row; a designed row's quantities
      // follow it.
      auto resultEnd = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
        return Contains(l, "QUANTITIES PER SQUARE METRE");
      });
      EXPECT_EQ(resultEnd != lines.end(),
                cases[c]->spans[test.row].fault == kalvorden::SpanFault::kNone);
      while (resultEnd != lines.begin() && Words(*(resultEnd - 1)).empty()) {
        --resultEnd;
      }
      ASSERT_TRUE(resultEnd != lines.begin());
      EXPECT_EQ(Words(*(resultEnd - 1)), Words(row)) << *(resultEnd - 1);
    }
    EXPECT_EQ(Contains(cover, "none: a list of values is empty"), cases.empty());
    if (cases.size() == 64) {
      EXPECT_GT(bookmarks.at("Method of design"), 2);  // the cover took two sheets or more
      EXPECT_EQ(bookmarks.at("Case 1: " + kalvorden::DescribeCaseValues(cases[0]->designCase)),
                bookmarks.at("Index of design cases") + 2 + 4);
      // after two index pages and the comparison's four (two of them its table)
    }
    // No sheet holds a lonely line or two: the calculation sheets keep a
    // block's last lines with it, the sign-off stays with the digest.
    for (int n = 1; n <= sheets; ++n) {
      std::vector<std::string> body = Lines(pages[n - 1]);
      std::erase_if(body, [](const std::string& line) { return Words(line).empty(); });
      EXPECT_GE(body.size(), 4u + 5u) << "sheet " << n << ":\n" << pages[n - 1];  // 4: title block
    }
    for (const std::string& page : pages) {
      if (Contains(page, "SIGN-OFF")) {
        EXPECT_TRUE(Contains(page, "SHA-256 of values"));
      }
    }
    EXPECT_EQ(bookmarks.count("Cover sheet"), 1u);
    EXPECT_EQ(bookmarks.at("Cover sheet"), 1);
  }
}

}  // namespace
