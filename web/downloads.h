#pragma once

// The names of the run's files as the web page offers them; each is written
// by the same factory and run as the command line's (DesignIntoFile).

#include <string>
#include <string_view>

#include "output/project_identity.h"
#include "run/output_factory.h"
#include "web/http_message.h"

namespace kalvorden {

// The route of the page's values as a project file, which `kalvorden
// --project` runs to the same outputs as the page's own downloads.
constexpr std::string_view kProjectDownloadPath = "/download/project.toml";

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

// A download's response: `body` of `contentType`, to be saved under
// DownloadFileName(identity, fileName).
HttpResponse Attachment(std::string_view contentType, const ProjectIdentity& identity,
                        std::string_view fileName, std::string body);

}  // namespace kalvorden
