#include "run/design_run.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <system_error>
#include <thread>
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

// The outputs that prepare their cases' bytes on the design's threads
// (CaseSink::preparesCases), in the run's order: output i's text is
// DesignedCase::prepared[slots[i]], and -1 marks one that does not prepare.
std::vector<int> PreparedSlots(std::span<CaseSink* const> outputs) {
  std::vector<int> slots;
  int next = 0;
  for (const CaseSink* output : outputs) {
    slots.push_back(output->preparesCases() ? next++ : -1);
  }
  return slots;
}

CasePreparer PreparerFor(std::span<CaseSink* const> outputs) {
  std::vector<const CaseSink*> preparing;
  std::copy_if(outputs.begin(), outputs.end(), std::back_inserter(preparing),
               [](const CaseSink* output) { return output->preparesCases(); });
  if (preparing.empty()) {
    return {};
  }
  return [preparing](DesignedCase& designed) {
    designed.prepared.resize(preparing.size());
    for (size_t i = 0; i < preparing.size(); ++i) {
      designed.prepared[i].clear();
      preparing[i]->Prepare(designed, designed.prepared[i]);
    }
  };
}

// Finishes every output, each but the first on a thread of its own: a
// finish ends in fsync, which waits for the disk, and the outputs' waits
// then overlap instead of adding up. Outputs share nothing, so finishing
// them at once changes none of their bytes. Returns the first output, in
// the run's order, that failed to finish, or null.
CaseSink* FinishOutputs(std::span<CaseSink* const> outputs) {
  std::vector<char> finished(outputs.size());  // not vector<bool>: each thread writes its own
  std::vector<std::exception_ptr> thrown(outputs.size());
  const auto finish = [&](size_t i) {
    try {
      finished[i] = static_cast<char>(outputs[i]->Finish());
    } catch (...) {
      thrown[i] = std::current_exception();
    }
  };
  std::vector<std::thread> threads;
  for (size_t i = 1; i < outputs.size(); ++i) {
    try {
      threads.emplace_back(finish, i);
    } catch (const std::system_error&) {
      finish(i);  // no thread to be had: finished here, in turn
    }
  }
  if (!outputs.empty()) {
    finish(0);
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  for (size_t i = 0; i < outputs.size(); ++i) {
    if (thrown[i]) {
      std::rethrow_exception(thrown[i]);
    }
    if (finished[i] == 0) {
      return outputs[i];
    }
  }
  return nullptr;
}

}  // namespace

DesignInputs DesignInputsOf(const RunRequest& request) {
  const auto list = [&request](ValueListId id) { return request.lists[static_cast<size_t>(id)]; };
  DesignInputs inputs;
  inputs.wheelLoads = list(ValueListId::kWheelLoad);
  inputs.topCovers = list(ValueListId::kTopCover);
  inputs.futurePavings = list(ValueListId::kFuturePaving);
  inputs.steelStresses = list(ValueListId::kSteelStress);
  inputs.concreteStresses = list(ValueListId::kConcreteStress);
  inputs.continuityFactor = ContinuityFactorOf(request.continuity);
  return inputs;
}

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
  const std::vector<int> slots = PreparedSlots(outputs);
  result.summary = EnumerateDesignCases(
      inputs,
      [&](const DesignedCase& designed) {
        if (keepGoing && !keepGoing()) {
          result.stopped = true;
          return false;
        }
        for (size_t i = 0; i < outputs.size(); ++i) {
          const bool written =
              slots[i] < 0 ? outputs[i]->Write(designed)
                           : outputs[i]->WritePrepared(
                                 designed, designed.prepared[static_cast<size_t>(slots[i])]);
          if (!written) {
            result.fault = outputs[i]->failure();
            return false;
          }
        }
        return true;
      },
      OptionsFor(outputs, options), PreparerFor(outputs));
  if (!result.complete()) {
    return Abandoned(outputs, result);
  }
  // Every output complete on the disk before any file is put in place: a
  // failure up to here leaves every file the run was to replace as it was.
  if (const CaseSink* failed = FinishOutputs(outputs)) {
    result.fault = failed->failure();
    return Abandoned(outputs, result);
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

DesignRunResult DesignIntoFile(const OutputFactory& outputs, OutputKind kind,
                               const RunRequest& request, const LocalDateTime& clock,
                               const std::string& path, const KeepGoing& keepGoing) {
  const std::unique_ptr<FileOutput> output = outputs.Make(kind, SettingsOf(request, clock));
  DesignRunResult result;
  if (!output) {
    result.fault = {kFaultOpenFailure, "open failure",
                    "making the " + std::string(OutputKindOf(kind).what) + " output",
                    "not in this program"};
    return result;
  }
  result.fault = BeginOutputFile(*output, kind, path, true);
  if (!result.fault.ok()) {
    return result;
  }
  CaseSink* const sinks[] = {output.get()};
  return DesignIntoOutputs(DesignInputsOf(request), sinks, DesignOptions{}, keepGoing);
}

}  // namespace kalvorden
