#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "fault/fault.h"
#include "output/case_sink.h"
#include "output/output_file.h"

namespace kalvorden {

// An output that writes a file (the line-printer report, its plain-text
// copy, the CSV table, the PDF): a case sink that owns its file's life
// cycle (output/output_file.h), which the run puts in place with the
// others once every output is finished.
class FileOutput : public CaseSink {
 public:
  ~FileOutput() override;

  // Creates the output's file: a temporary file beside `name`, renamed over
  // it once the run is complete (over an existing file only when
  // `replace`), or standard output for "-" where the output allows it.
  // Returns 0 or the errno of the failed creation.
  virtual int BeginPending(const std::string& name, bool replace) = 0;

  // Pages written so far, for an output made of pages (the report, the
  // PDF); 0 for one that has none.
  virtual int64_t pageCount() const { return 0; }

  const Fault& failure() const override { return file_.failure(); }
  OutputFile* file() override { return &file_; }

  // How messages name the output: `CSV file "r.csv"`.
  const std::string& label() const { return file_.label(); }

 protected:
  FileOutput() = default;
  void Fail(Fault fault) { file_.Fail(std::move(fault)); }
  void SetLabel(std::string label) { file_.SetLabel(std::move(label)); }
  int CreatePending(const std::string& name, bool replace) { return file_.Create(name, replace); }
  PendingFile& pending() { return file_.pending(); }

 private:
  OutputFile file_;
};

// The name that stands for standard output where a file name is expected.
constexpr std::string_view kStandardOutputName = "-";

// How messages name an output: `report file "r.rpt"`, or `CSV on standard
// output` for the name "-".
std::string OutputLabel(std::string_view what, const std::string& name);

// Error 74 for a failed write of the output labelled `label`, with the
// operating system's reason.
Fault OutputWriteFault(const std::string& label, int osError);

// Maps the operating system's reason for a failed open of an output file
// (`what`: "report", "CSV", "text", "PDF") to the run's error number and
// text; `creating` when the file was to be created, not reopened.
Fault OpenFault(int osError, bool creating, const std::string& name,
                std::string_view what = "report");

}  // namespace kalvorden
