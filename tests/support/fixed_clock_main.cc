// The program with its clock fixed:
//   kalvorden_at YYYY MM DD hh mm ss [program arguments...]
// Everything else is the real program, so end-to-end tests compare whole
// reports byte for byte, with and without command-line options.

#include <csignal>
#include <cstdlib>
#include <span>

#include <unistd.h>

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

  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  kalvorden::Console console;
  console.interactive = isatty(STDOUT_FILENO) == 1;
  const std::span<char* const> arguments(argv, static_cast<size_t>(argc));
  return kalvorden::RunKalvorden(arguments.subspan(7), console, [fixed] { return fixed; });
}
