#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "driver/console.h"
#include "driver/design_inputs.h"
#include "driver/fault.h"
#include "report/report_writer.h"

namespace kalvorden {

// A reading of the local clock.
struct LocalDateTime {
  int year = 2000;
  int month = 1;  // 1 to 12
  int day = 1;    // 1 to 31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

using ClockReader = std::function<LocalDateTime()>;

// The local date and time of this machine, read once.
LocalDateTime ReadLocalClock();

// Runs the whole program: the dialogue, the design and the report. Returns
// the exit status: 0 after a finished report or a refused overwrite,
// otherwise the number of the fault that ended the run.
int RunProgram(Console& console, const ClockReader& readClock);

// Writes the run's date (dd-MON-yy) into characters 1-9 of header line 1 and
// its time (hh:mm:ss) into characters 2-9 of header line 2. The clock is
// read once, so date and time always belong to the same instant.
void StampHeaderLines(ReportWriter& writer, const ClockReader& readClock);

enum class OpenOutcome : uint8_t { kOpened, kRefused, kFailed };
struct OpenResult {
  OpenOutcome outcome = OpenOutcome::kFailed;
  Fault fault;  // for kFailed
};

// Opens the report file named by the 24-character answer, asking first
// whether an existing file may be overwritten. An existing file is opened
// without truncation: its old contents go only when the report's first
// record is written.
OpenResult OpenReportFile(Console& console, const std::string& reportFileName, ReportFile& file);

// Asks for one list: the count, then one value per entry. A count over the
// list's capacity is refused with a message and asked again.
Fault ReadValueList(Console& console, std::string_view countPrompt, std::string_view valuePrompt,
                    ValueList& list);

// 0.8 (widened) when the answer begins with Y or y, otherwise 1.0.
Fault AskContinuityFactor(Console& console, Quad& continuityFactor);

// Ends the run: closes the report file (writing its last line feed) and, if
// that succeeds, writes `message` (when not empty) to standard error.
// Returns the exit status: 0, or the write failure's number when the report
// could not be completed.
int StopRun(Console& console, ReportWriter& writer, std::string_view message);

// Maps the operating system's reason for a failed open of the report file to
// the run's error number and text.
Fault OpenFault(int osError, bool creating, const std::string& name);

}  // namespace kalvorden
