#include "design/case_pipeline.h"

#include <system_error>

namespace kalvorden {
namespace {

void Design(DesignedCase& work, const DesignOptions& options) {
  SweepState state;
  work.sweep = SweepSpans(work.designCase, state, work.spans, options);
}

CasePipeline::Slot& SlotOf(CasePipeline& pipeline, uint64_t caseNumber) {
  return pipeline.slots[caseNumber % pipeline.slotCount];
}

void RunWorker(CasePipeline& pipeline) {
  std::unique_lock<std::mutex> lock(pipeline.mutex);
  for (;;) {
    pipeline.submittedOrStopping.wait(
        lock, [&] { return pipeline.stopping || pipeline.started < pipeline.submitted; });
    if (pipeline.stopping) {
      return;
    }
    CasePipeline::Slot& slot = SlotOf(pipeline, pipeline.started++);
    slot.state = CasePipeline::SlotState::kDesigning;
    lock.unlock();
    Design(slot.designed, pipeline.options);
    lock.lock();
    slot.state = CasePipeline::SlotState::kDesigned;
    pipeline.designed.notify_all();
  }
}

}  // namespace

void StartCasePipeline(CasePipeline& pipeline, uint32_t workerCount, const DesignOptions& options) {
  pipeline.options = options;
  // Enough slots that workers rarely wait for the reporter, few enough that
  // the ring stays small (each slot holds one case's 111 spans).
  pipeline.slotCount = 4 * (workerCount > 0 ? workerCount : 1);
  pipeline.slots = std::make_unique<CasePipeline::Slot[]>(pipeline.slotCount);
  for (uint32_t i = 0; i < workerCount; ++i) {
    try {
      pipeline.workers.emplace_back(RunWorker, std::ref(pipeline));
    } catch (const std::system_error&) {
      break;  // fewer workers (or none: the reporter designs alone)
    }
  }
}

bool IsCasePipelineFull(const CasePipeline& pipeline) {
  return pipeline.submitted - pipeline.taken == pipeline.slotCount;
}

bool IsCasePipelineEmpty(const CasePipeline& pipeline) {
  return pipeline.submitted == pipeline.taken;
}

void SubmitCase(CasePipeline& pipeline, const DesignCase& designCase) {
  {
    std::lock_guard<std::mutex> lock(pipeline.mutex);
    CasePipeline::Slot& slot = SlotOf(pipeline, pipeline.submitted++);
    slot.designed.designCase = designCase;
    slot.state = CasePipeline::SlotState::kSubmitted;
  }
  pipeline.submittedOrStopping.notify_one();
}

const DesignedCase& WaitForOldestCase(CasePipeline& pipeline) {
  std::unique_lock<std::mutex> lock(pipeline.mutex);
  CasePipeline::Slot& slot = SlotOf(pipeline, pipeline.taken);
  if (slot.state == CasePipeline::SlotState::kSubmitted) {
    // No worker has begun it: design it here rather than wait.
    ++pipeline.started;
    slot.state = CasePipeline::SlotState::kDesigning;
    lock.unlock();
    Design(slot.designed, pipeline.options);
    lock.lock();
    slot.state = CasePipeline::SlotState::kDesigned;
  }
  pipeline.designed.wait(lock, [&] { return slot.state == CasePipeline::SlotState::kDesigned; });
  return slot.designed;
}

void ReleaseOldestCase(CasePipeline& pipeline) {
  std::lock_guard<std::mutex> lock(pipeline.mutex);
  SlotOf(pipeline, pipeline.taken++).state = CasePipeline::SlotState::kFree;
}

void StopCasePipeline(CasePipeline& pipeline) {
  {
    std::lock_guard<std::mutex> lock(pipeline.mutex);
    pipeline.stopping = true;
  }
  pipeline.submittedOrStopping.notify_all();
  for (std::thread& worker : pipeline.workers) {
    worker.join();
  }
  pipeline.workers.clear();
}

}  // namespace kalvorden
