// Output plumbing: the shortest decimal of an entered value, and files
// written under a temporary name and put in place only when complete.
#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <string>

#include "numeric/decimal.h"
#include "output/csv_output.h"
#include "output/pending_file.h"
#include "tests/support/run_binary.h"

using namespace kalvorden;
using kalvorden::testing::ReadFileBytes;
using kalvorden::testing::TempDir;
using kalvorden::testing::WriteFileBytes;

namespace {

Quad Q(const char* text) {
  Quad value = 0;
  EXPECT_TRUE(ParseDecimal(text, &value)) << text;
  return value;
}

size_t FilesIn(const TempDir& dir) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
}

}  // namespace

TEST(FullDecimal, TheCsvTableReadsBackExactlyWithoutNeedlessDigits) {
  const std::pair<const char*, const char*> cases[] = {
      {"72.5", "72.5"},
      {"50", "50"},
      {"0", "0"},
      {"-0", "-0"},
      {"1.44", "1.44"},
      {"0.000001234", "0.000001234"},
      {"1e-9", "1e-09"},
      {"123456789012345678901234567890", "123456789012345678901234567890"},
      {"1e40", "1e+40"},
      {"0.1", "0.1"},
      {"0.800000011920928955078125", "0.800000011920928955078125"},
      {"0.3333333333333333333333333333333333333", "0.3333333333333333333333333333333333"},
      {"inf", "inf"},
      {"-inf", "-inf"},
  };
  for (const auto& [entered, text] : cases) {
    EXPECT_EQ(FullDecimal(Q(entered), FullDecimalUse::kTable), text) << entered;
    const Quad back = Q(FullDecimal(Q(entered), FullDecimalUse::kTable).c_str());
    EXPECT_TRUE(back == Q(entered) || !IsFinite(back)) << entered;
  }
}

// Nothing appears under the target's name before Commit; Abandon leaves the
// old file; Commit without replace refuses a file that appeared meanwhile.
TEST(PendingFile, TargetChangesOnlyOnCommit) {
  struct Case {
    bool existing;
    bool replace;
    bool commit;
    int result;         // of Commit
    const char* after;  // the target's bytes afterwards ("" when absent)
  };
  const Case cases[] = {
      {false, false, true, 0, "new"},     {true, true, true, 0, "new"},
      {true, false, true, EEXIST, "old"}, {true, true, false, 0, "old"},
      {false, false, false, 0, ""},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string target = dir.File("t.csv");
    if (c.existing) {
      WriteFileBytes(target, "old");
    }
    PendingFile file;
    ASSERT_EQ(file.Create(target), 0);
    ASSERT_EQ(write(file.descriptor(), "new", 3), 3);
    EXPECT_EQ(ReadFileBytes(target), c.existing ? "old" : "");
    if (c.commit) {
      EXPECT_EQ(file.Commit(c.replace), c.result);
    } else {
      file.Abandon();
    }
    EXPECT_EQ(ReadFileBytes(target), c.after);
    EXPECT_EQ(FilesIn(dir), c.existing || (c.commit && c.result == 0) ? 1u : 0u);
  }
}

TEST(PendingFile, NamesThatCannotBeCreated) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("d"));
  PendingFile file;
  EXPECT_EQ(file.Create(""), EINVAL);
  EXPECT_EQ(file.Create(dir.File("d")), EISDIR);
  EXPECT_EQ(file.Create(dir.File("missing/t.csv")), ENOENT);
  // A device is written directly, never replaced.
  ASSERT_EQ(file.Create("/dev/null"), 0);
  EXPECT_EQ(write(file.descriptor(), "x", 1), 1);
  EXPECT_EQ(file.Commit(true), 0);
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}
