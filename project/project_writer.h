#pragma once

// Writes a project file that reads back as the same run: every value as the
// shortest decimal that reads back as exactly its binary128 value, the span
// as the exact decimal it was given, and the texts escaped as TOML requires.

#include <string>

#include "run/rating_run.h"
#include "run/run_request.h"

namespace kalvorden {

// The whole file: a comment line, [project] with the identity texts that are
// not empty, and [design].
std::string ProjectFileText(const RunRequest& project);

// A rating's file: a comment line, [project] as above and [rating] with
// every value the entry was given and its continuity, which
// `kalvorden rate --project FILE` rates to the same outputs.
std::string RatingProjectFileText(const RatingRequest& rating);

}  // namespace kalvorden
