#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "design/design_options.h"
#include "design/design_records.h"
#include "design/span_sweep.h"

namespace kalvorden {

// One design case and its designed spans, as the outputs take them.
struct DesignedCase {
  DesignCase designCase;
  SpanDesign spans[kSpansPerCase];
  SweepResult sweep;
};

// Designs the cases of a run on worker threads while the run's own thread
// hands them to the outputs. Cases are independent of each other (each
// starts from span 1.0 with bars #16 and #13), so designing several at once
// changes nothing in them; the outputs take them strictly in the order they
// were submitted.
// A fixed ring of slots bounds the memory whatever the number of cases, and
// the submitting thread waits for room. With no worker (none could be
// started), the run's own thread designs each case itself.
struct CasePipeline {
  enum class SlotState : uint8_t { kFree, kSubmitted, kDesigning, kDesigned };
  struct Slot {
    DesignedCase designed;
    SlotState state = SlotState::kFree;
  };

  std::mutex mutex;
  std::condition_variable submittedOrStopping;
  std::condition_variable designed;
  std::unique_ptr<Slot[]> slots;
  uint32_t slotCount = 0;
  uint64_t submitted = 0;  // cases handed in so far
  uint64_t started = 0;    // cases whose design has begun (always the oldest first)
  uint64_t taken = 0;      // cases handed back to the run's own thread
  bool stopping = false;
  DesignOptions options;  // how every case is designed
  std::vector<std::thread> workers;
};

// Starts up to `workerCount` workers with a ring of slots for them.
void StartCasePipeline(CasePipeline& pipeline, uint32_t workerCount,
                       const DesignOptions& options = {});

// True when every slot holds a case that has not been taken back yet.
bool IsCasePipelineFull(const CasePipeline& pipeline);
bool IsCasePipelineEmpty(const CasePipeline& pipeline);

// Hands in the next case (the pipeline must not be full).
void SubmitCase(CasePipeline& pipeline, const DesignCase& designCase);

// The oldest case not yet taken, once it is designed; valid until
// ReleaseOldestCase.
const DesignedCase& WaitForOldestCase(CasePipeline& pipeline);
void ReleaseOldestCase(CasePipeline& pipeline);

// Stops the workers (cases not yet designed are dropped) and joins them.
void StopCasePipeline(CasePipeline& pipeline);

}  // namespace kalvorden
