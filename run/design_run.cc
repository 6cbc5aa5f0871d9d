#include "run/design_run.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace kalvorden {
namespace {

DesignRunResult Abandoned(std::span<CaseOutput* const> outputs, DesignRunResult result) {
  for (CaseOutput* output : outputs) {
    output->Abandon();
  }
  return result;
}

// The first pass for the outputs that survey the cases before writing them,
// with the printed record alone (a survey needs no working values). False
// when `keepGoing` stopped it.
bool Survey(const DesignInputs& inputs, std::span<CaseOutput* const> outputs, DesignOptions options,
            const KeepGoing& keepGoing) {
  std::vector<CaseOutput*> surveying;
  std::copy_if(outputs.begin(), outputs.end(), std::back_inserter(surveying),
               [](const CaseOutput* output) { return output->wantsSurvey(); });
  if (surveying.empty()) {
    return true;
  }
  options.workingValues = false;
  bool stopped = false;
  EnumerateDesignCases(
      inputs,
      [&](const DesignedCase& designed) {
        if (keepGoing && !keepGoing()) {
          stopped = true;
          return false;
        }
        for (CaseOutput* output : surveying) {
          output->Survey(designed);
        }
        return true;
      },
      options);
  return !stopped;
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
  if (!Survey(inputs, outputs, options, keepGoing)) {
    result.stopped = true;
    return Abandoned(outputs, result);
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
