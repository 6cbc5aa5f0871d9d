#include "web/web_server.h"

#include <malloc.h>
#include <unistd.h>

#include <utility>

#include "fault/fault.h"
#include "web/downloads.h"
#include "web/page_assets.h"
#include "web/page_handlers.h"
#include "web/project_upload.h"
#include "web/rate_handlers.h"
#include "web/rating_page.h"
#include "web/routes.h"
#include "web/scratch_room.h"
#include "web/stop_signals.h"

namespace kalvorden {
namespace {

std::vector<Route> PageRoutes(const PageSettings& settings) {
  std::vector<Route> routes = {
      {"/", [](const HttpRequest& request) { return AnswerForm(request); }},
      {"/design",
       [&settings](const HttpRequest& request) { return AnswerDesign(request, settings); }},
      {"/explain", [](const HttpRequest& request) { return AnswerExplain(request); }},
      {"/static/form.js",
       [](const HttpRequest&) {
         return AnswerAsset(kFormScript, "text/javascript; charset=utf-8");
       }},
      {"/static/style.css",
       [](const HttpRequest&) { return AnswerAsset(kStyleSheet, "text/css; charset=utf-8"); }},
      {std::string(kProjectDownloadPath),
       [](const HttpRequest& request) { return AnswerProjectDownload(request); }},
      {std::string(kProjectUploadPath),
       [](const HttpRequest& request) {
         if (request.method != "POST") {
           HttpResponse refused =
               MessageResponse(405, "Method not allowed", "This page answers POST only.");
           refused.SetHeader("Allow", "POST");
           return HttpAnswer{std::move(refused), {}};
         }
         return HttpAnswer{ProjectUploadResponse(request), {}};
       },
       true},
  };
  routes.push_back({std::string(kRatePath), [&settings](const HttpRequest& request) {
                      return AnswerRate(request, settings);
                    }});
  routes.push_back({std::string(kRateFormPath),
                    [](const HttpRequest& request) { return AnswerRateForm(request); }});
  routes.push_back({std::string(kRateProjectPath),
                    [](const HttpRequest& request) { return AnswerRateProject(request); }});
  for (const RatingOutputKindInfo& kind : RatingOutputKinds()) {
    if (RatingOutputOffered(kind.kind, settings.makeRatingPdf)) {
      routes.push_back({RateDownloadPath(kind), [&kind, &settings](const HttpRequest& request) {
                          return AnswerRateDownload(kind, request, settings);
                        }});
    }
  }
  for (const OutputKindInfo& download : OutputKinds()) {
    routes.push_back({DownloadPath(download), [&download, &settings](const HttpRequest& r) {
                        return AnswerDownload(download, r, settings);
                      }});
  }
  return routes;
}

}  // namespace

struct WebServer::State {
  explicit State(WebServerOptions given)
      : options(std::move(given)),
        scratch(options.scratchBase),
        settings{options.readClock ? options.readClock : ReadLocalClock, options.designTimeLimit,
                 &scratch, options.makeRatingPdf, &options.outputs},
        router(PageRoutes(settings)),
        http(router, options.limits) {}

  WebServerOptions options;
  ScratchRoom scratch;
  PageSettings settings;
  Router router;
  HttpServer http;  // last: its workers use everything above
};

WebServer::WebServer(WebServerOptions options)
    : state_(std::make_unique<State>(std::move(options))) {}

WebServer::~WebServer() = default;

bool WebServer::Listen(std::string& error) {
  if (!state_->http.Listen(state_->options.address, state_->options.port, error)) {
    return false;
  }
  state_->router.SetIdentity({state_->options.address, state_->http.port()});
  return true;
}

bool WebServer::hasScratch() const {
  return state_->scratch.ok();
}

int WebServer::port() const {
  return state_->http.port();
}

std::string WebServer::Url() const {
  const std::string& address = state_->options.address;
  const bool v6 = address.find(':') != std::string::npos;
  return "http://" + (v6 ? "[" + address + "]" : address) + ":" + std::to_string(port()) + "/";
}

bool WebServer::Run() {
  return state_->http.Run();
}

void WebServer::RemoveScratchFiles() {
  state_->scratch.Remove();
}

void WebServer::Stop() {
  state_->http.Stop();
}

int RunServe(const WebServerOptions& options, FILE* out, FILE* err) {
  // Blocks of memory from 128 KiB up (a page, a piece of a download) are
  // mapped on their own and given back when freed, whatever was freed
  // before: glibc would otherwise raise this threshold after the first
  // large page and keep every later one in a heap that grows.
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
  // Before the server starts its design workers, so they inherit the mask.
  const sigset_t stopSignals = BlockStopSignals();
  WebServer server(options);
  if (!server.hasScratch()) {
    // Announcing the page would be a promise every download then breaks.
    std::fprintf(err,
                 "kalvorden: error (%d): cannot serve: no directory for the downloads could be "
                 "made in $TMPDIR (or /tmp)\n",
                 kFaultUnavailable);
    return kFaultUnavailable;
  }
  std::string error;
  if (!server.Listen(error)) {
    std::fprintf(err, "kalvorden: error (%d): cannot listen, on %s port %d: %s\n",
                 kFaultUnavailable, options.address.c_str(), options.port, error.c_str());
    return kFaultUnavailable;
  }
  std::fprintf(out, "%s\n", server.Url().c_str());
  std::fflush(out);
  const StopSignalWatcher watcher(stopSignals, [&server] { server.Stop(); });
  if (!server.Run()) {
    // A design still busy in a part that does not stop (a PDF's index):
    // the process ends without it, its files removed first, so the stop
    // stays within its bound whatever was asked for.
    server.RemoveScratchFiles();
    std::fflush(out);
    _exit(0);
  }
  return 0;
}

}  // namespace kalvorden
