#pragma once

// Reads a project file: TOML with a [project] table of texts (title, bridge,
// designer, checker, revision, notes; each optional) and a [design] table of
// the five value lists (wheel-load, top-cover, paving, fs, fc; each required)
// with continuity (true or false) and span (metres), both optional.
//
// The TOML library reads a float into a double, which must never carry a
// design value: each number is taken instead from its own text in the file
// and read by the value check every door shares (run/value_lists.h), so
// "72.50" in a file is the same binary128 value as "72.50" on the command
// line, and what the check refuses there (inf, nan, hexadecimal, a negative
// load) is refused here too. Digits grouped with underscores (1_000) are
// refused: the command line and the web page do not read them.
//
// Any fault ends the reading with error 66 and one line that names the file,
// the line and column (in characters, counted from 1) and the fault.

#include <string>
#include <string_view>

#include "fault/fault.h"
#include "run/run_request.h"

namespace kalvorden {

// A project file is never larger than this; a larger file is refused before
// it is parsed.
constexpr size_t kMostProjectFileBytes = size_t{1} << 20;

// Reads the project file `path` into `project`. No fault, or error 66.
Fault ReadProjectFile(const std::string& path, RunRequest& project);

// The same for the file's bytes, `name` being how its faults name it.
Fault ParseProjectText(std::string_view text, const std::string& name, RunRequest& project);

}  // namespace kalvorden
