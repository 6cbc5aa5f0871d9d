#pragma once

// A run of a project file: the file gives every value the command line does
// not.

#include "driver/command_line.h"
#include "fault/fault.h"

namespace kalvorden {

// Reads `line.projectFile` and fills in each part of the request the
// command line did not give: a list, continuity, the span, an identity
// text. No fault, or error 66 naming the file, the line and the column.
Fault FillFromProjectFile(CommandLine& line);

}  // namespace kalvorden
