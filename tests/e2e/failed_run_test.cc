// A command-line run that fails or is interrupted puts none of its files in
// place: every file it was to replace keeps its bytes, no temporary file is
// left, and no success line is written. The program is run through a real
// shell, as a user runs it, with `ulimit -f` and signals from outside, and
// the shell reports the status it sees.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/run_binary.h"

using namespace kalvorden::testing;

namespace {

const std::vector<std::string> kOneCase = {
    "--wheel-load", "72.5", "--top-cover", "50", "--paving", "1.5", "--fs", "165", "--fc", "10"};

// 3125 design cases: with --csv and --pdf about ten seconds of writing, long
// enough to be interrupted midway.
const std::vector<std::string> kLargestRun = {
    "--wheel-load", "72.5,80,90,100,110", "--top-cover", "50,55,60,65,70",
    "--paving",     "1,1.2,1.4,1.5,1.6",  "--fs",        "150,160,165,170,180",
    "--fc",         "8,9,10,11,12"};

const char* const kOld = "the previous file\n";
const std::vector<std::string> kOldFiles = {"keep.csv", "keep.pdf", "keep.rpt"};

// The run's values, then --output keep.rpt --overwrite and `outputs`.
std::vector<std::string> Arguments(const std::vector<std::string>& values,
                                   const std::vector<std::string>& outputs) {
  std::vector<std::string> arguments = values;
  arguments.insert(arguments.end(), {"--output", "keep.rpt", "--overwrite"});
  arguments.insert(arguments.end(), outputs.begin(), outputs.end());
  return arguments;
}

// `sh -c SCRIPT kalvorden ARGUMENTS...`: the script runs the program as
// "$0" "$@", in the foreground, and prints the status the shell sees on
// standard error, after the program's own lines.
RunOptions InShell(const std::string& before, const std::vector<std::string>& arguments,
                   const TempDir& dir) {
  RunOptions options;
  options.arguments = {"-c", before + "\"$0\" \"$@\"; echo \"status $?\" >&2", KALVORDEN_BINARY};
  options.arguments.insert(options.arguments.end(), arguments.begin(), arguments.end());
  options.workingDirectory = dir.path();
  return options;
}

void WriteOldFiles(const TempDir& dir) {
  for (const std::string& name : kOldFiles) {
    WriteFileBytes(dir.File(name), kOld);
  }
}

std::vector<std::string> Entries(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Every old file as it was, and nothing else in the directory.
void ExpectOldFilesAlone(const TempDir& dir) {
  EXPECT_EQ(Entries(dir), kOldFiles);
  for (const std::string& name : kOldFiles) {
    EXPECT_EQ(ReadFileBytes(dir.File(name)), kOld) << name;
  }
}

// How many temporary files `dir` holds, and their bytes together.
std::pair<int, uintmax_t> TemporaryFilesIn(const TempDir& dir) {
  std::pair<int, uintmax_t> found = {0, 0};
  std::error_code gone;  // a file may vanish while it is looked at
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    if (entry.path().filename().string().rfind(".kalvorden-", 0) == 0) {
      ++found.first;
      found.second += std::filesystem::file_size(entry.path(), gone) * (gone ? 0 : 1);
    }
  }
  return found;
}

}  // namespace

// One output that fails, at any point before the files are put in place,
// leaves every other output's old file as it was.
TEST(FailedRun, ReplacesNoFile) {
  const struct {
    const char* name;
    const char* shell;  // before the program in the shell's script
    std::vector<std::string> outputs;
    const char* line;
  } table[] = {
      {"a PDF on a full device",
       "",
       {"--csv", "keep.csv", "--pdf", "/dev/full"},
       "kalvorden: error (74): write failure, writing PDF file \"/dev/full\": No space left on "
       "device\n"},
      // 60 blocks of 512 bytes: the report (11705 bytes), the CSV (about
      // 21000) and the text fit, the PDF (about 65000) does not.
      {"a file size limit only the PDF exceeds",
       "ulimit -f 60; ",
       {"--csv", "keep.csv", "--text", "keep.txt", "--pdf", "keep.pdf"},
       "kalvorden: error (74): write failure, writing PDF file \"keep.pdf\": File too large\n"},
  };
  for (const auto& test : table) {
    SCOPED_TRACE(test.name);
    TempDir dir;
    WriteOldFiles(dir);
    const RunResult run =
        RunBinary("/bin/sh", InShell(test.shell, Arguments(kOneCase, test.outputs), dir));
    EXPECT_EQ(run.err, std::string(test.line) + "status 74\n");
    EXPECT_EQ(run.out, "");
    ExpectOldFilesAlone(dir);
  }
}

// SIGINT, SIGTERM or SIGHUP midway through a large run: the temporary files
// go, the old files stay, and the program ends by the signal itself, which
// the shell reports as 128 plus its number.
TEST(InterruptedRun, RemovesItsTemporaryFilesAndEndsByTheSignal) {
  const std::pair<int, int> table[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
  for (const auto& [signal, status] : table) {
    SCOPED_TRACE(signal);
    TempDir dir;
    TempDir log;
    WriteOldFiles(dir);
    const std::vector<std::string> arguments =
        Arguments(kLargestRun, {"--csv", "keep.csv", "--pdf", "keep.pdf"});
    const int shell = StartBinary("/bin/sh", InShell("", arguments, dir), log.File("out"));
    const int program = WaitForChildOf(shell, 10);
    ASSERT_GT(program, 0);
    // Midway: the report's, the CSV's and the PDF's temporary files hold a
    // few megabytes of the run's 85.
    constexpr uintmax_t kMidway = 2 << 20;
    for (int polls = 0; polls < 3000 && TemporaryFilesIn(dir).second < kMidway; ++polls) {
      usleep(10000);
    }
    EXPECT_EQ(TemporaryFilesIn(dir).first, 3);
    EXPECT_GE(TemporaryFilesIn(dir).second, kMidway);
    kill(program, signal);
    EXPECT_EQ(WaitBinary(shell, 60), 0);
    // The shell's own word for the signal may come first ("Terminated").
    const std::string out = ReadFileBytes(log.File("out"));
    const std::string last = "status " + std::to_string(status) + "\n";
    EXPECT_EQ(out.substr(out.size() - std::min(out.size(), last.size())), last) << out;
    EXPECT_EQ(out.find("kalvorden"), std::string::npos) << out;
    ExpectOldFilesAlone(dir);
  }
}

// A symbolic link to a missing file is refused, before anything is written:
// neither the link is replaced nor the file it names created. A working
// link is followed: the file it names is replaced and the link stays.
TEST(FailedRun, SymbolicLinkToAMissingFile) {
  const struct {
    std::vector<std::string> outputs;
    int status;
    const char* line;
  } table[] = {
      {{"--csv", "dangling"},
       10,
       "kalvorden: error (10): cannot overwrite existing file, opening CSV file \"dangling\": it "
       "is a symbolic link to a missing file\n"},
      {{"--csv", "working"},
       0,
       "kalvorden: wrote report file \"keep.rpt\" (3 pages), CSV file \"working\": 1 design "
       "case, 0 not designed in full\n"},
  };
  for (const auto& test : table) {
    SCOPED_TRACE(test.outputs[1]);
    TempDir dir;
    WriteOldFiles(dir);
    std::filesystem::create_symlink("missing.csv", dir.File("dangling"));
    std::filesystem::create_symlink("keep.csv", dir.File("working"));
    const RunResult run = RunBinary("/bin/sh", InShell("", Arguments(kOneCase, test.outputs), dir));
    EXPECT_EQ(run.err, test.line + std::string("status ") + std::to_string(test.status) + "\n");
    std::vector<std::string> expected = {"dangling", "keep.csv", "keep.pdf", "keep.rpt", "working"};
    EXPECT_EQ(Entries(dir), expected);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("dangling")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("working")));
    EXPECT_EQ(ReadFileBytes(dir.File("keep.csv")) == kOld, test.status != 0);
    EXPECT_EQ(ReadFileBytes(dir.File("keep.rpt")) == kOld, test.status != 0);
  }
}
