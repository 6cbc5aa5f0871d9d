#pragma once

#include <span>
#include <string>
#include <string_view>

#include "driver/console.h"

namespace kalvorden {

// The complete program's path for a program at `ownPath` (an absolute path
// to a file): the same relative place in the build tree as in an installed
// tree, libexec/kalvorden/kalvorden-full beside bin/.
std::string CompleteProgramPath(std::string_view ownPath);

// Hands the run to the complete program (driver/program_parts.h): this
// process becomes `kalvorden-full` with the same arguments, standard
// streams, signal dispositions and environment. Returns only when that
// cannot be done, with status 69 after the line that says why.
int HandToCompleteProgram(std::span<char* const> arguments, Console& console);

}  // namespace kalvorden
