#include <gtest/gtest.h>

#include <tuple>

#include "tests/support/run_binary.h"

using namespace kalvorden::testing;

// On a terminal the leading blank of each record is carriage control: the
// record shows from its second character and ends in a carriage return,
// and its line feed follows before the next record, read or message.
TEST(ConsoleOnTerminal, WholeDialogues) {
  const std::string name = "Enter Output File Name:\r\n";
  const std::string counts =
      "How many wheel loadings do you want?\r\nHow many top covers do you want?\r\n"
      "How many future paving allowances do you want?\r\n"
      "How many steel stresses do you want?\r\nHow many concrete stresses do you want?\r\n";
  const std::tuple<std::string, int, std::string> cases[] = {
      {"r.txt\n0\n0\n0\n0\n0\nN\n", 0,
       name + counts + "Use continuity factor? Enter Y for YES or N for NO.\r\n" +
           "Normal termination of the KALVORDEN application.\r\n"},
      {"old.txt\nN\n", 0,
       name + "OUTPUT FILE ALREADY EXISTS.  DO YOU WISH TO DELETE IT [DEFAULT IS N]? (Y/N) \r\n" +
           "EXITING PROGRAM\r\n"},
      {"r.txt\n1\n72.5 kN\n", 64,
       name + "How many wheel loadings do you want?\r\n" +
           "Enter wheel loading in kN: 72.5 for MS 18\r\n" +
           "kalvorden: error (64): input conversion error, reading standard input\r\n"},
  };
  for (const auto& [input, exitStatus, out] : cases) {
    TempDir dir;
    WriteFileBytes(dir.File("old.txt"), "old");
    const RunResult result = RunFixedClockOnTerminal(dir.path(), input);
    EXPECT_EQ(result.exitStatus, exitStatus) << input;
    EXPECT_EQ(result.out, out) << input;
    EXPECT_EQ(ReadFileBytes(dir.File("old.txt")), "old");
  }
}
