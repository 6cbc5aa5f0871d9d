// The complete KALVORDEN program: the same driver with the PDF output and the
// web page. `kalvorden` hands it the runs that need them.

#include "driver/full_program_parts.h"
#include "driver/run_program.h"

int main(int argc, char** argv) {
  return kalvorden::KalvordenMain(argc, argv, kalvorden::ReadLocalClock,
                                  kalvorden::FullProgramParts());
}
