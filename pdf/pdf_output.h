#pragma once

#include <cairo.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "design/case_pipeline.h"
#include "design/design_inputs.h"
#include "output/case_output.h"
#include "pdf/paper_size.h"
#include "report/local_date_time.h"
#include "report/report_writer.h"
#include "run/output_factory.h"

namespace kalvorden {

// Index entries per index page for a paper size, and the pages the index
// takes for `caseCount` cases (at least one, which says when there is none).
int32_t IndexEntriesPerPage(PaperSize paper);
int32_t IndexPageCount(PaperSize paper, int64_t caseCount);

// A PDF output, for the output factory (run/output_factory.h).
std::unique_ptr<CaseOutput> MakePdfOutput(const OutputSettings& settings);

// The print-ready PDF of a run: an index of the design cases first, then for
// each case the report's three pages (same headings and rows, monospaced,
// selectable text) and a chart page, with a bookmark per case. Pages are
// streamed to the file as they are finished, so memory stays flat however
// many cases the run has. The file is written under a temporary name in the
// target's directory and renamed over the target only by Commit.
class PdfOutput final : public CaseOutput {
 public:
  // The table pages' headings and the document's creation date carry `now`,
  // the run's one clock reading.
  PdfOutput(PaperSize paper, const LocalDateTime& now);
  ~PdfOutput() override;

  // Creates the temporary file beside `name`, to be renamed over an
  // existing file only when `replace`. Returns 0 or the errno of the failed
  // creation (a PDF never goes to standard output).
  int BeginPending(const std::string& name, bool replace) override;

  // Writes the index of the cases `inputs` makes, which must be the cases
  // then written, in order. Returns false as Write does.
  bool Start(const DesignInputs& inputs) override;

  bool Write(const DesignedCase& designed) override;
  bool Finish() override;
  void Abandon() noexcept override;
  int64_t pageCount() const override { return pagesWritten_; }

  // The buffered writer between cairo and the temporary file.
  struct Sink;

 private:
  bool CheckHealth();
  void FailWith(const std::string& detail);
  void WriteIndex(const DesignInputs& inputs);
  void WriteTablePage(const std::vector<std::string>& lines, int64_t caseNumber);
  void WriteChartPage(const DesignedCase& designed, int64_t caseNumber);
  void LearnTableGlyphs();
  void Release() noexcept;

  PaperSize paper_;
  ReportWriter headings_;
  std::string creationDate_;
  int64_t caseCount_ = 0;
  int64_t casesWritten_ = 0;
  int64_t pagesWritten_ = 0;
  std::unique_ptr<Sink> sink_;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  std::array<unsigned long, 128> tableGlyphs_{};
  bool tableGlyphsKnown_ = false;
  std::vector<cairo_glyph_t> pageGlyphs_;  // reused page after page
};

}  // namespace kalvorden
