#include "report/report_file.h"

#include <cerrno>
#include <csignal>
#include <tuple>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "report/record_layout.h"
#include "tests/report/report_test_util.h"

namespace {

using kalvorden::LayoutStep, kalvorden::Literal, kalvorden::RecordBreak, kalvorden::Skip,
    kalvorden::Text;

bool WriteRecords(const TempReport& report, const std::vector<std::string>& records,
                  bool replaces = false) {
  kalvorden::ReportFile file = report.Open(replaces);
  for (const std::string& record : records) {
    kalvorden::WriteRecord(file, record);
  }
  return kalvorden::CloseReport(file);
}

// A record longer than the write buffer, so that it is flushed mid-report.
const std::string kLong(70000, 'x');

TEST(ReportFile, RecordsToBytes) {
  // clang-format off
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"0AB"}, "\nAB\r\n"}, {{" AB"}, "AB\r\n"}, {{""}, "\r\n"}, {{"1AB"}, "\fAB\r\n"}, {{}, ""},
      {{" A", " B"}, "A\r\nB\r\n"}, {{" A", "0B"}, "A\r\n\nB\r\n"}, {{" A", "1B"}, "A\r\fB\r\n"},
      {{" A", "", " B"}, "A\r\n\r\nB\r\n"}, {{" A", "1", "0"}, "A\r\f\r\n\n\r\n"},
      {{" A  ", "xB"}, "A  \r\nB\r\n"}, {{" " + kLong, " y"}, kLong + "\r\ny\r\n"}};
  // clang-format on
  for (const auto& [records, bytes] : cases) {
    const TempReport report;
    EXPECT_TRUE(WriteRecords(report, records));
    EXPECT_EQ(report.Bytes(), bytes);
  }
}

TEST(ReportFile, ReplacingAnExistingFile) {
  const TempReport report;
  kalvorden::testing::WriteFileBytes(report.path, std::string(500, 'o'));
  kalvorden::ReportFile file = report.Open(true);
  kalvorden::AbandonReport(file);  // the run ended before the report began
  EXPECT_EQ(report.Bytes(), std::string(500, 'o'));
  EXPECT_TRUE(WriteRecords(report, {"0NEW", " LINE"}, true));
  EXPECT_EQ(report.Bytes(), "\nNEW\r\nLINE\r\n");
}

TEST(ReportFile, FailedWrite) {
  kalvorden::ReportFile full;
  kalvorden::BeginReportFile(full, open("/dev/full", O_WRONLY), "/dev/full", false);
  kalvorden::WriteRecord(full, " A");
  EXPECT_FALSE(kalvorden::CloseReport(full));
  EXPECT_EQ(full.failure, ENOSPC);

  // A file size limit, set in a child process so that this one keeps writing freely.
  const TempReport report;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit = {1000, 1000};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(WriteRecords(report, {" head", " " + kLong}) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(report.Bytes(), ("head\r\n" + kLong).substr(0, 1000));  // what was written stays
}

constexpr LayoutStep kLine[] = {Skip(12), Text(), RecordBreak()};
constexpr LayoutStep kFourteenLines[] = {kalvorden::Group(14, kLine)};
constexpr LayoutStep kLineThenSevenBreaks[] = {
    Literal(" X"), RecordBreak(), RecordBreak(), RecordBreak(), RecordBreak(), RecordBreak(),
    RecordBreak(), RecordBreak(), RecordBreak(), Skip(40),      Text()};
constexpr LayoutStep kSkipPastText[] = {Skip(2),      Text(),  Skip(5), RecordBreak(),
                                        Literal("0"), Skip(3), Text(),  Skip(9)};

TEST(RecordLayout, ComposesRecords) {
  std::string fourteen;  // texts A to N on 14 lines
  for (char letter = 'A'; letter <= 'N'; ++letter) {
    fourteen += (letter == 'A' ? "" : "\n") + std::string(11, ' ') + letter + "\r";
  }
  const std::tuple<kalvorden::RecordLayout, std::vector<std::string_view>, std::string> cases[] = {
      // Seven record breaks in mid-file: seven empty lines.
      {kLineThenSevenBreaks,
       {"Page 1 of 3"},
       "X\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n" + std::string(39, ' ') + "Page 1 of 3\r\n"},
      // 15 texts: after the 14th an empty line, the 15th, then 11 blanks.
      {kFourteenLines,
       {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O"},
       fourteen + "\n\r\n" + std::string(11, ' ') + "O\r\n" + std::string(11, ' ') + "\r\n"},
      // A record is as long as its furthest text; later skips add nothing.
      {kSkipPastText, {"ab", "cd"}, " ab\r\n\n   cd\r\n"},
  };
  for (const auto& [layout, texts, bytes] : cases) {
    const TempReport report;
    kalvorden::ReportFile file = report.Open();
    kalvorden::WriteLayout(file, layout, texts);
    ASSERT_TRUE(kalvorden::CloseReport(file));
    EXPECT_EQ(report.Bytes(), bytes);
  }
}

}  // namespace
