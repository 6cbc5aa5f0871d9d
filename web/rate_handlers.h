#pragma once

// The handlers of the rating's routes (web/rating_page.h): each reads the
// query into the rating's request (web/rate_query.h) and answers 400 with
// the form and its messages when the query is refused; otherwise the page or
// the download is made on a design worker, by the same run as the command
// line's (run/rating_run.h), so a download is `kalvorden rate`'s file.

#include "run/rating_run.h"
#include "web/http_message.h"
#include "web/page_handlers.h"
#include "web/rate_query.h"

namespace kalvorden {

// An answer's work refers to `settings` (the clock, the PDF maker) when it
// runs on a design worker: the settings must outlive it, as the server's do.

// "/rate": the rating page.
HttpAnswer AnswerRate(const HttpRequest& request, const PageSettings& settings);
// "/rate/form": the form filled in again.
HttpAnswer AnswerRateForm(const HttpRequest& request);
// "/rate/download/...": one output of the rating.
HttpAnswer AnswerRateDownload(const RatingOutputKindInfo& kind, const HttpRequest& request,
                              const PageSettings& settings);
// "/rate/download/project.toml": the values as a project file's [rating].
HttpAnswer AnswerRateProject(const HttpRequest& request);

}  // namespace kalvorden
