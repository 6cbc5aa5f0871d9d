#include "run/rating_run.h"

#include <cerrno>
#include <memory>

#include "output/file_output.h"
#include "output/pending_file.h"
#include "rating/rating_csv.h"
#include "rating/rating_sheet.h"
#include "report/report_file.h"
#include "run/values_digest.h"

namespace kalvorden {
namespace {

constexpr std::array<RatingOutputKindInfo, kRatingOutputKindCount> kKinds = {{
    {RatingOutputKind::kCsv, "CSV", "rating.csv", "text/csv; charset=utf-8", "rating (.csv)"},
    {RatingOutputKind::kText, "text", "rating.txt", "text/plain; charset=utf-8",
     "rating sheet (.txt)"},
    {RatingOutputKind::kPdf, "PDF", "rating.pdf", "application/pdf", "rating package (.pdf)"},
}};

// One output of the run: its bytes, and its file while it is written.
struct PendingOutput {
  std::string label;
  std::string name;
  std::string bytes;
  PendingFile file;
};

Fault WriteToStandardOutput(FILE* out, const std::string& bytes, const std::string& label) {
  errno = 0;
  const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), out);
  if (written != bytes.size() || std::fflush(out) != 0) {
    return OutputWriteFault(label, errno != 0 ? errno : EIO);
  }
  return {};
}

Fault WriteOutputs(FILE* standardOutput, std::vector<std::unique_ptr<PendingOutput>>& outputs,
                   const RatingRequest& request) {
  for (size_t i = 0; i < outputs.size(); ++i) {
    PendingOutput& output = *outputs[i];
    if (output.name == kStandardOutputName) {
      continue;
    }
    if (const int error = output.file.Create(output.name); error != 0) {
      return OpenFault(error, true, output.name,
                       std::string(RatingOutputKindOf(request.files[i].kind).what));
    }
    if (const int error =
            WriteAll(output.file.descriptor(), output.bytes.data(), output.bytes.size());
        error != 0) {
      return OutputWriteFault(output.label, error);
    }
    if (const int error = output.file.Finish(); error != 0) {
      return OutputWriteFault(output.label, error);
    }
  }
  for (const auto& output : outputs) {
    if (output->name == kStandardOutputName) {
      if (Fault fault = WriteToStandardOutput(standardOutput, output->bytes, output->label);
          !fault.ok()) {
        return fault;
      }
    }
  }
  for (const auto& output : outputs) {
    if (output->name != kStandardOutputName) {
      if (const int error = output->file.Commit(true); error != 0) {
        return OutputWriteFault(output->label, error);
      }
    }
  }
  return {};
}

// What the rating's PDF is told: the clock, the paper, the identity and
// the digest of the values, worked out here for every door alike.
OutputSettings RatingSettingsOf(const RatingRequest& request, const LocalDateTime& now) {
  OutputSettings settings;
  settings.now = now;
  settings.paper = request.paper;
  settings.project = request.identity;
  settings.digest = RatingValuesDigest(request.entry.inputs);
  return settings;
}

}  // namespace

const std::array<RatingOutputKindInfo, kRatingOutputKindCount>& RatingOutputKinds() {
  return kKinds;
}

const RatingOutputKindInfo& RatingOutputKindOf(RatingOutputKind kind) {
  return kKinds[static_cast<size_t>(kind)];
}

bool RatingOutputOffered(RatingOutputKind kind, const RatingPdfMaker& makePdf) {
  return kind != RatingOutputKind::kPdf || static_cast<bool>(makePdf);
}

std::string RatingOutputBytes(RatingOutputKind kind, const RatingRequest& request,
                              const SlabRating& rating, const LocalDateTime& now,
                              const RatingPdfMaker& makePdf, Fault* fault) {
  switch (kind) {
    case RatingOutputKind::kCsv:
      return WriteRatingCsv(request.entry.inputs, rating);
    case RatingOutputKind::kText:
      return WriteRatingSheet(request.entry.inputs, rating);
    case RatingOutputKind::kPdf: {
      Fault failed;
      std::string bytes =
          makePdf ? makePdf(RatingSettingsOf(request, now), request.entry.inputs, rating, failed)
                  : std::string();
      if (!failed.ok() && fault != nullptr) {
        *fault = failed;
      }
      return failed.ok() ? bytes : std::string();
    }
  }
  return {};
}

RatingRunResult RateIntoOutputs(const RatingRequest& request, const LocalDateTime& now,
                                const RatingPdfMaker& makePdf, FILE* standardOutput) {
  RatingRunResult result;
  result.rating = RateSlab(request.entry.inputs);
  std::vector<std::unique_ptr<PendingOutput>> outputs;
  for (const RatingOutputFile& file : request.files) {
    auto output = std::make_unique<PendingOutput>();
    output->label = OutputLabel(RatingOutputKindOf(file.kind).what, file.name);
    output->name = file.name;
    Fault failed;
    output->bytes = RatingOutputBytes(file.kind, request, result.rating, now, makePdf, &failed);
    if (!failed.ok()) {
      // Before any file is created: nothing to abandon.
      failed.where = "writing " + output->label;
      result.fault = failed;
      return result;
    }
    outputs.push_back(std::move(output));
  }
  result.fault = WriteOutputs(standardOutput, outputs, request);
  if (!result.fault.ok()) {
    for (const auto& output : outputs) {
      output->file.Abandon();
    }
  }
  return result;
}

}  // namespace kalvorden
