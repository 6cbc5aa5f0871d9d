#include "web/rate_handlers.h"

#include "project/project_writer.h"
#include "web/downloads.h"
#include "web/rating_page.h"
#include "web/routes.h"

namespace kalvorden {
namespace {

HttpAnswer Refused(const RateQueryParse& parse) {
  return {HtmlResponse(400, RatingFormPage(&parse.query, parse.errors)), nullptr};
}

}  // namespace

HttpAnswer AnswerRate(const HttpRequest& request, const PageSettings& settings) {
  RateQueryParse parse = ParseRateQuery(request.query);
  if (!parse.ok()) {
    return Refused(parse);
  }
  return {{}, [given = std::move(parse.query), &settings](const KeepGoing& /*keepGoing*/) {
            // The page's links carry its clock, so the downloads it offers
            // are dated as one run.
            RateQuery query = given;
            query.clock = LinkClock(query.clock, settings);
            const SlabRating rating = RateSlab(query.request.entry.inputs);
            return HtmlResponse(
                200, RatingResultPage(query, rating, static_cast<bool>(settings.makeRatingPdf)));
          }};
}

HttpAnswer AnswerRateForm(const HttpRequest& request) {
  if (request.query.empty()) {
    return {HtmlResponse(200, RatingFormPage(nullptr, {})), nullptr};
  }
  const RateQueryParse parse = ParseRateQuery(request.query);
  return {HtmlResponse(200, RatingFormPage(&parse.query, parse.errors)), nullptr};
}

HttpAnswer AnswerRateDownload(const RatingOutputKindInfo& kind, const HttpRequest& request,
                              const PageSettings& settings) {
  RateQueryParse parse = ParseRateQuery(request.query);
  if (!parse.ok()) {
    return Refused(parse);
  }
  return {{}, [&kind, query = std::move(parse.query), &settings](const KeepGoing& /*keepGoing*/) {
            const LocalDateTime clock = LinkClock(query.clock, settings);
            Fault fault;
            std::string bytes =
                RatingOutputBytes(kind.kind, query.request, RateSlab(query.request.entry.inputs),
                                  clock, settings.makeRatingPdf, &fault);
            if (!fault.ok()) {
              // A PDF the drawing library refused: never an empty or partial file.
              return MessageResponse(500, "Download failed",
                                     "The rating package could not be made: " + fault.detail + ".");
            }
            return Attachment(kind.contentType, query.request.identity, kind.fileName,
                              std::move(bytes));
          }};
}

HttpAnswer AnswerRateProject(const HttpRequest& request) {
  const RateQueryParse parse = ParseRateQuery(request.query);
  if (!parse.ok()) {
    return Refused(parse);
  }
  return {Attachment("application/toml", parse.query.request.identity, "rating.toml",
                     RatingProjectFileText(parse.query.request)),
          nullptr};
}

}  // namespace kalvorden
