#pragma once

// The calculation sheet of one case and span as a page: the sheet's text as
// the command line prints it, in a preformatted block.

#include <string>

#include "web/design_query.h"

namespace kalvorden {

// `query` holds one value per list and the span (QueryPurpose::kExplain).
std::string ExplainPage(const DesignQuery& query);

}  // namespace kalvorden
