#include "driver/command_line.h"

#include <getopt.h>

#include <algorithm>
#include <vector>

#include "report/printed_span.h"

#ifndef KALVORDEN_VERSION
#error "KALVORDEN_VERSION must be defined by the build (the project's version)"
#endif

namespace kalvorden {
namespace {

// What an option does once recognised.
enum class OptionKey : uint8_t {
  kList,
  kProject,
  kIdentity,
  kContinuity,
  kNoContinuity,
  kOutput,
  kOverwrite,
  kCsv,
  kText,
  kPdf,
  kPaper,
  kExact,
  kSpan,
  kAdopt,
  kHelp,
  kVersion,
};

// One row per option: getopt_long's table, the --help text and the parser
// are all built from this list. The five list options come first, from the
// table of value lists.
struct OptionRow {
  const char* name;
  const char* valueName;  // nullptr: the option takes no value
  OptionKey key;
  ValueListId list;  // for kList
  std::string help;
};

const std::vector<OptionRow>& Options() {
  static const std::vector<OptionRow> rows = [] {
    std::vector<OptionRow> table;
    for (const ValueListInfo& list : ValueLists()) {
      table.push_back({list.name.data(), "LIST", OptionKey::kList, list.id,
                       std::string(list.plural) + ", " + std::string(list.unit) + " (" +
                           std::string(list.note) + ")"});
    }
    table.push_back({"project",
                     "FILE",
                     OptionKey::kProject,
                     {},
                     "values from a project file (TOML); options replace them"});
    for (const IdentityFieldInfo& field : IdentityFields()) {
      table.push_back(
          {field.name.data(), "TEXT", OptionKey::kIdentity, {}, std::string(field.help)});
    }
    const OptionRow others[] = {
        {"continuity",
         nullptr,
         OptionKey::kContinuity,
         {},
         "apply the continuity factor 0.8 (without it: 1.0)"},
        {"no-continuity",
         nullptr,
         OptionKey::kNoContinuity,
         {},
         "the continuity factor 1.0, whatever the project file says"},
        {"output",
         "FILE",
         OptionKey::kOutput,
         {},
         "the report file (line printer, ASA carriage control)"},
        {"overwrite", nullptr, OptionKey::kOverwrite, {}, "let --output replace an existing file"},
        {"csv", "FILE", OptionKey::kCsv, {}, "also write the design as CSV (- : standard output)"},
        {"text", "FILE", OptionKey::kText, {}, "also write the report as plain text (- : stdout)"},
        {"pdf",
         "FILE",
         OptionKey::kPdf,
         {},
         "also write a PDF: an index, each case's pages and chart"},
        {"paper", "SIZE", OptionKey::kPaper, {}, "the PDF's paper: a4 (the default) or letter"},
        {"exact", nullptr, OptionKey::kExact, {}, "design every span on the exact path alone"},
        {"span",
         "S",
         OptionKey::kSpan,
         {},
         "bridge span, m, 1.000 to 3.750: marks its governing row"},
        {"adopt",
         "N",
         OptionKey::kAdopt,
         {},
         "the case adopted: the PDF cover states and checks its slab"},
        {"help", nullptr, OptionKey::kHelp, {}, "show this help and exit (also -h)"},
        {"version", nullptr, OptionKey::kVersion, {}, "show the version and exit"},
    };
    table.insert(table.end(), std::begin(others), std::end(others));
    return table;
  }();
  return rows;
}

// getopt_long returns an option's index plus this, clear of its own '?' and ':'.
constexpr int kFirstOptionValue = 256;

constexpr std::string_view kUsageForms =
    "Usage:\n"
    "  kalvorden                      the dialogue: the program asks for every value\n"
    "  kalvorden [--csv FILE] [--text FILE] [--pdf FILE [--paper a4|letter]]\n"
    "                                 the dialogue; the design also goes to FILE(s)\n"
    "  kalvorden --wheel-load LIST --top-cover LIST --paving LIST --fs LIST --fc LIST\n"
    "          [--continuity] --output FILE [--overwrite] [--csv FILE] [--text FILE]\n"
    "          [--pdf FILE [--paper a4|letter]]\n"
    "                                 no dialogue: the same design from the options\n"
    "  kalvorden --project FILE --output FILE [--overwrite] [any option above]\n"
    "                                 the file's design; options replace its values\n"
    "  kalvorden explain --wheel-load V --top-cover V --paving V --fs V --fc V\n"
    "            [--continuity] --span S\n"
    "  kalvorden explain --project FILE [--span S] [any value option above]\n"
    "                                 the calculation of one span, on standard output\n"
    "  kalvorden rate --thickness T --top-cover C --top-bar B --top-spacing S ...\n"
    "                                 rates an existing slab (see rate --help)\n"
    "  kalvorden serve [--port N] [--listen ADDRESS]\n"
    "                                 the design as a web page (see serve --help)\n"
    "  kalvorden --help | -h | --version\n";

constexpr std::string_view kListHelp =
    "LIST is 1 to 5 numbers separated by commas, for example --wheel-load 72.5,80.\n"
    "Every combination of the listed values is one design case, designed for the\n"
    "111 effective spans 1.000 m to 3.750 m. With --span S (a design run) each\n"
    "case's governing row is the first printed span at or above S.\n"
    "TEXT (--title ... --notes) is one line of UTF-8 text, without control\n"
    "characters or noncharacters (U+FFFF ...), for the PDF and the web page.\n"
    "Exit status: 0 done, 64 usage error, 65 a case could not be designed in full,\n"
    "66 the project file could not be read or holds a fault, 69 the PDF or the web\n"
    "page could not be started, 74 an output could not be written, 9, 10, 29, 30, 43\n"
    "a file could not be opened.\n";

std::string OptionName(const OptionRow& row) {
  return std::string("--") + row.name;
}

bool IsStandardOutput(const std::string& name) {
  return name == kStandardOutputName;
}

// The error for an option getopt_long refused. `value` is its return: '?'
// (unknown, ambiguous, or a value given to an option that takes none) or
// ':' (a value missing).
Fault RefusedOption(std::span<char* const> argv, int value) {
  const bool known = optopt >= kFirstOptionValue &&
                     optopt < kFirstOptionValue + static_cast<int>(Options().size());
  if (known) {
    const OptionRow& row = Options()[static_cast<size_t>(optopt - kFirstOptionValue)];
    return UsageFault(
        "option " + OptionName(row),
        value == ':' ? "needs a value (" + std::string(row.valueName) + ")" : "takes no value");
  }
  std::string text;
  if (optopt > 0 && optopt < kFirstOptionValue) {
    text = std::string("-") + static_cast<char>(optopt);
  } else if (optind > 0 && static_cast<size_t>(optind) <= argv.size()) {
    text = argv[static_cast<size_t>(optind) - 1];
  }
  return UsageFault("unknown or ambiguous option " + QuoteName(text), "see kalvorden --help");
}

// explain: the five values, one number each, and a span, from the options
// or a project file (whose values the options given replace); no output
// file.
Fault CheckExplain(const CommandLine& line) {
  const bool fromFile = !line.projectFile.empty();
  for (const OptionRow& row : Options()) {
    const int list = static_cast<int>(row.list);
    if (row.key == OptionKey::kList && !line.listGiven[list] && !fromFile) {
      return UsageFault("option " + OptionName(row) + " missing", "explain needs all five values");
    }
    if (row.key == OptionKey::kList && line.listGiven[list] &&
        line.request.lists[list].count != 1) {
      return UsageFault("option " + OptionName(row), "explain takes one number, not a list");
    }
  }
  if (line.request.span.empty() && !fromFile) {
    return UsageFault("option --span missing", "explain needs the span to show");
  }
  const char* notHere = line.reportFile.empty() ? nullptr : "--output";
  notHere = line.overwrite ? "--overwrite" : notHere;
  notHere = line.csvFile.empty() ? notHere : "--csv";
  notHere = line.textFile.empty() ? notHere : "--text";
  notHere = line.pdfFile.empty() ? notHere : "--pdf";
  notHere = line.paperGiven ? "--paper" : notHere;
  std::string identity;
  for (size_t i = 0; i < IdentityFields().size(); ++i) {
    identity = line.identityGiven[i] ? "--" + std::string(IdentityFields()[i].name) : identity;
  }
  notHere = identity.empty() ? notHere : identity.c_str();
  if (notHere != nullptr) {
    return UsageFault(std::string("option ") + notHere,
                      "not with explain (the sheet goes to standard output)");
  }
  return {};
}

// The checks that need the whole command line.
Fault CheckCombination(const CommandLine& line) {
  if (line.command == Command::kExplain) {
    return CheckExplain(line);
  }
  const bool dialogue = line.UsesDialogue();
  if (!dialogue) {
    // The table lists the five in the dialogue's order: the first missing
    // one is named. A project file gives all five itself.
    for (const OptionRow& row : Options()) {
      if (line.projectFile.empty() && row.key == OptionKey::kList &&
          !line.listGiven[static_cast<int>(row.list)]) {
        return UsageFault("option " + OptionName(row) + " missing",
                          "the five list options go together");
      }
    }
    if (line.reportFile.empty()) {
      return UsageFault("option --output missing", line.projectFile.empty()
                                                       ? "the list options need a report file"
                                                       : "a project run needs a report file");
    }
  } else {
    const char* dialogueOnly = line.reportFile.empty() ? nullptr : "--output";
    dialogueOnly = line.overwrite ? "--overwrite" : dialogueOnly;
    dialogueOnly = line.continuityGiven
                       ? (line.request.continuity ? "--continuity" : "--no-continuity")
                       : dialogueOnly;
    if (dialogueOnly != nullptr) {
      return UsageFault(std::string("option ") + dialogueOnly,
                        "only with the five list options (the dialogue asks for it)");
    }
    if (IsStandardOutput(line.csvFile) || IsStandardOutput(line.textFile)) {
      return UsageFault(
          std::string("option ") + (IsStandardOutput(line.csvFile) ? "--csv" : "--text") + " -",
          "standard output carries the dialogue");
    }
  }
  if (line.paperGiven && line.pdfFile.empty()) {
    return UsageFault("option --paper", "only with --pdf");
  }
  return FindFilesNamedTwice(
      line.FileOptions(),
      [](const std::string& first, const std::string& second) { return first == second; },
      QuoteName(kStandardOutputName));
}

Fault ApplyOption(const OptionRow& row, const char* value, CommandLine& line) {
  const std::string text = value != nullptr ? value : "";
  switch (row.key) {
    case OptionKey::kList: {
      const auto list = static_cast<size_t>(row.list);
      const std::string why = ParseValueList(ValueListOf(row.list), text, line.request.lists[list]);
      if (!why.empty()) {
        return UsageFault("option " + OptionName(row) + " " + QuoteName(text), why);
      }
      line.listGiven[list] = true;
      break;
    }
    case OptionKey::kContinuity:
    case OptionKey::kNoContinuity:
      line.request.continuity = row.key == OptionKey::kContinuity;
      line.continuityGiven = true;
      break;
    case OptionKey::kProject:
      if (text.empty()) {
        return UsageFault("option --project", "the file name is empty");
      }
      line.projectFile = text;
      break;
    case OptionKey::kIdentity: {
      // The option's name is the field's (output/project_identity.h).
      const IdentityFieldInfo& field = *FindIdentityField(row.name);
      if (const std::string why = IdentityTextFault(field, text); !why.empty()) {
        return UsageFault("option " + OptionName(row), "the text " + why);
      }
      line.request.identity.*(field.member) = text;
      line.identityGiven[static_cast<size_t>(&field - IdentityFields().data())] = true;
      break;
    }
    case OptionKey::kOutput:
    case OptionKey::kCsv:
    case OptionKey::kText:
      if (text.empty()) {
        return UsageFault("option " + OptionName(row), "the file name is empty");
      }
      (row.key == OptionKey::kOutput ? line.reportFile
       : row.key == OptionKey::kCsv  ? line.csvFile
                                     : line.textFile) = text;
      break;
    case OptionKey::kPdf:
      if (Fault fault = CheckPdfOption(text); !fault.ok()) {
        return fault;
      }
      line.pdfFile = text;
      break;
    case OptionKey::kPaper:
      if (Fault fault = ReadPaperOption(text, line.request.paper); !fault.ok()) {
        return fault;
      }
      line.paperGiven = true;
      break;
    case OptionKey::kOverwrite:
      line.overwrite = true;
      break;
    case OptionKey::kExact:
      line.exact = true;
      break;
    case OptionKey::kSpan: {
      const GoverningSpan span = GoverningRow(text);
      if (span.row < 0) {
        return UsageFault("option --span " + QuoteName(text), GoverningRowReason(span));
      }
      line.request.span = span.exact;
      break;
    }
    case OptionKey::kAdopt: {
      line.request.adopt = AdoptedCaseOf(text);
      line.adoptGiven = true;
      if (line.request.adopt == 0) {
        return UsageFault("option --adopt " + QuoteName(text), kAdoptedCaseRule);
      }
      break;
    }
    case OptionKey::kHelp:
      line.command = Command::kHelp;
      break;
    case OptionKey::kVersion:
      line.command = Command::kVersion;
      break;
  }
  return {};
}

}  // namespace

Fault ReadPaperOption(const std::string& text, PaperSize& paper) {
  if (text == "a4" || text == "A4") {
    paper = PaperSize::kA4;
  } else if (text == "letter" || text == "Letter") {
    paper = PaperSize::kLetter;
  } else {
    return UsageFault("option --paper " + QuoteName(text), "a4 or letter");
  }
  return {};
}

Fault CheckPdfOption(const std::string& text) {
  if (text.empty() || IsStandardOutput(text)) {
    return UsageFault("option --pdf" + (text.empty() ? std::string() : " " + QuoteName(text)),
                      text.empty() ? "the file name is empty" : "a PDF goes to a file");
  }
  return {};
}

Fault CheckAdoptedCase(const CommandLine& line) {
  int64_t cases = 1;
  for (const ValueList& list : line.request.lists) {
    cases *= list.count;
  }
  if (line.request.adopt <= cases) {
    return {};
  }
  const std::string adopt = std::to_string(line.request.adopt);
  return UsageFault(
      line.adoptGiven ? "option --adopt " + QuoteName(adopt)
                      : "adopt = " + adopt + " in project file " + QuoteName(line.projectFile),
      "the run has " + std::to_string(cases) + " design case" + (cases == 1 ? "" : "s") +
          ": adopt one of them, 1 to " + std::to_string(cases));
}

Fault FindFilesNamedTwice(std::span<const FileOption> files,
                          bool (*sameFile)(const std::string&, const std::string&),
                          const std::string& standardOutput) {
  for (size_t i = 0; i < files.size(); ++i) {
    for (size_t k = i + 1; k < files.size(); ++k) {
      const std::string& first = *files[i].second;
      const std::string& second = *files[k].second;
      if (first.empty() || second.empty()) {
        continue;
      }
      const bool toStandardOutput = IsStandardOutput(first) || IsStandardOutput(second);
      if (toStandardOutput ? i > 0 && first == second : sameFile(first, second)) {
        return UsageFault(std::string("options ") + files[i].first + " and " + files[k].first,
                          "both name " + (toStandardOutput ? standardOutput : QuoteName(first)));
      }
    }
  }
  return {};
}

std::array<FileOption, 5> CommandLine::FileOptions() const {
  return {{{"--project", &projectFile},
           {"--output", &reportFile},
           {"--csv", &csvFile},
           {"--text", &textFile},
           {"--pdf", &pdfFile}}};
}

bool CommandLine::UsesDialogue() const {
  return projectFile.empty() &&
         std::none_of(listGiven.begin(), listGiven.end(), [](bool given) { return given; });
}

void CommandLine::OverrideFileRequest(RunRequest& file) const {
  for (size_t i = 0; i < file.lists.size(); ++i) {
    if (listGiven[i]) {
      file.lists[i] = request.lists[i];
    }
  }
  if (continuityGiven) {
    file.continuity = request.continuity;
  }
  if (!request.span.empty()) {
    file.span = request.span;
  }
  if (adoptGiven) {
    file.adopt = request.adopt;
  }
  for (size_t i = 0; i < IdentityFields().size(); ++i) {
    if (identityGiven[i]) {
      const auto member = IdentityFields()[i].member;
      file.identity.*member = request.identity.*member;
    }
  }
  file.paper = request.paper;
}

Fault ParseCommandLine(std::span<char* const> arguments, CommandLine& line) {
  line = CommandLine{};
  // A sub-command is the first argument; its options follow it.
  if (!arguments.empty() && std::string_view(arguments[0]) == "explain") {
    line.command = Command::kExplain;
    arguments = arguments.subspan(1);
  }
  // getopt_long reads argv[0] as the program's name and the rest as options.
  std::vector<char*> argv = {const_cast<char*>("kalvorden")};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(argv.size()) - 1;

  std::vector<option> table;
  const std::vector<OptionRow>& rows = Options();
  table.reserve(rows.size() + 1);
  for (size_t i = 0; i < rows.size(); ++i) {
    table.push_back({rows[i].name, rows[i].valueName != nullptr ? required_argument : no_argument,
                     nullptr, kFirstOptionValue + static_cast<int>(i)});
  }
  table.push_back({nullptr, 0, nullptr, 0});

  // "h": -h is --help. "+": stop at the first argument that is not an option; ":": report a
  // missing value apart from an unknown option. optind = 0 restarts the
  // parser (it keeps state between calls), opterr = 0 keeps it quiet: the
  // one error line is ours.
  optind = 0;
  opterr = 0;
  for (;;) {
    const int value = getopt_long(argc, argv.data(), "+:h", table.data(), nullptr);
    if (value == -1) {
      break;
    }
    if (value == 'h') {
      line.command = Command::kHelp;
      return {};  // shown at once, as --help
    }
    if (value < kFirstOptionValue || value >= kFirstOptionValue + static_cast<int>(rows.size())) {
      return RefusedOption(std::span(argv.data(), static_cast<size_t>(argc)), value);
    }
    const OptionRow& row = rows[static_cast<size_t>(value - kFirstOptionValue)];
    if (Fault fault = ApplyOption(row, optarg, line); !fault.ok()) {
      return fault;
    }
    if (line.command == Command::kHelp || line.command == Command::kVersion) {
      return {};  // shown at once, whatever else the line holds
    }
  }
  if (optind < argc) {
    return UsageFault("unexpected argument " + QuoteName(argv[static_cast<size_t>(optind)]),
                      "see kalvorden --help");
  }
  line.request.fromDialogue = line.UsesDialogue();
  return CheckCombination(line);
}

std::string UsageText() {
  std::string text =
      "kalvorden: service-load design of the reinforced-concrete deck slab of a\n"
      "highway bridge, in metric units and IEEE binary128.\n\n";
  text += kUsageForms;
  text += "\nOptions:\n";
  for (const OptionRow& row : Options()) {
    std::string left = "  " + OptionName(row);
    if (row.valueName != nullptr) {
      left += std::string(" ") + row.valueName;
    }
    constexpr size_t kHelpColumn = 21;
    left.resize(std::max(left.size() + 1, kHelpColumn), ' ');
    text += left + row.help + "\n";
  }
  text += "\n";
  text += kListHelp;
  return text;
}

std::string VersionText() {
  return std::string("kalvorden ") + KALVORDEN_VERSION;
}

}  // namespace kalvorden
