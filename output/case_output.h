#pragma once

#include <span>
#include <string>
#include <string_view>

#include "design/case_pipeline.h"
#include "design/design_inputs.h"
#include "fault/fault.h"
#include "output/pending_file.h"

namespace kalvorden {

// One output of a run (the line-printer report, its plain-text copy, the
// CSV table, ...). The driver designs every case once and hands each
// finished case, in case order, to every output; an output keeps only what
// it needs for the case at hand, so its memory does not grow with the run.
//
// A run's files are committed together or not at all: every output is
// finished (all its bytes on the disk under a temporary name) before any is
// put in place, so an output that fails, or an interrupt, leaves every file
// the run was to replace as it was (CommitOutputs).
class CaseOutput {
 public:
  virtual ~CaseOutput();
  CaseOutput(const CaseOutput&) = delete;
  CaseOutput& operator=(const CaseOutput&) = delete;

  // Creates the output's file: a temporary file beside `name`, renamed over
  // it by Commit (over an existing file only when `replace`), or standard
  // output for "-" where the output allows it. Returns 0 or the errno of the
  // failed creation.
  virtual int BeginPending(const std::string& name, bool replace) = 0;

  // Before the first case, once the run's values are known (the dialogue
  // asks for them after the outputs' files are created): an output that
  // lists the cases up front (the PDF's index) does it here. Returns false
  // as Write does.
  virtual bool Start(const DesignInputs& inputs);

  // Takes the next case. Returns false when the output has failed;
  // failure() says why, and the run stops.
  virtual bool Write(const DesignedCase& designed) = 0;

  // After the last case: whatever closes the output (a footer), then every
  // byte to the disk, the file still under its temporary name: everything
  // that can fail except putting it in place. Returns false as Write does.
  virtual bool Finish() = 0;

  // After Finish: puts the file in place of its target (nothing to do for
  // standard output, a device or a pipe, written where they stand). Returns
  // false as Write does; the target then keeps what it had.
  bool Commit();

  // True between Finish and Commit while a file waits to be put in place.
  bool awaitsCommit() const { return pending_.awaitsCommit(); }

  // The run ends early: nothing more is written, a temporary file is
  // removed, and a file the output was to replace keeps what it had.
  virtual void Abandon() noexcept = 0;

  // Pages written so far, for an output made of pages (the report, the
  // PDF); 0 for one that has none.
  virtual int64_t pageCount() const { return 0; }

  // True for an output that prints the spans' working values (the design
  // moment, effective depth, steel area required): the run then designs
  // them (DesignOptions::workingValues).
  virtual bool wantsWorkingValues() const { return false; }

  // True, once started, for an output that must see every case before it
  // writes the first (the PDF's comparison of the cases comes before them):
  // the run then designs the cases twice, handing each to Survey the first
  // time, in case order, and to Write the second. An output keeps from a
  // survey only what its figures need, not the cases.
  virtual bool wantsSurvey() const { return false; }
  virtual void Survey(const DesignedCase& /*designed*/) {}

  const Fault& failure() const { return failure_; }

  // How messages name the output: `CSV file "r.csv"`.
  const std::string& label() const { return label_; }

 protected:
  CaseOutput() = default;
  void Fail(Fault fault) { failure_ = std::move(fault); }
  void SetLabel(std::string label) { label_ = std::move(label); }

  // Creates the temporary file for `name`, which Commit renames over an
  // existing file only when `replace`.
  int CreatePending(const std::string& name, bool replace);
  PendingFile& pending() { return pending_; }

 private:
  Fault failure_;
  std::string label_;
  PendingFile pending_;
  bool replace_ = false;
};

// Puts every finished output in place, in order, with interrupts held off
// so that one comes before the first rename or after the last. Returns no
// fault when all are in place; otherwise the fault of the first that could
// not be, which also names the files already put in place and those left
// as they were (the caller abandons the rest).
Fault CommitOutputs(std::span<CaseOutput* const> outputs);

// Why a span could not be designed, in an engineer's words ("no fault" for
// kNone).
std::string_view SpanFaultReason(SpanFault fault);

// The name that stands for standard output where a file name is expected.
constexpr std::string_view kStandardOutputName = "-";

// How messages name an output: `report file "r.rpt"`, or `CSV on standard
// output` for the name "-".
std::string OutputLabel(std::string_view what, const std::string& name);

// Error 74 for a failed write of the output labelled `label`, with the
// operating system's reason.
Fault OutputWriteFault(const std::string& label, int osError);

// Maps the operating system's reason for a failed open of an output file
// (`what`: "report", "CSV", "text", "PDF") to the run's error number and
// text; `creating` when the file was to be created, not reopened.
Fault OpenFault(int osError, bool creating, const std::string& name,
                std::string_view what = "report");

}  // namespace kalvorden
