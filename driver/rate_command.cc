#include "driver/rate_command.h"

#include <getopt.h>

#include <algorithm>

#include "driver/command_line.h"
#include "driver/complete_program.h"
#include "output/file_output.h"
#include "output/interrupt_cleanup.h"
#include "output/pending_file.h"
#include "project/project_file.h"

namespace kalvorden {
namespace {

// getopt_long's values: a rating field's index plus kFirstField; the other
// options after them.
constexpr int kFirstField = 256;
// The identity's options follow the fields': a field's index plus
// kFirstIdentity.
constexpr int kFirstIdentity = kFirstField + kRatingFieldCount;
enum OptionValue : int {
  kContinuity = kFirstIdentity + kIdentityFieldCount,
  kNoContinuity,
  kProject,
  kCsv,
  kText,
  kPdf,
  kPaper,
  kHelp,
};

std::vector<option> OptionTable() {
  std::vector<option> table;
  for (const RatingFieldInfo& field : RatingFields()) {
    table.push_back({field.name.data(), required_argument, nullptr,
                     kFirstField + static_cast<int>(&field - RatingFields().data())});
  }
  for (const IdentityFieldInfo& field : IdentityFields()) {
    table.push_back({field.name.data(), required_argument, nullptr,
                     kFirstIdentity + static_cast<int>(&field - IdentityFields().data())});
  }
  table.push_back({"continuity", no_argument, nullptr, kContinuity});
  table.push_back({"no-continuity", no_argument, nullptr, kNoContinuity});
  table.push_back({"project", required_argument, nullptr, kProject});
  table.push_back({"csv", required_argument, nullptr, kCsv});
  table.push_back({"text", required_argument, nullptr, kText});
  table.push_back({"pdf", required_argument, nullptr, kPdf});
  table.push_back({"paper", required_argument, nullptr, kPaper});
  table.push_back({"help", no_argument, nullptr, kHelp});
  table.push_back({nullptr, 0, nullptr, 0});
  return table;
}

std::string NameOf(const std::vector<option>& table, int value) {
  for (const option& row : table) {
    if (row.name != nullptr && row.val == value) {
      return std::string("--") + row.name;
    }
  }
  return {};
}

// The --help text of the sub-command.
std::string RateUsageText() {
  std::string text =
      "Usage: kalvorden rate --thickness T --top-cover C --top-bar B --top-spacing S\n"
      "         [--top-loss PCT] [--bottom-cover C --bottom-bar B --bottom-spacing S\n"
      "         [--bottom-loss PCT]] --concrete-strength F --paving W --wheel-load P\n"
      "         [--vehicle-weight W] [--continuity] --span LIST --fs V --fc V\n"
      "         --fs-operating V --fc-operating V [--csv FILE] [--text FILE]\n"
      "         [--pdf FILE [--paper a4|letter]] [--title TEXT] [--bridge TEXT] ...\n"
      "       kalvorden rate --project FILE [any option above]\n"
      "Rates an existing deck slab (a strip 1 m wide, main bars perpendicular to\n"
      "traffic) by allowable stresses (ASR) at inventory and operating level, for\n"
      "each effective span. Without --csv, --text or --pdf the rating sheet goes to\n"
      "standard output. With --project FILE the values come from the file's\n"
      "[rating] table, whose keys are the options' names, and the project's names\n"
      "from its [project] table; options replace them.\n\n";
  const auto option = [&text](std::string left, const std::string& help) {
    left.resize(std::max<size_t>(left.size() + 1, 24), ' ');
    text += left + help + "\n";
  };
  for (const RatingFieldInfo& field : RatingFields()) {
    option("  --" + std::string(field.name) + " V",
           std::string(field.help) + (field.unit.empty() ? "" : ", " + std::string(field.unit)));
  }
  text +=
      "  --continuity          continuous over three or more supports: CF 0.8 and\n"
      "                        M_DL = w S^2 / 10 (without it: CF 1.0, w S^2 / 8)\n"
      "  --no-continuity       not continuous, whatever the project file says\n";
  for (const IdentityFieldInfo& field : IdentityFields()) {
    option("  --" + std::string(field.name) + " TEXT", std::string(field.help) + ", for the PDF");
  }
  text +=
      "  --project FILE        the values of the project file's [rating] table\n"
      "  --csv FILE            write the rating as CSV (- : standard output)\n"
      "  --text FILE           write the rating sheet to FILE (- : standard output)\n"
      "  --pdf FILE            write the rating package: a cover with the verdicts\n"
      "                        and sign-off, then the rating sheet of each span\n"
      "  --paper SIZE          the PDF's paper: a4 (the default) or letter\n"
      "  --help                show this help and exit\n\n"
      "Exit status: 0 rated, 64 usage error, 66 the project file could not be read\n"
      "or holds a fault, 69 the program that makes PDF files cannot be started,\n"
      "74 an output could not be written.\n";
  return text;
}

}  // namespace

std::array<FileOption, 4> RateRequest::FileOptions() const {
  return {{{"--project", &projectFile},
           {"--csv", &csvFile},
           {"--text", &textFile},
           {"--pdf", &pdfFile}}};
}

Fault ParseRateArguments(std::span<char* const> arguments, RateRequest& request) {
  request = RateRequest{};
  std::vector<char*> argv = {const_cast<char*>("kalvorden rate")};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(argv.size()) - 1;
  const std::vector<option> table = OptionTable();
  // As for the main command line: stop at the first operand, report a
  // missing value apart, restart the parser, and keep it quiet.
  optind = 0;
  opterr = 0;
  for (;;) {
    const int value = getopt_long(argc, argv.data(), "+:", table.data(), nullptr);
    if (value == -1) {
      break;
    }
    const std::string text = optarg != nullptr ? optarg : "";
    if (value >= kFirstField && value < kFirstIdentity) {
      const RatingFieldInfo& field = RatingFields()[static_cast<size_t>(value - kFirstField)];
      RatingEntry scratch;
      if (const std::string why = SetRatingField(field, text, scratch); !why.empty()) {
        return UsageFault("option --" + std::string(field.name) + " " + QuoteName(text), why);
      }
      request.values.emplace_back(&field, text);
      continue;
    }
    if (value >= kFirstIdentity && value < kContinuity) {
      // As the design's options read them (output/project_identity.h).
      const auto index = static_cast<size_t>(value - kFirstIdentity);
      const IdentityFieldInfo& field = IdentityFields()[index];
      if (const std::string why = IdentityTextFault(field, text); !why.empty()) {
        return UsageFault("option --" + std::string(field.name), "the text " + why);
      }
      request.identity.*(field.member) = text;
      request.identityGiven[index] = true;
      continue;
    }
    switch (value) {
      case kContinuity:
      case kNoContinuity:
        request.continuity = value == kContinuity;
        request.continuityGiven = true;
        break;
      case kProject:
      case kCsv:
      case kText:
        if (text.empty()) {
          return UsageFault("option " + NameOf(table, value), "the file name is empty");
        }
        (value == kProject ? request.projectFile
         : value == kCsv   ? request.csvFile
                           : request.textFile) = text;
        break;
      case kPdf:
        if (Fault fault = CheckPdfOption(text); !fault.ok()) {
          return fault;
        }
        request.pdfFile = text;
        break;
      case kPaper:
        if (Fault fault = ReadPaperOption(text, request.paper); !fault.ok()) {
          return fault;
        }
        request.paperGiven = true;
        break;
      case kHelp:
        request.help = true;
        return {};
      case ':':
        return UsageFault("option " + NameOf(table, optopt), "needs a value");
      default: {
        const std::string name = NameOf(table, optopt);
        if (!name.empty()) {
          return UsageFault("option " + name, "takes no value");
        }
        const char* given = optind > 0 && optind <= argc ? argv[optind - 1] : "";
        return UsageFault("unknown or ambiguous option " + QuoteName(given),
                          "see kalvorden rate --help");
      }
    }
  }
  if (optind < argc) {
    return UsageFault("unexpected argument " + QuoteName(argv[optind]),
                      "see kalvorden rate --help");
  }
  if (request.paperGiven && request.pdfFile.empty()) {
    return UsageFault("option --paper", "only with --pdf");
  }
  return FindFilesNamedTwice(
      request.FileOptions(),
      [](const std::string& first, const std::string& second) { return first == second; },
      "standard output");
}

Fault RatingRequestOf(const RateRequest& request, RatingRequest& rating) {
  rating = RatingRequest{};
  RatingEntry& entry = rating.entry;
  if (!request.projectFile.empty()) {
    RunRequest design;
    if (Fault fault = ReadProjectFile(request.projectFile, design, ProjectUse::kRating, &entry);
        !fault.ok()) {
      return fault;
    }
    rating.identity = design.identity;
  }
  for (size_t i = 0; i < IdentityFields().size(); ++i) {
    if (request.identityGiven[i]) {
      const auto member = IdentityFields()[i].member;
      rating.identity.*member = request.identity.*member;
    }
  }
  rating.paper = request.paper;
  // In RatingOutputKinds() order; without any file named, the sheet on
  // standard output.
  const bool anyFile =
      !request.csvFile.empty() || !request.textFile.empty() || !request.pdfFile.empty();
  if (!request.csvFile.empty()) {
    rating.files.push_back({RatingOutputKind::kCsv, request.csvFile});
  }
  if (!request.textFile.empty() || !anyFile) {
    rating.files.push_back({RatingOutputKind::kText, request.textFile.empty()
                                                         ? std::string(kStandardOutputName)
                                                         : request.textFile});
  }
  if (!request.pdfFile.empty()) {
    rating.files.push_back({RatingOutputKind::kPdf, request.pdfFile});
  }
  const RatingEntry fromFile = entry;
  for (const auto& [field, text] : request.values) {
    SetRatingField(*field, text, entry);  // checked as the option was read
  }
  if (request.continuityGiven) {
    entry.inputs.continuous = request.continuity;
    entry.continuityGiven = true;
  }
  const RatingRefusal refusal = CheckRatingEntry(entry);
  if (refusal.ok()) {
    return {};
  }
  // A value the options gave is the option's fault; one the file gave (and
  // no option replaced), the file's. A value missing from both is missing
  // from the command line.
  const RatingFieldInfo& field = *FindRatingField(refusal.field);
  const bool fileGave = fromFile.given[static_cast<size_t>(&field - RatingFields().data())] &&
                        std::none_of(request.values.begin(), request.values.end(),
                                     [&](const auto& value) { return value.first == &field; });
  if (fileGave && !refusal.missing) {
    return {kFaultProjectFile, "project file " + QuoteName(request.projectFile),
            "[rating] " + refusal.field, refusal.why};
  }
  return UsageFault("option --" + refusal.field + (refusal.missing ? " missing" : ""), refusal.why);
}

int RunRateCommand(std::span<char* const> arguments, Console& console, const ClockReader& readClock,
                   const ProgramParts& parts) {
  RateRequest options;
  if (Fault fault = ParseRateArguments(arguments.subspan(1), options); !fault.ok()) {
    return EndConsoleWithFault(console, fault);
  }
  if (options.help) {
    return ShowText(console, RateUsageText());
  }
  if (!options.pdfFile.empty() && !parts.makeRatingPdf) {
    return HandToCompleteProgram(arguments, console);
  }
  RatingRequest request;
  if (Fault fault = RatingRequestOf(options, request); !fault.ok()) {
    return EndConsoleWithFault(console, fault);
  }
  if (Fault fault = FindFilesNamedTwice(options.FileOptions(), ReachSameFile, "standard output");
      !fault.ok()) {
    return EndConsoleWithFault(console, fault);
  }
  const bool toFiles =
      !options.csvFile.empty() || !options.textFile.empty() || !options.pdfFile.empty();
  if (toFiles) {
    RemoveTemporaryFilesOnInterrupt();
  }
  const RatingRunResult run =
      RateIntoOutputs(request, readClock(), parts.makeRatingPdf, console.output);
  if (!run.fault.ok()) {
    return EndConsoleWithFault(console, run.fault);
  }
  if (toFiles) {
    std::string written;
    for (const RatingOutputFile& file : request.files) {
      written += (written.empty() ? "" : ", ") +
                 OutputLabel(RatingOutputKindOf(file.kind).what, file.name);
    }
    const size_t spans = run.rating.spans.size();
    WriteConsoleMessage(console, "kalvorden: wrote " + written + ": the rating of " +
                                     std::to_string(spans) + " span" + (spans == 1 ? "" : "s"));
  }
  EndConsole(console);
  return 0;
}

}  // namespace kalvorden
