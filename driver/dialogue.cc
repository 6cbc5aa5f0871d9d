#include "driver/dialogue.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "design/value_lists.h"
#include "driver/field_input.h"
#include "output/pending_file.h"

namespace kalvorden {
namespace {

constexpr int kFileNameWidth = 24;
constexpr int kCountWidth = 2;
constexpr int kValueWidth = 8;
constexpr int kAnswerWidth = 1;

constexpr std::string_view kFileNamePrompt = " Enter Output File Name:";
constexpr std::string_view kOverwriteQuestion =
    " OUTPUT FILE ALREADY EXISTS.  DO YOU WISH TO DELETE IT [DEFAULT IS N]? (Y/N) ";
constexpr std::string_view kExiting = " EXITING PROGRAM";
constexpr std::string_view kTooManyValues =
    " A list holds at most 5 values. Enter a count of 5 or less.";
constexpr std::string_view kContinuityQuestion =
    " Use continuity factor? Enter Y for YES or N for NO.";

// The name without the blanks around it.
std::string TrimBlanks(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) {
    return {};
  }
  const size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

bool IsDirectory(const std::string& name) {
  struct stat status {};
  return stat(name.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// The dialogue learns the report's name only after the other outputs exist.
// Were one of them the report file itself (the same name, or a link to it),
// renaming that output into place at the end would replace the report just
// written, so the run ends before anything is written, and the report file
// keeps what it had.
Fault FindOutputThatIsTheReport(const ReportFile& report, std::span<const std::string> names) {
  struct stat reportStatus {};
  if (fstat(report.descriptor, &reportStatus) != 0) {
    return {};
  }
  for (const std::string& name : names) {
    struct stat outputStatus {};
    if (name != kStandardOutputName && stat(name.c_str(), &outputStatus) == 0 &&
        outputStatus.st_dev == reportStatus.st_dev && outputStatus.st_ino == reportStatus.st_ino) {
      return {kFaultUsage, "output file is the report file", "file " + QuoteName(name), {}};
    }
  }
  return {};
}

// Asks for one list: the count, then one value per entry. A count over the
// list's capacity is refused with a message and asked again.
Fault ReadValueList(Console& console, std::string_view countPrompt, std::string_view valuePrompt,
                    ValueList& list) {
  for (;;) {
    WriteConsoleRecord(console, countPrompt);
    if (Fault fault = ReadIntegerField(console, kCountWidth, list.count); !fault.ok()) {
      return fault;
    }
    if (list.count <= kListCapacity) {
      break;
    }
    WriteConsoleRecord(console, kTooManyValues);
  }
  for (int32_t i = 0; i < list.count; ++i) {
    WriteConsoleRecord(console, valuePrompt);
    if (Fault fault = ReadNumberField(console, kValueWidth, list.values[i]); !fault.ok()) {
      return fault;
    }
  }
  return {};
}

// 0.8 (widened) when the answer begins with Y or y, otherwise 1.0.
Fault AskContinuityFactor(Console& console, Quad& continuityFactor) {
  WriteConsoleRecord(console, kContinuityQuestion);
  std::string answer;
  if (Fault fault = ReadTextField(console, kAnswerWidth, answer); !fault.ok()) {
    return fault;
  }
  continuityFactor = ContinuityFactorOf(answer[0] == 'Y' || answer[0] == 'y');
  return {};
}

DialogueEnd Ended(Fault fault) {
  return {false, std::move(fault)};
}

}  // namespace

DialogueEnd AskDialogue(Console& console, ReportOutput& report,
                        std::span<const std::string> otherFiles, DesignInputs& inputs) {
  WriteConsoleRecord(console, kFileNamePrompt);
  if (Fault fault = ReadTextField(console, kFileNameWidth, inputs.reportFileName); !fault.ok()) {
    return Ended(fault);
  }
  ReportFile file;
  const OpenResult opened = OpenReportFile(console, inputs.reportFileName, file);
  if (opened.outcome == OpenOutcome::kRefused) {
    return Ended({});
  }
  if (opened.outcome == OpenOutcome::kFailed) {
    return Ended(opened.fault);
  }
  if (Fault fault = FindOutputThatIsTheReport(file, otherFiles); !fault.ok()) {
    AbandonReport(file);
    return Ended(fault);
  }
  report.BeginInPlace(std::move(file));

  for (const ValueListInfo& list : ValueLists()) {
    if (Fault fault =
            ReadValueList(console, list.countPrompt, list.valuePrompt, ListOf(inputs, list.id));
        !fault.ok()) {
      return Ended(fault);
    }
  }
  if (Fault fault = AskContinuityFactor(console, inputs.continuityFactor); !fault.ok()) {
    return Ended(fault);
  }
  return {true, {}};
}

OpenResult OpenReportFile(Console& console, const std::string& reportFileName, ReportFile& file) {
  const std::string name = TrimBlanks(reportFileName);
  if (name.empty() || name.find('\0') != std::string::npos) {
    return {
        OpenOutcome::kFailed,
        {kFaultFileName, "file name specification error", "opening report file " + QuoteName(name),
         name.empty() ? "the name is empty" : "the name holds a NUL character"}};
  }

  struct stat status {};
  const bool exists = stat(name.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
  int descriptor = -1;
  if (exists) {
    WriteConsoleRecord(console, kOverwriteQuestion);
    std::string answer;
    if (Fault fault = ReadTextField(console, kAnswerWidth, answer); !fault.ok()) {
      return {OpenOutcome::kFailed, fault};
    }
    if (answer[0] != 'Y' && answer[0] != 'y') {
      WriteConsoleRecord(console, kExiting);
      return {OpenOutcome::kRefused, {}};
    }
    descriptor = OpenWithoutBlocking(name, 0);
    if (descriptor < 0) {
      return {OpenOutcome::kFailed, OpenFault(errno, false, name)};
    }
  } else {
    descriptor = OpenWithoutBlocking(name, O_CREAT | O_EXCL);
    if (descriptor < 0) {
      const int osError = errno;
      // O_EXCL also refuses a directory of that name: that is a bad name,
      // not a file that appeared since the existence test.
      return {OpenOutcome::kFailed,
              OpenFault(osError == EEXIST && IsDirectory(name) ? EISDIR : osError, true, name)};
    }
  }
  BeginReportFile(file, descriptor, name, exists);
  return {OpenOutcome::kOpened, {}};
}

}  // namespace kalvorden
