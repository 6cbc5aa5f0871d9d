// KALVORDEN: service-load design of the reinforced-concrete deck slab of a
// highway bridge. Takes no arguments; everything comes from the dialogue.

#include <csignal>
#include <cstdio>

#include <unistd.h>

#include "driver/run_program.h"

int main() {
  // A console that goes away (a closed pipe) must not kill the run halfway
  // through its report: the prompts are lost, the report is still finished.
  std::signal(SIGPIPE, SIG_IGN);

  kalvorden::Console console;
  console.interactive = isatty(STDOUT_FILENO) == 1;
  return kalvorden::RunProgram(console, kalvorden::ReadLocalClock);
}
