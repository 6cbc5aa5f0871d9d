#pragma once

// The cover of the rating package: which project and bridge, the program,
// the run's date and the digest of the rating's values, the sign-off, the
// verdicts of every span (the governing rating factor at each level with
// its face and the material that governs it, in the words of the rating
// sheet), the method with its usual allowables and what it leaves out, and
// every value as entered.

#include <cstdint>
#include <functional>
#include <string>

#include "output/project_identity.h"
#include "pdf/sheet_flow.h"
#include "rating/slab_rating.h"

namespace kalvorden {

struct RatingCoverContent {
  const ProjectIdentity* project = nullptr;
  std::string digest;  // of the rating's values (run/values_digest.h)
  const RatingInputs* inputs = nullptr;
  const SlabRating* rating = nullptr;
  std::string runStamp;  // "2026-12-07 14:03:09"
  // The sheet on which the rating sheet of span n (from 0) begins; 0 while
  // the sheets are still being counted.
  std::function<int64_t(size_t span)> firstSheetOf;
};

// Flows the cover into `flow`.
void ComposeRatingCover(SheetFlow& flow, const RatingCoverContent& content);

// "Span 2 of 3, S = 3.2 m", as the cover, the sheets' captions and the
// bookmarks name span `span` (from 0).
std::string RatedSpanName(const SlabRating& rating, size_t span);

}  // namespace kalvorden
