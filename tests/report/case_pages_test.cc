#include "report/case_pages.h"

#include "report/report_pages.h"

#include "tests/design/design_run.h"

namespace {

// The lines of a one-case report file, page by page: the file's first line
// feed dropped, CR LF ending a line and CR FF ending a page.
std::vector<std::vector<std::string>> FilePages(const std::string& bytes) {
  std::vector<std::vector<std::string>> pages(1);
  std::string line;
  for (size_t at = 1; at < bytes.size(); ++at) {
    if (bytes[at] != '\r') {
      line.push_back(bytes[at]);
      continue;
    }
    pages.back().push_back(line);
    line.clear();
    if (bytes[++at] == '\f') {
      pages.emplace_back();
    }
  }
  return pages;
}

TEST(FormatCasePages, TheReportFilesLinesPageByPage) {
  const struct {
    const char* name;
    kalvorden::DesignInputs inputs;
  } table[] = {
      {"the worked example", Inputs()},
      {"a bar advance at a heavy load", Inputs(0, {"150"})},
      {"fc 0: no span designed", Inputs(4, {"0"})},
  };
  for (const auto& test : table) {
    SCOPED_TRACE(test.name);
    const DesignRun run = RunDesign(test.inputs);
    const auto designed = DesignAll(test.inputs);
    ASSERT_EQ(designed.size(), 1u);
    kalvorden::ReportWriter headings;
    kalvorden::StampHeaderLines(headings, {});  // RunDesign's clock reading
    kalvorden::CasePages pages;
    kalvorden::FormatCasePages(headings, designed[0]->designCase, designed[0]->spans, pages);
    const auto expected = FilePages(run.bytes);
    ASSERT_EQ(expected.size(), 3u);
    for (int page = 0; page < 3; ++page) {
      EXPECT_EQ(pages.pages[page], expected[page]) << "page " << page + 1;
    }
  }
}

}  // namespace
