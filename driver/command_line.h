#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <utility>

#include "design/value_lists.h"
#include "fault/fault.h"
#include "output/file_output.h"
#include "output/project_identity.h"
#include "run/run_request.h"

namespace kalvorden {

// An option that names a file ("--csv"), and the name given (empty: none).
using FileOption = std::pair<const char*, const std::string*>;

// What the program is asked to do. A sub-command is the first argument.
enum class Command : uint8_t { kDesign, kExplain, kHelp, kVersion };

// The command line, parsed. Nothing here has touched a file yet.
struct CommandLine {
  // The run the options ask for: the five lists, continuity, the span, the
  // identity and the paper. The values are given by all five list options,
  // or by a project file (--project FILE) whose values the options given
  // replace, or (neither) asked for by the dialogue. --span S is, with
  // explain, the span whose governing row's sheet is shown; with a design,
  // the bridge's effective span, whose governing row the outputs mark.
  RunRequest request;
  std::string projectFile;  // --project FILE: read by the run, not here

  std::string reportFile;  // --output FILE
  std::string csvFile;     // --csv FILE ("-": standard output)
  std::string textFile;    // --text FILE ("-": standard output)
  std::string pdfFile;     // --pdf FILE
  bool paperGiven = false;

  Command command = Command::kDesign;  // kExplain: the first argument was "explain"
  std::array<bool, kValueListCount> listGiven{};
  std::array<bool, kIdentityFieldCount> identityGiven{};
  bool continuityGiven = false;  // --continuity or --no-continuity
  bool adoptGiven = false;
  bool overwrite = false;  // --overwrite: --output may replace an existing file
  bool exact = false;      // --exact

  // True when neither a list option nor a project file was given: the
  // values come from the dialogue.
  bool UsesDialogue() const;

  // --project, --output, --csv, --text and --pdf, in that order.
  std::array<FileOption, 5> FileOptions() const;

  // Puts into `file`, the request a project file filled, each part the
  // options gave (a list, continuity, the span, the adopted case, an
  // identity text) and the paper: the options replace the file's values.
  void OverrideFileRequest(RunRequest& file) const;
};

// Parses `arguments` (without the program name) with getopt_long. Returns
// no fault, or error 64 with one line that names the bad option or value.
Fault ParseCommandLine(std::span<char* const> arguments, CommandLine& line);

// An adopted case the run does not have (--adopt 7, or adopt = 7 in the
// project file, for a run of 4 cases), as error 64, once the lists are
// known: a cover that states no design would be a quiet answer to a typo.
Fault CheckAdoptedCase(const CommandLine& line);

// The first two of `files` whose names `sameFile` finds to be one file, as
// error 64 naming both options; no fault when there are none. Outputs are
// put in place one after another, so one would be lost while the run names
// both as written, and `files` begins with the project file (read, never
// written), which an output renamed over it would destroy. The parser
// compares the names as typed, the run the files they reach, before any is
// created. Standard output ("-") is no file and never the project file, but
// two outputs there would run into each other: both name `standardOutput`.
Fault FindFilesNamedTwice(std::span<const FileOption> files,
                          bool (*sameFile)(const std::string&, const std::string&),
                          const std::string& standardOutput);

// Options the design's and the rating's command lines read alike: --paper
// SIZE (a4 or letter, either capitalised) and --pdf FILE (a file, which
// standard output cannot be: a PDF is renamed into place). No fault, or
// error 64 naming the option.
Fault ReadPaperOption(const std::string& text, PaperSize& paper);
Fault CheckPdfOption(const std::string& text);

// The --help text: every form of the command line and every option.
std::string UsageText();

// "kalvorden 1.0.0"
std::string VersionText();

}  // namespace kalvorden
