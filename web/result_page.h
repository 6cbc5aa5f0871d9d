#pragma once

// The page of a design run, built from the stream of finished cases as they
// arrive: a short summary with the project's identity, the bridge's span and
// the digest of the values, then the first cases in full (their values, the
// rows exactly as the report prints them, each linked to its calculation
// sheet, the governing row of the bridge's span marked, and the chart). Later cases are only
// counted, so a run of any size makes a page of bounded size; the downloads hold every case.

#include <memory>
#include <string>

#include "output/case_sink.h"
#include "output/output_settings.h"

namespace kalvorden {

constexpr int32_t kCasesShownInFull = 25;

// The page as a case sink like the report or the CSV, for the output
// factory (run/output_factory.h). It writes no file: the run designs into
// it and its Finish puts the complete page in `html`. `settings` are the
// run's (run/run_request.h), `links` the request's values and clock as the
// download links carry them. A run of two or more cases is compared,
// ranked by the steel at the row that governs the bridge's span (at
// 3.750 m without one).
std::unique_ptr<CaseSink> MakeResultPage(const OutputSettings& settings, const std::string& links,
                                         std::string& html);

}  // namespace kalvorden
