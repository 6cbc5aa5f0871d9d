#include "pdf/rating_package.h"

#include <cairo-pdf.h>

#include <vector>

#include "pdf/calculation_sheets.h"
#include "pdf/pdf_document.h"
#include "pdf/rating_cover.h"
#include "rating/rating_sheet.h"

namespace kalvorden {
namespace {

// The lines of span `span`'s rating sheet, as set on its pages.
std::vector<std::string> SpanSheetLines(const RatingInputs& inputs, const SlabRating& rating,
                                        size_t span) {
  return CalculationLines("KALVORDEN  RATING SHEET OF SPAN " + std::to_string(span + 1) + " OF " +
                          std::to_string(rating.spans.size()) + " (ASR)\n\n" +
                          WriteRatingSpanSheet(inputs, rating, span));
}

DocumentMetadata MetadataOf(const ProjectIdentity& project, const LocalDateTime& now,
                            size_t spans) {
  std::string subject = project.title;
  subject += !subject.empty() && !project.bridge.empty() ? ", " : "";
  subject += project.bridge;
  return {"KALVORDEN slab rating, " + std::to_string(spans) + (spans == 1 ? " span" : " spans"),
          subject, project.designer, "kalvorden", IsoDate(now)};
}

}  // namespace

std::string WriteRatingPackage(const OutputSettings& settings, const RatingInputs& inputs,
                               const SlabRating& rating, Fault& fault) {
  const ProjectIdentity& project = settings.project;
  const LocalDateTime& now = settings.now;
  const std::string runStamp = IsoDate(now, ' ');
  std::string bytes;
  PdfDocument document(settings.paper,
                       TitleBlockFields{project.title, project.bridge, project.revision, runStamp,
                                        project.designer, project.checker});
  document.OpenInMemory(bytes, MetadataOf(project, now, rating.spans.size()));
  const PaperGeometry page = document.page();

  // Every sheet is counted before the first is drawn, so that each can say
  // "Sheet n of N" and the cover can name where each span's sheet begins.
  RatingCoverContent cover = {&project, settings.digest, &inputs, &rating, runStamp, {}};
  SheetFlow counting(document.cr(), page, false);
  ComposeRatingCover(counting, cover);
  std::vector<int64_t> spanStarts = {int64_t{counting.Finish()} + 1};
  for (size_t n = 0; n < rating.spans.size(); ++n) {
    const auto pages = CalculationPageStarts(settings.paper, SpanSheetLines(inputs, rating, n));
    spanStarts.push_back(spanStarts.back() + static_cast<int64_t>(pages.size()));
  }
  document.SetSheetCount(spanStarts.back() - 1);

  cover.firstSheetOf = [&](size_t span) { return spanStarts.at(span); };
  SheetFlow drawing(document.cr(), page, true,
                    [&](int32_t) { document.EndSheet("Cover sheet of the rating package"); });
  ComposeRatingCover(drawing, cover);
  drawing.Finish();
  document.AddBookmark(CAIRO_PDF_OUTLINE_ROOT, "Cover sheet", 1);

  for (size_t n = 0; n < rating.spans.size(); ++n) {
    const std::string name = RatedSpanName(rating, n);
    const int64_t first = document.nextSheet();
    WriteMonospacedSheets(document, SpanSheetLines(inputs, rating, n), name + ": rating sheet",
                          "Rating sheet: " + name);
    document.AddBookmark(CAIRO_PDF_OUTLINE_ROOT, name, first);
  }

  const std::string where = "drawing the rating package";
  if (document.sheetsDrawn() != document.sheetCount()) {
    fault = {kFaultWriteFailure, "PDF drawing failure", where,
             std::to_string(document.sheetsDrawn()) + " sheets were drawn where " +
                 std::to_string(document.sheetCount()) + " were numbered"};
    return {};
  }
  if (const DocumentFailure closed = document.Close(); closed.failed) {
    fault = DocumentFault(closed, "the rating package");
    fault.where = where;
    return {};
  }
  return bytes;
}

}  // namespace kalvorden
