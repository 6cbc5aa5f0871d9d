#pragma once

// `kalvorden rate`: the allowable-stress rating of an existing deck slab
// (rating/slab_rating.h), from its options and, with --project FILE, from
// the project file's [rating] table, whose values the options replace. The
// sub-command's options are its own; every value is checked by the
// rating's one table of values (rating/rating_values.h). The door fills
// the rating's request; the run (run/rating_run.h) rates and writes.

#include <array>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "driver/command_line.h"
#include "driver/console.h"
#include "driver/program_parts.h"
#include "fault/fault.h"
#include "rating/rating_values.h"
#include "run/clock.h"
#include "run/rating_run.h"

namespace kalvorden {

struct RateRequest {
  // The values as the options give them, each already checked, in the
  // order given; applied over the project file's.
  std::vector<std::pair<const RatingFieldInfo*, std::string>> values;
  bool continuity = false;
  bool continuityGiven = false;  // --continuity or --no-continuity
  std::string projectFile;       // --project FILE
  std::string csvFile;           // --csv FILE ("-": standard output)
  std::string textFile;          // --text FILE ("-": standard output)
  std::string pdfFile;           // --pdf FILE (never standard output)
  PaperSize paper = PaperSize::kA4;
  bool paperGiven = false;  // --paper, only with --pdf
  // --title, --bridge, ... (output/project_identity.h), each checked, over the
  // project file's [project] table.
  ProjectIdentity identity;
  std::array<bool, kIdentityFieldCount> identityGiven{};
  bool help = false;  // --help

  // --project, --csv, --text and --pdf, in that order (FindFilesNamedTwice).
  std::array<FileOption, 4> FileOptions() const;
};

// Parses the arguments after "rate" with getopt_long: each value is checked
// as it is read. Returns no fault, or error 64 with the line that names the
// bad option or value.
Fault ParseRateArguments(std::span<char* const> arguments, RateRequest& request);

// The rating the options ask for: the project file's [rating] table (when
// named) with the options' values over it, checked as a whole, the file's
// identity, and the outputs named (without any, the sheet on standard
// output). Error 64 names the option at fault, 66 the project file.
Fault RatingRequestOf(const RateRequest& request, RatingRequest& rating);

// Runs `kalvorden rate` for `arguments`, "rate" first: the rating sheet on
// standard output, or the CSV, the sheet as text and the rating package
// (PDF, dated by the clock's one reading) into the files named. A run that
// asks for the PDF of a program without it (`parts`) is handed to the
// complete program once its options are read. Returns 0, 64 for a usage
// error, 66 for a project file at fault, 74 when an output cannot be
// written; a failed run leaves every output file as it was.
int RunRateCommand(std::span<char* const> arguments, Console& console, const ClockReader& readClock,
                   const ProgramParts& parts);

}  // namespace kalvorden
