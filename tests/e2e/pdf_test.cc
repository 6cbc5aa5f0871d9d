// The PDF output of the built program, with the dialogue and with the
// options: the cover, the method sheet, the index and four pages per case,
// every sheet numbered, every report row as text, a valid file with a
// bookmark per case, every word well inside the page and the chart's labels
// inside its plot; and its failures, including a file size limit set by a
// real shell, as a user's `ulimit -f` sets it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "chart/chart_layout.h"
#include "pdf/comparison_pages.h"
#include "pdf/pdf_output.h"
#include "tests/pdf/pdf_test_util.h"
#include "tests/support/box_geometry.h"
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

// The page count (the cover and the method sheet take three sheets without
// a project), "Sheet n of N" on each, the rows in order, qpdf's check, the
// bookmarks, and no word within 10 pt of an edge.
void ExpectPdfOfReport(const std::string& directory, const std::string& pdf,
                       const std::string& report, kalvorden::PaperSize paper) {
  const std::vector<std::string> rows = ReportRows(ReadFileBytes(directory + "/" + report));
  ASSERT_FALSE(rows.empty());
  const int64_t cases = static_cast<int64_t>(rows.size() / 111);
  const std::string info = ToolOutput("/usr/bin/pdfinfo", {pdf}, directory);
  const int64_t sheets = 3 + kalvorden::IndexPageCount(paper, cases) +
                         kalvorden::ComparisonPageCount(paper, cases) + 4 * cases;
  EXPECT_NE(info.find("Pages:           " + std::to_string(sheets) + "\n"), std::string::npos)
      << info;
  const std::vector<std::string> pages = PageTexts(pdf, directory);
  ASSERT_EQ(static_cast<int64_t>(pages.size()), sheets);
  for (int64_t n = 1; n <= sheets; ++n) {
    EXPECT_NE(pages[n - 1].find("Sheet " + std::to_string(n) + " of " + std::to_string(sheets)),
              std::string::npos)
        << "sheet " << n;
  }
  EXPECT_EQ(WordsNearTheEdge(WordBoxes(pdf, directory), 10), std::vector<std::string>{});
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
                           "(39 pages): 8 design cases, 4 not designed in full"),
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

// The words of `pdftotext -bbox` page by page, each with its box (pt, y
// downward), and the page's size as a box.
struct Word {
  std::string text;
  kalvorden::Box box;
};
struct Page {
  kalvorden::Box paper;
  std::vector<Word> words;
};

std::vector<Page> ReadPages(const std::string& xhtml) {
  auto number = [&](size_t at, const std::string& name) {
    return std::strtod(xhtml.c_str() + xhtml.find(name + "=\"", at) + name.size() + 2, nullptr);
  };
  std::vector<Page> pages;
  for (size_t at = xhtml.find('<'); at != std::string::npos; at = xhtml.find('<', at + 1)) {
    if (xhtml.compare(at, 6, "<page ") == 0) {
      pages.push_back({{0, 0, number(at, "width"), number(at, "height")}, {}});
    } else if (xhtml.compare(at, 6, "<word ") == 0 && !pages.empty()) {
      const size_t text = xhtml.find('>', at) + 1;
      pages.back().words.push_back(
          {xhtml.substr(text, xhtml.find('<', text) - text),
           {number(at, "xMin"), number(at, "yMin"), number(at, "xMax"), number(at, "yMax")}});
    }
  }
  return pages;
}

// The plot of a chart page's main bar spacing panel, read from its axes'
// labels: its legend ends in "changes"; the first span labels "1.00" and
// "3.75" under it are centred on its left and right edges, its value labels
// on grid lines from its bottom to its top.
kalvorden::Box SpacingPlot(const Page& page) {
  double legend = 0;  // the foot of the spacing panel's legend
  for (const Word& w : page.words) {
    legend = w.text == "changes" ? w.box.bottom : legend;
  }
  double spanLabels = 1e9;  // the top of the first span labels under it
  for (const Word& w : page.words) {
    if ((w.text == "1.00" || w.text == "3.75") && w.box.top > legend) {
      spanLabels = std::min(spanLabels, w.box.top);
    }
  }
  kalvorden::Box plot{0, spanLabels, 0, 0};
  for (const Word& w : page.words) {
    if ((w.text == "1.00" || w.text == "3.75") && w.box.top == spanLabels) {
      (w.text == "1.00" ? plot.left : plot.right) = (w.box.left + w.box.right) / 2;
    }
  }
  for (const Word& w : page.words) {
    const double middle = (w.box.top + w.box.bottom) / 2;
    if (w.box.right < plot.left && middle > legend && middle < spanLabels) {
      plot.top = std::min(plot.top, middle);
      plot.bottom = std::max(plot.bottom, middle);
    }
  }
  return plot;
}

// The top of the lowest span labels of a page: how far down its chart goes.
double LowestSpanLabels(const Page& page) {
  double lowest = 0;
  for (const Word& w : page.words) {
    lowest = w.text == "1.00" ? std::max(lowest, w.box.top) : lowest;
  }
  return lowest;
}

// Cases whose main bar size changes between 3.6 and 3.75 m, at the end of
// the sweep (found by designing around typical values), on both papers:
// every word of every page at least 10 pt from the page's edges, none in the
// chart page's foot kept for a title block, and each label of a bar change
// ("#19 -> #22 at 3.725 m") inside the plot and clear of the other labels.
TEST(PdfOption, ChartLabelsInsideThePlotAndEveryWordInsideThePage) {
  const struct {
    const char* name;
    std::vector<std::string> values;
    size_t cases;
  } table[] = {
      {"#16 -> #19 at 3.625 to 3.75 m, A4",
       {"--wheel-load", "72.5,74", "--top-cover", "50,60,65,70", "--paving", "1,1.2,1.44", "--fs",
        "165", "--fc", "8", "--paper", "a4"},
       24},
      {"#16 -> #19 near 1.85 m, #19 -> #22 at 3.6 to 3.75 m, Letter",
       {"--wheel-load", "88,89", "--top-cover", "50,60,65,70", "--paving", "1,1.2", "--fs", "140",
        "--fc", "10", "--continuity", "--paper", "letter"},
       16},
  };
  for (const auto& test : table) {
    SCOPED_TRACE(test.name);
    TempDir dir;
    std::vector<std::string> arguments = test.values;
    arguments.insert(arguments.end(), {"--output", "r.rpt", "--pdf", "r.pdf"});
    const RunResult run = RunFixedClockWith(dir.path(), arguments);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    ToolOutput("/usr/bin/qpdf", {"--check", "r.pdf"}, dir.path());
    const std::vector<Page> pages =
        ReadPages(ToolOutput("/usr/bin/pdftotext", {"-bbox", "r.pdf", "-"}, dir.path()));
    // The cover, the method sheet (two), the index and the comparison's
    // three sheets (one table sheet holds these cases) come first.
    const size_t front = 4 + (test.cases > 1 ? 3 : 0);
    ASSERT_EQ(pages.size(), front + 4 * test.cases);
    for (size_t p = 0; p < pages.size(); ++p) {
      // The comparison's sheets and a chart page (the fourth of each case)
      // keep their foot for the title block, whose frame starts 54 pt above
      // the paper's edge.
      const kalvorden::Box& paper = pages[p].paper;
      const bool chart = p >= front && (p - front) % 4 == 3;
      const bool comparison = p >= 4 && p < front;
      const kalvorden::Box inside = {10, 10, paper.right - 10, paper.bottom - 10};
      const kalvorden::Box aboveTheFoot = {10, 10, paper.right - 10, paper.bottom - 60};
      for (const Word& w : pages[p].words) {
        const bool titleBlock = w.box.top > paper.bottom - 54;
        EXPECT_TRUE(kalvorden::Contains(
            (chart || comparison) && !titleBlock ? aboveTheFoot : inside, w.box))
            << "page " << p + 1 << ": " << w.text << " at " << w.box.left << ", " << w.box.top;
      }
    }
    for (size_t c = 0; c < test.cases; ++c) {
      SCOPED_TRACE("case " + std::to_string(c + 1));
      const Page& page = pages[front + 4 * c + 3];
      const std::vector<Word>& words = page.words;
      const kalvorden::Box plot = SpacingPlot(page);
      const kalvorden::Box& paper = page.paper;
      ASSERT_TRUE(plot.Width() > 0.75 * paper.Width() &&
                  LowestSpanLabels(page) > 0.87 * paper.Height())
          << "the chart leaves the page unused: " << plot.Width() << " wide to "
          << LowestSpanLabels(page);
      EXPECT_NE(std::find_if(words.begin(), words.end(),
                             [](const Word& w) { return w.text == "(kg/m^2"; }),
                words.end())
          << "no plot of the steel per m^2";
      std::vector<kalvorden::Box> labels;
      double lastChange = 0;
      // A label is the words "#16", "->" (which pdftotext writes "-&gt;"),
      // "#19", "at", the span and "m".
      for (size_t i = 0; i + 5 < words.size(); ++i) {
        if (words[i + 1].text != "-&gt;" || words[i + 5].text != "m") {
          continue;
        }
        kalvorden::Box box = words[i].box;
        for (size_t k = i + 1; k <= i + 5; ++k) {
          box = {box.left, std::min(box.top, words[k].box.top), words[k].box.right,
                 std::max(box.bottom, words[k].box.bottom)};
        }
        EXPECT_TRUE(kalvorden::Contains(plot, box))
            << "the label of the change at " << words[i + 4].text;
        for (const kalvorden::Box& other : labels) {
          EXPECT_FALSE(kalvorden::Overlaps(box, other))
              << "the label of the change at " << words[i + 4].text;
        }
        labels.push_back(box);
        lastChange = std::strtod(words[i + 4].text.c_str(), nullptr);
      }
      EXPECT_TRUE(lastChange >= 3.6 && lastChange <= 3.75) << "last change at " << lastChange;
    }
  }
}

// A PDF that cannot be written: its status and line, no success message,
// no file of its own left behind, an existing target untouched, and no
// report put in place either.
TEST(PdfOption, FailuresEndWithTheirStatusAndLine) {
  const struct {
    const char* name;
    const char* shellLimit;  // `ulimit -f` in 512-byte blocks, or nullptr
    const char* target;
    int status;
    const char* line;
  } table[] = {
      {"a file size limit set in a shell", "80", "r.pdf", 74,
       "kalvorden: error (74): write failure, writing PDF file \"r.pdf\": File too large"},
      {"a directory of the name", nullptr, "taken", 43,
       "kalvorden: error (43): file name specification error"},
      {"a directory that does not exist", nullptr, "missing/r.pdf", 43,
       "kalvorden: error (43): file name specification error"},
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
    EXPECT_EQ(left, (std::vector<std::string>{"r.pdf", "taken"}));
  }
}

// "19.57" as 1957; -1 for an empty field.
long Hundredths(std::string text) {
  if (text.empty() || text == "-") {
    return -1;
  }
  text.erase(text.find('.'), 1);
  return std::stol(text);
}

bool IsWhole(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

// The comparison pages after the index rank the cases as the CSV's own
// steel column (all reinforcing steel, kg/m^2) at 3.750 m ranks them,
// lightest first, equal figures and cases without a figure in case order;
// and name at each span the case the CSV shows lightest and heaviest (the
// first of equal ones). Runs with equal figures and with undesignable cases.
TEST(PdfComparison, RankingAndLightestCaseOfEverySpanAsTheCsvGives) {
  const std::vector<std::string> equalFigures = {"--wheel-load", "72.5,90",  "--top-cover", "50,60",
                                                 "--paving",     "1.44,1.5", "--fs",        "165",
                                                 "--fc",         "10",       "--continuity"};
  for (const auto& values : {equalFigures, kMultiCase}) {
    TempDir dir;
    std::vector<std::string> arguments = values;
    arguments.insert(arguments.end(), {"--output", "r.rpt", "--csv", "r.csv", "--pdf", "r.pdf"});
    const RunResult run = RunFixedClockWith(dir.path(), arguments);
    ASSERT_TRUE(run.exitStatus == 0 || run.exitStatus == 65) << run.err;
    ToolOutput("/usr/bin/qpdf", {"--check", "r.pdf"}, dir.path());

    // From the CSV: each case's steel and actual thickness at every span.
    std::vector<std::vector<long>> steel;      // [case - 1][span row]
    std::vector<std::vector<long>> thickness;  // mm
    std::istringstream csv(ReadFileBytes(dir.File("r.csv")));
    std::string record;
    std::getline(csv, record);
    while (std::getline(csv, record)) {
      const std::vector<std::string> fields = CsvFields(record);
      const size_t number = std::stoul(fields[0]);
      steel.resize(std::max(steel.size(), number));
      thickness.resize(steel.size());
      steel[number - 1].push_back(Hundredths(fields[24]));
      thickness[number - 1].push_back(fields[10].empty() ? -1 : std::stol(fields[10]));
    }
    std::vector<size_t> expectedOrder(steel.size());
    for (size_t i = 0; i < steel.size(); ++i) {
      expectedOrder[i] = i + 1;
    }
    std::stable_sort(expectedOrder.begin(), expectedOrder.end(), [&](size_t a, size_t b) {
      const long x = steel[a - 1][110], y = steel[b - 1][110];
      if (x == y) {
        return x >= 0 && thickness[a - 1][110] < thickness[b - 1][110];
      }
      return x >= 0 && (y < 0 || x < y);
    });

    // From the PDF: the comparison is sheets 5 to 7, after the cover, the
    // method sheet's two and the one index sheet.
    const std::string text = ToolOutput(
        "/usr/bin/pdftotext", {"-layout", "-f", "5", "-l", "7", "r.pdf", "-"}, dir.path());
    ASSERT_NE(text.find("Comparison of the design cases"), std::string::npos) << text;
    std::vector<size_t> order;
    std::vector<std::vector<std::string>> spanLines;
    for (const std::string& line : Lines(text)) {
      const std::vector<std::string> words = Words(line);
      if (words.size() >= 10 && IsWhole(words[0]) && IsWhole(words[1])) {
        order.push_back(std::stoul(words[1]));  // rank, case, ...
      } else if (words.size() >= 5 && words[0].size() == 5 && words[0][1] == '.') {
        spanLines.emplace_back(words.begin(), words.begin() + 5);  // span, lightest, heaviest
        if (words.size() >= 10) {
          spanLines.emplace_back(words.begin() + 5, words.begin() + 10);
        }
      }
    }
    EXPECT_EQ(order, expectedOrder);
    ASSERT_EQ(spanLines.size(), 111u);
    for (const std::vector<std::string>& span : spanLines) {
      const size_t row = static_cast<size_t>(std::lround((std::stod(span[0]) - 1) * 40));
      long least = -1, most = -1, thinnest = 0, thickest = 0;
      std::string lightest = "-", heaviest = "-";
      for (size_t c = 0; c < steel.size(); ++c) {
        const long figure = steel[c][row];
        const long t = thickness[c][row];
        if (figure >= 0 && (least < 0 || figure < least || (figure == least && t < thinnest))) {
          least = figure;
          thinnest = t;
          lightest = std::to_string(c + 1);
        }
        if (figure > most || (figure >= 0 && figure == most && t > thickest)) {
          most = figure;
          thickest = t;
          heaviest = std::to_string(c + 1);
        }
      }
      EXPECT_EQ(span[1], lightest) << "span " << span[0];
      EXPECT_EQ(Hundredths(span[2]), least) << "span " << span[0];
      EXPECT_EQ(span[3], heaviest) << "span " << span[0];
      EXPECT_EQ(Hundredths(span[4]), most) << "span " << span[0];
    }
  }
}

// The cover states the adopted case's slab at the governing row with each
// check's verdict and the verdict in words: a case that fails a check is
// never OK. From the command line or the project file; without one, the
// cover says no design is adopted. Case 1 (cover 40 mm) fails the cover
// check; case 2 (cover 50 mm) meets every check.
TEST(PdfCover, StatesTheAdoptedDesignAndItsVerdict) {
  const std::string project =
      "[design]\nwheel-load = [72.5]\ntop-cover = [40, 50]\npaving = [0]\nfs = [165]\n"
      "fc = [8]\ncontinuity = true\nspan = 3.2\n";
  const struct {
    std::vector<std::string> adopt;
    std::string file;
    std::vector<std::string> says;
    const char* never;
  } cases[] = {
      {{"--adopt", "1"},
       "",
       {"Case 1 is adopted", "Top cover: 40 mm", "Verdict: NOT OK: fails cover"},
       "Verdict: OK"},
      {{}, "adopt = 1\n", {"Case 1 is adopted", "Verdict: NOT OK: fails cover"}, "Verdict: OK"},
      {{"--adopt", "2"},
       "adopt = 1\n",
       {"Case 2 is adopted", "slab 240 mm thick", "Verdict: OK."},
       "NOT OK"},
      {{}, "", {"no design is adopted"}, "Verdict"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    WriteFileBytes(dir.File("p.toml"), project + c.file);
    std::vector<std::string> arguments = {"--project", "p.toml", "--output",
                                          "r.rpt",     "--pdf",  "r.pdf"};
    arguments.insert(arguments.end(), c.adopt.begin(), c.adopt.end());
    const RunResult run = RunFixedClockWith(dir.path(), arguments);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    std::string cover =
        ToolOutput("/usr/bin/pdftotext", {"-f", "1", "-l", "2", "r.pdf", "-"}, dir.path());
    std::replace(cover.begin(), cover.end(), '\n', ' ');
    for (const std::string& text : c.says) {
      EXPECT_NE(cover.find(text), std::string::npos) << text << "\n" << cover;
    }
    EXPECT_EQ(cover.find(c.never), std::string::npos) << c.never;
  }
  // A case the run does not have is refused before anything is written,
  // from the option or from the file, as the web form refuses it.
  const std::pair<std::vector<std::string>, std::string> refusals[] = {
      {{"--adopt", "0"}, "option --adopt \"0\": must be a case number"},
      {{"--adopt", "3"}, "option --adopt \"3\": the run has 2 design cases: adopt one of them"},
      {{}, "adopt = 3 in project file \"p.toml\": the run has 2 design cases"},
  };
  for (const auto& [adopt, message] : refusals) {
    TempDir dir;
    WriteFileBytes(dir.File("p.toml"), project + "adopt = 3\n");
    std::vector<std::string> arguments = {"--project", "p.toml", "--output", "r.rpt"};
    arguments.insert(arguments.end(), adopt.begin(), adopt.end());
    const RunResult refused = RunFixedClockWith(dir.path(), arguments);
    EXPECT_EQ(refused.exitStatus, 64);
    EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
    EXPECT_FALSE(FileExists(dir.File("r.rpt")));
  }
}

// The comparison says of each case whether its row at the governing row
// passes every check as built, as the CSV's checks column says of that row:
// at 3.200 m with continuity, cover 40 mm fails the cover check, cover 50 mm
// passes every check.
TEST(PdfComparison, ChecksAsBuiltAtTheGoverningRowAsTheCsvGives) {
  TempDir dir;
  const RunResult run = RunFixedClockWith(
      dir.path(),
      {"--wheel-load", "72.5", "--top-cover", "40,50", "--paving", "0", "--fs", "165", "--fc", "8",
       "--continuity", "--span", "3.2", "--output", "r.rpt", "--csv", "r.csv", "--pdf", "r.pdf"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  std::vector<std::string> expected(2);  // the checks of each case's 3.200 m row
  std::istringstream csv(ReadFileBytes(dir.File("r.csv")));
  std::string record;
  while (std::getline(csv, record)) {
    const std::vector<std::string> fields = CsvFields(record);
    if (fields.size() > 10 && fields[8] == "3.200") {
      expected.at(std::stoul(fields[0]) - 1) = fields.back();
    }
  }
  EXPECT_EQ(expected[0], "cover");
  EXPECT_EQ(expected[1], "OK");
  const std::string text = ToolOutput("/usr/bin/pdftotext", {"-layout", "r.pdf", "-"}, dir.path());
  const size_t from = text.find("Comparison of the design cases: reinforcing steel per");
  const size_t to = text.find("Comparison of the design cases: reinforcing steel against");
  ASSERT_LT(from, to) << text;
  size_t found = 0;
  for (const std::string& line : Lines(text.substr(from, to - from))) {
    const std::vector<std::string> words = Words(line);
    if (words.size() >= 10 && IsWhole(words[0]) && IsWhole(words[1])) {
      const std::vector<std::string> checks = Words(expected.at(std::stoul(words[1]) - 1));
      ASSERT_GE(words.size(), checks.size());
      EXPECT_TRUE(std::equal(checks.begin(), checks.end(), words.end() - checks.size())) << line;
      ++found;
    }
  }
  EXPECT_EQ(found, 2u);
}
