#pragma once

// The run's files as the web page offers them: made by the same factory and
// designed by the same run as the command line's, from the request's values
// only, into a private temporary directory, and handed to the response from
// there.

#include <string>
#include <string_view>

#include "design/design_inputs.h"
#include "output/project_identity.h"
#include "report/local_date_time.h"
#include "run/design_run.h"
#include "run/output_factory.h"
#include "web/design_query.h"

namespace kalvorden {

// The route of a download: "/download/report.rpt".
std::string DownloadPath(const OutputKindInfo& kind);

// The name a download is saved under: the bridge's name or, without one,
// the title, made safe (only A-Z, a-z, 0-9, ".", "_" and "-"; any other
// byte becomes "-", runs of "-" are one, no "-" or "." at either end, at
// most kMostNameCharacters) with the extension of `fileName` ("report.pdf"):
// bridge "12/345" gives "12-345.pdf". Without either, "kalvorden-" and
// `fileName`.
constexpr size_t kMostNameCharacters = 60;
std::string DownloadFileName(const ProjectIdentity& identity, std::string_view fileName);

// Writes the `kind` output (made by `outputs`) of the run of `query` (its values, identity and
// span), stamped with `clock` (on the request's paper, for the PDF), to `path`.
// `keepGoing` is asked before every case; when it says no, the run stops and
// nothing is left at `path`.
DesignRunResult WriteDownload(const OutputFactory& outputs, OutputKind kind,
                              const DesignQuery& query, const LocalDateTime& clock,
                              const std::string& path, const KeepGoing& keepGoing);

}  // namespace kalvorden
