#pragma once

// One design run into a list of outputs: the command line, the dialogue, the
// web page and its downloads all design through here, so a run ends the same
// way whichever door started it. A door hands over its request; its design
// inputs are made here, and nowhere else.

#include <functional>
#include <span>

#include "design/design_cases.h"
#include "design/design_inputs.h"
#include "design/design_options.h"
#include "fault/fault.h"
#include "output/case_sink.h"
#include "report/local_date_time.h"
#include "run/output_factory.h"
#include "run/run_request.h"

namespace kalvorden {

struct DesignRunResult {
  DesignRunSummary summary;  // the cases every output took
  // Why the run ended early: the fault of the output that failed (its
  // number is the exit status), or none.
  Fault fault;
  // True when `keepGoing` stopped the run (a deadline, a client gone).
  bool stopped = false;

  // Every output is finished and in place.
  bool complete() const { return fault.ok() && !stopped; }
};

// The design inputs of the request's lists and continuity.
DesignInputs DesignInputsOf(const RunRequest& request);

// Asked before each case; false stops the run.
using KeepGoing = std::function<bool()>;

// Starts every output with the run's values, designs each case once (with
// its working values when an output prints them: wantsWorkingValues) and
// hands it to every output in order, then finishes them all (at once, so
// that their syncs to the disk overlap) and only then puts their files in
// place, in order (CommitOutputs). An output that
// surveys the cases first (wantsSurvey) is handed every case of a first
// design pass before that. When an output fails
// before that or `keepGoing` says no, every output is abandoned: a
// temporary file goes and every file the run was to replace keeps what it
// had. Outputs keep only the case at hand, so the run's memory does not grow
// with its number of cases.
DesignRunResult DesignIntoOutputs(const DesignInputs& inputs, std::span<CaseSink* const> outputs,
                                  const DesignOptions& options, const KeepGoing& keepGoing = {});

// The run of `request` into the one output of `kind` (made by `outputs`,
// stamped with `clock`) at `path`, as the web page's downloads write it; a
// fault, or `keepGoing` saying no, leaves nothing at `path`.
DesignRunResult DesignIntoFile(const OutputFactory& outputs, OutputKind kind,
                               const RunRequest& request, const LocalDateTime& clock,
                               const std::string& path, const KeepGoing& keepGoing);

}  // namespace kalvorden
