// Fuzzes the project file reader: any byte string, read as a project file.
// The reader must never overrun, crash or hang; a file it accepts must hold
// only values a slab can be designed for and texts every door accepts, and
// the file the writer makes of it must read back as the same project, with
// the same digest. A file it refuses gives one line with its place.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "project/project_file.h"
#include "project/project_writer.h"
#include "report/printed_span.h"
#include "run/values_digest.h"

using kalvorden::RunRequest;

namespace {

void CheckAccepted(const RunRequest& project) {
  for (const kalvorden::ValueListInfo& info : kalvorden::ValueLists()) {
    const kalvorden::ValueList& list = project.lists[static_cast<size_t>(info.id)];
    if (list.count < 1 || list.count > kalvorden::kListCapacity) {
      __builtin_trap();
    }
  }
  for (const kalvorden::IdentityFieldInfo& field : kalvorden::IdentityFields()) {
    if (!kalvorden::IdentityTextFault(field, project.identity.*(field.member)).empty()) {
      __builtin_trap();
    }
  }
  if (!project.span.empty() && kalvorden::GoverningRow(project.span).row < 0) {
    __builtin_trap();
  }
}

void CheckRoundTrip(const RunRequest& project) {
  RunRequest again;
  const std::string written = kalvorden::ProjectFileText(project);
  if (!kalvorden::ParseProjectText(written, "written", again).ok() ||
      again.continuity != project.continuity || again.span != project.span ||
      kalvorden::DesignValuesDigest(again) != kalvorden::DesignValuesDigest(project)) {
    __builtin_trap();
  }
  for (const kalvorden::IdentityFieldInfo& field : kalvorden::IdentityFields()) {
    if (again.identity.*(field.member) != project.identity.*(field.member)) {
      __builtin_trap();
    }
  }
  for (size_t list = 0; list < project.lists.size(); ++list) {
    const kalvorden::ValueList& a = project.lists[list];
    const kalvorden::ValueList& b = again.lists[list];
    if (a.count != b.count ||
        std::memcmp(a.values.data(), b.values.data(), sizeof(a.values[0]) * a.count) != 0) {
      __builtin_trap();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  RunRequest project;
  const kalvorden::Fault fault = kalvorden::ParseProjectText(text, "fuzz.toml", project);
  if (!fault.ok()) {
    const std::string line = kalvorden::FormatFault(fault);
    if (fault.number != kalvorden::kFaultProjectFile || fault.where.rfind("line ", 0) != 0 ||
        line.find('\n') != std::string::npos) {
      __builtin_trap();
    }
    return 0;
  }
  CheckAccepted(project);
  CheckRoundTrip(project);
  return 0;
}
