#include "driver/console.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <tuple>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "driver/dialogue.h"
#include "driver/run_program.h"
#include "tests/driver/memory_console.h"
#include "tests/support/run_binary.h"

using namespace kalvorden;
using namespace kalvorden::testing;

TEST(Console, RecordsPlainAndInteractive) {
  // Operations separated by '|' ('R' a record, 'M' a message, 'A' a read, 'E' the end of
  // the run), then the bytes of standard output and standard error.
  // clang-format off
  const std::tuple<bool, std::string, const char*, const char*> cases[] = {
      {false, "R Enter:|A|R B|MDone|E", " Enter:\n B\n", "Done\n"},
      {true, "R Enter:|A|R B|MDone|E", "Enter:\r\nB\r\n", "Done\r\n"},
      {true, "R A|R B|R |R|E", "A\r\nB\r\n\r\n\r\n", ""},
      {true, "MM1|R A|A|A|E", "A\r\n", "M1\r\n"},
      {true, "R A|A", "A\r\n", ""},  // the line feed goes out before the program waits
      {true, "R A|MM1|MM2", "A\r\n", "M1\r\nM2\r"},  // without the end, a line feed is owed
      {false, "MM1|R A|E", " A\n", "M1\n"}};
  // clang-format on
  for (const auto& [interactive, operations, out, err] : cases) {
    MemoryConsole memory("x\ny\n", interactive);
    for (size_t start = 0; start <= operations.size();) {
      const size_t end = std::min(operations.find('|', start), operations.size());
      const std::string text = operations.substr(start + 1, end - start - 1);
      AnswerLine line;
      // clang-format off
      switch (operations[start]) {
        case 'R': WriteConsoleRecord(memory.console, text); break;
        case 'M': WriteConsoleMessage(memory.console, text); break;
        case 'A': ASSERT_TRUE(ReadAnswerLine(memory.console, line)); break;
        default: EndConsole(memory.console);
      }
      // clang-format on
      start = end + 1;
    }
    EXPECT_EQ(memory.Out(), out) << operations;
    EXPECT_EQ(memory.Err(), err) << operations;
  }
}

TEST(OpenFault, OperatingSystemReasons) {
  const char* denied = "permission to access file denied";
  const char* badName = "file name specification error";
  // clang-format off
  const std::tuple<int, bool, int, const char*> cases[] = {
      {EACCES, false, 9, denied}, {EPERM, true, 9, denied}, {EROFS, true, 9, denied},
      {EEXIST, true, 10, "cannot overwrite existing file"},
      {ENOENT, false, 29, "file not found"}, {ENOENT, true, 43, badName},
      {EISDIR, false, 43, badName}, {ENOTDIR, true, 43, badName},
      {ENAMETOOLONG, true, 43, badName}, {ELOOP, false, 43, badName},
      {ENOSPC, true, 30, "open failure"}, {EMFILE, false, 30, "open failure"}};
  // clang-format on
  for (const auto& [osError, creating, number, text] : cases) {
    const Fault fault = OpenFault(osError, creating, "r.txt");
    EXPECT_EQ(fault.number, number) << osError << ' ' << creating;
    EXPECT_EQ(fault.text, text) << osError << ' ' << creating;
  }
  EXPECT_EQ(FormatFault(OpenFault(EACCES, false, "a\"b")),
            "kalvorden: error (9): permission to access file denied, opening report file "
            "\"a\\\"b\": Permission denied");
}

TEST(QuoteName, EscapesWhatATerminalWouldInterpret) {
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {"r.txt", "\"r.txt\""}, {"a\x1b[2Jb", "\"a\\x1B[2Jb\""}, {"a\"b", "\"a\\\"b\""},
      {"a\\b", "\"a\\\\b\""}, {"\x7f\xff", "\"\\x7F\\xFF\""}, {"", "\"\""},
      {std::string("a\0b", 3), "\"a\\x00b\""}, {"a b~", "\"a b~\""}};
  // clang-format on
  for (const auto& [name, quoted] : cases)
    EXPECT_EQ(QuoteName(name), quoted);
}

TEST(OpenReportFile, ExistenceOverwriteQuestionAndFailures) {
  const std::string ask =
      " OUTPUT FILE ALREADY EXISTS.  DO YOU WISH TO DELETE IT [DEFAULT IS N]? (Y/N) \n";
  const std::string refuse = ask + " EXITING PROGRAM\n";
  using enum OpenOutcome;
  // Made first ('f' a file holding "old", 'd' a directory, 'p' a FIFO nobody reads), the
  // name answered, the answers to the question, the outcome, its fault and the console output.
  // clang-format off
  const std::tuple<std::string, std::string, std::string, OpenOutcome, int, std::string> cases[] = {
      {"-", "r.txt", "", kOpened, 0, ""}, {"f", "r.txt", "y\n", kOpened, 0, ask},
      {"f", "r.txt", "Yes\n", kOpened, 0, ask}, {"f", "r.txt", "N\n", kRefused, 0, refuse},
      {"f", "r.txt", "\n", kRefused, 0, refuse}, {"f", "r.txt", " Y\n", kRefused, 0, refuse},
      {"f", "r.txt", "", kFailed, 24, ask}, {"d", "d", "", kFailed, 43, ""},
      {"-", "no/r.txt", "", kFailed, 43, ""}, {"f", "f/r.txt", "", kFailed, 43, ""},
      {"p", "p", "y\n", kFailed, 30, ask}, {"-", "", "", kFailed, 43, ""}};
  // clang-format on
  for (const auto& [made, name, answers, outcome, fault, out] : cases) {
    SCOPED_TRACE(name + " after " + made);
    TempDir dir;
    const std::string madePath = dir.File(name.substr(0, name.find('/')));
    if (made == "f")
      WriteFileBytes(madePath, "old");
    made == "d" ? mkdir(madePath.c_str(), 0777) : made == "p" ? mkfifo(madePath.c_str(), 0666) : 0;
    // The answer is only 24 characters wide, too narrow for the temporary
    // directory's path; /dev/fd/N names the directory through a descriptor.
    const int directory = open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(directory, 0);
    std::string answer = name.empty() ? "" : " /dev/fd/" + std::to_string(directory) + "/" + name;
    ASSERT_LE(answer.size(), 24u);
    answer.resize(24, ' ');

    MemoryConsole memory(answers);
    ReportFile file;
    const OpenResult result = OpenReportFile(memory.console, answer, file);
    EXPECT_EQ(result.outcome, outcome);
    EXPECT_EQ(result.fault.number, fault);
    EXPECT_EQ(memory.Out(), out);
    if (made == "f") {
      EXPECT_EQ(ReadFileBytes(madePath), "old");  // nothing is cut before the first record
    }
    if (outcome == kOpened) {
      WriteRecord(file, " X");
      EXPECT_TRUE(CloseReport(file));
      EXPECT_EQ(ReadFileBytes(dir.File(name)), "X\r\n");
    }
    close(directory);
  }
}
