// `kalvorden --project FILE` run as a user runs it: the file's values give
// the same report as the same values given as options, an option given
// replaces the file's value, and a faulty file ends the run before any
// output exists.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/run_binary.h"

using namespace kalvorden::testing;

namespace {

constexpr const char* kProject =
    "[project]\ntitle = \"Deck slab, Bridge 12/345 over the Orr\"\nbridge = \"12/345\"\n"
    "designer = \"A. Designer\"\n\n[design]\nwheel-load = [72.5, 100]\ntop-cover = [50]\n"
    "paving = [1.5]\nfs = [165]\nfc = [10]\ncontinuity = true\nspan = 2.91\n";

std::vector<std::string> Lists(const char* wheelLoads, const char* concreteStresses) {
  return {"--wheel-load", wheelLoads, "--top-cover", "50",   "--paving",
          "1.5",          "--fs",     "165",         "--fc", concreteStresses};
}

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace

TEST(ProjectRun, OptionsGivenReplaceTheFilesValues) {
  const std::vector<std::string> project = {"--project", "p.toml", "--output", "p.rpt"};
  const std::vector<std::string> options = {"--output", "o.rpt"};
  // clang-format off
  const struct { std::vector<std::string> replacing, same; const char* summary; } cases[] = {
      {{}, Join(Lists("72.5,100", "10"), {"--continuity"}),
       "2 design cases, 0 not designed in full; bridge span 2.91 m, governing row 2.925 m"},
      {{"--wheel-load", "80", "--no-continuity", "--span", "2.900"}, Lists("80", "10"),
       "1 design case, 0 not designed in full; bridge span 2.9 m, governing row 2.900 m"},
      {{"--fc", "12,8", "--title", "Another"}, Join(Lists("72.5,100", "12,8"), {"--continuity"}),
       "4 design cases, 0 not designed in full; bridge span 2.91 m, governing row 2.925 m"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const TempDir dir;
    WriteFileBytes(dir.File("p.toml"), kProject);
    const RunResult fromFile = RunFixedClockWith(dir.path(), Join(project, c.replacing));
    const RunResult fromOptions = RunFixedClockWith(dir.path(), Join(options, c.same));
    SCOPED_TRACE(c.summary);
    ASSERT_EQ(fromFile.exitStatus, 0) << fromFile.err;
    ASSERT_EQ(fromOptions.exitStatus, 0) << fromOptions.err;
    EXPECT_EQ(ReadFileBytes(dir.File("p.rpt")), ReadFileBytes(dir.File("o.rpt")));
    EXPECT_NE(fromFile.err.find(c.summary), std::string::npos) << fromFile.err;
  }
}

// The page offers a project file for every value its doors take, among them
// values beyond a double's range (binary128 reaches 1e4932): the file runs
// as the same values given as options do.
TEST(ProjectRun, ValuesBeyondADoublesRangeRunAsFromTheOptions) {
  const TempDir dir;
  WriteFileBytes(dir.File("p.toml"),
                 "[design]\nwheel-load = [72.5, 1e+4000]\ntop-cover = [50, 1e-5000]\n"
                 "paving = [1.5]\nfs = [165]\nfc = [1e309]\ncontinuity = true\n");
  const RunResult fromFile =
      RunFixedClockWith(dir.path(), {"--project", "p.toml", "--output", "p.rpt", "--csv", "p.csv"});
  const RunResult fromOptions =
      RunFixedClockWith(dir.path(), {"--wheel-load", "72.5,1e4000", "--top-cover", "50,1e-5000",
                                     "--paving", "1.5", "--fs", "165", "--fc", "1e309",
                                     "--continuity", "--output", "o.rpt", "--csv", "o.csv"});
  EXPECT_EQ(fromFile.exitStatus, fromOptions.exitStatus) << fromFile.err;
  EXPECT_NE(fromFile.exitStatus, 66) << fromFile.err;
  EXPECT_EQ(ReadFileBytes(dir.File("p.rpt")), ReadFileBytes(dir.File("o.rpt")));
  EXPECT_EQ(ReadFileBytes(dir.File("p.csv")), ReadFileBytes(dir.File("o.csv")));
}

TEST(ProjectRun, AFaultyFileEndsTheRunBeforeAnyOutput) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "project file \"p.toml\", line 1, column 1: no [design] table"},
      {std::string(kProject) + "fs = [165]\n",
       "project file \"p.toml\", line 14, column 6: Error while parsing key-value pair: cannot "
       "redefine existing array 'fs'"},
      {"[design]\nwheel-load = [72.5, 1e5000]\ntop-cover = [50]\npaving = [0]\nfs = [1.0]\n"
       "fc = [1.0]\n",
       "project file \"p.toml\", line 2, column 21: wheel-load item 2 \"1e5000\" is not finite"},
  };
  for (const auto& [text, message] : cases) {
    const TempDir dir;
    WriteFileBytes(dir.File("p.toml"), text);
    const RunResult run = RunFixedClockWith(
        dir.path(), {"--project", "p.toml", "--output", "r.rpt", "--csv", "r.csv"});
    EXPECT_EQ(run.exitStatus, 66) << text;
    EXPECT_EQ(run.err.rfind("kalvorden: error (66): " + message, 0), 0U) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_FALSE(FileExists(dir.File("r.rpt")));
    EXPECT_FALSE(FileExists(dir.File("r.csv")));
  }
}

// An output renamed over the project file would destroy the values it was
// read from: any option that reaches it, by name, spelling or link, is a
// usage error before anything is written.
TEST(ProjectRun, NoOutputMayReplaceTheProjectFile) {
  const std::vector<std::string> cases[] = {
      {"--output", "new.rpt", "--csv", "p.toml"},
      {"--output", "new.rpt", "--text", "./p.toml"},
      {"--output", "p.toml", "--overwrite"},
      {"--output", "new.rpt", "--pdf", "link.toml"},
  };
  for (const std::vector<std::string>& outputs : cases) {
    SCOPED_TRACE(::testing::PrintToString(outputs));
    const TempDir dir;
    WriteFileBytes(dir.File("p.toml"), kProject);
    std::filesystem::create_symlink("p.toml", dir.File("link.toml"));
    const RunResult run = RunFixedClockWith(dir.path(), Join({"--project", "p.toml"}, outputs));
    EXPECT_EQ(run.exitStatus, 64);
    EXPECT_EQ(run.err.rfind("kalvorden: error (64): usage error, options --project and " +
                                outputs[outputs.size() == 3 ? 0 : 2] + ": both name ",
                            0),
              0U)
        << run.err;
    EXPECT_EQ(ReadFileBytes(dir.File("p.toml")), kProject);
    EXPECT_FALSE(FileExists(dir.File("new.rpt")));
  }
}

// A noncharacter (U+FDD0..U+FDEF, U+xxFFFE, U+xxFFFF) is a text the PDF
// cannot take: every door refuses it, naming the field, before any output
// exists, instead of the PDF failing after the report was written.
TEST(ProjectRun, EveryDoorRefusesATextThePdfCannotShow) {
  const std::pair<const char*, const char*> texts[] = {
      {"\xEF\xBF\xBF", "U+FFFF"}, {"A\xEF\xB7\x90", "U+FDD0"}, {"\xF0\x9F\xBF\xBE", "U+1FFFE"}};
  for (const auto& [text, code] : texts) {
    SCOPED_TRACE(code);
    const TempDir dir;
    WriteFileBytes(dir.File("p.toml"), kProject);
    std::string checked = kProject;  // [project] with the checker as line 2
    checked.insert(checked.find('\n') + 1, "checker = \"" + std::string(text) + "\"\n");
    WriteFileBytes(dir.File("q.toml"), checked);
    const std::vector<std::string> outputs = {"--output", "r.rpt", "--pdf", "r.pdf"};
    const RunResult option =
        RunFixedClockWith(dir.path(), Join({"--project", "p.toml", "--title", text}, outputs));
    const RunResult file = RunFixedClockWith(dir.path(), Join({"--project", "q.toml"}, outputs));
    const std::string why = std::string("holds ") + code + ", a noncharacter";
    EXPECT_EQ(option.exitStatus, 64);
    EXPECT_EQ(
        option.err.rfind("kalvorden: error (64): usage error, option --title: the text " + why, 0),
        0U)
        << option.err;
    EXPECT_EQ(file.exitStatus, 66);
    EXPECT_NE(file.err.find("line 2, column 11: [project] checker " + why), std::string::npos)
        << file.err;
    EXPECT_FALSE(FileExists(dir.File("r.rpt")));
    EXPECT_FALSE(FileExists(dir.File("r.pdf")));
  }
}

// explain --project: the file's case and span, the options replacing its
// values, give the sheet the same values as options give; a file with a
// list, or without a span the options do not give, is a usage error.
TEST(ProjectRun, ExplainTakesTheFilesCaseAndSpan) {
  const std::vector<std::string> explain = {"explain", "--project", "p.toml"};
  // clang-format off
  const struct { std::vector<std::string> replacing, same; int status; const char* error; } cases[] = {
      {{"--wheel-load", "100"}, Join(Lists("100", "10"), {"--continuity", "--span", "2.91"}), 0, ""},
      {{"--wheel-load", "80", "--no-continuity", "--span", "1.5"}, Join(Lists("80", "10"),
       {"--span", "1.5"}), 0, ""},
      {{}, {}, 64, "kalvorden: error (64): usage error, wheel-load in project file \"p.toml\": "
                   "explain takes one number, not a list: give --wheel-load\n"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const TempDir dir;
    WriteFileBytes(dir.File("p.toml"), kProject);
    const RunResult fromFile = RunFixedClockWith(dir.path(), Join(explain, c.replacing));
    EXPECT_EQ(fromFile.exitStatus, c.status) << fromFile.err;
    if (c.status != 0) {
      EXPECT_EQ(fromFile.err, c.error);
      continue;
    }
    const RunResult fromOptions = RunFixedClockWith(dir.path(), Join({"explain"}, c.same));
    ASSERT_EQ(fromOptions.exitStatus, 0) << fromOptions.err;
    EXPECT_EQ(fromFile.out, fromOptions.out);
  }
}
