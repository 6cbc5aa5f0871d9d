#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "design/design_inputs.h"
#include "driver/console.h"
#include "driver/program_parts.h"
#include "fault/fault.h"
#include "report/local_date_time.h"
#include "report/report_file.h"

namespace kalvorden {

using ClockReader = std::function<LocalDateTime()>;

// The local date and time of this machine, read once.
LocalDateTime ReadLocalClock();

// Runs the program for its command line (`arguments` without the program's
// name): the dialogue or the values from options, the design and its
// outputs. Returns the exit status: 0 after finished outputs or a refused
// overwrite, otherwise the number of the fault that ended the run. A run
// that needs a part `parts` lacks is handed to the complete program before
// it reads or writes anything.
int RunKalvorden(std::span<char* const> arguments, Console& console, const ClockReader& readClock,
                 const ProgramParts& parts);

// The whole of main(): the signal dispositions every run needs, the console
// on the standard streams, and RunKalvorden.
int KalvordenMain(int argc, char** argv, const ClockReader& readClock, const ProgramParts& parts);

// The program started without arguments: the dialogue and the report.
int RunProgram(Console& console, const ClockReader& readClock);

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

// Maps the operating system's reason for a failed open of an output file
// (`what`: "report", "CSV", "text") to the run's error number and text.
Fault OpenFault(int osError, bool creating, const std::string& name,
                std::string_view what = "report");

}  // namespace kalvorden
