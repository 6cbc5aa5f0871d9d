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
  HttpResponse response;
  response.SetHeader("Content-Type", "application/toml");
  response.SetHeader("Content-Disposition",
                     "attachment; filename=\"" +
                         DownloadFileName(parse.query.request.identity, "project.toml") + "\"");
  response.body = ProjectFileText(parse.query.request);
  return response;
}

}  // namespace kalvorden
