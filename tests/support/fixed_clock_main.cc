// The program with its clock fixed:
//   kalvorden_at YYYY MM DD hh mm ss [program arguments...]
// Everything else is the real program (the complete one, with the PDF and
// the web page), so end-to-end tests compare whole reports byte for byte,
// with and without command-line options.

#include <cstdlib>

#include "driver/full_program_parts.h"
#include "driver/run_program.h"

int main(int argc, char** argv) {
  if (argc < 7) {
    return 2;
  }
  kalvorden::LocalDateTime fixed;
  fixed.year = std::atoi(argv[1]);
  fixed.month = std::atoi(argv[2]);
  fixed.day = std::atoi(argv[3]);
  fixed.hour = std::atoi(argv[4]);
  fixed.minute = std::atoi(argv[5]);
  fixed.second = std::atoi(argv[6]);

  // Shift the clock's six numbers off, keeping the program's own name first.
  argv[6] = argv[0];
  return kalvorden::KalvordenMain(
      argc - 6, argv + 6, [fixed] { return fixed; }, kalvorden::FullProgramParts());
}
