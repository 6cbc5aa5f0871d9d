#pragma once

// The method sheet of the calculation package: what the program computes,
// formula by formula, the constants as the design stores them, what each
// column of the report means, and what the program does not check. Its text
// is the same in every package, so its number of sheets depends only on
// the paper.

#include "pdf/sheet_flow.h"

namespace kalvorden {

void ComposeMethodSheet(SheetFlow& flow);

}  // namespace kalvorden
