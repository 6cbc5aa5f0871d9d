#pragma once

#include <span>

#include "driver/console.h"
#include "driver/program_parts.h"
#include "run/clock.h"

namespace kalvorden {

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

}  // namespace kalvorden
