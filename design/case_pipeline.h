#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
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
  // The case's place in the run, 1 for the first case submitted (0 for a
  // case designed outside a pipeline).
  int64_t number = 0;
  // What the case preparer made of the case on the thread that designed
  // it; the run that gives the preparer says what each text is.
  std::vector<std::string> prepared;
};

// Work on a designed case that needs nothing but the case (an output's
// bytes for it, say), done by the thread that designed the case, before it
// is handed back. Several run at once, each on its own case; the texts of
// `prepared` keep their room from one use of a batch to the next.
using CasePreparer = std::function<void(DesignedCase&)>;

// Designs the cases of a run on worker threads while the run's own thread
// hands them to the outputs. Cases are independent of each other (each
// starts from span 1.0 with bars #16 and #13), so designing several at once
// changes nothing in them; the outputs take them strictly in the order they
// were submitted.
// Cases travel between the threads in batches: a worker designs a whole
// batch in a row and the run's thread takes a whole batch, so the threads
// meet (a lock, a wake-up) once a batch rather than once a case.
// A fixed ring of batches bounds the memory whatever the number of cases,
// and the submitting thread hands cases over before it submits more. With
// no worker (none could be started), the run's own thread designs each
// batch itself.
constexpr uint32_t kCasesPerBatch = 8;

struct CasePipeline {
  enum class BatchState : uint8_t { kFree, kSubmitted, kDesigning, kDesigned };
  struct Batch {
    DesignedCase cases[kCasesPerBatch];
    uint32_t count = 0;
    BatchState state = BatchState::kFree;
  };

  std::mutex mutex;
  std::condition_variable submittedOrStopping;
  std::condition_variable designed;
  std::unique_ptr<Batch[]> batches;
  uint32_t batchCount = 0;
  uint64_t submitted = 0;  // batches handed in so far
  uint64_t started = 0;    // batches whose design has begun (always the oldest first)
  uint64_t taken = 0;      // batches handed back to the run's own thread
  uint32_t filling = 0;    // cases in the batch being filled, not handed in yet
  int64_t numbered = 0;    // cases submitted so far
  bool stopping = false;
  DesignOptions options;  // how every case is designed
  CasePreparer prepare;   // then done to each case, or nothing
  std::vector<std::thread> workers;
};

// Starts up to `workerCount` workers with a ring of batches for them; each
// case is designed with `options`, then given to `prepare` if there is one.
void StartCasePipeline(CasePipeline& pipeline, uint32_t workerCount,
                       const DesignOptions& options = {}, CasePreparer prepare = {});

// True when no case can be submitted before the oldest batch is taken.
bool IsCasePipelineFull(const CasePipeline& pipeline);
// True when every case submitted has been taken.
bool IsCasePipelineEmpty(const CasePipeline& pipeline);

// Adds the next case to the batch being filled (the pipeline must not be
// full), and hands the batch in once it is full.
void SubmitCase(CasePipeline& pipeline, const DesignCase& designCase);

// The cases of the oldest batch not yet taken, once they are designed (a
// batch not yet full is handed in first); valid until ReleaseOldestBatch.
// The pipeline must not be empty.
std::span<const DesignedCase> WaitForOldestBatch(CasePipeline& pipeline);
void ReleaseOldestBatch(CasePipeline& pipeline);

// Stops the workers (cases not yet designed are dropped) and joins them.
void StopCasePipeline(CasePipeline& pipeline);

}  // namespace kalvorden
