#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver/console.h"

// A console over memory: the answers come from a byte string, and every byte
// written to standard output and standard error lands in a buffer.
struct MemoryConsole {
  explicit MemoryConsole(std::string bytes, bool interactive = false) : input(std::move(bytes)) {
    console = {fmemopen(input.data(), input.size(), "r"), open_memstream(&out, &outSize),
               open_memstream(&err, &errSize), interactive};
  }
  ~MemoryConsole() {
    for (FILE* stream : {console.input, console.output, console.errors})
      std::fclose(stream);
    std::free(out);
    std::free(err);
  }
  std::string Out() { return std::fflush(console.output), std::string(out, outSize); }
  std::string Err() { return std::fflush(console.errors), std::string(err, errSize); }

  std::string input;
  char *out = nullptr, *err = nullptr;
  size_t outSize = 0, errSize = 0;
  kalvorden::Console console;
};
