#include "driver/run_program.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "design/design_cases.h"
#include "driver/command_line.h"
#include "driver/complete_program.h"
#include "driver/explain_command.h"
#include "driver/field_input.h"
#include "numeric/decimal.h"
#include "output/csv_output.h"
#include "output/pending_file.h"
#include "output/report_output.h"
#include "report/field_edit.h"

namespace kalvorden {
namespace {

constexpr int kFileNameWidth = 24;
constexpr int kCountWidth = 2;
constexpr int kValueWidth = 8;
constexpr int kValueDecimals = 0;
constexpr int kAnswerWidth = 1;

constexpr std::string_view kFileNamePrompt = " Enter Output File Name:";
constexpr std::string_view kOverwriteQuestion =
    " OUTPUT FILE ALREADY EXISTS.  DO YOU WISH TO DELETE IT [DEFAULT IS N]? (Y/N) ";
constexpr std::string_view kExiting = " EXITING PROGRAM";
constexpr std::string_view kTooManyValues =
    " A list holds at most 5 values. Enter a count of 5 or less.";
constexpr std::string_view kContinuityQuestion =
    " Use continuity factor? Enter Y for YES or N for NO.";
constexpr std::string_view kNormalTermination = "Normal termination of the KALVORDEN application.";

struct ListQuestion {
  std::string_view countPrompt;
  std::string_view valuePrompt;
};
constexpr ListQuestion kWheelLoadQuestion = {" How many wheel loadings do you want?",
                                             " Enter wheel loading in kN: 72.5 for MS 18"};
constexpr ListQuestion kTopCoverQuestion = {" How many top covers do you want?",
                                            " Enter top cover in mm: 50, 60, 65 or 70"};
constexpr ListQuestion kFuturePavingQuestion = {
    " How many future paving allowances do you want?",
    " Enter future paving allowance in kN/m^2: 1.44, See Design Memo No. 4.04"};
constexpr ListQuestion kSteelStressQuestion = {
    " How many steel stresses do you want?",
    " Enter the allowable steel stress, fs, in MPa: 170 for Grade 420 Reinforcement"};
constexpr ListQuestion kConcreteStressQuestion = {
    " How many concrete stresses do you want?",
    " Enter the allowable concrete stress, fc, in MPa: 10 for 25 MPa concrete"};

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

std::string SpanText(Quad spanLength) {
  char field[6];
  EditFixed(spanLength, 6, 3, field);
  return TrimBlanks(std::string(field, sizeof field));
}

std::string DescribeUndesignedCase(const UndesignedCase& u) {
  const DesignCase& c = u.designCase;
  return "kalvorden: design case not designed in full: wheel load " +
         FormatForMessage(c.wheelLoad) + " kN, top cover " + FormatForMessage(c.topCover) +
         " mm, future paving " + FormatForMessage(c.futurePaving) + " kN/m^2, fs " +
         FormatForMessage(c.steelStress) + " MPa, fc " + FormatForMessage(c.concreteStress) +
         " MPa, continuity factor " + (c.continuityFactor == 1 ? "1.0" : "0.8") + ": " +
         std::string(SpanFaultReason(u.fault)) + ", first at span " + SpanText(u.firstSpan) +
         " m; the rows of such spans show asterisks";
}

// Ends a run that failed: every output is abandoned (a file written in
// place keeps what it had, a temporary file goes), the fault's line goes to
// standard error, and its number is the exit status.
int EndWithFault(Console& console, std::span<CaseOutput* const> outputs, const Fault& fault) {
  for (CaseOutput* output : outputs) {
    output->Abandon();
  }
  return EndConsoleWithFault(console, fault);
}

// The outputs of one run, in the order they are written and finished, with
// how the summary line names each; the report comes first.
struct RunOutputs {
  std::vector<CaseOutput*> all;
  std::vector<std::string> labels;
  std::vector<std::unique_ptr<CaseOutput>> owned;
  std::vector<std::string> fileNames;  // of the outputs besides the report
};

// Adds `output`, writing to `name` through a temporary file (or to standard
// output for "-"). A file that cannot be created ends the run before
// anything is written, with the open error of its name.
Fault AddOutput(std::unique_ptr<CaseOutput> output, std::string_view what, const std::string& name,
                RunOutputs& outputs) {
  if (const int failure = output->BeginPending(name, true); failure != 0) {
    return OpenFault(failure, true, name, what);
  }
  outputs.all.push_back(output.get());
  outputs.labels.push_back(OutputLabel(what, name));
  outputs.owned.push_back(std::move(output));
  outputs.fileNames.push_back(name);
  return {};
}

// The dialogue learns the report's name only after the other outputs exist.
// Were one of them the report file itself (the same name, or a link to it),
// renaming that output into place at the end would replace the report just
// written, so the run ends before anything is written, and the report file
// keeps what it had.
Fault FindOutputThatIsTheReport(const ReportFile& report, const RunOutputs& outputs) {
  struct stat reportStatus {};
  if (fstat(report.descriptor, &reportStatus) != 0) {
    return {};
  }
  for (const std::string& name : outputs.fileNames) {
    struct stat outputStatus {};
    if (name != "-" && stat(name.c_str(), &outputStatus) == 0 &&
        outputStatus.st_dev == reportStatus.st_dev && outputStatus.st_ino == reportStatus.st_ino) {
      return {kFaultUsage, "output file is the report file", "file " + QuoteName(name), {}};
    }
  }
  return {};
}

// Output files are renamed into place one after another, so two outputs
// that reach one file would leave only the last, while the run names both
// as written. The parser refuses equal names; here names that differ but
// reach one file ("./r.rpt", "sub/../r.rpt", a link) are refused the same
// way, before any file is created. Standard output ("-") is not a file.
Fault FindOutputsSharingAFile(const CommandLine& line) {
  return FindOutputsNamingOneFile(line, [](const std::string& first, const std::string& second) {
    return first != kStandardOutputName && second != kStandardOutputName &&
           ReachSameFile(first, second);
  });
}

// The outputs asked for besides the report, each a file of its own.
Fault AddRequestedOutputs(const CommandLine& line, const LocalDateTime& now,
                          const ProgramParts& parts, RunOutputs& outputs) {
  if (!line.csvFile.empty()) {
    if (Fault fault = AddOutput(std::make_unique<CsvOutput>(), "CSV", line.csvFile, outputs);
        !fault.ok()) {
      return fault;
    }
  }
  if (!line.textFile.empty()) {
    auto text = std::make_unique<ReportOutput>(now, ReportEncoding::kPlainText);
    if (Fault fault = AddOutput(std::move(text), "text", line.textFile, outputs); !fault.ok()) {
      return fault;
    }
  }
  if (!line.pdfFile.empty()) {
    if (Fault fault = AddOutput(parts.makePdf(line.paper, now), "PDF", line.pdfFile, outputs);
        !fault.ok()) {
      return fault;
    }
  }
  return {};
}

// Designs every case once into all `outputs`, then finishes them in order.
// Returns -1 when every output is complete, otherwise the run has ended
// with the failed output's line and its status is returned.
int DesignIntoOutputs(Console& console, const DesignInputs& inputs,
                      std::span<CaseOutput* const> outputs, const DesignOptions& options,
                      DesignRunSummary& summary) {
  for (CaseOutput* output : outputs) {
    if (!output->Start(inputs)) {
      return EndWithFault(console, outputs, output->failure());
    }
  }
  const CaseOutput* failed = nullptr;
  summary = EnumerateDesignCases(
      inputs,
      [&](const DesignedCase& designed) {
        for (CaseOutput* output : outputs) {
          if (!output->Write(designed)) {
            failed = output;
            return false;
          }
        }
        if (const std::optional<UndesignedCase> undesigned = FindUndesignedSpan(designed)) {
          WriteConsoleMessage(console, DescribeUndesignedCase(*undesigned));
        }
        return true;
      },
      options);
  if (failed != nullptr) {
    return EndWithFault(console, outputs, failed->failure());
  }
  for (CaseOutput* output : outputs) {
    if (!output->Finish()) {
      return EndWithFault(console, outputs, output->failure());
    }
  }
  return -1;
}

// The five value lists of `inputs` in the order the dialogue asks for them
// and ListOption numbers them.
std::array<ValueList*, kListOptions> ListsInOrder(DesignInputs& inputs) {
  return {&inputs.wheelLoads, &inputs.topCovers, &inputs.futurePavings, &inputs.steelStresses,
          &inputs.concreteStresses};
}

// The dialogue's closing line, written once every output is complete: a
// report with spans that could not be designed is not a normal end, and its
// own line and status say so.
int EndDialogueRun(Console& console, const DesignRunSummary& summary,
                   const std::string& reportName) {
  if (summary.undesignedCases == 0) {
    WriteConsoleMessage(console, kNormalTermination);
    EndConsole(console);
    return 0;
  }
  const Fault incomplete = {
      kFaultDesignIncomplete,
      "design incomplete",
      std::to_string(summary.undesignedCases) + " of " + std::to_string(summary.designCases) +
          " design cases have spans that could not be designed, marked with asterisks in "
          "report file " +
          QuoteName(reportName),
      {}};
  WriteConsoleMessage(console, FormatFault(incomplete));
  EndConsole(console);
  return kFaultDesignIncomplete;
}

// The dialogue: the report file's name and the values are asked for, the
// report is written in place as it always was.
int RunDialogue(Console& console, ReportOutput& report, const RunOutputs& outputs,
                const DesignOptions& options) {
  DesignInputs inputs;
  WriteConsoleRecord(console, kFileNamePrompt);
  if (Fault fault = ReadTextField(console, kFileNameWidth, inputs.reportFileName); !fault.ok()) {
    return EndWithFault(console, outputs.all, fault);
  }
  ReportFile file;
  const OpenResult opened = OpenReportFile(console, inputs.reportFileName, file);
  if (opened.outcome == OpenOutcome::kRefused) {
    for (CaseOutput* output : outputs.all) {
      output->Abandon();
    }
    EndConsole(console);
    return 0;
  }
  if (opened.outcome == OpenOutcome::kFailed) {
    return EndWithFault(console, outputs.all, opened.fault);
  }
  if (Fault fault = FindOutputThatIsTheReport(file, outputs); !fault.ok()) {
    AbandonReport(file);
    return EndWithFault(console, outputs.all, fault);
  }
  const std::string reportName = file.name;
  report.BeginInPlace(std::move(file));

  const ListQuestion questions[] = {kWheelLoadQuestion, kTopCoverQuestion, kFuturePavingQuestion,
                                    kSteelStressQuestion, kConcreteStressQuestion};
  const std::array<ValueList*, kListOptions> lists = ListsInOrder(inputs);
  for (int i = 0; i < kListOptions; ++i) {
    if (Fault fault =
            ReadValueList(console, questions[i].countPrompt, questions[i].valuePrompt, *lists[i]);
        !fault.ok()) {
      return EndWithFault(console, outputs.all, fault);
    }
  }
  if (Fault fault = AskContinuityFactor(console, inputs.continuityFactor); !fault.ok()) {
    return EndWithFault(console, outputs.all, fault);
  }
  DesignRunSummary summary;
  if (const int status = DesignIntoOutputs(console, inputs, outputs.all, options, summary);
      status >= 0) {
    return status;
  }
  return EndDialogueRun(console, summary, reportName);
}

// "1 page", "3 pages".
std::string Count(int count, const std::string& noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// The values from the command line; the report goes to --output through a
// temporary file, and one summary line ends the run.
int RunFromOptions(Console& console, const CommandLine& line, ReportOutput& report,
                   RunOutputs& outputs, const DesignOptions& options) {
  DesignInputs inputs;
  inputs.reportFileName = line.reportFile;
  const std::array<ValueList*, kListOptions> lists = ListsInOrder(inputs);
  for (int i = 0; i < kListOptions; ++i) {
    *lists[i] = line.lists[i];
  }
  inputs.continuityFactor = line.continuity ? kContinuityFactor : Quad{1};

  // "-" is standard output, whatever file of that name the directory holds.
  struct stat status {};
  if (!line.overwrite && line.reportFile != kStandardOutputName &&
      stat(line.reportFile.c_str(), &status) == 0 && !S_ISDIR(status.st_mode)) {
    return EndWithFault(
        console, outputs.all,
        {kFaultCannotOverwrite, "cannot overwrite existing file",
         "opening report file " + QuoteName(line.reportFile), "--overwrite replaces it"});
  }
  if (const int failure = report.BeginPending(line.reportFile, line.overwrite); failure != 0) {
    return EndWithFault(console, outputs.all, OpenFault(failure, true, line.reportFile));
  }
  DesignRunSummary summary;
  if (const int ended = DesignIntoOutputs(console, inputs, outputs.all, options, summary);
      ended >= 0) {
    return ended;
  }
  std::string written;
  for (const std::string& label : outputs.labels) {
    written += (written.empty() ? "" : ", ") + label;
  }
  WriteConsoleMessage(
      console, "kalvorden: wrote " + written + ": " + Count(summary.designCases, "design case") +
                   ", " + Count(report.pages(), "page") + ", " +
                   std::to_string(summary.undesignedCases) + " not designed in full");
  EndConsole(console);
  return summary.undesignedCases == 0 ? 0 : kFaultDesignIncomplete;
}

}  // namespace

LocalDateTime ReadLocalClock() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

Fault OpenFault(int osError, bool creating, const std::string& name, std::string_view what) {
  Fault fault;
  fault.where = "opening " + std::string(what) + " file " + QuoteName(name);
  fault.detail = std::strerror(osError);
  switch (osError) {
    case EACCES:
    case EPERM:
    case EROFS:
      fault.number = kFaultPermissionDenied;
      fault.text = "permission to access file denied";
      break;
    case EEXIST:
      fault.number = kFaultCannotOverwrite;
      fault.text = "cannot overwrite existing file";
      break;
    case ENOENT:
      // Reopening, the file vanished after the existence test; creating, a
      // directory of the name does not exist.
      fault.number = creating ? kFaultFileName : kFaultFileNotFound;
      fault.text = creating ? "file name specification error" : "file not found";
      break;
    case EISDIR:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
      fault.number = kFaultFileName;
      fault.text = "file name specification error";
      break;
    default:
      fault.number = kFaultOpenFailure;
      fault.text = "open failure";
      break;
  }
  return fault;
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
    if (Fault fault = ReadNumberField(console, kValueWidth, kValueDecimals, list.values[i]);
        !fault.ok()) {
      return fault;
    }
  }
  return {};
}

Fault AskContinuityFactor(Console& console, Quad& continuityFactor) {
  WriteConsoleRecord(console, kContinuityQuestion);
  std::string answer;
  if (Fault fault = ReadTextField(console, kAnswerWidth, answer); !fault.ok()) {
    return fault;
  }
  continuityFactor = (answer[0] == 'Y' || answer[0] == 'y') ? kContinuityFactor : Quad{1};
  return {};
}

namespace {

// The case and span of `kalvorden explain`: the first value of each list (the
// parser allows only one).
ExplainRequest ExplainRequestOf(const CommandLine& line) {
  ExplainRequest request;
  DesignCase& values = request.values;
  const auto value = [&line](ListOption list) {
    return line.lists[static_cast<size_t>(list)].values[0];
  };
  values.wheelLoad = value(ListOption::kWheelLoad);
  values.topCover = value(ListOption::kTopCover);
  values.futurePaving = value(ListOption::kFuturePaving);
  values.steelStress = value(ListOption::kSteelStress);
  values.concreteStress = value(ListOption::kConcreteStress);
  values.continuityFactor = line.continuity ? kContinuityFactor : Quad{1};
  request.spanIndex = line.spanIndex;
  return request;
}

}  // namespace

int RunKalvorden(std::span<char* const> arguments, Console& console, const ClockReader& readClock,
                 const ProgramParts& parts) {
  if (!arguments.empty() && std::string_view(arguments[0]) == "serve") {
    if (!parts.serve) {
      return HandToCompleteProgram(arguments, console);
    }
    return parts.serve(arguments.subspan(1), console);
  }
  CommandLine line;
  if (Fault fault = ParseCommandLine(arguments, line); !fault.ok()) {
    return EndWithFault(console, {}, fault);
  }
  if (line.command == Command::kDesign && !line.pdfFile.empty() && !parts.makePdf) {
    return HandToCompleteProgram(arguments, console);
  }
  switch (line.command) {
    case Command::kHelp:
      return ShowText(console, UsageText() + "\n");
    case Command::kVersion:
      return ShowText(console, VersionText() + "\n");
    case Command::kExplain:
      return RunExplain(ExplainRequestOf(line), console.output, console.errors);
    case Command::kDesign:
      break;
  }
  if (Fault fault = FindOutputsSharingAFile(line); !fault.ok()) {
    return EndWithFault(console, {}, fault);
  }
  const LocalDateTime now = readClock();
  ReportOutput report(now);
  RunOutputs outputs;
  outputs.all.push_back(&report);
  outputs.labels.push_back(OutputLabel("report", line.reportFile));
  // Every other output file is created before the first question, so a name
  // that cannot be written ends the run before the engineer answers.
  if (Fault fault = AddRequestedOutputs(line, now, parts, outputs); !fault.ok()) {
    return EndWithFault(console, outputs.all, fault);
  }
  DesignOptions options;
  options.exact = line.exact;
  if (line.UsesDialogue()) {
    return RunDialogue(console, report, outputs, options);
  }
  return RunFromOptions(console, line, report, outputs, options);
}

int RunProgram(Console& console, const ClockReader& readClock) {
  return RunKalvorden({}, console, readClock, {});
}

int KalvordenMain(int argc, char** argv, const ClockReader& readClock, const ProgramParts& parts) {
  // A console that goes away (a closed pipe) must not kill the run halfway
  // through its report: the prompts are lost, the report is still finished.
  std::signal(SIGPIPE, SIG_IGN);
  // Likewise a file size limit (ulimit -f) must not kill it without a word:
  // ignored, the write past the limit fails with EFBIG, and the run ends
  // with status 74 and the line naming the file.
  std::signal(SIGXFSZ, SIG_IGN);

  Console console;
  console.interactive = isatty(STDOUT_FILENO) == 1;
  const std::span<char* const> arguments(argv, static_cast<size_t>(argc));
  return RunKalvorden(arguments.subspan(argc > 0 ? 1 : 0), console, readClock, parts);
}

}  // namespace kalvorden
