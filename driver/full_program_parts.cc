#include "driver/full_program_parts.h"

#include "driver/serve_command.h"
#include "pdf/pdf_output.h"
#include "pdf/rating_package.h"
#include "web/result_page.h"

namespace kalvorden {

ProgramParts FullProgramParts() {
  ProgramParts parts;
  parts.outputs = {.pdf = MakePdfOutput, .page = MakeResultPage};
  parts.makeRatingPdf = WriteRatingPackage;
  parts.serve = [outputs = parts.outputs](std::span<char* const> arguments, Console& console) {
    return RunServeCommand(arguments, console, outputs);
  };
  return parts;
}

}  // namespace kalvorden
