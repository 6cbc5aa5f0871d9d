// The dialogue, the command line, a project file and the web page are doors
// into one run: each value text and each span meets one rule at every door;
// for the same values and clock, every download is byte for byte the
// command line's output, and the page's calculation sheet is `kalvorden
// explain`'s.
#include <gtest/gtest.h>

#include "driver/full_program_parts.h"

#include <algorithm>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "numeric/decimal.h"
#include "pdf/rating_package.h"
#include "project/project_file.h"
#include "project/project_writer.h"
#include "run/design_run.h"
#include "run/values_digest.h"
#include "tests/support/run_binary.h"
#include "web/design_query.h"
#include "web/downloads.h"
#include "web/explain_page.h"
#include "web/project_upload.h"
#include "web/rate_handlers.h"
#include "web/rate_query.h"

using namespace kalvorden;
using namespace kalvorden::testing;

namespace {

// Two wheel loads (one too wide for the report's field), a cover, a paving,
// two steel stresses, a concrete stress, continuity: four cases; the
// bridge's span between two printed ones, the adopted case and the identity. The command line
// reads them from a project file, the designer from its option.
constexpr const char* kQuery =
    "wheel-load=72.5&wheel-load=120&top-cover=50&paving=1.44&fs=165&fs=170&fc=10&continuity=on"
    "&span=2.91&adopt=2&title=Deck+12&designer=J%C3%BCrgen";
constexpr const char* kProjectFile =
    "[project]\ntitle = \"Deck 12\"\ndesigner = \"Someone\"\n"
    "[design]\nwheel-load = [72.5, 120]\ntop-cover = [50]\npaving = [1.44]\nfs = [165, 170]\n"
    "fc = [10]\ncontinuity = true\nspan = 2.910\nadopt = 2\n";
// A rating as the form sends it (an optional value left empty, blanks in
// the spans, the bottom bar as #16) and as `kalvorden rate`'s options.
constexpr const char* kRateQuery =
    "title=Deck+12&thickness=200&top-cover=40&top-bar=16&top-spacing=150&top-loss=&bottom-cover=25"
    "&bottom-bar=%2316&bottom-spacing=200&bottom-loss=10&concrete-strength=28&paving=1.2"
    "&wheel-load=72.5&vehicle-weight=325&span=2.4%2C+3.2&fs=165&fc=11.2&fs-operating=248"
    "&fc-operating=16.8&continuity=on";
const std::vector<std::string> kRateOptions = {
    "rate", "--thickness",      "200",     "--top-cover",    "40",   "--top-bar",
    "16",   "--top-spacing",    "150",     "--bottom-cover", "25",   "--bottom-bar",
    "#16",  "--bottom-spacing", "200",     "--bottom-loss",  "10",   "--concrete-strength",
    "28",   "--paving",         "1.2",     "--wheel-load",   "72.5", "--vehicle-weight",
    "325",  "--span",           "2.4,3.2", "--fs",           "165",  "--fc",
    "11.2", "--fs-operating",   "248",     "--fc-operating", "16.8", "--continuity"};

// The fixed clock of the command line's test program.
constexpr LocalDateTime kFixedClock = {2026, 12, 7, 14, 3, 9};

PageSettings FixedClockSettings() {
  PageSettings settings;
  settings.readClock = [] { return kFixedClock; };
  return settings;
}

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

// The verdicts of every door on a request whose values are the worked
// example's but for `list`, given `text`, and whose span is `span`: the
// command line (a design and explain), a project file (where `inFile`: the
// text is a TOML number) and the web query (a design and the calculation
// sheet). Each door's accepted request, when it accepts.
struct Verdicts {
  std::vector<bool> accepted;
  std::vector<RunRequest> requests;
};

Verdicts AtEveryDoor(const std::string& list, const std::string& text, const std::string& span,
                     bool inFile) {
  const std::pair<std::string, std::string> worked[] = {
      {"wheel-load", "72.5"}, {"top-cover", "50"}, {"paving", "1.5"}, {"fs", "165"}, {"fc", "10"}};
  std::vector<std::string> options;
  std::string query;
  std::string file = "[design]\n";
  for (const auto& [name, value] : worked) {
    const std::string& given = name == list ? text : value;
    options.insert(options.end(), {"--" + name, given});
    query += (query.empty() ? "" : "&") + name + "=" + EncodeQueryComponent(given);
    file += name + " = [" + given + "]\n";
  }
  options.insert(options.end(), {"--span", span});
  query += "&span=" + EncodeQueryComponent(span);
  file += "span = " + span + "\n";
  Verdicts verdicts;
  for (const bool explain : {false, true}) {
    std::vector<std::string> arguments = options;
    arguments.insert(arguments.begin(), explain ? "explain" : "--output=r.rpt");
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
      argv.push_back(argument.data());
    }
    CommandLine line;
    verdicts.accepted.push_back(ParseCommandLine(argv, line).ok());
    verdicts.requests.push_back(line.request);
    const QueryParse parse =
        ParseDesignQuery(query, explain ? QueryPurpose::kExplain : QueryPurpose::kDesign);
    verdicts.accepted.push_back(parse.ok());
    verdicts.requests.push_back(parse.query.request);
  }
  if (inFile) {
    RunRequest request;
    verdicts.accepted.push_back(ParseProjectText(file, "p.toml", request).ok());
    verdicts.requests.push_back(request);
  }
  return verdicts;
}

}  // namespace

// One table of value texts, each given to every door, which all accept it
// or all refuse it; what they accept is one value. Blanks around a value
// are no part of it at any door.
TEST(Doors, OneVerdictPerValueText) {
  // clang-format off
  const struct { const char* list; const char* text; bool accepted, inFile; } cases[] = {
      {"wheel-load", "72.5", true, true},     {"wheel-load", "0", true, true},
      {"wheel-load", "-0", true, true},       {"wheel-load", "1e3", true, true},
      {"wheel-load", "+72.5", true, true},    {"wheel-load", ".5", true, false},
      {"wheel-load", "5.", true, false},      {"wheel-load", " 72.5\t", true, false},
      {"wheel-load", "72 5", false, false},   {"wheel-load", "72.5kN", false, false},
      {"wheel-load", "inf", false, true},     {"wheel-load", "nan", false, true},
      {"wheel-load", "0x10", false, true},    {"wheel-load", "1e5000", false, true},
      {"wheel-load", "-1", false, true},      {"wheel-load", "", false, false},
      {"wheel-load", " ", false, false},      {"top-cover", "-0.001", false, true},
      {"paving", "-1e-30", false, true},      {"fs", "0", false, true},
      {"fs", "-0", false, true},              {"fc", "-10", false, true},
      {"fc", "1e-5000", false, false},        {"fc", "1e-4940", true, false},
  };
  // clang-format on
  for (const auto& c : cases) {
    const Verdicts verdicts = AtEveryDoor(c.list, c.text, "2.9", c.inFile);
    for (size_t door = 0; door < verdicts.accepted.size(); ++door) {
      EXPECT_EQ(verdicts.accepted[door], c.accepted)
          << c.list << " \"" << c.text << "\" door " << door;
      if (c.accepted) {
        EXPECT_EQ(CanonicalDesignValues(verdicts.requests[door]),
                  CanonicalDesignValues(verdicts.requests[0]))
            << c.list << " \"" << c.text << "\" door " << door;
      }
    }
  }
}

// One table of spans, each given to every door: all refuse it, or all take
// it as the same exact decimal governed by the same printed row, the first
// at or above it (a design marks that row, explain shows its sheet).
TEST(Doors, OneGoverningRowPerSpan) {
  // clang-format off
  const struct { const char* span; int32_t row; bool inFile; } cases[] = {
      {"1", 0, true}, {"1.000", 0, true}, {"1e0", 0, true}, {"2.9", 76, true},
      {"2.91", 77, true}, {"2.9000000000000000001", 77, true}, {"3.75", 110, true},
      {" 2.91 ", 77, false}, {"0.999", -1, true}, {"3.7501", -1, true}, {"-2.9", -1, true},
      {"2,91", -1, false}, {"x", -1, false}, {"inf", -1, true},
  };
  // clang-format on
  for (const auto& c : cases) {
    const Verdicts verdicts = AtEveryDoor("fc", "10", c.span, c.inFile);
    for (size_t door = 0; door < verdicts.accepted.size(); ++door) {
      EXPECT_EQ(verdicts.accepted[door], c.row >= 0) << "\"" << c.span << "\" door " << door;
      if (c.row >= 0) {
        EXPECT_EQ(GoverningSpanOf(verdicts.requests[door]).row, c.row) << c.span << " " << door;
        EXPECT_EQ(verdicts.requests[door].span, verdicts.requests[0].span) << c.span << " " << door;
      }
    }
  }
}

TEST(Doors, EveryDownloadIsTheCommandLinesOutput) {
  const QueryParse parse = ParseDesignQuery(kQuery, QueryPurpose::kDesign);
  ASSERT_TRUE(parse.ok());
  TempDir dir;
  WriteFileBytes(dir.File("p.toml"), kProjectFile);
  const std::vector<std::string> arguments = {"--project", "p.toml", "--designer", "J\xC3\xBCrgen",
                                              "--output",  "r.rpt",  "--text",     "r.txt",
                                              "--csv",     "r.csv",  "--pdf",      "r.pdf"};
  const RunResult run = RunFixedClockWith(dir.path(), arguments);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::pair<OutputKind, const char*> outputs[] = {{OutputKind::kReport, "r.rpt"},
                                                        {OutputKind::kText, "r.txt"},
                                                        {OutputKind::kCsv, "r.csv"},
                                                        {OutputKind::kPdf, "r.pdf"}};
  for (const auto& [kind, name] : outputs) {
    const std::string download = dir.File(std::string("web-") + name);
    const DesignRunResult written = DesignIntoFile(OutputFactory(FullProgramParts().outputs), kind,
                                                   parse.query.request, kFixedClock, download, {});
    ASSERT_TRUE(written.complete()) << name << ": " << FormatFault(written.fault);
    EXPECT_TRUE(ReadFileBytes(download) == ReadFileBytes(dir.File(name))) << name;
  }
  // On Letter paper too.
  const QueryParse letter =
      ParseDesignQuery(std::string(kQuery) + "&paper=letter", QueryPurpose::kDesign);
  ASSERT_TRUE(letter.ok());
  const RunResult letterRun =
      RunFixedClockWith(dir.path(), {"--project", "p.toml", "--designer", "J\xC3\xBCrgen",
                                     "--output", "l.rpt", "--pdf", "l.pdf", "--paper", "letter"});
  ASSERT_EQ(letterRun.exitStatus, 0) << letterRun.err;
  const std::string download = dir.File("web-l.pdf");
  ASSERT_TRUE(DesignIntoFile(OutputFactory(FullProgramParts().outputs), OutputKind::kPdf,
                             letter.query.request, kFixedClock, download, {})
                  .complete());
  EXPECT_TRUE(ReadFileBytes(download) == ReadFileBytes(dir.File("l.pdf")));
  EXPECT_TRUE(ReadFileBytes(download) != ReadFileBytes(dir.File("r.pdf")));
}

TEST(Doors, ThePagesCalculationSheetIsExplains) {
  for (const char* span : {"1.000", "2.900", "2.91", "3.750"}) {
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

// For the same values and clock, each rating download is `kalvorden rate`'s
// file (the PDF on the same paper, with the same title), the page's sheet
// is its standard output, and the page's project file rates back to the
// same CSV.
TEST(Doors, EveryRatingDownloadIsRatesOutput) {
  const RateQueryParse parse = ParseRateQuery(std::string(kRateQuery) + "&paper=letter");
  ASSERT_TRUE(parse.ok()) << parse.errors[0].message;
  TempDir dir;
  std::vector<std::string> arguments = kRateOptions;
  arguments.insert(arguments.end(), {"--csv", "r.csv", "--text", "r.txt", "--pdf", "r.pdf",
                                     "--paper", "letter", "--title", "Deck 12"});
  const RunResult run = RunFixedClockWith(dir.path(), arguments);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  // The answer's work reads the settings when it runs: they outlive it, as
  // the server's do.
  PageSettings settings = FixedClockSettings();
  settings.makeRatingPdf = WriteRatingPackage;
  const std::pair<RatingOutputKind, const char*> outputs[] = {{RatingOutputKind::kCsv, "r.csv"},
                                                              {RatingOutputKind::kText, "r.txt"},
                                                              {RatingOutputKind::kPdf, "r.pdf"}};
  HttpRequest request;
  request.method = "GET";
  for (const auto& [kind, name] : outputs) {
    request.query = std::string(kRateQuery) + "&paper=letter";
    const HttpAnswer download = AnswerRateDownload(RatingOutputKindOf(kind), request, settings);
    ASSERT_TRUE(download.design) << name;
    EXPECT_EQ(download.design([] { return true; }).body, ReadFileBytes(dir.File(name))) << name;
  }

  request.query = kRateQuery;
  const HttpAnswer answer = AnswerRate(request, settings);
  ASSERT_TRUE(answer.design);
  const std::string page = answer.design([] { return true; }).body;
  const std::string open = "<pre class=\"sheet\">";
  const size_t start = page.find(open);
  const size_t end = page.find("</pre>", start);
  ASSERT_NE(end, std::string::npos);
  EXPECT_EQ(Unescaped(page.substr(start + open.size(), end - start - open.size())),
            ReadFileBytes(dir.File("r.txt")));

  const std::string projectFile = RatingProjectFileText(parse.query.request);
  WriteFileBytes(dir.File("p.toml"), projectFile);
  const RunResult fromFile =
      RunFixedClockWith(dir.path(), {"rate", "--project", "p.toml", "--csv", "-"});
  ASSERT_EQ(fromFile.exitStatus, 0) << fromFile.err;
  EXPECT_EQ(fromFile.out, ReadFileBytes(dir.File("r.csv")));

  // Opened in the page, the same file leads to its rating.
  HttpRequest upload;
  upload.method = "POST";
  upload.contentType = "application/toml";
  upload.body = projectFile;
  const HttpResponse opened = ProjectUploadResponse(upload);
  ASSERT_EQ(opened.status, 303) << opened.body;
  const std::string location(opened.Header("Location"));
  ASSERT_EQ(location.rfind("/rate?", 0), 0U) << location;
  const RateQueryParse reopened = ParseRateQuery(location.substr(6));
  ASSERT_TRUE(reopened.ok()) << location;
  EXPECT_EQ(RatingProjectFileText(reopened.query.request), projectFile);
}

// A refused rating query is answered 400 with the form, its message the
// command line's own for the same value, naming the field as the option.
TEST(Doors, ARefusedRatingNamesTheFieldAsTheCommandLine) {
  const struct {
    const char *replace, *by, *field;
  } cases[] = {
      {"top-bar=16", "top-bar=15", "top-bar"},
      {"span=2.4%2C+3.2", "span=2.4%2C%2C3", "span"},
      {"top-cover=40", "top-cover=195", "top-cover"},
      {"thickness=200", "thickness=+", "thickness"},
      {"bottom-loss=10", "bottom-loss=101", "bottom-loss"},
      {"fc=11.2", "fc=-1", "fc"},
  };
  for (const auto& c : cases) {
    std::string query = kRateQuery;
    query.replace(query.find(c.replace), std::string(c.replace).size(), c.by);
    const RateQueryParse parse = ParseRateQuery(query);
    ASSERT_EQ(parse.errors.size(), 1U) << query;
    EXPECT_EQ(parse.errors[0].field, c.field);
    HttpRequest request;
    request.method = "GET";
    request.query = query;
    const HttpAnswer answer = AnswerRate(request, FixedClockSettings());
    EXPECT_EQ(answer.response.status, 400) << query;
    EXPECT_FALSE(answer.design);

    // The same value given to the command line, from the query's own text.
    std::vector<std::string> arguments = kRateOptions;
    const std::string option = "--" + std::string(c.field);
    const auto at = std::find(arguments.begin(), arguments.end(), option);
    const std::string value = std::string(c.by).substr(std::string(c.field).size() + 1);
    const QueryPair decoded = SplitQuery("v=" + value)[0];
    if (TrimBlanks(decoded.value).empty()) {
      arguments.erase(at, at + 2);
    } else {
      *(at + 1) = decoded.value;
    }
    TempDir dir;
    const RunResult run = RunFixedClockWith(dir.path(), arguments);
    EXPECT_EQ(run.exitStatus, 64) << run.err;
    EXPECT_EQ(run.err,
              "kalvorden: error (64): usage error, option --" + parse.errors[0].message + "\n");
  }
}
