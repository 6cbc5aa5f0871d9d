#include "driver/project_options.h"

#include "project/project_file.h"

namespace kalvorden {

Fault FillFromProjectFile(CommandLine& line) {
  RunRequest file;
  if (Fault fault = ReadProjectFile(line.projectFile, file); !fault.ok()) {
    return fault;
  }
  RunRequest& request = line.request;
  for (size_t i = 0; i < request.lists.size(); ++i) {
    if (!line.listGiven[i]) {
      request.lists[i] = file.lists[i];
    }
  }
  if (!line.continuityGiven) {
    request.continuity = file.continuity;
  }
  if (request.span.empty()) {
    request.span = file.span;
  }
  if (request.adopt == 0) {
    request.adopt = file.adopt;
  }
  for (size_t i = 0; i < IdentityFields().size(); ++i) {
    if (!line.identityGiven[i]) {
      const auto member = IdentityFields()[i].member;
      request.identity.*member = file.identity.*member;
    }
  }
  return {};
}

}  // namespace kalvorden
