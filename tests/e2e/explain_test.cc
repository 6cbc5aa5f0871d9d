// `kalvorden explain` run as a user runs it: the sheet ends with the row the
// committed golden reports hold for the same span, and every misuse is a
// usage error with its line.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/run_binary.h"

using namespace kalvorden::testing;

namespace {

// The result rows of a report: records of 11 blanks and a 59-character row.
std::vector<std::string> GoldenRows(const std::string& name) {
  std::vector<std::string> rows;
  std::istringstream records(ReadFileBytes(std::string(KALVORDEN_GOLDEN_DIR) + "/" + name));
  for (std::string record; std::getline(records, record, '\r');) {
    record.erase(0, record.find_first_not_of("\n\f"));
    if (record.size() == 70 && record[40] == '#') {
      rows.push_back(record.substr(11));
    }
  }
  return rows;
}

std::vector<std::string> Explain(const std::vector<std::string>& values, const std::string& span) {
  const std::vector<std::string> names = {"--wheel-load", "--top-cover", "--paving", "--fs",
                                          "--fc"};
  std::vector<std::string> arguments = {"explain"};
  for (size_t i = 0; i < names.size() && i < values.size(); ++i) {
    arguments.push_back(names[i]);
    arguments.push_back(values[i]);
  }
  for (size_t i = names.size(); i < values.size(); ++i) {
    arguments.push_back(values[i]);  // --continuity or anything else
  }
  if (!span.empty()) {
    arguments.push_back("--span");
    arguments.push_back(span);
  }
  return arguments;
}

RunResult RunExplainCommand(const std::vector<std::string>& arguments) {
  TempDir dir;
  RunOptions options;
  options.arguments = arguments;
  options.workingDirectory = dir.path();
  return RunBinary(KALVORDEN_BINARY, options);
}

// The last line of the sheet's RESULT section, before its quantities.
std::string ResultRow(const std::string& text) {
  const size_t quantities = text.find("\n\n6. QUANTITIES PER SQUARE METRE OF DECK\n");
  const size_t end = quantities == std::string::npos ? text.size() - 1 : quantities;
  const size_t start = text.rfind('\n', end - 1) + 1;
  return text.substr(start, end - start);
}

std::string LastLine(const std::string& text) {
  const size_t end = text.size() - (text.empty() || text.back() != '\n' ? 0 : 1);
  return text.substr(text.rfind('\n', end - 1) + 1, end - text.rfind('\n', end - 1) - 1);
}

}  // namespace

// The worked example (one case) and the multi-case example (four cases, with
// continuity: 72.5 and 90 kN by fs 165 and 170 MPa), at spans that include
// bar advances (2.900, 3.650 m) and the spans right after them.
TEST(Explain, ResultIsTheGoldenReportRowQuantitiesFollow) {
  const std::vector<std::string> worked = GoldenRows("worked-example.rpt");
  const std::vector<std::string> multi = GoldenRows("multi-case.rpt");
  ASSERT_EQ(worked.size(), 111u);
  ASSERT_EQ(multi.size(), 444u);
  const std::vector<std::string> workedValues = {"72.5", "50", "1.5", "165", "10"};
  // clang-format off
  const struct { std::vector<std::string> values; const char* span; std::string row; } cases[] = {
      {workedValues, "1.000", worked[0]}, {workedValues, "2.900", worked[76]},
      {workedValues, "2.925", worked[77]}, {workedValues, "3.75", worked[110]},
      {{"72.5", "50", "1.44", "165", "10", "--continuity"}, "3.475", multi[99]},
      {{"72.5", "50", "1.44", "170", "10", "--continuity"}, "3.650", multi[111 + 106]},
      {{"90", "50", "1.44", "165", "10", "--continuity"}, "2.925", multi[222 + 77]},
      {{"90", "50", "1.44", "170", "10", "--continuity"}, "3.100", multi[333 + 84]}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.values[0] + " " + c.values[3] + " " + c.span);
    const RunResult run = RunExplainCommand(Explain(c.values, c.span));
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ResultRow(run.out), c.row);
    EXPECT_NE(run.out.find("CALCULATION SHEET"), std::string::npos);
    EXPECT_EQ(LastLine(run.out).substr(0, 12), "    Checks: ");
  }
}

// A span that cannot be designed: the whole sheet, status 65, one line.
TEST(Explain, UndesignableSpanEndsWithStatus65) {
  const RunResult run = RunExplainCommand(Explain({"20000", "50", "1.5", "165", "10"}, "2.900"));
  EXPECT_EQ(run.exitStatus, 65);
  EXPECT_NE(run.out.find("no bar is large enough. The span cannot be designed."),
            std::string::npos);
  EXPECT_EQ(LastLine(run.out), "  2.900    ******   ****     #** at ****    **-#**  **-#** ");
  EXPECT_EQ(run.err,
            "kalvorden: span 2.900 m of this case cannot be designed; the sheet says why\n");
}

// Usage errors: status 64, nothing on standard output, one line on standard
// error that names what is wrong.
TEST(Explain, UsageErrorsNameTheProblem) {
  const std::vector<std::string> v = {"72.5", "50", "1.5", "165", "10"};
  // clang-format off
  const struct { std::vector<std::string> arguments; const char* names; } cases[] = {
      {Explain(v, "0.5"), "\"0.5\": outside the effective spans the design covers, 1.000 to 3.750 m"},
      {Explain(v, "3.7500001"), "1.000 to 3.750 m"}, {Explain(v, "garbage"), "garbage"},
      {Explain(v, ""), "--span"},
      {Explain({"72.5", "50", "1.5", "165"}, "2.900"), "--fc"},
      {Explain({"72.5", "50", "1.5", "165", "10,12"}, "2.900"), "--fc"},
      {Explain({"72.5", "50", "1.5x", "165", "10"}, "2.900"), "--paving"},
      {Explain({"inf", "50", "1.5", "165", "10"}, "2.900"), "--wheel-load"},
      {Explain({"72.5", "", "1.5", "165", "10"}, "2.900"), "--top-cover"},
      {Explain({"72.5,80", "50", "1.5", "165", "10"}, "2.900"), "--wheel-load: explain takes one"},
      {Explain({"72.5", "50", "1.5", "165", "10", "--output=r.rpt"}, "2.900"), "--output"},
      {Explain({"72.5", "50", "1.5", "165", "10", "--designer=A"}, "2.900"), "--designer: not with"}};
  // clang-format on
  for (const auto& c : cases) {
    const RunResult run = RunExplainCommand(c.arguments);
    SCOPED_TRACE(c.names);
    EXPECT_EQ(run.exitStatus, 64);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.names), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
}

// A span between two printed spans shows the sheet of the row that governs
// it, after a line that says so; a printed span shows its sheet alone.
TEST(Explain, SpanBetweenRowsShowsItsGoverningRow) {
  const std::vector<std::string> v = {"72.5", "50", "1.5", "165", "10"};
  const RunResult printed = RunExplainCommand(Explain(v, "2.925"));
  ASSERT_EQ(printed.exitStatus, 0) << printed.err;
  EXPECT_EQ(printed.out.rfind("CALCULATION SHEET", 0), 0U);
  const struct {
    const char* span;
    const char* row;
  } cases[] = {{"2.91", "2.925"}, {"2.9000000000000000001", "2.925"}, {"2.9", "2.900"}};
  for (const auto& c : cases) {
    const RunResult run = RunExplainCommand(Explain(v, c.span));
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    if (std::string(c.row) == "2.925") {
      EXPECT_EQ(run.out, "span " + std::string(c.span) + " m is governed by the printed row " +
                             c.row + " m; the sheet shows that row\n" + printed.out);
    } else {
      EXPECT_EQ(run.out.rfind("CALCULATION SHEET", 0), 0U) << c.span;
      EXPECT_NE(run.out, printed.out);
    }
  }
}
