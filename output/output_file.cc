#include "output/output_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "output/interrupt_cleanup.h"

namespace kalvorden {

int OutputFile::Create(const std::string& name, bool replace) {
  replace_ = replace;
  return pending_.Create(name);
}

bool OutputFile::Commit() {
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

Fault CommitOutputs(std::span<OutputFile* const> files) {
  // Only a run with files to rename holds interrupts off (the dialogue's own
  // report, written in place, has none).
  std::optional<InterruptsHeld> held;
  if (std::any_of(files.begin(), files.end(),
                  [](const OutputFile* file) { return file->awaitsCommit(); })) {
    held.emplace();
  }
  // In the run's order, the report first: its commit is the one that can
  // refuse (an existing file it may not replace) and it comes before any
  // other output is in place, so such a refusal leaves every file as it was.
  // Once a file is in place, an interrupt can no longer end the run as one
  // that replaced nothing (the status a signal gives says so): it stays held
  // for the rest of the run, which ends with its own line and status.
  std::vector<std::string> placed;
  for (size_t i = 0; i < files.size(); ++i) {
    const bool hasFile = files[i]->awaitsCommit();
    if (files[i]->Commit()) {
      if (hasFile) {
        placed.push_back(files[i]->label());
        held->KeepHeld();
      }
      continue;
    }
    // The renames cannot be undone: the line says which files this run has
    // replaced and which it has left as they were.
    std::vector<std::string> left;
    for (size_t k = i + 1; k < files.size(); ++k) {
      if (files[k]->awaitsCommit()) {
        left.push_back(files[k]->label());
      }
    }
    Fault fault = files[i]->failure();
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

}  // namespace kalvorden
