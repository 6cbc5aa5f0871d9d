#include "run/design_run.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "output/output_file.h"

namespace kalvorden {
namespace {

DesignRunResult Abandoned(std::span<CaseSink* const> outputs, DesignRunResult result) {
  for (CaseSink* output : outputs) {
    output->Abandon();
  }
  return result;
}

// The first pass for the outputs that survey the cases before writing them,
// with the printed record alone (a survey needs no working values). False
// when `keepGoing` stopped it.
bool Survey(const DesignInputs& inputs, std::span<CaseSink* const> outputs, DesignOptions options,
            const KeepGoing& keepGoing) {
  std::vector<CaseSink*> surveying;
  std::copy_if(outputs.begin(), outputs.end(), std::back_inserter(surveying),
               [](const CaseSink* output) { return output->wantsSurvey(); });
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
        for (CaseSink* output : surveying) {
          output->Survey(designed);
        }
        return true;
      },
      options);
  return !stopped;
}

// The run's options, with working values when an output prints them.
DesignOptions OptionsFor(std::span<CaseSink* const> outputs, DesignOptions options) {
  for (const CaseSink* output : outputs) {
    options.workingValues = options.workingValues || output->wantsWorkingValues();
  }
  return options;
}

}  // namespace

DesignRunResult DesignIntoOutputs(const DesignInputs& inputs, std::span<CaseSink* const> outputs,
                                  const DesignOptions& options, const KeepGoing& keepGoing) {
  DesignRunResult result;
  for (CaseSink* output : outputs) {
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
        for (CaseSink* output : outputs) {
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
  for (CaseSink* output : outputs) {
    if (!output->Finish()) {
      result.fault = output->failure();
      return Abandoned(outputs, result);
    }
  }
  std::vector<OutputFile*> files;
  for (CaseSink* output : outputs) {
    if (OutputFile* file = output->file()) {
      files.push_back(file);
    }
  }
  result.fault = CommitOutputs(files);
  if (!result.fault.ok()) {
    return Abandoned(outputs, result);
  }
  return result;
}

}  // namespace kalvorden
