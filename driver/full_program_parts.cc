#include "driver/full_program_parts.h"

#include "driver/serve_command.h"
#include "pdf/pdf_output.h"
#include "pdf/rating_package.h"

namespace kalvorden {

ProgramParts FullProgramParts() {
  ProgramParts parts;
  parts.makePdf = MakePdfOutput;
  parts.makeRatingPdf = WriteRatingPackage;
  parts.serve = [](std::span<char* const> arguments, Console& console) {
    return RunServeCommand(arguments, console);
  };
  return parts;
}

}  // namespace kalvorden
