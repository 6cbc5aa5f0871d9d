#pragma once

#include "driver/program_parts.h"

namespace kalvorden {

// The PDF output and the web page, for the complete program.
ProgramParts FullProgramParts();

}  // namespace kalvorden
