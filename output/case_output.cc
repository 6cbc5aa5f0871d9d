#include "output/case_output.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "output/interrupt_cleanup.h"

namespace kalvorden {

CaseOutput::~CaseOutput() = default;

std::string_view SpanFaultReason(SpanFault fault) {
  switch (fault) {
    case SpanFault::kInvalidInputs:
      return "these values cannot describe a slab (all must be finite numbers, fc and fs "
             "positive, the wheel load, cover and paving not negative)";
    case SpanFault::kNoThickness:
      return "the thickness iteration on the slab's own weight does not converge";
    case SpanFault::kNoBarLargeEnough:
      return "even #57 main bars would need a spacing under 125 mm";
    case SpanFault::kOutOfRange:
      return "the thickness, spacing or bar count is too large to design";
    case SpanFault::kNone:
      break;
  }
  return "no fault";
}

bool CaseOutput::Start(const DesignInputs& /*inputs*/) {
  return true;
}

int CaseOutput::CreatePending(const std::string& name, bool replace) {
  replace_ = replace;
  return pending_.Create(name);
}

bool CaseOutput::Commit() {
  if (!failure_.ok()) {
    return false;
  }
  if (!pending_.awaitsCommit()) {
    return true;
  }
  const int error = pending_.Commit(replace_);
  if (error == 0) {
    return true;
  }
  const std::string where = "putting " + label_ + " in place";
  Fault fault = error == EEXIST && !replace_
                    ? Fault{kFaultCannotOverwrite, "cannot overwrite existing file", where,
                            "a file appeared under the name during the run"}
                    : Fault{kFaultWriteFailure, "write failure", where, std::strerror(error)};
  if (!pending_.leftBehind().empty()) {
    fault.detail +=
        "; its temporary file " + QuoteName(pending_.leftBehind()) + " could not be removed either";
  }
  Fail(std::move(fault));
  return false;
}

namespace {

// "report file "r.rpt", CSV file "r.csv"".
std::string Labels(const std::vector<std::string>& labels) {
  std::string text;
  for (const std::string& label : labels) {
    text += (text.empty() ? "" : ", ") + label;
  }
  return text;
}

}  // namespace

Fault CommitOutputs(std::span<CaseOutput* const> outputs) {
  // Only a run with files to rename holds interrupts off (the dialogue's own
  // report, written in place, has none).
  std::optional<InterruptsHeld> held;
  if (std::any_of(outputs.begin(), outputs.end(),
                  [](const CaseOutput* output) { return output->awaitsCommit(); })) {
    held.emplace();
  }
  // In the run's order, the report first: its commit is the one that can
  // refuse (an existing file it may not replace) and it comes before any
  // other output is in place, so such a refusal leaves every file as it was.
  // Once a file is in place, an interrupt can no longer end the run as one
  // that replaced nothing (the status a signal gives says so): it stays held
  // for the rest of the run, which ends with its own line and status.
  std::vector<std::string> placed;
  for (size_t i = 0; i < outputs.size(); ++i) {
    const bool hasFile = outputs[i]->awaitsCommit();
    if (outputs[i]->Commit()) {
      if (hasFile) {
        placed.push_back(outputs[i]->label());
        held->KeepHeld();
      }
      continue;
    }
    // The renames cannot be undone: the line says which files this run has
    // replaced and which it has left as they were.
    std::vector<std::string> left;
    for (size_t k = i + 1; k < outputs.size(); ++k) {
      if (outputs[k]->awaitsCommit()) {
        left.push_back(outputs[k]->label());
      }
    }
    Fault fault = outputs[i]->failure();
    if (!placed.empty()) {
      fault.detail += "; already in place: " + Labels(placed);
    }
    if (!left.empty()) {
      fault.detail += "; not put in place: " + Labels(left);
    }
    return fault;
  }
  return {};
}

std::string OutputLabel(std::string_view what, const std::string& name) {
  if (name == kStandardOutputName) {
    return std::string(what) + " on standard output";
  }
  return std::string(what) + " file " + QuoteName(name);
}

Fault OutputWriteFault(const std::string& label, int osError) {
  return {kFaultWriteFailure, "write failure", "writing " + label, std::strerror(osError)};
}

Fault OpenFault(int osError, bool creating, const std::string& name, std::string_view what) {
  Fault fault;
  fault.where = "opening " + std::string(what) + " file " + QuoteName(name);
  fault.detail = std::strerror(osError);
  switch (osError) {
    case EACCES:
    case EPERM:
    case EROFS:
      fault.number = kFaultPermissionDenied;
      fault.text = "permission to access file denied";
      break;
    case EEXIST:
      fault.number = kFaultCannotOverwrite;
      fault.text = "cannot overwrite existing file";
      break;
    case ENOENT:
      // Reopening, the file vanished after the existence test; creating, a
      // directory of the name does not exist.
      fault.number = creating ? kFaultFileName : kFaultFileNotFound;
      fault.text = creating ? "file name specification error" : "file not found";
      break;
    case EISDIR:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
      fault.number = kFaultFileName;
      fault.text = "file name specification error";
      break;
    default:
      fault.number = kFaultOpenFailure;
      fault.text = "open failure";
      break;
  }
  return fault;
}

}  // namespace kalvorden
