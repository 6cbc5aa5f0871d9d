#pragma once

// The rating package: the PDF of `kalvorden rate`, as a bridge office files
// it. The cover (pdf/rating_cover.h), then the rating sheet of each span:
// the values as entered, the material, the sections and loads, and every
// intermediate value of the span with its rating factors and verdicts, line
// for line as the text sheet has them (rating/rating_sheet.h), set as the
// design's calculation sheets are (pdf/calculation_sheets.h). Every sheet
// ends with the title block and "Sheet n of N"; a bookmark leads to the
// cover and one to each span.

#include <string>

#include "fault/fault.h"
#include "output/output_settings.h"
#include "rating/slab_rating.h"

namespace kalvorden {

// The package of `rating`, the rating of `inputs`, on the settings' paper,
// naming their identity and digest, dated by their clock: its bytes,
// made in memory (the run writes them as it writes every output). When
// cairo fails, `fault` says so and the bytes are to be dropped.
// Of the type RatingPdfMaker (run/rating_run.h).
std::string WriteRatingPackage(const OutputSettings& settings, const RatingInputs& inputs,
                               const SlabRating& rating, Fault& fault);

}  // namespace kalvorden
