#pragma once

// The design values of a run in one canonical form, and its SHA-256, so that
// an engineer can tell at a glance that two runs designed the same values.
//
// The form covers what decides the numbers and the row marked: the five
// lists in order (each value as the shortest decimal that reads back as its
// exact binary128 value), continuity, and the bridge's span as an exact
// decimal. It leaves out the identity texts (title, names, revision, notes):
// mending a name does not change what was designed. So 72.5 and 72.50, keys
// in another order and comments give one digest; any changed value, a
// reordered list, continuity or another span give another.

#include <string>

#include "rating/slab_rating.h"
#include "run/run_request.h"

namespace kalvorden {

// The canonical form: lines of ASCII, each ending in a line feed:
//   kalvorden design values 1
//   wheel-load 72.5 100
//   top-cover 50
//   paving 1.5
//   fs 165
//   fc 10
//   continuity yes
//   span 2.91            ("span none" without a span)
std::string CanonicalDesignValues(const RunRequest& project);

// The SHA-256 of the canonical form, as 64 lowercase hexadecimal digits.
std::string DesignValuesDigest(const RunRequest& project);

// The same for a rating: every value of the rating by its field's name, in
// the order of the rating's table of values (rating/rating_values.h), each as
// above ("none" for a field the rating does not have, a bar by its
// designation, the spans separated by blanks), and continuity:
//   kalvorden rating values 1
//   thickness 200
//   top-cover 40
//   top-bar 16
//   ...
//   bottom-cover none
//   ...
//   span 2.4 3.2
//   fs 165
//   ...
//   continuity yes
// The project's identity is left out here too.
std::string CanonicalRatingValues(const RatingInputs& inputs);
std::string RatingValuesDigest(const RatingInputs& inputs);

}  // namespace kalvorden
