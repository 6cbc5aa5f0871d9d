#pragma once

// The page's values as a project file (/download/project.toml), which
// `kalvorden --project` runs to the same outputs as the page's own
// downloads.

#include <string_view>

#include "web/design_query.h"
#include "web/http_message.h"

namespace kalvorden {

constexpr std::string_view kProjectDownloadPath = "/download/project.toml";

// The project file of the design query `rawQuery` (without the "?"), as an
// attachment of type application/toml; or 400 with the page that lists the
// query's faults. Nothing is designed, so it is answered at once.
HttpResponse ProjectDownloadResponse(std::string_view rawQuery);

}  // namespace kalvorden
