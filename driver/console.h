#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>

#include "fault/fault.h"

namespace kalvorden {

// The console the dialogue runs on. Every output record begins with one
// blank. On an interactive console (standard output is a terminal) that
// blank is a carriage-control character: the record is shown as a line feed
// (if one is pending), the text from its second character, and a carriage
// return, after which a line feed is pending. Redirected, a record is
// written as a plain line, its leading blank included.
struct Console {
  FILE* input = stdin;
  FILE* output = stdout;
  FILE* errors = stderr;
  bool interactive = false;
  // The stream whose last line still owes its line feed, or null.
  FILE* lineFeedPending = nullptr;
};

// One prompt or message of the dialogue, on standard output.
void WriteConsoleRecord(Console& console, std::string_view record);

// One line on standard error (the closing message, an error line): shown on
// a line of its own, without a leading blank.
void WriteConsoleMessage(Console& console, std::string_view message);

// Ends the console at the end of the run: the pending line feed, then flush.
void EndConsole(Console& console);

// Ends a run that failed: the fault's line on standard error, then the
// console; returns the fault's number, the exit status.
int EndConsoleWithFault(Console& console, const Fault& fault);

// A help or version text on standard output: status 0, or 74 with the
// fault's line when that output cannot be written.
int ShowText(Console& console, std::string_view text);

// The first characters of one answer line; no field is wider than this, and
// the rest of a line, however long, is read and dropped without storing it.
struct AnswerLine {
  static constexpr size_t kKept = 32;
  char text[kKept] = {};
  size_t length = 0;  // characters kept, at most kKept
};

// Reads the next line of standard input, without its line end (a line feed,
// or a carriage return and line feed as answer files written on other
// systems have). A last line without a line end still counts. Returns false
// when no line is left.
bool ReadAnswerLine(Console& console, AnswerLine& line);

}  // namespace kalvorden
