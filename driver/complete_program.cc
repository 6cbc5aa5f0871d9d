#include "driver/complete_program.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "fault/fault.h"

namespace kalvorden {
namespace {

// Set, to the path started, in the environment of the program handed the
// run. Were the file at the complete program's place this program again (a
// broken install), it would otherwise hand the run to itself for ever.
constexpr const char* kHandedOver = "KALVORDEN_HANDED_OVER";

constexpr std::string_view kCannotStart =
    "cannot start the program that makes PDF files and serves the web page";

// The complete program's path for a program at `ownPath`: the same place
// relative to it in the build tree as in an installed tree,
// libexec/kalvorden/kalvorden-full beside bin/.
std::string CompleteProgramPath(const char* ownPath) {
  const std::filesystem::path own(ownPath);
  return (own.parent_path() / KALVORDEN_COMPLETE_PROGRAM_FROM_BINARY).lexically_normal().string();
}

}  // namespace

int HandToCompleteProgram(std::span<char* const> arguments, Console& console) {
  if (const char* startedAs = std::getenv(kHandedOver); startedAs != nullptr) {
    return EndConsoleWithFault(
        console, {kFaultUnavailable, std::string(kCannotStart), "file " + QuoteName(startedAs),
                  "it is not the complete program"});
  }
  char own[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", own, sizeof own - 1);
  if (length <= 0) {
    return EndConsoleWithFault(console, {kFaultUnavailable, std::string(kCannotStart),
                                         "finding this program's own file", std::strerror(errno)});
  }
  own[length] = '\0';
  std::string path = CompleteProgramPath(own);
  std::vector<char*> argv = {path.data()};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  argv.push_back(nullptr);
  std::fflush(nullptr);
  if (setenv(kHandedOver, path.c_str(), 1) == 0) {
    execv(path.c_str(), argv.data());
  }
  const int error = errno;
  unsetenv(kHandedOver);
  return EndConsoleWithFault(console, {kFaultUnavailable, std::string(kCannotStart),
                                       "file " + QuoteName(path), std::strerror(error)});
}

}  // namespace kalvorden
