#include "driver/run_program.h"

#include <algorithm>
#include <csignal>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "design/value_lists.h"
#include "driver/command_line.h"
#include "driver/complete_program.h"
#include "driver/dialogue.h"
#include "driver/explain_command.h"
#include "driver/rate_command.h"
#include "numeric/decimal.h"
#include "output/interrupt_cleanup.h"
#include "output/pending_file.h"
#include "project/project_file.h"
#include "report/printed_span.h"
#include "run/design_run.h"
#include "run/output_factory.h"

namespace kalvorden {
namespace {

constexpr std::string_view kNormalTermination = "Normal termination of the KALVORDEN application.";

// The line on standard error that names a case with spans that could not be
// designed, and the first of them.
std::string DescribeUndesignedCase(const UndesignedCase& u) {
  const DesignCase& c = u.designCase;
  return "kalvorden: design case not designed in full: wheel load " +
         FormatForMessage(c.wheelLoad) + " kN, top cover " + FormatForMessage(c.topCover) +
         " mm, future paving " + FormatForMessage(c.futurePaving) + " kN/m^2, fs " +
         FormatForMessage(c.steelStress) + " MPa, fc " + FormatForMessage(c.concreteStress) +
         " MPa, continuity factor " + (c.continuityFactor == 1 ? "1.0" : "0.8") + ": " +
         std::string(SpanFaultReason(u.fault)) + ", first at span " + PrintedSpanOf(u.firstSpan) +
         " m; the rows of such spans show asterisks";
}

// Tells the console, as each case is finished, which cases could not be
// designed in full: an output like the others, written after them.
class UndesignedCaseNotices final : public CaseSink {
 public:
  explicit UndesignedCaseNotices(Console& console) : console_(console) {}
  bool Write(const DesignedCase& designed) override {
    if (const std::optional<UndesignedCase> undesigned = FindUndesignedSpan(designed)) {
      WriteConsoleMessage(console_, DescribeUndesignedCase(*undesigned));
    }
    return true;
  }
  bool Finish() override { return true; }
  void Abandon() noexcept override {}

 private:
  Console& console_;
};

// The outputs of one run, in the order they are written and finished; the
// report comes first, the console's notices last.
struct RunOutputs {
  std::unique_ptr<ReportOutput> report;
  std::vector<std::unique_ptr<FileOutput>> others;
  std::vector<std::string> fileNames;  // of the outputs besides the report
  std::optional<UndesignedCaseNotices> notices;
  std::vector<CaseSink*> all;
};

// The outputs the command line names, each file created before the first
// question, so a name that cannot be written ends the run before the
// engineer answers.
Fault MakeOutputs(const CommandLine& line, const OutputSettings& settings,
                  const OutputFactory& factory, Console& console, RunOutputs& outputs) {
  outputs.report = std::make_unique<ReportOutput>(settings.now);
  outputs.all.push_back(outputs.report.get());
  const std::pair<OutputKind, const std::string*> requested[] = {
      {OutputKind::kCsv, &line.csvFile},
      {OutputKind::kText, &line.textFile},
      {OutputKind::kPdf, &line.pdfFile}};
  for (const auto& [kind, name] : requested) {
    if (name->empty()) {
      continue;
    }
    std::unique_ptr<FileOutput> output = factory.Make(kind, settings);
    if (Fault fault = BeginOutputFile(*output, kind, *name, true); !fault.ok()) {
      return fault;
    }
    outputs.all.push_back(output.get());
    outputs.fileNames.push_back(*name);
    outputs.others.push_back(std::move(output));
  }
  outputs.all.push_back(&outputs.notices.emplace(console));
  return {};
}

// The report of a run from options goes to --output through a temporary
// file; an existing file is replaced only with --overwrite.
Fault BeginReport(const CommandLine& line, ReportOutput& report) {
  // "-" is standard output, whatever file of that name the directory holds.
  struct stat status {};
  if (!line.overwrite && line.reportFile != kStandardOutputName &&
      stat(line.reportFile.c_str(), &status) == 0 && !S_ISDIR(status.st_mode)) {
    return {kFaultCannotOverwrite, "cannot overwrite existing file",
            "opening report file " + QuoteName(line.reportFile), "--overwrite replaces it"};
  }
  return BeginOutputFile(report, OutputKind::kReport, line.reportFile, line.overwrite);
}

// True when an option names an output file, which is written under a
// temporary name (the dialogue's own report file is written in place).
bool WritesThroughTemporaryFiles(const CommandLine& line) {
  const std::string names[] = {line.reportFile, line.csvFile, line.textFile, line.pdfFile};
  return std::any_of(std::begin(names), std::end(names), [](const std::string& name) {
    return !name.empty() && name != kStandardOutputName;
  });
}

// "1 page", "3 pages".
std::string Count(int64_t count, const std::string& noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// The line that ends a run from options: every file written, with the
// pages of those that have pages, and the cases.
std::string SummaryLine(const RunOutputs& outputs, const DesignRunSummary& summary,
                        const OutputSettings& settings) {
  std::string written;
  for (size_t i = 0; i <= outputs.others.size(); ++i) {
    const FileOutput& file = i == 0 ? *outputs.report : *outputs.others[i - 1];
    const int64_t pages = file.pageCount();
    written +=
        (i == 0 ? "" : ", ") + file.label() + (pages > 0 ? " (" + Count(pages, "page") + ")" : "");
  }
  std::string line = "kalvorden: wrote " + written + ": " +
                     Count(summary.designCases, "design case") + ", " +
                     std::to_string(summary.undesignedCases) + " not designed in full";
  if (settings.governingRow >= 0) {
    line += "; bridge span " + settings.spanText + " m, governing row " +
            PrintedSpan(settings.governingRow) + " m";
  }
  return line;
}

// The dialogue's closing line is the program's own; a run from options ends
// with its summary. Spans that could not be designed make neither a normal
// end: status 65, and the dialogue says so in its line.
int EndRun(Console& console, const DesignRunResult& result, const RunOutputs& outputs,
           const OutputSettings& settings, bool dialogue) {
  if (!result.fault.ok()) {
    return EndConsoleWithFault(console, result.fault);
  }
  const DesignRunSummary& summary = result.summary;
  if (!dialogue) {
    WriteConsoleMessage(console, SummaryLine(outputs, summary, settings));
  } else if (summary.undesignedCases == 0) {
    WriteConsoleMessage(console, kNormalTermination);
  } else {
    WriteConsoleMessage(
        console, FormatFault({kFaultDesignIncomplete,
                              "design incomplete",
                              std::to_string(summary.undesignedCases) + " of " +
                                  std::to_string(summary.designCases) +
                                  " design cases have spans that could not be designed, marked "
                                  "with asterisks in report file " +
                                  QuoteName(outputs.report->fileName()),
                              {}}));
  }
  EndConsole(console);
  return summary.undesignedCases == 0 ? 0 : kFaultDesignIncomplete;
}

// A run that ends before the design: every output made so far is abandoned
// (a temporary file goes, a file in place keeps what it had), then the
// fault's line, if any, and its status.
int EndBeforeDesign(Console& console, const RunOutputs& outputs, const Fault& fault) {
  for (CaseSink* output : outputs.all) {
    output->Abandon();
  }
  if (fault.ok()) {
    EndConsole(console);
    return 0;
  }
  return EndConsoleWithFault(console, fault);
}

// explain with a project file: the sheet still takes one case and a span,
// which the file gives where the options do not.
Fault CheckExplainFromFile(const CommandLine& line) {
  const std::string file = "project file " + QuoteName(line.projectFile);
  for (const ValueListInfo& list : ValueLists()) {
    if (line.request.lists[static_cast<size_t>(list.id)].count != 1) {
      return UsageFault(std::string(list.name) + " in " + file,
                        "explain takes one number, not a list: give --" + std::string(list.name));
    }
  }
  if (line.request.span.empty()) {
    return UsageFault("option --span missing",
                      "explain needs the span to show; " + file + " gives none");
  }
  return {};
}

// A design run: its outputs, its values from the dialogue or the options,
// the design into every output, and the line that ends it.
int RunDesign(const CommandLine& line, Console& console, const ClockReader& readClock,
              const ProgramParts& parts) {
  // Names that differ but reach one file ("./r.rpt", "sub/../r.rpt", a
  // link) are refused as the parser refuses equal names.
  if (Fault fault =
          FindFilesNamedTwice(line.FileOptions(), ReachSameFile, QuoteName(kStandardOutputName));
      !fault.ok()) {
    return EndConsoleWithFault(console, fault);
  }
  if (WritesThroughTemporaryFiles(line)) {
    RemoveTemporaryFilesOnInterrupt();
  }
  const OutputSettings settings = SettingsOf(line.request, readClock());
  RunOutputs outputs;
  if (Fault fault = MakeOutputs(line, settings, OutputFactory(parts.outputs), console, outputs);
      !fault.ok()) {
    return EndBeforeDesign(console, outputs, fault);
  }
  DesignInputs inputs;
  if (line.request.fromDialogue) {
    const DialogueEnd asked = AskDialogue(console, *outputs.report, outputs.fileNames, inputs);
    if (!asked.proceed) {
      return EndBeforeDesign(console, outputs, asked.fault);
    }
  } else {
    inputs = DesignInputsOf(line.request);
    inputs.reportFileName = line.reportFile;
    if (Fault fault = BeginReport(line, *outputs.report); !fault.ok()) {
      return EndBeforeDesign(console, outputs, fault);
    }
  }
  const DesignRunResult result =
      DesignIntoOutputs(inputs, outputs.all, DesignOptions{.exact = line.exact});
  return EndRun(console, result, outputs, settings, line.request.fromDialogue);
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
  if (!arguments.empty() && std::string_view(arguments[0]) == "rate") {
    return RunRateCommand(arguments, console, readClock, parts);
  }
  CommandLine line;
  if (Fault fault = ParseCommandLine(arguments, line); !fault.ok()) {
    return EndConsoleWithFault(console, fault);
  }
  if (line.command == Command::kDesign && !line.pdfFile.empty() && !parts.outputs.pdf) {
    return HandToCompleteProgram(arguments, console);
  }
  switch (line.command) {
    case Command::kHelp:
      return ShowText(console, UsageText() + "\n");
    case Command::kVersion:
      return ShowText(console, VersionText() + "\n");
    case Command::kExplain:
    case Command::kDesign:
      break;
  }
  if (!line.projectFile.empty()) {
    // The file fills the request; the options given replace its values.
    RunRequest file;
    if (Fault fault = ReadProjectFile(line.projectFile, file); !fault.ok()) {
      return EndConsoleWithFault(console, fault);
    }
    line.OverrideFileRequest(file);
    line.request = std::move(file);
  }
  if (line.command == Command::kDesign && !line.UsesDialogue()) {
    if (Fault fault = CheckAdoptedCase(line); !fault.ok()) {
      return EndConsoleWithFault(console, fault);
    }
  }
  if (line.command == Command::kExplain) {
    if (Fault fault = CheckExplainFromFile(line); !fault.ok()) {
      return EndConsoleWithFault(console, fault);
    }
    return RunExplain(line.request, console.output, console.errors);
  }
  return RunDesign(line, console, readClock, parts);
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
