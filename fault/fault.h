#pragma once

#include <string>
#include <string_view>

namespace kalvorden {

// A failure that ends the run. Its number is the process's exit status and
// appears in the one line written to standard error.
struct Fault {
  int number = 0;      // 0: no fault
  std::string text;    // "input conversion error", "open failure", ...
  std::string where;   // "reading standard input", "opening report file \"x\""
  std::string detail;  // the operating system's reason, when there is one

  bool ok() const { return number == 0; }
};

// The exit statuses and error texts of the run.
constexpr int kFaultPermissionDenied = 9;
constexpr int kFaultCannotOverwrite = 10;
constexpr int kFaultEndOfFile = 24;
constexpr int kFaultFileNotFound = 29;
constexpr int kFaultOpenFailure = 30;
constexpr int kFaultFileName = 43;
constexpr int kFaultConversion = 64;
constexpr int kFaultUsage = 64;  // a command line the program cannot use
// Beyond those: a report with spans that could not be designed, and a
// failed write to the report file.
constexpr int kFaultDesignIncomplete = 65;
// A project file that cannot be read, or that holds a fault: its line names
// the file, the line and the column.
constexpr int kFaultProjectFile = 66;
// A part of the program that cannot be started, or a web page that cannot
// listen.
constexpr int kFaultUnavailable = 69;
constexpr int kFaultWriteFailure = 74;

Fault EndOfFileFault();
Fault ConversionFault();
// Error 64: a command line the program cannot use, and why.
Fault UsageFault(std::string where, std::string detail);

// "kalvorden: error (64): input conversion error, reading standard input"
std::string FormatFault(const Fault& fault);

// A file name as it can be shown on a terminal: in double quotes, with
// quotes, backslashes and every byte that is not printable ASCII escaped, so
// a name cannot smuggle control sequences into a message.
std::string QuoteName(std::string_view name);

}  // namespace kalvorden
