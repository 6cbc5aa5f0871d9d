#pragma once

#include <string>

#include "rating/slab_rating.h"

namespace kalvorden {

// The rating sheet: the method and its limits, the values as entered,
// every intermediate value of every span (to 12 significant digits, as the
// design's calculation sheet prints its working values), the rating factors
// of each face and level and the verdicts in words.
std::string WriteRatingSheet(const RatingInputs& inputs, const SlabRating& rating);

// The verdict of a rating factor at one level, as an evaluator reads it.
std::string InventoryVerdict(Quad ratingFactor);
std::string OperatingVerdict(Quad ratingFactor);

}  // namespace kalvorden
