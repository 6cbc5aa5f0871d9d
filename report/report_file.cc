#include "report/report_file.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kalvorden {
namespace {

constexpr size_t kBufferSize = 1 << 16;

void Flush(ReportFile& file) {
  if (file.failure == 0) {
    file.failure = WriteAll(file.descriptor, file.buffer.get(), file.buffered);
    NoteWritten(file.writeBack, file.descriptor, file.buffered);
  }
  file.buffered = 0;
}

void Append(ReportFile& file, const char* bytes, size_t count) {
  while (count > 0 && file.failure == 0) {
    if (file.buffered == kBufferSize) {
      Flush(file);
      continue;
    }
    const size_t room = kBufferSize - file.buffered;
    const size_t piece = count < room ? count : room;
    std::memcpy(file.buffer.get() + file.buffered, bytes, piece);
    file.buffered += piece;
    bytes += piece;
    count -= piece;
  }
}

// A record's bytes: its line advance, the printed line and its line end.
// They nearly always fit the buffer's room and go straight in.
void AppendRecord(ReportFile& file, std::string_view advance, std::string_view printed,
                  std::string_view end) {
  const size_t total = advance.size() + printed.size() + end.size();
  if (file.failure == 0 && kBufferSize - file.buffered >= total) {
    char* out = file.buffer.get() + file.buffered;
    // An empty piece may have no storage at all (a null data pointer),
    // which memcpy must not be given even for no bytes.
    for (const std::string_view piece : {advance, printed, end}) {
      if (!piece.empty()) {
        std::memcpy(out, piece.data(), piece.size());
        out += piece.size();
      }
    }
    file.buffered += total;
    return;
  }
  Append(file, advance.data(), advance.size());
  Append(file, printed.data(), printed.size());
  Append(file, end.data(), end.size());
}

// Drops the old contents of a reopened file. Only a regular file has
// contents to drop; a device or a pipe is written as it is.
void CutOldContents(ReportFile& file) {
  file.cutBeforeFirstRecord = false;
  struct stat status {};
  if (fstat(file.descriptor, &status) != 0) {
    file.failure = errno;
    return;
  }
  if (S_ISREG(status.st_mode) && ftruncate(file.descriptor, 0) != 0) {
    file.failure = errno;
  }
}

}  // namespace

void NoteWritten(WriteBack& writeBack, int descriptor, size_t count) {
  writeBack.written += static_cast<int64_t>(count);
  if (!writeBack.wanted || writeBack.written - writeBack.started < kWriteBackStep) {
    return;
  }
  sync_file_range(descriptor, writeBack.started, writeBack.written - writeBack.started,
                  SYNC_FILE_RANGE_WRITE);
  writeBack.started = writeBack.written;
}

int WriteAll(int descriptor, const char* bytes, size_t count) {
  size_t done = 0;
  while (done < count) {
    const ssize_t written = write(descriptor, bytes + done, count - done);
    if (written < 0) {
      if (errno != EINTR) {
        return errno;  // EFBIG past a file size limit, ENOSPC, EIO, ...
      }
      continue;
    }
    if (written == 0) {
      return EIO;
    }
    done += static_cast<size_t>(written);
  }
  return 0;
}

void BeginReportFile(ReportFile& file, int descriptor, std::string name,
                     bool replacesExistingFile) {
  file = ReportFile{};
  file.descriptor = descriptor;
  file.name = std::move(name);
  file.cutBeforeFirstRecord = replacesExistingFile;
  file.buffer = std::make_unique<char[]>(kBufferSize);
}

void WriteRecord(ReportFile& file, std::string_view record) {
  if (file.failure != 0) {
    return;
  }
  if (file.cutBeforeFirstRecord) {
    CutOldContents(file);
  }
  const char control = record.empty() ? ' ' : record.front();
  const std::string_view printed = record.size() > 1 ? record.substr(1) : std::string_view();
  if (file.records != nullptr) {
    (*file.records)(control, printed);
    return;
  }
  const bool first = !file.anyRecord;
  file.anyRecord = true;
  if (file.encoding == ReportEncoding::kPlainText) {
    // Every line already ends in LF: a new page adds FF, double spacing an
    // empty line (not above the very first line of the file).
    const std::string_view advance = control == '1' ? "\f" : (control == '0' && !first) ? "\n" : "";
    AppendRecord(file, advance, printed, "\n");
    return;
  }
  std::string_view advance;
  switch (control) {
    case '1':
      // New page: the form feed takes the place of the pending line feed.
      advance = "\f";
      break;
    case '0':
      // Double spacing: one empty line above the printed line.
      advance = file.lineFeedPending ? "\n\n" : "\n";
      break;
    default:
      advance = file.lineFeedPending ? "\n" : "";
      break;
  }
  AppendRecord(file, advance, printed, "\r");
  file.lineFeedPending = true;
}

void BeginReportRecords(ReportFile& file, const RecordSink& records) {
  BeginReportFile(file, -1, "records", false);
  file.records = &records;
}

bool FlushReport(ReportFile& file) {
  if (file.descriptor < 0) {
    return file.failure == 0;
  }
  if (file.lineFeedPending) {
    Append(file, "\n", 1);
    file.lineFeedPending = false;
  }
  Flush(file);
  return file.failure == 0;
}

bool CloseReport(ReportFile& file) {
  if (file.records != nullptr) {
    file.records = nullptr;
    return true;
  }
  if (file.descriptor < 0) {
    return file.failure == 0;
  }
  FlushReport(file);
  if (close(file.descriptor) != 0 && file.failure == 0) {
    file.failure = errno;
  }
  file.descriptor = -1;
  return file.failure == 0;
}

void AbandonReport(ReportFile& file) {
  if (file.descriptor >= 0) {
    close(file.descriptor);
    file.descriptor = -1;
  }
}

}  // namespace kalvorden
