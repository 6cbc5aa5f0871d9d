#pragma once

// One rating run, whichever door filled its request: the command line (with
// a project file's [rating] table under its options), the web page's query
// and its downloads. A door fills the request and nothing else; the rating,
// each output's bytes and the writing of its files are done here, once, so
// that a download is byte for byte the command line's file.

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "fault/fault.h"
#include "output/output_settings.h"
#include "output/project_identity.h"
#include "rating/rating_values.h"
#include "rating/slab_rating.h"
#include "report/local_date_time.h"
#include "run/output_factory.h"

namespace kalvorden {

enum class RatingOutputKind : uint8_t { kCsv, kText, kPdf };
constexpr int kRatingOutputKindCount = 3;

using RatingOutputKindInfo = KindInfo<RatingOutputKind>;  // "CSV", "rating.csv", ...

// The kinds in the order outputs are written and named.
const std::array<RatingOutputKindInfo, kRatingOutputKindCount>& RatingOutputKinds();
const RatingOutputKindInfo& RatingOutputKindOf(RatingOutputKind kind);

// One file a run is to write: its kind and name ("-": standard output).
struct RatingOutputFile {
  RatingOutputKind kind = RatingOutputKind::kText;
  std::string name;
};

struct RatingRequest {
  // The values and which were given, each checked as it was set
  // (rating/rating_values.h); complete once CheckRatingEntry accepts it.
  RatingEntry entry;
  // Which bridge and who answers for it (a project file's [project] table,
  // the page's project fields); every field may be empty.
  ProjectIdentity identity;
  PaperSize paper = PaperSize::kA4;  // the PDF's
  // The outputs wanted, in RatingOutputKinds() order.
  std::vector<RatingOutputFile> files;
};

// The rating PDF is drawn with cairo, which only the complete program
// carries; it hands the run this maker of the PDF's bytes (a rating dated
// `now`). The single place where the PDF kind is wired in: a run without a
// maker does not offer the PDF (RatingOutputOffered).
// A maker that fails (cairo's failure) sets `fault` and returns no bytes.
// It is told what every output is told (output/output_settings.h: the
// clock, the paper, the identity and the digest of the rating's values).
using RatingPdfMaker =
    std::function<std::string(const OutputSettings& settings, const RatingInputs& inputs,
                              const SlabRating& rating, Fault& fault)>;

// False for the PDF without a maker.
bool RatingOutputOffered(RatingOutputKind kind, const RatingPdfMaker& makePdf);

// The bytes of the `kind` output of `rating`, the rating of `request`.
// The CSV and the sheet carry no clock; the PDF is dated `now`.
// A PDF that could not be made sets `fault`, when given, and gives no bytes.
std::string RatingOutputBytes(RatingOutputKind kind, const RatingRequest& request,
                              const SlabRating& rating, const LocalDateTime& now,
                              const RatingPdfMaker& makePdf, Fault* fault = nullptr);

struct RatingRunResult {
  SlabRating rating;
  Fault fault;  // the output that failed (its number is the exit status), or none
};

// Rates the complete request and writes each of its files: every file whole
// under a temporary name first, then what goes to `standardOutput`, and
// only then each file put in place, so a failed write leaves every target
// as it was and nothing claims a file that is not there.
RatingRunResult RateIntoOutputs(const RatingRequest& request, const LocalDateTime& now,
                                const RatingPdfMaker& makePdf, FILE* standardOutput);

}  // namespace kalvorden
