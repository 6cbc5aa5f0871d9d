#include "pdf/sheet_flow.h"

#include "tests/pdf/pdf_test_util.h"

namespace {

// A flow counts the sheets it draws: the lines that fit between the top of
// a sheet and the title block (A4: 44 pt to 773.89 pt, 72 lines 10 pt
// apart), fewer under repeated column heads, and a section kept together.
TEST(SheetFlow, CountingAndDrawingTakeTheSameSheets) {
  const kalvorden::TextStyle line = {.size = 8, .leading = 10};
  const struct {
    const char* name;
    int lines;
    int repeatedHeads;  // from the second line on
    bool keepTogetherAt40;
    int32_t sheets;
  } table[] = {
      {"one line", 1, 0, false, 1},
      {"a full sheet", 72, 0, false, 1},
      {"one line more", 73, 0, false, 2},
      {"heads on the second sheet", 143, 2, false, 3},
      {"heads on the second sheet, all fit", 142, 2, false, 2},
      {"a block of 40 kept together", 72, 0, true, 2},
  };
  const Measure measure;
  for (const auto& test : table) {
    SCOPED_TRACE(test.name);
    int32_t ended = 0;  // sheets the drawing flow handed back
    int32_t drawn = 0;
    int32_t counted = 0;
    for (const bool drawing : {false, true}) {
      kalvorden::SheetFlow flow(measure.cr(), kalvorden::kA4Geometry, drawing,
                                [&](int32_t sheet) { EXPECT_EQ(sheet, ended++); });
      for (int i = 0; i < test.lines; ++i) {
        if (i == 1 && test.repeatedHeads > 0) {
          flow.RepeatOnEachSheet(std::vector<std::pair<std::string, kalvorden::TextStyle>>(
              static_cast<size_t>(test.repeatedHeads), {"Case", line}));
        }
        if (i == 40 && test.keepTogetherAt40) {
          flow.KeepTogether(40 * 10);
        }
        flow.Line("line " + std::to_string(i), line);
      }
      (drawing ? drawn : counted) = flow.Finish();
    }
    EXPECT_EQ(counted, test.sheets);
    EXPECT_EQ(drawn, test.sheets);
    EXPECT_EQ(ended, test.sheets);
  }
}

}  // namespace
