#pragma once

// The dialogue of the program started without arguments: the report file's
// name, the overwrite question, the five value lists and the continuity
// factor, asked on the console exactly as answer files expect them.

#include <cstdint>
#include <span>
#include <string>

#include "design/design_inputs.h"
#include "driver/console.h"
#include "fault/fault.h"
#include "output/report_output.h"
#include "report/report_file.h"

namespace kalvorden {

// How the dialogue ended: with the values (`proceed`), or with the exit
// status of a run that ends here: 0 after a refused overwrite (its message
// already on the console), otherwise `fault`'s number.
struct DialogueEnd {
  bool proceed = false;
  Fault fault;
};

// Asks for the report file's name, opens it in place into `report` (the
// report goes straight into the named file), then asks for the values.
// `otherFiles` are the names of the outputs made before the first question:
// were one of them the report file, the run ends before anything is written.
DialogueEnd AskDialogue(Console& console, ReportOutput& report,
                        std::span<const std::string> otherFiles, DesignInputs& inputs);

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

}  // namespace kalvorden
