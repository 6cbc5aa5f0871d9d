// KALVORDEN: service-load design of the reinforced-concrete deck slab of a
// highway bridge. Without arguments everything comes from the dialogue; the
// command line can give the values and ask for further outputs.

#include <csignal>
#include <cstdio>
#include <span>

#include <unistd.h>

#include "driver/run_program.h"

int main(int argc, char** argv) {
  // A console that goes away (a closed pipe) must not kill the run halfway
  // through its report: the prompts are lost, the report is still finished.
  std::signal(SIGPIPE, SIG_IGN);
  // Likewise a file size limit (ulimit -f) must not kill it without a word:
  // ignored, the write past the limit fails with EFBIG, and the run ends
  // with status 74 and the line naming the file.
  std::signal(SIGXFSZ, SIG_IGN);

  kalvorden::Console console;
  console.interactive = isatty(STDOUT_FILENO) == 1;
  const std::span<char* const> arguments(argv, static_cast<size_t>(argc));
  return kalvorden::RunKalvorden(arguments.subspan(argc > 0 ? 1 : 0), console,
                                 kalvorden::ReadLocalClock);
}
