#pragma once

#include <string>

#include "output/file_output.h"
#include "report/local_date_time.h"
#include "report/report_writer.h"

namespace kalvorden {

// The report as an output: each case's three pages of headings and rows,
// then the closing footer; as a line-printer file, or as plain text (the
// same pages with LF line ends and a form feed between pages).
class ReportOutput final : public FileOutput {
 public:
  // The headings carry `now`, the run's one clock reading.
  explicit ReportOutput(const LocalDateTime& now,
                        ReportEncoding encoding = ReportEncoding::kLinePrinter);
  ~ReportOutput() override;

  // Writes into a report file the dialogue has opened (OpenReportFile): the
  // report goes straight into the named file, which keeps what was written
  // should the run fail.
  void BeginInPlace(ReportFile opened);

  int BeginPending(const std::string& name, bool replace) override;

  bool Write(const DesignedCase& designed) override;
  bool Finish() override;
  void Abandon() noexcept override;

  // Pages begun so far (three a case).
  int64_t pageCount() const override { return pages_; }

  // The file's name as the engineer gave it.
  const std::string& fileName() const { return writer_.file.name; }

 private:
  bool CheckFile();

  ReportWriter writer_;
  ReportEncoding encoding_;
  enum class Target : uint8_t { kInPlace, kPending, kStandardOutput } target_ = Target::kInPlace;
  int64_t pages_ = 0;
};

}  // namespace kalvorden
