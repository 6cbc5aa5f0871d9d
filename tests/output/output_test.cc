// Output plumbing: the shortest decimal of an entered value, and files
// written under a temporary name and put in place only when complete.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>

#include "numeric/decimal.h"
#include "output/csv_output.h"
#include "output/interrupt_cleanup.h"
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

// Nothing appears under the target's name before Commit, whether or not
// Finish has written the file to the disk; Abandon leaves the old file;
// Commit without replace refuses a file that appeared meanwhile.
TEST(PendingFile, TargetChangesOnlyOnCommit) {
  enum class End : uint8_t { kCommit, kFinishThenCommit, kFinishThenAbandon, kAbandon };
  struct Case {
    bool existing;
    bool replace;
    End end;
    int result;         // of Commit
    const char* after;  // the target's bytes afterwards ("" when absent)
  };
  const Case cases[] = {
      {false, false, End::kCommit, 0, "new"},
      {true, true, End::kCommit, 0, "new"},
      {true, true, End::kFinishThenCommit, 0, "new"},
      {true, false, End::kFinishThenCommit, EEXIST, "old"},
      {true, true, End::kFinishThenAbandon, 0, "old"},
      {false, true, End::kFinishThenAbandon, 0, ""},
      {true, true, End::kAbandon, 0, "old"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.end));
    TempDir dir;
    const std::string target = dir.File("t.csv");
    if (c.existing) {
      WriteFileBytes(target, "old");
    }
    PendingFile file;
    ASSERT_EQ(file.Create(target), 0);
    ASSERT_EQ(write(file.descriptor(), "new", 3), 3);
    if (c.end == End::kFinishThenCommit || c.end == End::kFinishThenAbandon) {
      EXPECT_EQ(file.Finish(), 0);
      EXPECT_TRUE(file.awaitsCommit());
      EXPECT_EQ(ReadFileBytes(target), c.existing ? "old" : "");
    }
    if (c.end == End::kCommit || c.end == End::kFinishThenCommit) {
      EXPECT_EQ(file.Commit(c.replace), c.result);
    } else {
      file.Abandon();
    }
    EXPECT_FALSE(file.awaitsCommit());
    EXPECT_EQ(ReadFileBytes(target), c.after);
    EXPECT_EQ(FilesIn(dir), c.existing || std::string(c.after) == "new" ? 1u : 0u);
  }
}

// Names refused before any file is made. A symbolic link to a missing file
// is refused (it is neither replaced nor followed), as is a loop of links.
TEST(PendingFile, NamesThatCannotBeCreated) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("d"));
  std::filesystem::create_symlink("missing.csv", dir.File("dangling"));
  std::filesystem::create_symlink("d/missing/t.csv", dir.File("dangling-deep"));
  std::filesystem::create_symlink("loop", dir.File("loop"));
  const std::pair<std::string, int> refused[] = {
      {"", EINVAL},
      {dir.File("d"), EISDIR},
      {dir.File("missing/t.csv"), ENOENT},
      {dir.File("dangling"), EEXIST},
      {dir.File("dangling-deep"), EEXIST},
      {dir.File("loop"), ELOOP},
  };
  PendingFile file;
  for (const auto& [name, error] : refused) {
    EXPECT_EQ(file.Create(name), error) << name;
  }
  EXPECT_EQ(FilesIn(dir), 4u);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("dangling")));
  // A device is written directly, never replaced.
  ASSERT_EQ(file.Create("/dev/null"), 0);
  EXPECT_EQ(write(file.descriptor(), "x", 1), 1);
  EXPECT_EQ(file.Finish(), 0);
  EXPECT_FALSE(file.awaitsCommit());
  EXPECT_EQ(file.Commit(true), 0);
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

// A rename that fails after others have succeeded cannot be undone: the
// fault names the output that failed, the files already in place and those
// left as they were, and no temporary file remains once the rest are
// abandoned.
TEST(CommitOutputs, NamesWhatIsInPlaceWhenARenameFails) {
  struct Case {
    bool replace;        // of the second output
    bool directory;      // what appears under its name: a directory, or a file
    int number;          // of the fault
    std::string detail;  // its start
  };
  const Case cases[] = {
      {true, true, 74, "Is a directory"},
      {false, false, 10, "a file appeared under the name during the run"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    WriteFileBytes(dir.File("c.csv"), "old");
    CsvOutput first, second, third;
    FileOutput* const outputs[] = {&first, &second, &third};
    OutputFile* const files[] = {first.file(), second.file(), third.file()};
    ASSERT_EQ(first.BeginPending(dir.File("a.csv"), true), 0);
    ASSERT_EQ(second.BeginPending(dir.File("b.csv"), c.replace), 0);
    ASSERT_EQ(third.BeginPending(dir.File("c.csv"), true), 0);
    for (FileOutput* output : outputs) {
      ASSERT_TRUE(output->Finish());
    }
    if (c.directory) {
      std::filesystem::create_directory(dir.File("b.csv"));
    } else {
      WriteFileBytes(dir.File("b.csv"), "appeared");
    }
    const Fault fault = CommitOutputs(files);
    EXPECT_EQ(fault.number, c.number);
    EXPECT_EQ(fault.where, "putting CSV file " + QuoteName(dir.File("b.csv")) + " in place");
    EXPECT_EQ(fault.detail, c.detail + "; already in place: CSV file " +
                                QuoteName(dir.File("a.csv")) + "; not put in place: CSV file " +
                                QuoteName(dir.File("c.csv")));
    for (FileOutput* output : outputs) {
      output->Abandon();
    }
    EXPECT_EQ(ReadFileBytes(dir.File("a.csv")).rfind("case,", 0), 0u);
    EXPECT_EQ(ReadFileBytes(dir.File("c.csv")), "old");
    EXPECT_EQ(FilesIn(dir), 3u);
  }
}

// A directory made immutable while the run writes refuses both the rename
// and the removal of the temporary file: the fault names the file left
// behind, so it can be found and removed. Needs the right to mark a
// directory immutable (root on a file system with the flag).
TEST(CommitOutputs, NamesATemporaryFileThatCouldNotBeRemoved) {
  TempDir dir;
  const std::string sub = dir.File("immutable");
  std::filesystem::create_directory(sub);
  CsvOutput output;
  OutputFile* const files[] = {output.file()};
  ASSERT_EQ(output.BeginPending(sub + "/r.csv", true), 0);
  ASSERT_TRUE(output.Finish());
  const std::filesystem::path temporary = std::filesystem::directory_iterator(sub)->path();
  const int descriptor = open(sub.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(descriptor, 0);
  int flags = 0;
  const bool marked = ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0 &&
                      (flags |= FS_IMMUTABLE_FL, ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0);
  const Fault fault = marked ? CommitOutputs(files) : Fault{};
  flags &= ~FS_IMMUTABLE_FL;
  ioctl(descriptor, FS_IOC_SETFLAGS, &flags);
  close(descriptor);
  output.Abandon();
  if (!marked) {
    GTEST_SKIP() << "cannot mark a directory immutable here";
  }
  EXPECT_EQ(fault.number, 74);
  EXPECT_EQ(fault.detail, std::string(std::strerror(EPERM)) + "; its temporary file " +
                              QuoteName(temporary.string()) + " could not be removed either");
  EXPECT_TRUE(std::filesystem::exists(temporary));
}

// An interrupt that comes once a file is in place (while the others are
// renamed, or as the summary is written) must not end the run by the
// signal, whose status says no file was replaced: the run ends as it would
// have. Run in a child, the program's own handlers installed there.
TEST(CommitOutputs, AnInterruptAfterAFileIsInPlaceDoesNotEndTheRun) {
  TempDir dir;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    RemoveTemporaryFilesOnInterrupt();
    CsvOutput output;
    OutputFile* const files[] = {output.file()};
    const bool written = output.BeginPending(dir.File("r.csv"), true) == 0 && output.Finish() &&
                         CommitOutputs(files).ok();
    raise(SIGINT);
    _exit(written ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(ReadFileBytes(dir.File("r.csv")).rfind("case,", 0), 0u);
}
