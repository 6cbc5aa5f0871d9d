// A command-line run that fails puts none of its files in place: every file
// it was to replace keeps its bytes, no temporary file is left, and no
// success line is written. The program is run through a real shell, as a
// user runs it, with `ulimit -f`, and the shell reports the status it sees.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/run_binary.h"

using namespace kalvorden::testing;

namespace {

const std::vector<std::string> kOneCase = {
    "--wheel-load", "72.5", "--top-cover", "50", "--paving", "1.5", "--fs", "165", "--fc", "10"};

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
      // 40 blocks of 512 bytes: the report (11705 bytes), the CSV and the
      // text fit, the PDF (about 38000) does not.
      {"a file size limit only the PDF exceeds",
       "ulimit -f 40; ",
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
