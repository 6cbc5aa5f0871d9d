#include "run/design_run.h"

namespace kalvorden {
namespace {

DesignRunResult Abandoned(std::span<CaseOutput* const> outputs, DesignRunResult result) {
  for (CaseOutput* output : outputs) {
    output->Abandon();
  }
  return result;
}

// The run's options, with working values when an output prints them.
DesignOptions OptionsFor(std::span<CaseOutput* const> outputs, DesignOptions options) {
  for (const CaseOutput* output : outputs) {
    options.workingValues = options.workingValues || output->wantsWorkingValues();
  }
  return options;
}

}  // namespace

DesignRunResult DesignIntoOutputs(const DesignInputs& inputs, std::span<CaseOutput* const> outputs,
                                  const DesignOptions& options, const KeepGoing& keepGoing) {
  DesignRunResult result;
  for (CaseOutput* output : outputs) {
    if (!output->Start(inputs)) {
      result.fault = output->failure();
      return Abandoned(outputs, result);
    }
  }
  result.summary = EnumerateDesignCases(
      inputs,
      [&](const DesignedCase& designed) {
        if (keepGoing && !keepGoing()) {
          result.stopped = true;
          return false;
        }
        for (CaseOutput* output : outputs) {
          if (!output->Write(designed)) {
            result.fault = output->failure();
            return false;
          }
        }
        return true;
      },
      OptionsFor(outputs, options));
  if (!result.complete()) {
    return Abandoned(outputs, result);
  }
  // Every output complete on the disk before any file is put in place: a
  // failure up to here leaves every file the run was to replace as it was.
  for (CaseOutput* output : outputs) {
    if (!output->Finish()) {
      result.fault = output->failure();
      return Abandoned(outputs, result);
    }
  }
  result.fault = CommitOutputs(outputs);
  if (!result.fault.ok()) {
    return Abandoned(outputs, result);
  }
  return result;
}

}  // namespace kalvorden
