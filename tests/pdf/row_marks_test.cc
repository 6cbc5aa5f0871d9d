#include "pdf/row_marks.h"

#include <fstream>
#include <iterator>

#include "pdf/pdf_document.h"
#include "tests/pdf/pdf_test_util.h"

namespace {

using kalvorden::testing::TempDir;

constexpr double kLeft = 513.637;  // where a table sheet's crosses stand
constexpr double kTop = 50;
constexpr double kPitch = 11;

// Sheets of crosses, each sheet's rows drawn by `draw`, as a PDF file.
template <typename Draw>
void WriteSheets(const std::string& path, const std::vector<std::vector<int32_t>>& sheets,
                 Draw draw) {
  std::string bytes;
  kalvorden::PdfDocument document(kalvorden::PaperSize::kA4, {});
  document.OpenInMemory(bytes, {"t", "", "", "kalvorden", "2026-12-11T08:00:00"});
  document.SetSheetCount(static_cast<int64_t>(sheets.size()));
  for (const std::vector<int32_t>& lines : sheets) {
    draw(document.cr(), lines);
    document.EndSheet("Crosses");
  }
  ASSERT_FALSE(document.Close().failed);
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string FileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Runs painted from recordings look as the crosses stroked one by one, and
// a sheet that paints one run length more than once is still a clean file
// (cairo names a form twice in a sheet's resources when it is painted
// twice; qpdf fails such a file with warnings).
TEST(RowMarks, RunsLookAsCrossesStrokedAndRepeatsKeepTheFileClean) {
  const struct {
    const char* name;
    std::vector<std::vector<int32_t>> sheets;
  } table[] = {
      {"no marked row", {{}}},
      {"one run of every row",
       {{0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
         22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43,
         44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 65}}},
      {"single rows and runs of one length on each sheet",
       {{18, 20, 22, 30, 31, 33, 34, 40, 41, 42}, {19, 21, 23, 25, 50, 51, 52, 60, 61, 62}}},
  };
  for (const auto& test : table) {
    SCOPED_TRACE(test.name);
    const TempDir dir;
    kalvorden::RowMarks marks;
    WriteSheets(dir.File("runs.pdf"), test.sheets,
                [&](cairo_t* cr, const std::vector<int32_t>& lines) {
                  marks.Draw(cr, kLeft, kTop, kPitch, lines);
                });
    WriteSheets(dir.File("strokes.pdf"), test.sheets,
                [](cairo_t* cr, const std::vector<int32_t>& lines) {
                  for (const int32_t line : lines) {
                    const double baseline = kTop + line * kPitch;
                    cairo_move_to(cr, kLeft, baseline - 6);
                    cairo_line_to(cr, kLeft + 5, baseline - 1);
                    cairo_move_to(cr, kLeft + 5, baseline - 6);
                    cairo_line_to(cr, kLeft, baseline - 1);
                  }
                  cairo_set_source_rgb(cr, 0, 0, 0);
                  cairo_set_line_width(cr, 0.8);
                  cairo_stroke(cr);
                });
    const std::string check = Tool("/usr/bin/qpdf", {"--check", "runs.pdf"}, dir.path());
    EXPECT_EQ(check.find("WARNING"), std::string::npos) << check;
    for (const char* name : {"runs", "strokes"}) {
      Tool("/usr/bin/pdftoppm", {"-r", "100", "-gray", std::string(name) + ".pdf", name},
           dir.path());
    }
    for (size_t sheet = 1; sheet <= test.sheets.size(); ++sheet) {
      const std::string page = "-" + std::to_string(sheet) + ".pgm";
      EXPECT_EQ(FileBytes(dir.File("runs" + page)), FileBytes(dir.File("strokes" + page)))
          << "sheet " << sheet;
    }
  }
}

}  // namespace
