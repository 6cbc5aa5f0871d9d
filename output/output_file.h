#pragma once

#include <span>
#include <string>

#include "fault/fault.h"
#include "output/pending_file.h"

namespace kalvorden {

// The life of one output's file through a run: created under a temporary
// name, written, finished on the disk, and put in place with the run's other
// files only once every output is finished (CommitOutputs); with the label
// that names it in messages and the first fault that ended it.
class OutputFile {
 public:
  // Creates the temporary file for `name`, which Commit renames over an
  // existing file only when `replace`. Returns 0 or the errno of the failed
  // creation.
  int Create(const std::string& name, bool replace);
  PendingFile& pending() { return pending_; }

  // How messages name the file: `CSV file "r.csv"`.
  const std::string& label() const { return label_; }
  void SetLabel(std::string label) { label_ = std::move(label); }

  const Fault& failure() const { return failure_; }
  void Fail(Fault fault) { failure_ = std::move(fault); }

  // True between a successful Finish and Commit while the file waits to be
  // put in place.
  bool awaitsCommit() const { return pending_.awaitsCommit(); }

  // Puts the finished file in place of its target (nothing to do for
  // standard output, a device or a pipe, written where they stand). Returns
  // false, failure() saying why, when the output had already failed or the
  // file could not be put in place; the target then keeps what it had.
  bool Commit();

 private:
  PendingFile pending_;
  std::string label_;
  Fault failure_;
  bool replace_ = false;
};

// A run's files are put in place together or not at all: every output is
// finished (all its bytes on the disk under a temporary name) before any is
// put in place, so an output that fails, or an interrupt, leaves every file
// the run was to replace as it was.
//
// Puts every finished file in place, in order, with interrupts held off so
// that one comes before the first rename or after the last. Returns no
// fault when all are in place; otherwise the fault of the first that could
// not be, which also names the files already put in place and those left as
// they were (the caller abandons the rest).
Fault CommitOutputs(std::span<OutputFile* const> files);

}  // namespace kalvorden
