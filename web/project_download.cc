#include "web/project_download.h"

#include "project/project_writer.h"
#include "web/downloads.h"
#include "web/html_page.h"
#include "web/routes.h"

namespace kalvorden {

HttpResponse ProjectDownloadResponse(std::string_view rawQuery) {
  const QueryParse parse = ParseDesignQuery(rawQuery, QueryPurpose::kDesign);
  if (!parse.ok()) {
    return HtmlResponse(400, PageFrame("Download", ErrorList(parse.errors)));
  }
  return Attachment("application/toml", parse.query.request.identity, "project.toml",
                    ProjectFileText(parse.query.request));
}

}  // namespace kalvorden
