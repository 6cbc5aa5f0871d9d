// The one design run: what the outputs and the summary say when a run ends
// early, because an output refuses a case or because it is told to stop.
#include "run/design_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "design/value_lists.h"
#include "output/csv_output.h"
#include "tests/support/run_binary.h"

using namespace kalvorden;
using kalvorden::testing::TempDir;

namespace {

// An output that counts what the run asks of it, surveys the cases first
// when `surveying`, and refuses the case numbered `refuseAt` (1-based; 0:
// none), or refuses to finish.
class CountingOutput final : public CaseSink {
 public:
  explicit CountingOutput(int refuseAt, bool refuseFinish = false, bool surveying = false)
      : refuseAt_(refuseAt), refuseFinish_(refuseFinish), surveying_(surveying) {}
  const Fault& failure() const override { return failure_; }
  bool wantsSurvey() const override { return surveying_; }
  void Survey(const DesignedCase& /*designed*/) override {
    ++surveys;
    surveyedAfterAWrite = surveyedAfterAWrite || writes > 0;
  }
  bool Write(const DesignedCase& designed) override {
    workingValues = workingValues || designed.spans[0].designMoment != 0;
    if (++writes == refuseAt_) {
      failure_ = {kFaultWriteFailure, "write failure", "writing the test output", "refused"};
      return false;
    }
    return true;
  }
  bool Finish() override {
    ++finishes;
    if (refuseFinish_) {
      failure_ = {kFaultWriteFailure, "write failure", "finishing the test output", "refused"};
    }
    return !refuseFinish_;
  }
  void Abandon() noexcept override { ++abandons; }

  int writes = 0;
  int finishes = 0;
  int abandons = 0;
  int surveys = 0;
  bool surveyedAfterAWrite = false;
  bool workingValues = false;  // a case came with its working values

 private:
  int refuseAt_;
  bool refuseFinish_;
  bool surveying_;
  Fault failure_;
};

// Eight cases: two loads, two covers, two steel stresses.
DesignInputs EightCases() {
  RunRequest request;
  const std::vector<std::vector<const char*>> texts = {
      {"72.5", "90"}, {"50", "60"}, {"1.5"}, {"165", "170"}, {"10"}};
  for (size_t i = 0; i < texts.size(); ++i) {
    for (const char* text : texts[i]) {
      ValueList& list = request.lists[i];
      CheckValue(ValueLists()[i], text, &list.values[static_cast<size_t>(list.count++)]);
    }
  }
  return DesignInputsOf(request);
}

size_t FilesIn(const TempDir& dir) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
}

}  // namespace

TEST(DesignIntoOutputs, EndsEarlyAndAbandonsEveryOutput) {
  struct Case {
    const char* what;
    int refuseAt;   // the case the second output refuses (0: none)
    int stopAfter;  // cases before keepGoing says no (-1: never)
    int accepted;   // cases the summary counts
    bool stopped;
    bool lastFails = false;  // the last output fails to finish
    bool survey = false;     // the last output surveys the cases first
    int surveys = 0;         // cases it surveyed
  };
  const Case cases[] = {
      {"complete", 0, -1, 8, false},
      {"the third case refused", 3, -1, 2, false},
      {"the first case refused", 1, -1, 0, false},
      {"stopped after five cases", 0, 5, 5, true},
      {"stopped before the first", 0, 0, 0, true},
      // The CSV, finished before it, is not put in place either.
      {"the last output fails to finish", 0, -1, 8, false, true},
      {"surveyed, complete", 0, -1, 8, false, false, true, 8},
      {"surveyed, the third case refused", 3, -1, 2, false, false, true, 8},
      {"stopped in the survey", 0, 3, 0, true, false, true, 3},
      {"stopped after the survey", 0, 10, 2, true, false, true, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    CsvOutput csv;
    ASSERT_EQ(csv.BeginPending(dir.File("r.csv"), true), 0);
    CountingOutput refusing(c.refuseAt);
    CountingOutput after(0, c.lastFails, c.survey);
    CaseSink* const outputs[] = {&csv, &refusing, &after};
    int asked = 0;
    const DesignRunResult result = DesignIntoOutputs(EightCases(), outputs, DesignOptions{},
                                                     [&] { return asked++ != c.stopAfter; });

    EXPECT_EQ(result.summary.designCases, c.accepted);
    EXPECT_EQ(after.surveys, c.surveys);
    EXPECT_FALSE(after.surveyedAfterAWrite);
    // The CSV prints working values, so every output gets them.
    EXPECT_EQ(after.workingValues, after.writes > 0);
    EXPECT_EQ(result.stopped, c.stopped);
    EXPECT_EQ(result.fault.ok(), c.refuseAt == 0 && !c.lastFails);
    EXPECT_EQ(result.complete(), c.refuseAt == 0 && !c.stopped && !c.lastFails);
    if (c.refuseAt != 0) {
      EXPECT_EQ(FormatFault(result.fault),
                "kalvorden: error (74): write failure, writing the test output: refused");
      // The output after the one that refused never saw the refused case.
      EXPECT_EQ(after.writes, c.refuseAt - 1);
    }
    const bool complete = result.complete();
    EXPECT_EQ(after.finishes, complete || c.lastFails ? 1 : 0);
    EXPECT_EQ(after.abandons, complete ? 0 : 1);
    EXPECT_EQ(refusing.abandons, complete ? 0 : 1);
    // A run that ended early leaves no file, finished or temporary.
    EXPECT_EQ(FilesIn(dir), complete ? 1U : 0U);
  }
}
