#include "design/case_pipeline.h"

#include <system_error>
#include <utility>

namespace kalvorden {
namespace {

void Design(CasePipeline::Batch& batch, const DesignOptions& options, const CasePreparer& prepare) {
  for (uint32_t i = 0; i < batch.count; ++i) {
    DesignedCase& work = batch.cases[i];
    SweepState state;
    work.sweep = SweepSpans(work.designCase, state, work.spans, options);
    if (prepare) {
      prepare(work);
    }
  }
}

CasePipeline::Batch& BatchOf(CasePipeline& pipeline, uint64_t batchNumber) {
  return pipeline.batches[batchNumber % pipeline.batchCount];
}

void RunWorker(CasePipeline& pipeline) {
  std::unique_lock<std::mutex> lock(pipeline.mutex);
  for (;;) {
    pipeline.submittedOrStopping.wait(
        lock, [&] { return pipeline.stopping || pipeline.started < pipeline.submitted; });
    if (pipeline.stopping) {
      return;
    }
    CasePipeline::Batch& batch = BatchOf(pipeline, pipeline.started++);
    batch.state = CasePipeline::BatchState::kDesigning;
    lock.unlock();
    Design(batch, pipeline.options, pipeline.prepare);
    lock.lock();
    batch.state = CasePipeline::BatchState::kDesigned;
    pipeline.designed.notify_all();
  }
}

// Hands in the batch being filled.
void HandInBatch(CasePipeline& pipeline) {
  {
    std::lock_guard<std::mutex> lock(pipeline.mutex);
    CasePipeline::Batch& batch = BatchOf(pipeline, pipeline.submitted++);
    batch.count = pipeline.filling;
    batch.state = CasePipeline::BatchState::kSubmitted;
    pipeline.filling = 0;
  }
  pipeline.submittedOrStopping.notify_one();
}

}  // namespace

void StartCasePipeline(CasePipeline& pipeline, uint32_t workerCount, const DesignOptions& options,
                       CasePreparer prepare) {
  pipeline.options = options;
  pipeline.prepare = std::move(prepare);
  // Enough batches that workers rarely wait for the reporter, few enough
  // that the ring stays small (each case holds its 111 spans).
  pipeline.batchCount = 3 * (workerCount > 0 ? workerCount : 1);
  pipeline.batches = std::make_unique<CasePipeline::Batch[]>(pipeline.batchCount);
  for (uint32_t i = 0; i < workerCount; ++i) {
    try {
      pipeline.workers.emplace_back(RunWorker, std::ref(pipeline));
    } catch (const std::system_error&) {
      break;  // fewer workers (or none: the reporter designs alone)
    }
  }
}

bool IsCasePipelineFull(const CasePipeline& pipeline) {
  // Only the submitting thread changes `submitted` and `taken`.
  return pipeline.filling == 0 && pipeline.submitted - pipeline.taken == pipeline.batchCount;
}

bool IsCasePipelineEmpty(const CasePipeline& pipeline) {
  return pipeline.submitted == pipeline.taken && pipeline.filling == 0;
}

void SubmitCase(CasePipeline& pipeline, const DesignCase& designCase) {
  // The batch being filled belongs to the submitting thread until it is
  // handed in: no worker looks at it before.
  CasePipeline::Batch& batch = BatchOf(pipeline, pipeline.submitted);
  DesignedCase& submitted = batch.cases[pipeline.filling++];
  submitted.designCase = designCase;
  submitted.number = ++pipeline.numbered;
  if (pipeline.filling == kCasesPerBatch) {
    HandInBatch(pipeline);
  }
}

std::span<const DesignedCase> WaitForOldestBatch(CasePipeline& pipeline) {
  if (pipeline.submitted == pipeline.taken && pipeline.filling > 0) {
    HandInBatch(pipeline);
  }
  std::unique_lock<std::mutex> lock(pipeline.mutex);
  CasePipeline::Batch& batch = BatchOf(pipeline, pipeline.taken);
  if (batch.state == CasePipeline::BatchState::kSubmitted) {
    // No worker has begun it: design it here rather than wait.
    ++pipeline.started;
    batch.state = CasePipeline::BatchState::kDesigning;
    lock.unlock();
    Design(batch, pipeline.options, pipeline.prepare);
    lock.lock();
    batch.state = CasePipeline::BatchState::kDesigned;
  }
  pipeline.designed.wait(lock, [&] { return batch.state == CasePipeline::BatchState::kDesigned; });
  return {batch.cases, batch.count};
}

void ReleaseOldestBatch(CasePipeline& pipeline) {
  std::lock_guard<std::mutex> lock(pipeline.mutex);
  BatchOf(pipeline, pipeline.taken++).state = CasePipeline::BatchState::kFree;
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
