#pragma once

#include <string>

#include "rating/slab_rating.h"

namespace kalvorden {

// The rating as CSV (RFC 4180, lines ended CR LF): a header, then one row
// per span with both levels and both faces on it. The span is written as
// entered (the shortest decimal of its binary128 value), the working values
// to 12 significant digits as the design's CSV writes them; the fields of a
// face not rated, and the rated vehicle without W, are empty.
std::string WriteRatingCsv(const RatingInputs& inputs, const SlabRating& rating);

}  // namespace kalvorden
