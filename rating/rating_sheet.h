#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "rating/slab_rating.h"

namespace kalvorden {

// The rating sheet: the method and its limits, the values as entered,
// every intermediate value of every span (to 12 significant digits, as the
// design's calculation sheet prints its working values), the rating factors
// of each face and level and the verdicts in words.
std::string WriteRatingSheet(const RatingInputs& inputs, const SlabRating& rating);

// Span `span` (from 0) of the sheet alone: the values as entered, the
// material, the sections and loads, then that span's intermediate values,
// rating factors and verdicts, as WriteRatingSheet has them.
std::string WriteRatingSpanSheet(const RatingInputs& inputs, const SlabRating& rating, size_t span);

// The method, its usual allowables with their source, and what it leaves
// out, one paragraph each, as the sheet and the PDF's cover state them.
std::vector<std::string> RatingMethodParagraphs();

// The verdict of a rating factor at one level, as an evaluator reads it.
std::string InventoryVerdict(Quad ratingFactor);
std::string OperatingVerdict(Quad ratingFactor);

}  // namespace kalvorden
