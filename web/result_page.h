#pragma once

// The page of a design run, built from the stream of finished cases as they
// arrive: a short summary with the project's identity, the bridge's span and
// the digest of the values, then the first cases in full (their values, the
// rows exactly as the report prints them, each linked to its calculation
// sheet, the governing row of the bridge's span marked, and the chart). Later cases are only
// counted, so a run of any size makes a page of bounded size; the downloads hold every case.

#include <cstdint>
#include <string>

#include "comparison/case_comparison.h"
#include "design/case_pipeline.h"
#include "output/case_sink.h"
#include "run/output_factory.h"

namespace kalvorden {

constexpr int32_t kCasesShownInFull = 25;

// A case sink like the report or the CSV, which writes no file: the run
// designs into it and Finish completes the page in memory.
class ResultPage final : public CaseSink {
 public:
  // `settings` are the run's (run/run_request.h), `designQuery` the
  // request's values and clock as the download links carry them. A run of
  // two or more cases is compared, ranked by the steel at the row that
  // governs the bridge's span (at 3.750 m without one).
  ResultPage(const OutputSettings& settings, std::string designQuery);

  bool Write(const DesignedCase& designed) override;
  bool Finish() override;
  void Abandon() noexcept override;

  // The complete HTML page, once Finish has returned true.
  const std::string& html() const { return html_; }

 private:
  void AppendCase(const DesignedCase& designed);

  std::string designQuery_;  // the request's values and clock, for the download links
  std::string project_;      // the HTML of the identity, the span and the digest
  int32_t governingRow_ = -1;
  std::string governingNote_;  // the tables' caption on the marked row
  std::string cases_;          // the HTML of the cases shown in full
  CaseComparison comparison_;  // one small row per case, ranked at the governing row
  int32_t caseCount_ = 0;
  int32_t undesignedCount_ = 0;
  std::string html_;
};

}  // namespace kalvorden
