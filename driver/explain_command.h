#pragma once

#include <cstdio>

#include "run/run_request.h"

namespace kalvorden {

// `kalvorden explain`: writes to `output` the calculation sheet of the row
// that governs the request's span, for its one case, after a line that names
// that row when the span asked for is not a printed one. Returns the exit status: 0; 65 when the
// span cannot be designed (the sheet says why, and one line on `errors` says so); 74 when the sheet
// cannot be written (its error line on `errors`).
int RunExplain(const RunRequest& request, std::FILE* output, std::FILE* errors);

}  // namespace kalvorden
