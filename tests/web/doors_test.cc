// The web page and the command line are doors into one run: for the same
// values and clock, every download is byte for byte the command line's
// output, and the page's calculation sheet is `kalvorden explain`'s.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/run_binary.h"
#include "web/design_query.h"
#include "web/downloads.h"
#include "web/explain_page.h"

using namespace kalvorden;
using namespace kalvorden::testing;

namespace {

// Two wheel loads (one too wide for the report's field), a cover, a paving,
// two steel stresses, a concrete stress, continuity: four cases.
constexpr const char* kQuery =
    "wheel-load=72.5&wheel-load=120&top-cover=50&paving=1.44&fs=165&fs=170&fc=10&continuity=on";
const std::vector<std::string> kOptions = {"--wheel-load", "72.5,120", "--top-cover", "50",
                                           "--paving",     "1.44",     "--fs",        "165,170",
                                           "--fc",         "10",       "--continuity"};
// The fixed clock of the command line's test program.
constexpr LocalDateTime kFixedClock = {2026, 12, 7, 14, 3, 9};

std::string Unescaped(std::string html) {
  const std::pair<std::string, std::string> entities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}};
  for (const auto& [entity, text] : entities) {
    for (size_t at = html.find(entity); at != std::string::npos; at = html.find(entity, at + 1)) {
      html.replace(at, entity.size(), text);
    }
  }
  return html;
}

}  // namespace

TEST(Doors, EveryDownloadIsTheCommandLinesOutput) {
  const QueryParse parse = ParseDesignQuery(kQuery, QueryPurpose::kDesign);
  ASSERT_TRUE(parse.ok());
  TempDir dir;
  std::vector<std::string> arguments = kOptions;
  arguments.insert(arguments.end(),
                   {"--output", "r.rpt", "--text", "r.txt", "--csv", "r.csv", "--pdf", "r.pdf"});
  const RunResult run = RunFixedClockWith(dir.path(), arguments);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::pair<OutputKind, const char*> outputs[] = {{OutputKind::kReport, "r.rpt"},
                                                        {OutputKind::kText, "r.txt"},
                                                        {OutputKind::kCsv, "r.csv"},
                                                        {OutputKind::kPdf, "r.pdf"}};
  for (const auto& [kind, name] : outputs) {
    const std::string download = dir.File(std::string("web-") + name);
    const DesignRunResult written = WriteDownload(kind, parse.query, kFixedClock, download, {});
    ASSERT_TRUE(written.complete()) << name << ": " << FormatFault(written.fault);
    EXPECT_TRUE(ReadFileBytes(download) == ReadFileBytes(dir.File(name))) << name;
  }
}

TEST(Doors, ThePagesCalculationSheetIsExplains) {
  for (const char* span : {"1.000", "2.900", "3.750"}) {
    const QueryParse parse = ParseDesignQuery(
        "wheel-load=120&top-cover=50&paving=1.44&fs=165&fc=10&continuity=on&span=" +
            std::string(span),
        QueryPurpose::kExplain);
    ASSERT_TRUE(parse.ok()) << span;
    const std::string page = ExplainPage(parse.query);
    const std::string open = "<pre class=\"sheet\">";
    const size_t start = page.find(open);
    const size_t end = page.find("</pre>", start);
    ASSERT_NE(end, std::string::npos) << span;
    const std::string sheet =
        Unescaped(page.substr(start + open.size(), end - start - open.size()));

    TempDir dir;
    RunOptions options;
    options.arguments = {"explain",  "--wheel-load", "120",    "--top-cover", "50",
                         "--paving", "1.44",         "--fs",   "165",         "--fc",
                         "10",       "--continuity", "--span", span};
    options.workingDirectory = dir.path();
    const RunResult run = RunBinary(KALVORDEN_BINARY, options);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(sheet, run.out) << span;
  }
}
