#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kalvorden {

// How records become bytes. A line-printer file starts each record with its
// line advance (LF, or FF for a new page) and ends it with CR. Plain text
// ends each line with LF and starts a page with FF: the same file with its
// first LF dropped, every CR LF turned into LF and every CR FF into LF FF.
enum class ReportEncoding : uint8_t { kLinePrinter, kPlainText };

// Starts the disk writes of a file's bytes while the run goes on, so that
// the fsync that ends its output finds little left to write: every
// kWriteBackStep bytes written, the writes of those bytes are started
// (sync_file_range without waiting). Only a hint to the kernel: a file it
// refuses (a pipe, a terminal) is written all the same, and the fsync
// alone makes the file durable.
struct WriteBack {
  bool wanted = false;  // for a file that is synced at its end
  int64_t written = 0;  // bytes written so far
  int64_t started = 0;  // bytes whose disk writes have been started
};
constexpr int64_t kWriteBackStep = int64_t{4} << 20;

// Notes `count` more bytes written to `descriptor`.
void NoteWritten(WriteBack& writeBack, int descriptor, size_t count);

// Where the records of a report laid out for another output go, one at a
// time: the carriage-control character and the printed line, never turned
// into bytes.
using RecordSink = std::function<void(char control, std::string_view printed)>;

// The open report file: a line-printer file whose records carry an ASA
// carriage-control character in column 1. Records are turned into bytes as
// they arrive and go out through one buffer, so a report of any size needs
// only the buffer's memory.
struct ReportFile {
  int descriptor = -1;
  std::string name;  // as the engineer gave it, for messages

  // True once a line has been ended with a carriage return whose line feed
  // has not been written yet: the line feed belongs to the next record (or
  // to the close), because a "1" record replaces it with a form feed.
  bool lineFeedPending = false;

  ReportEncoding encoding = ReportEncoding::kLinePrinter;
  bool anyRecord = false;  // a record has been written

  // An existing file reopened for overwriting keeps its old bytes until the
  // first record is written, so that a run ending in the dialogue leaves it
  // untouched.
  bool cutBeforeFirstRecord = false;

  // errno of the first failed write, truncation or close; 0 while all is
  // well. After a failure nothing more is written.
  int failure = 0;

  std::unique_ptr<char[]> buffer;
  size_t buffered = 0;
  WriteBack writeBack;

  // Set for a report laid out for another output (BeginReportRecords): each
  // record goes here instead of to a descriptor.
  const RecordSink* records = nullptr;
};

// Writes all `count` bytes to `descriptor`, calling write(2) again after a
// partial write or an interruption (EINTR). Returns 0, or the errno of the
// write that failed; a write that accepts nothing at all is EIO, since a
// device that accepts nothing would otherwise be called forever.
int WriteAll(int descriptor, const char* bytes, size_t count);

// Starts `file` afresh on an opened descriptor, in the line-printer encoding.
// `replacesExistingFile` is true when the engineer agreed to overwrite an
// existing file.
void BeginReportFile(ReportFile& file, int descriptor, std::string name, bool replacesExistingFile);

// Starts a report whose records go to `records` rather than to a file: for
// outputs that lay out the report's own lines themselves (the PDF). Nothing
// in it can fail; `records` must outlive the writing.
void BeginReportRecords(ReportFile& file, const RecordSink& records);

// Appends one record: its control character (blank, "0" or "1") becomes the
// line advance, the rest is the printed line, ended by a carriage return.
void WriteRecord(ReportFile& file, std::string_view record);

// Writes the pending line feed and everything buffered, leaving the
// descriptor open (its owner closes it). Returns false, with `failure` set,
// when any write since the file was opened has failed.
bool FlushReport(ReportFile& file);

// Writes the pending line feed and closes the file. Returns false, with
// `failure` set, when any write since the file was opened has failed.
bool CloseReport(ReportFile& file);

// Closes the descriptor without writing anything more: for a run that ends
// before its report begins (the file keeps exactly what it had).
void AbandonReport(ReportFile& file);

}  // namespace kalvorden
