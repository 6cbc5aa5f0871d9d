#pragma once

#include <string>
#include <string_view>

#include "design/case_pipeline.h"
#include "design/design_inputs.h"
#include "fault/fault.h"

namespace kalvorden {

class OutputFile;

// What a design run feeds: the report, the CSV, the PDF, the web page, the
// console's notices. The run designs every case once and hands each
// finished case, in case order, to every sink; a sink keeps only what it
// needs for the case at hand, so its memory does not grow with the run.
// Whether a sink writes a file, and how that file is put in place, is no
// business of the run's beyond file(): see output/file_output.h.
class CaseSink {
 public:
  virtual ~CaseSink();
  CaseSink(const CaseSink&) = delete;
  CaseSink& operator=(const CaseSink&) = delete;

  // Before the first case, once the run's values are known (the dialogue
  // asks for them after the outputs' files are created): a sink that lists
  // the cases up front (the PDF's index) does it here. Returns false as
  // Write does.
  virtual bool Start(const DesignInputs& inputs);

  // Takes the next case. Returns false when the sink has failed; failure()
  // says why, and the run stops.
  virtual bool Write(const DesignedCase& designed) = 0;

  // After the last case: whatever closes the sink (a footer), and for a file
  // every byte on the disk under its temporary name: everything that can
  // fail except putting the file in place. Returns false as Write does.
  virtual bool Finish() = 0;

  // True for a sink that turns each case into its bytes with nothing but
  // the case (the CSV's rows): the run then has the thread that designed a
  // case call Prepare, and hands the text to WritePrepared instead of
  // Write, so that the run's own thread, which every sink shares, only
  // writes bytes.
  virtual bool preparesCases() const { return false; }
  // The case's bytes, appended to `text`. Called on the design's worker
  // threads, several at once on different cases: it reads nothing that
  // the sink's other calls change.
  virtual void Prepare(const DesignedCase& /*designed*/, std::string& /*text*/) const {}
  // Takes the next case with the text Prepare made of it; returns as Write.
  virtual bool WritePrepared(const DesignedCase& designed, std::string_view /*text*/) {
    return Write(designed);
  }

  // The run ends early: nothing more is written, and a file the sink was to
  // replace keeps what it had.
  virtual void Abandon() noexcept = 0;

  // Why Start, Write or Finish returned false; no fault for a sink that
  // cannot fail.
  virtual const Fault& failure() const;

  // The file the run puts in place once every sink is finished, or null
  // for a sink that writes none (the web page, the console's notices).
  virtual OutputFile* file() { return nullptr; }

  // True for a sink that prints the spans' working values (the design
  // moment, effective depth, steel area required): the run then designs
  // them (DesignOptions::workingValues).
  virtual bool wantsWorkingValues() const { return false; }

  // True, once started, for a sink that must see every case before it
  // writes the first (the PDF's comparison of the cases comes before them):
  // the run then designs the cases twice, handing each to Survey the first
  // time, in case order, and to Write the second. A sink keeps from a survey
  // only what its figures need, not the cases.
  virtual bool wantsSurvey() const { return false; }
  virtual void Survey(const DesignedCase& /*designed*/) {}

 protected:
  CaseSink() = default;
};

// Why a span could not be designed, in an engineer's words ("no fault" for
// kNone).
std::string_view SpanFaultReason(SpanFault fault);

}  // namespace kalvorden
