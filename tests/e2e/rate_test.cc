// `kalvorden rate` through the real program: its outputs, and every kind of
// bad value refused at the door with status 64, one line naming the option,
// and nothing written.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/run_binary.h"

using namespace kalvorden::testing;

namespace {

using Options = std::vector<std::pair<std::string, std::string>>;

// A slab 200 mm thick with both faces, rated at two spans.
Options GoodOptions() {
  return {{"thickness", "200"},      {"top-cover", "40"},     {"top-bar", "16"},
          {"top-spacing", "150"},    {"bottom-cover", "25"},  {"bottom-bar", "#16"},
          {"bottom-spacing", "200"}, {"bottom-loss", "10"},   {"concrete-strength", "28"},
          {"paving", "1.2"},         {"wheel-load", "72.5"},  {"vehicle-weight", "325"},
          {"span", "2.4,3.2"},       {"fs", "165"},           {"fc", "11.2"},
          {"fs-operating", "248"},   {"fc-operating", "16.8"}};
}

RunResult Rate(const TempDir& dir, const Options& options, std::vector<std::string> extra = {}) {
  RunOptions run;
  run.workingDirectory = dir.path();
  run.arguments = {"rate"};
  for (const auto& [name, value] : options) {
    run.arguments.push_back("--" + name);
    if (!value.empty()) {
      run.arguments.push_back(value);
    }
  }
  run.arguments.insert(run.arguments.end(), extra.begin(), extra.end());
  return RunBinary(KALVORDEN_BINARY, run);
}

// The good options with `name` set to `value`, or left out for a value "-".
Options With(const std::string& name, const std::string& value) {
  Options options = GoodOptions();
  std::erase_if(options, [&](const auto& option) { return option.first == name; });
  if (value != "-") {
    options.emplace_back(name, value);
  }
  return options;
}

}  // namespace

TEST(RateCommand, SheetOnStandardOutputAndTheSameIntoFiles) {
  TempDir dir;
  const RunResult sheet = Rate(dir, GoodOptions());
  ASSERT_EQ(sheet.exitStatus, 0) << sheet.err;
  EXPECT_EQ(sheet.err, "");
  EXPECT_NE(sheet.out.find("ALLOWABLE-STRESS RATING (ASR)"), std::string::npos);
  EXPECT_NE(sheet.out.find("inventory RF, bottom face               0.410731403613\n"
                           "      below the design level for this vehicle\n"),
            std::string::npos)
      << sheet.out;

  const RunResult files = Rate(dir, GoodOptions(), {"--csv", "r.csv", "--text", "r.txt"});
  ASSERT_EQ(files.exitStatus, 0) << files.err;
  EXPECT_EQ(files.out, "");
  EXPECT_EQ(files.err,
            "kalvorden: wrote CSV file \"r.csv\", text file \"r.txt\": the rating of 2 spans\n");
  EXPECT_EQ(ReadFileBytes(dir.File("r.txt")), sheet.out);
  const std::string csv = ReadFileBytes(dir.File("r.csv"));
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3);
  const RunResult csvOut = Rate(dir, GoodOptions(), {"--csv", "-"});
  EXPECT_EQ(csvOut.out, csv);
}

// Each refused before any output: status 64, one line naming the option,
// no file in the directory.
TEST(RateCommand, BadInputEndsSixtyFourNamingTheOption) {
  const struct {
    const char *name, *value, *named;
  } cases[] = {
      {"top-bar", "15", "--top-bar \"15\""},
      {"bottom-bar", "#0", "--bottom-bar \"#0\""},
      {"top-spacing", "0", "--top-spacing \"0\""},
      {"bottom-spacing", "-150", "--bottom-spacing \"-150\""},
      {"thickness", "0", "--thickness \"0\""},
      {"concrete-strength", "-28", "--concrete-strength \"-28\""},
      {"top-loss", "100.01", "--top-loss \"100.01\""},
      {"bottom-loss", "-1", "--bottom-loss \"-1\""},
      {"top-cover", "195", "--top-cover: the effective depth"},
      {"bottom-cover", "192.1", "--bottom-cover: the effective depth"},
      {"fs", "0", "--fs \"0\""},
      {"fc-operating", "-16.8", "--fc-operating \"-16.8\""},
      {"span", "0.609", "--span \"0.609\": item 1 must be 0.610 to 7.315 m"},
      {"span", "2.4,7.316", "--span \"2.4,7.316\": item 2"},
      {"wheel-load", "72,5", "--wheel-load \"72,5\": is not a number"},
      {"paving", "nan", "--paving \"nan\": is not a number"},
      {"vehicle-weight", "1e5000", "--vehicle-weight \"1e5000\": is not a number"},
      {"fc", "-", "--fc missing"},
      {"bottom-spacing", "-", "--bottom-spacing missing"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const RunResult run = Rate(dir, With(c.name, c.value), {"--csv", "r.csv", "--text", "r.txt"});
    EXPECT_EQ(run.exitStatus, 64) << c.name << " " << c.value;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(
        run.err.rfind("kalvorden: error (64): usage error, option " + std::string(c.named), 0), 0U)
        << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << c.name;
  }
}

// The project file's [rating] table gives the same rating as the options of
// the same names; an option replaces the file's value; a value the file
// gives wrong ends 66 naming the file, one the options give wrong 64.
TEST(RateCommand, ProjectTableWithOptionsOverIt) {
  TempDir dir;
  std::string toml = "[project]\ntitle = \"Deck\"\n\n[rating]\n";
  for (const auto& [name, value] : GoodOptions()) {
    const bool text = name == "bottom-bar";
    const bool list = name == "span";
    toml += name + " = " + (text ? "\"" + value + "\"" : list ? "[2.4, 3.2]" : value) + "\n";
  }
  WriteFileBytes(dir.File("p.toml"), toml + "continuity = false\n");
  const RunResult options = Rate(dir, GoodOptions(), {"--csv", "-"});
  const RunResult file = Rate(dir, {}, {"--project", "p.toml", "--csv", "-"});
  ASSERT_EQ(file.exitStatus, 0) << file.err;
  EXPECT_EQ(file.out, options.out);
  const RunResult replaced = Rate(dir, {{"top-spacing", "100"}}, {"--project", "p.toml"});
  EXPECT_EQ(replaced.out, Rate(dir, With("top-spacing", "100")).out);

  const struct {
    const char *replace, *by;
    std::vector<std::string> options;
    int status;
    const char* error;
  } cases[] = {
      {"thickness = 200",
       "thickness = 0",
       {},
       66,
       "project file \"p.toml\", line 5, column 13: [rating] thickness \"0\": must be above zero"},
      {"top-cover = 40", "top-cover = 195", {}, 66, "project file \"p.toml\", [rating] top-cover"},
      {"top-cover = 40", "top-cover = 195", {"--thickness", "300"}, 0, ""},
      {"top-cover = 40", "top-cover = 40\nweight = 3", {}, 66, "unknown key \"weight\""},
      {"fs = 165", "fs = \"x\"", {"--fs", "165"}, 66, "[rating] fs must be a number"},
      {"fs = 165", "", {}, 64, "usage error, option --fs missing"},
  };
  for (const auto& c : cases) {
    std::string changed = toml;
    changed.replace(changed.find(c.replace), std::string(c.replace).size(), c.by);
    WriteFileBytes(dir.File("p.toml"), changed);
    std::vector<std::string> extra = {"--project", "p.toml"};
    extra.insert(extra.end(), c.options.begin(), c.options.end());
    const RunResult run = Rate(dir, {}, extra);
    EXPECT_EQ(run.exitStatus, c.status) << c.by << run.err;
    EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
  }
}
