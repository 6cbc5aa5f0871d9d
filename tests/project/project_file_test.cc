// RunRequest files: every fault with its line, column and status; the values
// read exactly as the command line reads their text; and a written file
// that reads back as the same project.
#include "project/project_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "numeric/decimal.h"
#include "project/project_writer.h"
#include "tests/support/run_binary.h"

using namespace kalvorden;

namespace {

constexpr const char* kLists =
    "wheel-load = [72.5, 100]\ntop-cover = [50]\npaving = [1.5]\nfs = [165]\nfc = [10]\n";

std::string Design(const std::string& more) {
  return std::string("[design]\n") + kLists + more;
}

bool SameBits(Quad a, Quad b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

TEST(ProjectFile, FaultsNameLineColumnAndWhat) {
  // clang-format off
  const struct { std::string text; const char* where; const char* what; } cases[] = {
      {"[design\n", "line 1, column 8", "expected ']'"},
      {"title = \"x\"\n" + Design(""), "line 1, column 1", "unknown key \"title\": a project file holds"},
      {Design("colour = 1\n"), "line 7, column 1", "unknown key \"colour\" in [design]"},
      {"[project]\nengineer = \"x\"\n" + Design(""), "line 2, column 1", "unknown key \"engineer\" in [project]"},
      // An unknown key is named at its own place, with the key it was
      // probably meant to be when one is clearly nearest.
      {"[design]\nwheel_load = [72.5]\ntop-cover = [50]\npaving = [1.5]\nfs = [165]\nfc = [10]\n",
       "line 2, column 1", "unknown key \"wheel_load\" in [design]; did you mean wheel-load?"},
      {"[design]\nwheel-load = [72.5]\nTop-Cover = [50]\npaving = [1.5]\nfs = [165]\nfc = [10]\n",
       "line 3, column 1", "\"Top-Cover\" in [design]; did you mean top-cover?"},
      {Design("contiunity = true\n"), "line 7, column 1", "did you mean continuity?"},
      {Design("fy = [400]\n"), "line 7, column 1", "\"fy\" in [design]; its keys are wheel-load, top-cover, paving, fs, fc, continuity, span and adopt"},
      {"[project]\ndesginer = \"x\"\n" + Design(""), "line 2, column 1", "did you mean designer?"},
      {"[desing]\n", "line 1, column 2", "unknown key \"desing\": did you mean [design]?"},
      {Design("continuity = \"yes\"\n"), "line 7, column 14", "continuity must be true or false"},
      {"[design]\nwheel-load = 72.5\ntop-cover = [50]\npaving = [1.5]\nfs = [165]\nfc = [10]\n",
       "line 2, column 14", "wheel-load must be a list of 1 to 5 numbers"},
      {"[design]\nwheel-load = [72.5, \"80\"]\ntop-cover = [50]\npaving = [1.5]\nfs = [165]\nfc = [10]\n",
       "line 2, column 21", "wheel-load item 2 must be a number, not a text"},
      {"[design]\nwheel-load = [72.5, -5]\ntop-cover = [50]\npaving = [1.5]\nfs = [165]\nfc = [10]\n",
       "line 2, column 21", "wheel-load item 2 \"-5\" must not be negative"},
      {"[design]\nwheel-load = [72.5]\ntop-cover = [50]\npaving = [1.5]\nfs = [165]\nfc = [0.0]\n",
       "line 6, column 7", "fc item 1 \"0.0\" must be above zero"},
      {"[design]\nwheel-load = [inf]\ntop-cover = [50]\npaving = [1.5]\nfs = [165]\nfc = [10]\n",
       "line 2, column 15", "wheel-load item 1 \"inf\" is not a number"},
      {"[design]\nwheel-load = [0x48]\ntop-cover = [50]\npaving = [1.5]\nfs = [165]\nfc = [10]\n",
       "line 2, column 15", "item 1 \"0x48\" is not a number"},
      {"[design]\nwheel-load = [1_000]\ntop-cover = [50]\npaving = [1.5]\nfs = [165]\nfc = [10]\n",
       "line 2, column 15", "\"1_000\": write the number without underscores"},
      {"[design]\nwheel-load = []\ntop-cover = [50]\npaving = [1.5]\nfs = [165]\nfc = [10]\n",
       "line 2, column 14", "wheel-load is empty: give 1 to 5 values"},
      {"[design]\nwheel-load = [1, 2, 3, 4, 5, 6]\ntop-cover = [50]\npaving = [1.5]\nfs = [165]\n"
       "fc = [10]\n", "line 2, column 30", "wheel-load has more than 5 values"},
      {"[design]\nwheel-load = [72.5]\npaving = [1.5]\nfs = [165]\nfc = [10]\n",
       "line 1, column 1", "[design] has no top-cover"},
      {"[project]\ntitle = \"x\"\n", "line 1, column 1", "no [design] table"},
      {Design("span = 3.7500001\n"), "line 7, column 8", "span \"3.7500001\" is outside the effective spans"},
      {Design("span = 0.999\n"), "line 7, column 8", "1.000 to 3.750 m"},
      {Design("span = \"2.91\"\n"), "line 7, column 8", "span must be a number, not a text"},
      {"[project]\ndesigner = \"A.\\tDesigner\"\n" + Design(""), "line 2, column 12",
       "[project] designer holds a control character"},
      {"[project]\nchecker = \"\\u0085\"\n" + Design(""), "line 2, column 11", "control character"},
      {"[project]\nrevision = \"" + std::string(21, 'A') + "\"\n" + Design(""), "line 2, column 12",
       "[project] revision is longer than 20 characters"},
      // Columns count characters: the value after "é" is one column nearer.
      {"[project]\ntitle = \"\xC3\xA9\"\nnotes = 5\n" + Design(""), "line 3, column 9",
       "[project] notes must be a text in double quotes"},
      // What the TOML library must not be given: characters beyond ASCII
      // outside texts and comments, in quoted keys, multi-line texts.
      {"# \xC3\xA9 in a comment\n\xEF\xBB\xB9# x\r\n[", "line 2, column 1",
       "a character beyond ASCII outside a text in quotes or a comment"},
      {"[design]\n\"k\xC3\xA9\" = 1\n", "line 2, column 1", "a key with characters beyond ASCII"},
      {"[project]\nnotes = \"\"\"a \\\n \xC3\xA9\"\"\"\n", "line 2, column 9",
       "a text over several lines"},
      {"[project]\ntitle = \"\xC3\xA9 \\", "line 2, column 13", "Error while parsing string"},
      {"title=7\"Br\\\xEF\xBB\xB9\"\n", "line 1, column 12", "a character beyond ASCII outside"},
      {"paving = [16\"G'.'=r\xEF\xB9\xBF'\n", "line 1, column 20", "a character beyond ASCII outside"},
      // The first fault in the file is named, whatever order the keys keep.
      {"[design]\nwheel-load = [72.5]\ntop-cover = [-1]\npaving = [1.5]\nfs = [0]\nfc = [10]\n",
       "line 3, column 14", "top-cover item 1 \"-1\" must not be negative"},
  };
  // clang-format on
  for (const auto& c : cases) {
    RunRequest project;
    const Fault fault = ParseProjectText(c.text, "p.toml", project);
    SCOPED_TRACE(c.text);
    EXPECT_EQ(fault.number, 66);
    const std::string line = FormatFault(fault);
    EXPECT_EQ(
        line.rfind(std::string("kalvorden: error (66): project file \"p.toml\", ") + c.where + ": ",
                   0),
        0U)
        << line;
    EXPECT_NE(line.find(c.what), std::string::npos) << line;
    EXPECT_EQ(line.find('\n'), std::string::npos);
  }
}

TEST(ProjectFile, UnreadableFilesAreNamed) {
  const kalvorden::testing::TempDir dir;
  kalvorden::testing::WriteFileBytes(dir.File("big.toml"),
                                     std::string(kMostProjectFileBytes + 1, '#'));
  const std::pair<std::string, const char*> cases[] = {
      {dir.File("missing.toml"), "No such file or directory"},
      {dir.path(), "Is a directory"},
      {dir.File("big.toml"), "larger than 1 MiB"},
  };
  for (const auto& [path, why] : cases) {
    RunRequest project;
    const Fault fault = ReadProjectFile(path, project);
    EXPECT_EQ(fault.number, 66) << path;
    EXPECT_EQ(fault.where, "cannot be read");
    EXPECT_NE(fault.detail.find(why), std::string::npos) << fault.detail;
  }
}

// A value is the binary128 of its text, as the command line reads it, not
// of the double the TOML library makes of it: 0.1 differs in the two.
TEST(ProjectFile, ValuesAreReadFromTheirText) {
  RunRequest project;
  const std::string text =
      "# a comment\n[project]\ntitle = \"Deck \\\"A\\\" \xC3\xBC\"\n[design]\n"
      "wheel-load = [ 72.50 , 1e2, +0.1 ]\ntop-cover = [50]\npaving = [0]\n"
      "fs = [165]\nfc = [10]\ncontinuity = true\nspan = 2.9100\n";
  ASSERT_TRUE(ParseProjectText(text, "p.toml", project).ok());
  const char* const expected[] = {"72.5", "100", "0.1"};
  ASSERT_EQ(project.lists[0].count, 3);
  for (int i = 0; i < 3; ++i) {
    Quad value = 0;
    ASSERT_TRUE(ParseDecimal(expected[i], &value));
    EXPECT_TRUE(SameBits(project.lists[0].values[static_cast<size_t>(i)], value)) << expected[i];
  }
  EXPECT_FALSE(SameBits(project.lists[0].values[2], Widen(0.1)));
  EXPECT_TRUE(project.continuity);
  EXPECT_EQ(project.span, "2.91");
  EXPECT_EQ(project.identity.title, "Deck \"A\" \xC3\xBC");
}

// What the writer writes reads back as the same project, bit for bit, for
// texts that need escaping and values that need all their digits or lie
// beyond a double's range, as the other doors take them.
TEST(ProjectFile, WrittenFileReadsBackTheSame) {
  RunRequest project;
  project.identity = {"Deck \"slab\" \\ Orr", "12/345", "J\xC3\xBCrgen", "O'Brien", "A", ""};
  const char* const texts[] = {"0.1", "123456789012345678901234567890", "1e4000", "1e309",
                               "1e-5000"};
  project.lists[0].count = 5;
  for (size_t i = 0; i < 5; ++i) {
    ASSERT_TRUE(ParseDecimal(texts[i], &project.lists[0].values[i]));
  }
  for (size_t list = 1; list < project.lists.size(); ++list) {
    project.lists[list].count = 1;
    project.lists[list].values[0] = 10;
  }
  project.continuity = true;
  project.span = "2.9000000000000000001";
  const std::string text = ProjectFileText(project);
  RunRequest again;
  const Fault fault = ParseProjectText(text, "written.toml", again);
  ASSERT_TRUE(fault.ok()) << FormatFault(fault) << "\n" << text;
  for (int field = 0; field < kIdentityFieldCount; ++field) {
    const auto member = IdentityFields()[static_cast<size_t>(field)].member;
    EXPECT_EQ(again.identity.*member, project.identity.*member);
  }
  for (size_t list = 0; list < project.lists.size(); ++list) {
    ASSERT_EQ(again.lists[list].count, project.lists[list].count);
    for (size_t i = 0; i < static_cast<size_t>(project.lists[list].count); ++i) {
      EXPECT_TRUE(SameBits(again.lists[list].values[i], project.lists[list].values[i])) << text;
    }
  }
  EXPECT_TRUE(again.continuity);
  EXPECT_EQ(again.span, project.span);
}

// An identity text is one line of UTF-8, bounded in characters, not bytes.
TEST(IdentityText, OneLineOfUtf8) {
  const IdentityFieldInfo& revision = *FindIdentityField("revision");
  std::string twentyUmlauts;
  for (int i = 0; i < 20; ++i) {
    twentyUmlauts += "\xC3\xBC";
  }
  // clang-format off
  const std::pair<std::string, const char*> cases[] = {
      {"", ""}, {"A", ""}, {twentyUmlauts, ""}, {"\xF0\x9F\x8C\x89", ""},
      {twentyUmlauts + "x", "longer than 20"}, {std::string("A\0B", 3), "control character"},
      {"A\x7F", "control character"}, {"\xC2\x9B" "31m", "control character"},
      {"\xC0\xAF", "not valid UTF-8"}, {"\xE0\x80\xAF", "not valid UTF-8"},
      {"\xED\xA0\x80", "not valid UTF-8"}, {"\xF4\x90\x80\x80", "not valid UTF-8"},
      {"\xC3", "not valid UTF-8"}, {"\xBC", "not valid UTF-8"},
      {"\xEF\xB7\x8F\xEF\xB7\xB0\xEF\xBF\xBD\xF4\x8F\xBF\xBD", ""},  // U+FDCF U+FDF0 U+FFFD U+10FFFD
      {"\xEF\xB7\x90", "U+FDD0, a noncharacter"}, {"\xEF\xB7\xAF", "U+FDEF, a noncharacter"},
      {"A\xEF\xBF\xBE", "U+FFFE, a noncharacter"}, {"\xEF\xBF\xBF", "U+FFFF, a noncharacter"},
      {"\xF0\x9F\xBF\xBE", "U+1FFFE, a noncharacter"},
  };
  // clang-format on
  for (const auto& [text, why] : cases) {
    const std::string fault = IdentityTextFault(revision, text);
    EXPECT_EQ(fault.empty(), *why == '\0') << text;
    EXPECT_NE(fault.find(why), std::string::npos) << text << ": " << fault;
  }
}
