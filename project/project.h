#pragma once

// A design as a project file keeps it, and as every door into a run can give
// it: which bridge and who answers for it, the five value lists, continuity
// and the bridge's effective span.

#include <array>
#include <string>

#include "design/design_inputs.h"
#include "run/project_identity.h"
#include "run/value_lists.h"

namespace kalvorden {

struct Project {
  ProjectIdentity identity;
  // In ValueListId order, each with 1 to 5 values the value check accepts.
  std::array<ValueList, kValueListCount> lists{};
  bool continuity = false;
  // The bridge's effective span as an exact decimal (GoverningSpan::exact,
  // "2.91"); empty when none is given.
  std::string span;
};

}  // namespace kalvorden
