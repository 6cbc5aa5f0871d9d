// Fuzzes the command-line parser: the input is split at NUL bytes into
// arguments. Every command line must either parse into something the run can
// use (each given list 1 to 5 finite values) or give usage error 64 with one
// line that holds no control character, whatever bytes the arguments held.

#include <cstdint>
#include <string>
#include <vector>

#include "driver/command_line.h"

namespace {

bool IsOneCleanLine(const std::string& line) {
  for (const char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kMostArguments = 64;
  std::vector<std::string> arguments(1);
  for (size_t i = 0; i < size && arguments.size() <= kMostArguments; ++i) {
    if (data[i] == 0) {
      arguments.emplace_back();
    } else {
      arguments.back() += static_cast<char>(data[i]);
    }
  }
  std::vector<char*> argv;
  argv.reserve(arguments.size());
  for (std::string& argument : arguments) {
    argv.push_back(argument.data());
  }
  kalvorden::CommandLine line;
  const kalvorden::Fault fault = kalvorden::ParseCommandLine(argv, line);
  if (!fault.ok()) {
    if (fault.number != kalvorden::kFaultUsage || !IsOneCleanLine(kalvorden::FormatFault(fault))) {
      __builtin_trap();
    }
    return 0;
  }
  for (size_t i = 0; i < line.request.lists.size(); ++i) {
    const kalvorden::ValueList& list = line.request.lists[i];
    if (!line.listGiven[i]) {
      continue;
    }
    if (list.count < 1 || list.count > kalvorden::kListCapacity) {
      __builtin_trap();
    }
    for (int32_t k = 0; k < list.count; ++k) {
      if (!kalvorden::IsFinite(list.values[static_cast<size_t>(k)])) {
        __builtin_trap();
      }
    }
  }
  return 0;
}
