#include "driver/explain_command.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "explain/calculation_sheet.h"
#include "fault/fault.h"
#include "report/printed_span.h"
#include "run/design_run.h"

namespace kalvorden {

int RunExplain(const RunRequest& request, std::FILE* output, std::FILE* errors) {
  const GoverningSpan span = GoverningSpanOf(request);
  const CalculationSheet sheet = WriteGovernedSheet(CaseValuesOf(DesignInputsOf(request)), span);
  errno = 0;
  const size_t written = std::fwrite(sheet.text.data(), 1, sheet.text.size(), output);
  if (written != sheet.text.size() || std::fflush(output) != 0 || std::ferror(output) != 0) {
    const int reason = errno != 0 ? errno : EIO;
    const Fault fault{kFaultWriteFailure, "write failure", "writing the calculation sheet",
                      std::strerror(reason)};
    std::fprintf(errors, "%s\n", FormatFault(fault).c_str());
    return kFaultWriteFailure;
  }
  if (!sheet.designed) {
    std::fprintf(errors,
                 "kalvorden: span %s m of this case cannot be designed; the sheet says why\n",
                 PrintedSpan(span.row).c_str());
    return kFaultDesignIncomplete;
  }
  return 0;
}

}  // namespace kalvorden
