#include "web/project_download.h"

#include "project/project_writer.h"
#include "web/html_page.h"
#include "web/routes.h"

namespace kalvorden {

Project ProjectOfQuery(const DesignQuery& query) {
  Project project;
  project.identity = query.identity;
  for (size_t list = 0; list < project.lists.size(); ++list) {
    project.lists[list].count = query.lists[list].count;
    project.lists[list].values = query.lists[list].values;
  }
  project.continuity = query.continuity;
  project.span = query.hasSpan ? query.spanExact : std::string();
  return project;
}

HttpResponse ProjectDownloadResponse(std::string_view rawQuery) {
  const QueryParse parse = ParseDesignQuery(rawQuery, QueryPurpose::kDesign);
  if (!parse.ok()) {
    return HtmlResponse(400, PageFrame("Download", ErrorList(parse.errors)));
  }
  HttpResponse response;
  response.SetHeader("Content-Type", "application/toml");
  response.SetHeader("Content-Disposition", "attachment; filename=\"kalvorden-project.toml\"");
  response.body = ProjectFileText(ProjectOfQuery(parse.query));
  return response;
}

}  // namespace kalvorden
