#pragma once

// A run of a project file: the file gives every value the command line does
// not, and the values the run designs are a project again, for the digest.

#include "driver/command_line.h"
#include "fault/fault.h"
#include "project/project.h"

namespace kalvorden {

// Reads `line.projectFile` and fills in each value the command line did not
// give: a list, continuity, the span, an identity text. No fault, or error
// 66 naming the file, the line and the column.
Fault FillFromProjectFile(CommandLine& line);

// The values a run from the command line designs, with its identity and span.
Project ProjectOf(const CommandLine& line);

}  // namespace kalvorden
