#include <gtest/gtest.h>

#include "tests/support/run_binary.h"

using namespace kalvorden::testing;

TEST(Smoke, PipeAndTerminal) {
  TempDir dir;
  WriteFileBytes(dir.File("old.txt"), "old");
  RunResult piped = RunFixedClock(dir.path(), "old.txt\nN\n");
  EXPECT_EQ(piped.exitStatus, 0);
  EXPECT_EQ(piped.out, " Enter Output File Name:\n OUTPUT FILE ALREADY EXISTS.  DO YOU WISH TO DELETE IT [DEFAULT IS N]? (Y/N) \n EXITING PROGRAM\n");
  RunResult tty = RunFixedClockOnTerminal(dir.path(), "old.txt\nN\n");
  EXPECT_EQ(tty.exitStatus, 0);
  EXPECT_EQ(tty.out, "Enter Output File Name:\r\nOUTPUT FILE ALREADY EXISTS.  DO YOU WISH TO DELETE IT [DEFAULT IS N]? (Y/N) \r\nEXITING PROGRAM\r\n");
}
