#pragma once

// The handlers of the page's routes: each takes a request and gives its
// answer, at once when it is cheap (the form, the assets, a refused query)
// or as a design to run on a design worker (the result page, the
// calculation sheet, the downloads). They know nothing of connections.

#include <chrono>
#include <functional>
#include <optional>
#include <string_view>

#include "run/clock.h"
#include "run/output_factory.h"
#include "run/rating_run.h"
#include "web/design_query.h"
#include "web/http_message.h"
#include "web/scratch_room.h"

namespace kalvorden {

struct PageSettings {
  // The clock, read when a design starts; downloads carry the reading of
  // the page that offered them instead (at=).
  ClockReader readClock;
  // A design that takes longer is stopped and answered 503.
  std::chrono::milliseconds designTimeLimit{60000};
  const ScratchRoom* scratch = nullptr;
  // The rating's PDF, where the program carries one (run/rating_run.h);
  // without it the rating offers its CSV, sheet and project file only.
  RatingPdfMaker makeRatingPdf;
  // Makes the result page and the downloads.
  const OutputFactory* outputs = nullptr;
};

// The clock a link carries, or, without one, a reading of the settings'.
LocalDateTime LinkClock(const std::optional<LocalDateTime>& carried, const PageSettings& settings);

// "/" (with a query: the form filled in again, with its messages).
HttpAnswer AnswerForm(const HttpRequest& request);
// "/design": the result page of every case.
HttpAnswer AnswerDesign(const HttpRequest& request, const PageSettings& settings);
// "/explain": the calculation sheet of one case and span.
HttpAnswer AnswerExplain(const HttpRequest& request);
// "/download/...": one of the run's files.
HttpAnswer AnswerDownload(const OutputKindInfo& download, const HttpRequest& request,
                          const PageSettings& settings);
// kProjectDownloadPath: the query's values as a project file; nothing is
// designed, so it is answered at once.
HttpAnswer AnswerProjectDownload(const HttpRequest& request);
// A fixed asset served from memory.
HttpAnswer AnswerAsset(std::string_view content, std::string_view contentType);

}  // namespace kalvorden
