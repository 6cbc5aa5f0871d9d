#pragma once

// The rating of an existing slab on the web page: its form (beside the
// design's on the first page, or alone, filled in again with the messages
// of a refused query) and the page of a rating: the verdicts of each span,
// the downloads and the rating sheet itself, the text `kalvorden rate`
// writes for the same values.

#include <string>
#include <string_view>
#include <vector>

#include "rating/slab_rating.h"
#include "web/rate_query.h"

namespace kalvorden {

// The routes of the rating: the page, the form shown again, the downloads.
constexpr std::string_view kRatePath = "/rate";
constexpr std::string_view kRateFormPath = "/rate/form";
constexpr std::string_view kRateProjectPath = "/rate/download/project.toml";
// "/rate/download/rating.csv"
std::string RateDownloadPath(const RatingOutputKindInfo& kind);

// The form as a section of a page. `shown` (may be null) fills the inputs
// with the values as typed, `errors` puts each message beside its input, or
// above the form for the query as a whole.
std::string RatingForm(const RateQuery* shown, const std::vector<RateQueryError>& errors);

// The form alone on its page.
std::string RatingFormPage(const RateQuery* shown, const std::vector<RateQueryError>& errors);

// The page of the rating of `query`; `pdfOffered` adds the PDF's link.
std::string RatingResultPage(const RateQuery& query, const SlabRating& rating, bool pdfOffered);

}  // namespace kalvorden
