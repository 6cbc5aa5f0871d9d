// Fuzzes `kalvorden rate`'s options and the project file's [rating] table:
// the input, read whole as a project file for a rating, and split at NUL
// bytes into arguments. Every command line must either give a rating whose values are
// finite with each face's effective depth above zero, rated and written
// without fault, or end with usage error 64 in one line that holds no
// control character, whatever bytes the arguments held.

#include <cstdint>
#include <string>
#include <vector>

#include "driver/rate_command.h"
#include "project/project_file.h"
#include "rating/rating_csv.h"
#include "rating/rating_sheet.h"

namespace {

bool IsOneCleanLine(const std::string& line) {
  for (const char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kalvorden::RunRequest design;
  kalvorden::RatingEntry fromFile;
  const kalvorden::Fault read =
      kalvorden::ParseProjectText(std::string_view(reinterpret_cast<const char*>(data), size),
                                  "fuzz.toml", design, kalvorden::ProjectUse::kRating, &fromFile);
  if (!read.ok() && read.number != kalvorden::kFaultProjectFile) {
    __builtin_trap();
  }
  if (read.ok() && kalvorden::CheckRatingEntry(fromFile).ok()) {
    const kalvorden::SlabRating rating = kalvorden::RateSlab(fromFile.inputs);
    if (rating.spans.size() != fromFile.inputs.spans.size()) {
      __builtin_trap();
    }
  }

  constexpr size_t kMostArguments = 64;
  std::vector<std::string> arguments(1);
  for (size_t i = 0; i < size && arguments.size() <= kMostArguments; ++i) {
    if (data[i] == 0) {
      arguments.emplace_back();
    } else {
      arguments.back() += static_cast<char>(data[i]);
    }
  }
  std::vector<char*> argv;
  argv.reserve(arguments.size());
  for (std::string& argument : arguments) {
    argv.push_back(argument.data());
  }
  kalvorden::RateRequest request;
  kalvorden::Fault fault = kalvorden::ParseRateArguments(argv, request);
  kalvorden::RatingRequest rating;
  if (fault.ok() && !request.help && request.projectFile.empty()) {
    fault = kalvorden::RatingRequestOf(request, rating);
    if (fault.ok()) {
      const kalvorden::RatingInputs& in = rating.entry.inputs;
      if (!kalvorden::IsFinite(in.thickness) || in.spans.empty() ||
          !(kalvorden::RatedFaceSectionOf(in.thickness, in.top).depth > 0)) {
        __builtin_trap();
      }
      const kalvorden::SlabRating rating = kalvorden::RateSlab(in);
      if (kalvorden::WriteRatingCsv(in, rating).empty() ||
          kalvorden::WriteRatingSheet(in, rating).empty()) {
        __builtin_trap();
      }
    }
  }
  if (!fault.ok() &&
      (fault.number != kalvorden::kFaultUsage || !IsOneCleanLine(kalvorden::FormatFault(fault)))) {
    __builtin_trap();
  }
  return 0;
}
