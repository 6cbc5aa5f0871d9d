#include "output/report_output.h"

#include <unistd.h>

#include "report/report_pages.h"

namespace kalvorden {
namespace {

std::string_view What(ReportEncoding encoding) {
  return encoding == ReportEncoding::kPlainText ? "text" : "report";
}

}  // namespace

ReportOutput::ReportOutput(const LocalDateTime& now, ReportEncoding encoding)
    : encoding_(encoding) {
  StampHeaderLines(writer_, now);
}

ReportOutput::~ReportOutput() {
  Abandon();
}

void ReportOutput::BeginInPlace(ReportFile opened) {
  writer_.file = std::move(opened);
  writer_.file.encoding = encoding_;
  SetLabel(OutputLabel(What(encoding_), writer_.file.name));
  target_ = Target::kInPlace;
}

int ReportOutput::BeginPending(const std::string& name, bool replace) {
  SetLabel(OutputLabel(What(encoding_), name));
  if (name == kStandardOutputName) {
    target_ = Target::kStandardOutput;
    BeginReportFile(writer_.file, STDOUT_FILENO, name, false);
  } else {
    if (const int failure = CreatePending(name, replace); failure != 0) {
      return failure;
    }
    target_ = Target::kPending;
    BeginReportFile(writer_.file, pending().descriptor(), name, false);
    writer_.file.writeBack.wanted = true;
  }
  writer_.file.encoding = encoding_;
  return 0;
}

bool ReportOutput::CheckFile() {
  if (writer_.file.failure != 0) {
    Fail(OutputWriteFault(label(), writer_.file.failure));
    return false;
  }
  return true;
}

bool ReportOutput::Write(const DesignedCase& designed) {
  for (int32_t i = 0; i < designed.sweep.spanCount && writer_.file.failure == 0; ++i) {
    if (ReportSpan(writer_, designed.spans[i], designed.designCase)) {
      ++pages_;
    }
  }
  return CheckFile();
}

bool ReportOutput::Finish() {
  WriteFinalFooter(writer_);
  if (target_ == Target::kInPlace) {
    CloseReport(writer_.file);
    return CheckFile();
  }
  // Standard output stays open; the pending file owns its descriptor: the
  // writer only flushes into them.
  const bool flushed = FlushReport(writer_.file);
  writer_.file.descriptor = -1;
  if (target_ == Target::kStandardOutput || !flushed) {
    pending().Abandon();
    return CheckFile();
  }
  if (const int failure = pending().Finish(); failure != 0) {
    writer_.file.failure = failure;
  }
  return CheckFile();
}

void ReportOutput::Abandon() noexcept {
  if (target_ == Target::kInPlace) {
    AbandonReport(writer_.file);
  } else {
    writer_.file.descriptor = -1;
    pending().Abandon();
    target_ = Target::kInPlace;
  }
}

}  // namespace kalvorden
