#include "driver/console.h"

#include <cerrno>

#include "output/file_output.h"

namespace kalvorden {
namespace {

void WritePendingLineFeed(Console& console) {
  if (console.lineFeedPending != nullptr) {
    std::fputc('\n', console.lineFeedPending);
    std::fflush(console.lineFeedPending);
    console.lineFeedPending = nullptr;
  }
}

void WriteRecordTo(Console& console, FILE* stream, std::string_view record) {
  if (!console.interactive) {
    std::fwrite(record.data(), 1, record.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
    return;
  }
  WritePendingLineFeed(console);
  if (record.size() > 1) {
    std::fwrite(record.data() + 1, 1, record.size() - 1, stream);
  }
  std::fputc('\r', stream);
  std::fflush(stream);
  console.lineFeedPending = stream;
}

}  // namespace

void WriteConsoleRecord(Console& console, std::string_view record) {
  WriteRecordTo(console, console.output, record);
}

void WriteConsoleMessage(Console& console, std::string_view message) {
  if (!console.interactive) {
    WriteRecordTo(console, console.errors, message);
    return;
  }
  // As a record, the message needs a carriage-control blank in front.
  std::fflush(console.output);
  WriteRecordTo(console, console.errors, " " + std::string(message));
}

void EndConsole(Console& console) {
  WritePendingLineFeed(console);
  std::fflush(console.output);
  std::fflush(console.errors);
}

int EndConsoleWithFault(Console& console, const Fault& fault) {
  WriteConsoleMessage(console, FormatFault(fault));
  EndConsole(console);
  return fault.number;
}

int ShowText(Console& console, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), console.output);
  if (std::fflush(console.output) != 0 || std::ferror(console.output) != 0) {
    const int osError = errno;
    WriteConsoleMessage(
        console, FormatFault(OutputWriteFault("standard output", osError != 0 ? osError : EIO)));
    return kFaultWriteFailure;
  }
  return 0;
}

bool ReadAnswerLine(Console& console, AnswerLine& line) {
  WritePendingLineFeed(console);
  std::fflush(console.output);

  size_t total = 0;
  bool anything = false;
  int c;
  while ((c = std::getc(console.input)) != EOF) {
    anything = true;
    if (c == '\n') {
      break;
    }
    if (total < AnswerLine::kKept) {
      line.text[total] = static_cast<char>(c);
    }
    ++total;
  }
  if (!anything) {
    return false;
  }
  if (total > 0 && total <= AnswerLine::kKept && line.text[total - 1] == '\r') {
    --total;  // the line ended in CR LF (or in a lone CR at the end of input)
  }
  line.length = total < AnswerLine::kKept ? total : AnswerLine::kKept;
  return true;
}

}  // namespace kalvorden
