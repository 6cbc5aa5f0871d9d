#include "web/page_handlers.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "project/project_writer.h"
#include "run/design_run.h"
#include "web/downloads.h"
#include "web/explain_page.h"
#include "web/html_page.h"
#include "web/routes.h"

namespace kalvorden {
namespace {

HttpAnswer Now(HttpResponse response) {
  return {std::move(response), nullptr};
}

HttpResponse TooLong() {
  return MessageResponse(503, "Too long",
                         "This design took too long and was stopped. Fewer values give fewer "
                         "cases.");
}

// `keepGoing`, and no longer than `limit` from now.
KeepGoing WithinTime(const KeepGoing& keepGoing, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  return
      [keepGoing, deadline] { return keepGoing() && std::chrono::steady_clock::now() < deadline; };
}

HttpResponse DesignPage(DesignQuery query, const PageSettings& settings,
                        const KeepGoing& keepGoing) {
  query.clock = LinkClock(query.clock, settings);
  std::string html;
  const std::unique_ptr<CaseSink> page = settings.outputs->MakePage(
      SettingsOf(query.request, *query.clock), EncodeDesignQuery(query), html);
  if (!page) {
    return MessageResponse(500, "Server error", "The page could not be made.");
  }
  CaseSink* const outputs[] = {page.get()};
  const DesignRunResult run =
      DesignIntoOutputs(DesignInputsOf(query.request), outputs, DesignOptions{},
                        WithinTime(keepGoing, settings.designTimeLimit));
  if (run.stopped) {
    return TooLong();
  }
  return run.complete() ? HtmlResponse(200, std::move(html))
                        : MessageResponse(500, "Server error", "The page could not be made.");
}

HttpResponse Download(const OutputKindInfo& download, const DesignQuery& query,
                      const PageSettings& settings, const KeepGoing& keepGoing) {
  ScratchFile file(*settings.scratch, download.fileName);
  if (!file.ok()) {
    return MessageResponse(500, "Download failed", "No temporary directory.");
  }
  const DesignRunResult run = DesignIntoFile(*settings.outputs, download.kind, query.request,
                                             LinkClock(query.clock, settings), file.path(),
                                             WithinTime(keepGoing, settings.designTimeLimit));
  if (run.stopped) {
    return TooLong();
  }
  if (!run.complete()) {
    // The fault names the scratch file, which is no business of the page's:
    // only the system's reason is shown.
    const std::string& reason = run.fault.detail;
    if (reason == std::strerror(ENOSPC) || reason == std::strerror(EDQUOT)) {
      // A full disk is a busy server, not a broken one: others' downloads
      // give their space back as they are sent.
      HttpResponse busy =
          MessageResponse(503, "Busy", "No room for the download now. Try again shortly.");
      busy.SetHeader("Retry-After", "5");
      return busy;
    }
    return MessageResponse(500, "Download failed",
                           reason.empty() ? "The file could not be written."
                                          : "The file could not be written: " + reason + ".");
  }
  HttpResponse response =
      Attachment(download.contentType, query.request.identity, download.fileName, {});
  response.file = file.OpenAndRemove();
  struct stat status {};
  if (!response.file.valid() || fstat(response.file.get(), &status) != 0) {
    return MessageResponse(500, "Download failed", "The file could not be read back.");
  }
  response.fileSize = static_cast<uint64_t>(status.st_size);
  return response;
}

}  // namespace

LocalDateTime LinkClock(const std::optional<LocalDateTime>& carried, const PageSettings& settings) {
  return carried ? *carried : settings.readClock();
}

HttpAnswer AnswerForm(const HttpRequest& request) {
  if (request.query.empty()) {
    return Now(HtmlResponse(200, FormPage(nullptr, {})));
  }
  // A "change the values" link: the form filled in again, with its messages.
  const QueryParse parse = ParseDesignQuery(request.query, QueryPurpose::kDesign);
  return Now(HtmlResponse(200, FormPage(&parse.query, parse.errors)));
}

HttpAnswer AnswerDesign(const HttpRequest& request, const PageSettings& settings) {
  QueryParse parse = ParseDesignQuery(request.query, QueryPurpose::kDesign);
  if (!parse.ok()) {
    return Now(HtmlResponse(400, FormPage(&parse.query, parse.errors)));
  }
  return {{}, [query = std::move(parse.query), &settings](const KeepGoing& keepGoing) {
            return DesignPage(query, settings, keepGoing);
          }};
}

HttpAnswer AnswerExplain(const HttpRequest& request) {
  QueryParse parse = ParseDesignQuery(request.query, QueryPurpose::kExplain);
  if (!parse.ok()) {
    return Now(HtmlResponse(400, PageFrame("Calculation sheet", ErrorList(parse.errors))));
  }
  return {{}, [query = std::move(parse.query)](const KeepGoing& /*keepGoing*/) {
            return HtmlResponse(200, ExplainPage(query));
          }};
}

HttpAnswer AnswerDownload(const OutputKindInfo& download, const HttpRequest& request,
                          const PageSettings& settings) {
  QueryParse parse = ParseDesignQuery(request.query, QueryPurpose::kDesign);
  if (!parse.ok()) {
    return Now(HtmlResponse(400, PageFrame("Download", ErrorList(parse.errors))));
  }
  return {{}, [&download, query = std::move(parse.query), &settings](const KeepGoing& keepGoing) {
            return Download(download, query, settings, keepGoing);
          }};
}

HttpAnswer AnswerProjectDownload(const HttpRequest& request) {
  const QueryParse parse = ParseDesignQuery(request.query, QueryPurpose::kDesign);
  if (!parse.ok()) {
    return Now(HtmlResponse(400, PageFrame("Download", ErrorList(parse.errors))));
  }
  return Now(Attachment("application/toml", parse.query.request.identity, "project.toml",
                        ProjectFileText(parse.query.request)));
}

HttpAnswer AnswerAsset(std::string_view content, std::string_view contentType) {
  HttpResponse response;
  response.SetHeader("Content-Type", contentType);
  response.body = content;
  return Now(std::move(response));
}

}  // namespace kalvorden
