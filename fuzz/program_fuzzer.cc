// Fuzzes the whole program in-process: the input drives the dialogue, the
// clock is fixed, and the run goes to its end (a report, a refusal, a fatal
// error or the undesignable-case path). Every run must end with one of the
// documented exit statuses.
//
// The report file name is the one answer the input does not choose freely:
// a name typed by the fuzzer could overwrite any file of the machine. The
// first input byte picks one of a few names inside a scratch directory (a
// new file, an existing file, blanks around the name, a directory, a missing
// directory, an empty name); the other bytes are the rest of the answers.
// The file name field itself is fuzzed by the field fuzzer.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver/run_program.h"

namespace {

FILE* g_discard = nullptr;
std::string g_directory;

bool IsDocumentedStatus(int status) {
  switch (status) {
    case 0:
    case 9:
    case 10:
    case 24:
    case 29:
    case 30:
    case 43:
    case 64:
    case 65:
    case 74:
      return true;
    default:
      return false;
  }
}

// The name answer for `choice`, and the report file to prepare for it.
std::string NameLine(uint8_t choice) {
  const std::string report = g_directory + "/r.rpt";
  std::remove(report.c_str());
  switch (choice % 6) {
    case 0:
      return report;
    case 1: {
      FILE* old = std::fopen(report.c_str(), "w");
      if (old != nullptr) {
        std::fputs("an older report that is longer than a short new one\n", old);
        std::fclose(old);
      }
      return report;
    }
    case 2:
      return " " + report + "  ";
    case 3:
      return g_directory + "/d";
    case 4:
      return g_directory + "/no/x";
    default:
      return "";
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_discard = std::fopen("/dev/null", "w");
  char pattern[] = "/tmp/kfz-XXXXXX";  // short: names are cut at 24 characters
  if (g_discard == nullptr || mkdtemp(pattern) == nullptr) {
    std::abort();
  }
  g_directory = pattern;
  if (mkdir((g_directory + "/d").c_str(), 0700) != 0) {
    std::abort();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) {
    return 0;
  }
  std::string input = NameLine(data[0]) + "\n";
  input.append(reinterpret_cast<const char*>(data + 1), size - 1);
  FILE* stream = fmemopen(input.data(), input.size(), "r");
  if (stream == nullptr) {
    return 0;
  }
  kalvorden::Console console;
  console.input = stream;
  console.output = g_discard;
  console.errors = g_discard;
  console.interactive = (data[0] & 0x80) != 0;  // both console forms
  const kalvorden::LocalDateTime fixed{2026, 12, 7, 14, 3, 9};
  const int status = kalvorden::RunKalvorden({}, console, [fixed] { return fixed; }, {});
  std::fclose(stream);
  if (!IsDocumentedStatus(status)) {
    __builtin_trap();
  }
  return 0;
}
