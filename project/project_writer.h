#pragma once

// Writes a project file that reads back as the same run: every value as the
// shortest decimal that reads back as exactly its binary128 value, the span
// as the exact decimal it was given, and the texts escaped as TOML requires.

#include <string>

#include "run/run_request.h"

namespace kalvorden {

// The whole file: a comment line, [project] with the identity texts that are
// not empty, and [design].
std::string ProjectFileText(const RunRequest& project);

}  // namespace kalvorden
