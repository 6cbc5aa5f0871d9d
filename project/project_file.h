#pragma once

// Reads a project file: TOML with a [project] table of texts (title, bridge,
// designer, checker, revision, notes; each optional) and a [design] table of
// the five value lists (wheel-load, top-cover, paving, fs, fc; each required)
// with continuity (true or false) and span (metres), both optional.
//
// The TOML library reads a float into a double, which must never carry a
// design value: each number is taken instead from its own text in the file
// and read by the value check every door shares (design/value_lists.h), so
// "72.50" in a file is the same binary128 value as "72.50" on the command
// line, and what the check refuses there (inf, nan, hexadecimal, a negative
// load) is refused here too. Digits grouped with underscores (1_000) are
// refused: the command line and the web page do not read them.
//
// Any fault ends the reading with error 66 and one line that names the file,
// the line and column (in characters, counted from 1) and the fault.

#include <cstdint>
#include <string>
#include <string_view>

#include "fault/fault.h"
#include "rating/rating_values.h"
#include "run/run_request.h"

namespace kalvorden {

// A project file is never larger than this; a larger file is refused before
// it is parsed.
constexpr size_t kMostProjectFileBytes = size_t{1} << 20;

// What the file is read for: a design needs its [design] table, a rating
// (`kalvorden rate --project`) its [rating] table, whose keys are the
// options of `rate` (rating/rating_values.h). Either table, when present,
// is read and checked whatever the use.
enum class ProjectUse : uint8_t { kDesign, kRating };

// Reads the project file `path` into `project`. No fault, or error 66.
// A [rating] table, when the file has one, is read into `*rating` (when
// not null).
Fault ReadProjectFile(const std::string& path, RunRequest& project,
                      ProjectUse use = ProjectUse::kDesign, RatingEntry* rating = nullptr);

// The same for the file's bytes, `name` being how its faults name it.
Fault ParseProjectText(std::string_view text, const std::string& name, RunRequest& project,
                       ProjectUse use = ProjectUse::kDesign, RatingEntry* rating = nullptr);

}  // namespace kalvorden
