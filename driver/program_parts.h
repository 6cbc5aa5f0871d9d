#pragma once

// The PDF (drawn with cairo) brings about thirty shared libraries with it,
// which the dynamic loader maps and relocates at every start: several
// megabytes and milliseconds that the dialogue, the report, the CSV, the text
// and `explain` never use; the web page brings its HTTP server (Boost.Asio
// and Beast, compiled in). So `kalvorden` is built without them, and a run
// that asks for a PDF or the web page is handed, before it has read or
// written anything, to the complete program `kalvorden-full`, which is the
// same driver built with both. The parts are given to the driver here; a
// program built without them leaves them empty.

#include <functional>
#include <span>

#include "driver/console.h"
#include "run/output_factory.h"
#include "run/rating_run.h"

namespace kalvorden {

struct ProgramParts {
  // The makers of the PDF output and the web page, for the output factory.
  OutputMakers outputs;
  // Makes the rating package (`kalvorden rate --pdf`).
  RatingPdfMaker makeRatingPdf;
  // Runs `kalvorden serve` with the arguments after "serve".
  std::function<int(std::span<char* const>, Console&)> serve;
};

}  // namespace kalvorden
