#include "output/report_output.h"

#include <cerrno>

#include "report/report_pages.h"

namespace kalvorden {
namespace {
constexpr std::string_view kWhat = "report file";
}  // namespace

ReportOutput::ReportOutput(const LocalDateTime& now) {
  StampHeaderLines(writer_, now);
}

ReportOutput::~ReportOutput() {
  Abandon();
}

void ReportOutput::BeginInPlace(ReportFile opened) {
  writer_.file = std::move(opened);
}

int ReportOutput::BeginPending(const std::string& name, bool replace) {
  const int failure = pending_.Create(name);
  if (failure == 0) {
    usesPending_ = true;
    replace_ = replace;
    BeginReportFile(writer_.file, pending_.descriptor(), name, false);
  }
  return failure;
}

bool ReportOutput::CheckFile() {
  if (writer_.file.failure != 0) {
    Fail(OutputWriteFault(kWhat, writer_.file.name, writer_.file.failure));
    return false;
  }
  return true;
}

bool ReportOutput::Write(const DesignedCase& designed) {
  for (int32_t i = 0; i < designed.sweep.spanCount && writer_.file.failure == 0; ++i) {
    const SpanDesign& span = designed.spans[i];
    if (IsPageTop(span.spanLength)) {
      ++pages_;
    }
    ReportSpan(writer_, span, designed.designCase);
  }
  return CheckFile();
}

bool ReportOutput::Finish() {
  WriteFinalFooter(writer_);
  if (!usesPending_) {
    CloseReport(writer_.file);
    return CheckFile();
  }
  // The pending file owns the descriptor: the writer only flushes into it.
  const bool flushed = FlushReport(writer_.file);
  writer_.file.descriptor = -1;
  if (!flushed) {
    pending_.Abandon();
    return CheckFile();
  }
  usesPending_ = false;
  if (const int failure = pending_.Commit(replace_); failure != 0) {
    writer_.file.failure = failure;
    if (failure == EEXIST && !replace_) {
      // A file appeared under the name while the report was written.
      Fail({kFaultCannotOverwrite,
            "cannot overwrite existing file",
            "writing report file " + QuoteName(writer_.file.name),
            {}});
      return false;
    }
    return CheckFile();
  }
  return true;
}

void ReportOutput::Abandon() noexcept {
  if (usesPending_) {
    writer_.file.descriptor = -1;
    pending_.Abandon();
    usesPending_ = false;
  } else {
    AbandonReport(writer_.file);
  }
}

}  // namespace kalvorden
