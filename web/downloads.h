#pragma once

// The run's files as the web page offers them: produced by the same writers
// as the command line, from the request's values only, into a private
// temporary directory, and handed to the response from there.

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "design/design_inputs.h"
#include "web/design_query.h"

namespace kalvorden {

enum class DownloadKind : uint8_t { kReport, kText, kCsv, kPdf };

struct DownloadInfo {
  DownloadKind kind;
  std::string_view path;  // the route: "/download/report.rpt"
  std::string_view fileName;
  std::string_view contentType;
  std::string_view linkText;
};

// The downloads this build offers, in the order the page lists them.
const std::vector<DownloadInfo>& AvailableDownloads();

// Writes the `kind` output of the run of `inputs`, stamped with `clock`, to
// `path`. `keepGoing` is asked after every case; when it says no, the run
// stops and nothing is left at `path`. False with `error` set on failure.
bool WriteDownload(DownloadKind kind, const DesignInputs& inputs, const QueryClock& clock,
                   const std::string& path, const std::function<bool()>& keepGoing,
                   std::string& error);

}  // namespace kalvorden
