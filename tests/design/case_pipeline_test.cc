// The pipeline hands cases back in the order they went in, numbered in that
// order, designed exactly as a direct sweep designs them and prepared after
// their design, whether workers design them or the reporting thread does it
// alone (as it must when no thread can be started).
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "design/case_pipeline.h"
#include "tests/design/design_run.h"

using namespace kalvorden;

namespace {
// Every field a report row prints, and the fault.
auto Printed(const SpanDesign& s) {
  return std::make_tuple(s.spanLength, s.minThickness, s.actualThickness, s.mainBarDesignation,
                         s.mainBarSpacing, s.middleHalfBarCount, s.distBarDesignation,
                         s.outerQuartersBarCount, s.fault);
}
}  // namespace

TEST(CasePipeline, ReturnsCasesInOrderDesignedAsADirectSweep) {
  const char* loads[] = {"72.5", "60", "1e6", "120", "-1", "90", "75", "105", "40", "72.5"};
  // More cases than any ring below holds, and not a whole number of
  // batches: the ring wraps around and the last batch goes in part full.
  const size_t caseCount = 9 * std::size(loads) + 3;
  for (const uint32_t workers : {0u, 1u, 3u}) {
    CasePipeline pipeline;
    // The preparer sees the designed case: its number and its span count.
    StartCasePipeline(pipeline, workers, {}, [](DesignedCase& designed) {
      designed.prepared.resize(1);
      designed.prepared[0] =
          std::to_string(designed.number) + ":" + std::to_string(designed.sweep.spanCount);
    });
    size_t taken = 0;
    const auto takeOldest = [&] {
      for (const DesignedCase& done : WaitForOldestBatch(pipeline)) {
        const DesignCase expectedCase = WorkedCase(loads[taken % std::size(loads)], "165", 1.0f);
        SweepState state;
        SpanDesign expected[kSpansPerCase];
        // The pipeline designs the printed record, as a run does.
        const SweepResult sweep = SweepSpans(expectedCase, state, expected, DesignOptions{});
        EXPECT_TRUE(done.designCase.wheelLoad == expectedCase.wheelLoad) << taken;
        ASSERT_EQ(done.sweep.spanCount, sweep.spanCount) << workers << " workers, case " << taken;
        EXPECT_EQ(done.sweep.fault, sweep.fault);
        ASSERT_EQ(done.prepared.size(), 1u);
        EXPECT_EQ(done.prepared[0],
                  std::to_string(taken + 1) + ":" + std::to_string(sweep.spanCount));
        for (int32_t i = 0; i < sweep.spanCount; ++i) {
          EXPECT_TRUE(Printed(done.spans[i]) == Printed(expected[i])) << taken << ", span " << i;
        }
        ++taken;
      }
      ReleaseOldestBatch(pipeline);
    };
    for (size_t i = 0; i < caseCount; ++i) {
      if (IsCasePipelineFull(pipeline)) {
        takeOldest();
      }
      SubmitCase(pipeline, WorkedCase(loads[i % std::size(loads)], "165", 1.0f));
    }
    while (!IsCasePipelineEmpty(pipeline)) {
      takeOldest();
    }
    StopCasePipeline(pipeline);
    EXPECT_EQ(taken, caseCount);
  }
}
