#pragma once

#include <span>

#include "driver/console.h"

namespace kalvorden {

// Hands the run to the complete program (driver/program_parts.h): this
// process becomes `kalvorden-full` with the same arguments, standard
// streams, signal dispositions and environment. Returns only when that
// cannot be done, with status 69 after the line that says why.
int HandToCompleteProgram(std::span<char* const> arguments, Console& console);

}  // namespace kalvorden
