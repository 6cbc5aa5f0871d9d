#include "driver/project_options.h"

#include "project/project_file.h"
#include "report/printed_span.h"

namespace kalvorden {

Fault FillFromProjectFile(CommandLine& line) {
  Project file;
  if (Fault fault = ReadProjectFile(line.projectFile, file); !fault.ok()) {
    return fault;
  }
  for (size_t i = 0; i < line.lists.size(); ++i) {
    if (!line.listGiven[i]) {
      line.lists[i] = file.lists[i];
    }
  }
  if (!line.continuityGiven) {
    line.continuity = file.continuity;
  }
  if (line.spanIndex < 0 && !file.span.empty()) {
    const GoverningSpan span = GoverningRow(file.span);
    line.spanIndex = span.row;
    line.span = span.exact;
    line.spanOnRow = span.onRow;
  }
  for (size_t i = 0; i < IdentityFields().size(); ++i) {
    if (!line.identityGiven[i]) {
      const auto member = IdentityFields()[i].member;
      line.identity.*member = file.identity.*member;
    }
  }
  return {};
}

Project ProjectOf(const CommandLine& line) {
  Project project;
  project.identity = line.identity;
  project.lists = line.lists;
  project.continuity = line.continuity;
  project.span = line.span;
  return project;
}

}  // namespace kalvorden
