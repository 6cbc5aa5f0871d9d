// Fuzzes the console field readers: one arbitrary byte string is read as the
// answer lines of every field kind the dialogue uses (text 1 and 24 wide,
// integer 2 wide, numeric 8 wide), each from a fresh stream, to its end of
// input. A reader must return a value or a fault, never overrun or crash.

#include <cstdint>
#include <cstdio>
#include <string>

#include "driver/field_input.h"

using kalvorden::Console;
using kalvorden::Fault;

namespace {

FILE* g_discard = nullptr;

template <typename Read>
void ReadAll(const uint8_t* data, size_t size, Read read) {
  if (size == 0) {
    return;
  }
  FILE* input = fmemopen(const_cast<uint8_t*>(data), size, "r");
  if (input == nullptr) {
    return;
  }
  Console console;
  console.input = input;
  console.output = g_discard;
  console.errors = g_discard;
  // Every read consumes a line, so this ends after at most `size` + 1 reads.
  for (size_t reads = 0; reads <= size + 1; ++reads) {
    if (!read(console).ok() && feof(input)) {
      break;
    }
  }
  fclose(input);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_discard = fopen("/dev/null", "w");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadAll(data, size, [](Console& c) {
    std::string text;
    return kalvorden::ReadTextField(c, 1, text);
  });
  ReadAll(data, size, [](Console& c) {
    std::string text;
    const Fault fault = kalvorden::ReadTextField(c, 24, text);
    if (fault.ok() && text.size() != 24) {
      __builtin_trap();
    }
    return fault;
  });
  ReadAll(data, size, [](Console& c) {
    int32_t count = 0;
    const Fault fault = kalvorden::ReadIntegerField(c, 2, count);
    if (fault.ok() && (count < -9 || count > 99)) {
      __builtin_trap();  // two characters hold -9 to 99
    }
    return fault;
  });
  ReadAll(data, size, [](Console& c) {
    kalvorden::Quad value = 0;
    return kalvorden::ReadNumberField(c, 8, value);
  });
  return 0;
}
