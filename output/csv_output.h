#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "output/file_output.h"
#include "report/report_file.h"

namespace kalvorden {

// The design as a CSV table (RFC 4180: CRLF line ends, a header row, fields
// with a comma or quote in double quotes): one row per design case and span,
// in report order. Every quantity the report prints is edited by the
// report's own field editing, with its decimals and rounding, so a
// spreadsheet and the report agree to the last digit; where the report's
// narrow field shows asterisks, the CSV shows the number. The entered values
// are printed in full: the shortest decimal that reads back as the same
// binary128 value. After the report's columns come each span's working
// values (the exact design's, to 12 significant digits) and its quantities
// per square metre of deck (design/span_quantities.h).
class CsvOutput final : public FileOutput {
 public:
  CsvOutput();
  ~CsvOutput() override;

  int BeginPending(const std::string& name, bool replace) override;

  bool Write(const DesignedCase& designed) override;
  // The rows of a case are made on the thread that designed it.
  bool preparesCases() const override { return true; }
  void Prepare(const DesignedCase& designed, std::string& text) const override;
  bool WritePrepared(const DesignedCase& designed, std::string_view text) override;
  bool Finish() override;
  void Abandon() noexcept override;
  bool wantsWorkingValues() const override { return true; }

 private:
  bool Flush();
  bool WriteWholeBlocks();  // the buffer's whole blocks, keeping the rest
  bool WriteOut(std::string_view text);
  bool CheckFailure();

  int descriptor_ = -1;
  bool toStandardOutput_ = false;
  int failure_ = 0;  // errno of the first failed write
  WriteBack writeBack_;
  std::string buffer_;
  int64_t caseNumber_ = 0;
};

}  // namespace kalvorden
