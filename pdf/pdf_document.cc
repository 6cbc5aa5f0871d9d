#include "pdf/pdf_document.h"

#include <cairo-pdf.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <malloc.h>

#include "pdf/printed_numbers.h"
#include "pdf/sheet_text.h"
#include "pdf/stream_compression.h"
#include "report/report_file.h"

namespace kalvorden {

// The file the PDF is streamed into (the pending file's temporary file),
// written through a buffer. The first failed write is kept and
// nothing more is written after it.
struct PdfDocument::Sink {
  int descriptor = -1;            // the pending file's
  std::string* memory = nullptr;  // or the bytes in memory
  int error = 0;                  // errno of the first failed write
  std::unique_ptr<char[]> buffer;
  size_t buffered = 0;
  bool discarding = false;  // abandoned: cairo's last words go nowhere

  static constexpr size_t kBufferSize = 1 << 16;

  void Flush() {
    if (error == 0 && memory != nullptr) {
      memory->append(buffer.get(), buffered);
    } else if (error == 0) {
      error = WriteAll(descriptor, buffer.get(), buffered);
    }
    buffered = 0;
  }

  bool Append(const unsigned char* data, size_t length) {
    while (length > 0 && error == 0 && !discarding) {
      if (buffered == kBufferSize) {
        Flush();
        continue;
      }
      const size_t piece = std::min(length, kBufferSize - buffered);
      std::memcpy(buffer.get() + buffered, data, piece);
      buffered += piece;
      data += piece;
      length -= piece;
    }
    return error == 0;
  }
};

namespace {

// The PDF's own stream callback, of exactly cairo's write function type.
cairo_status_t WriteToSink(void* closure, const unsigned char* data, unsigned int length) {
  auto* sink = static_cast<PdfDocument::Sink*>(closure);
  return sink->Append(data, length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

// Free memory at the top of the heap that is kept rather than given back to
// the system (see Open).
constexpr int kKeptHeap = 64 << 20;

DocumentFailure CairoFailure(cairo_status_t status) {
  return {true, false, cairo_status_to_string(status)};
}

}  // namespace

Fault DocumentFault(const DocumentFailure& failure, const std::string& label) {
  if (failure.disk) {
    return {kFaultWriteFailure, "write failure", "writing " + label, failure.reason};
  }
  return {kFaultWriteFailure, "PDF drawing failure", "writing " + label,
          "the PDF library refused a page: " + failure.reason + " (not a fault of the disk)"};
}

std::string IsoDate(const LocalDateTime& now, char separator) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d%c%02d:%02d:%02d", now.year % 10000,
                now.month % 100, now.day % 100, separator, now.hour % 100, now.minute % 100,
                now.second % 100);
  return text;
}

#ifndef KALVORDEN_VERSION
#error "KALVORDEN_VERSION must be defined by the build (the project's version)"
#endif

const char* ProgramVersion() {
  return "kalvorden " KALVORDEN_VERSION;
}

PdfDocument::PdfDocument(PaperSize paper, TitleBlockFields fields)
    : paper_(paper),
      titleBlock_(std::make_unique<TitleBlockPainter>(GeometryOf(paper), std::move(fields))) {}

PdfDocument::~PdfDocument() {
  Release();
}

void PdfDocument::Open(int descriptor, const DocumentMetadata& metadata) {
  Start(descriptor, nullptr, metadata);
}

void PdfDocument::OpenInMemory(std::string& bytes, const DocumentMetadata& metadata) {
  Start(-1, &bytes, metadata);
}

void PdfDocument::Start(int descriptor, std::string* memory, const DocumentMetadata& metadata) {
  // cairo builds each page in memory and frees it when the page is written;
  // with glibc's default trim threshold (128 KiB) every page shrank the heap
  // and the next grew it again, about 5 s of system time in a 3125-case run.
  // Freed memory is kept for reuse instead: the peak is the same. The
  // setting is the process's: a PDF is the largest thing it writes.
  mallopt(M_TRIM_THRESHOLD, kKeptHeap);
  // Names the fast compression's entry, so that the linker keeps it in
  // every program that writes a PDF (pdf/stream_compression.h).
  static_cast<void>(FastCompressedStreams());
  // And the fast printing of its numbers (pdf/printed_numbers.h).
  static_cast<void>(FastPrintedNumbers());
  sink_ = std::make_unique<Sink>();
  sink_->descriptor = descriptor;
  sink_->memory = memory;
  sink_->buffer = std::make_unique<char[]>(Sink::kBufferSize);
  const PaperGeometry geometry = page();
  surface_ = cairo_pdf_surface_create_for_stream(WriteToSink, sink_.get(), geometry.width,
                                                 geometry.height);
  cr_ = cairo_create(surface_);
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, metadata.title.c_str());
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR, metadata.creator.c_str());
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATE_DATE,
                                 metadata.createdDate.c_str());
  if (!metadata.subject.empty()) {
    cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_SUBJECT,
                                   ShowableText(metadata.subject).c_str());
  }
  if (!metadata.author.empty()) {
    cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_AUTHOR,
                                   ShowableText(metadata.author).c_str());
  }
}

void PdfDocument::EndSheet(const std::string& subject) {
  if (subject != subject_) {
    subject_ = subject;
    titleBlock_->SetSubject(subject);
  }
  titleBlock_->Draw(cr_, sheetsDrawn_ + 1, sheetCount_);
  cairo_show_page(cr_);
  ++sheetsDrawn_;
}

int PdfDocument::AddBookmark(int parent, const std::string& title, int64_t sheet) {
  const std::string link = "page=" + std::to_string(sheet);
  return cairo_pdf_surface_add_outline(surface_, parent, ShowableText(title).c_str(), link.c_str(),
                                       CAIRO_PDF_OUTLINE_FLAG_OPEN);
}

// The whole page goes to cairo as one run of glyphs, each character at its
// cell of the monospaced grid and the blanks left out: many times faster
// than a call per line, and the same page. (Readers take the blanks from the
// gaps, as they do for any PDF text.)
void PdfDocument::ShowMonospacedLines(const std::vector<std::string>& lines, double left,
                                      double top, double characterPitch, double linePitch,
                                      const std::vector<bool>* leaveOut, cairo_t* target) {
  if (!glyphsKnown_) {
    LearnGlyphs();
  }
  pageGlyphs_.clear();
  double baseline = top;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (leaveOut != nullptr && i < leaveOut->size() && (*leaveOut)[i]) {
      baseline += linePitch;
      continue;
    }
    for (size_t column = 0; column < line.size(); ++column) {
      const auto code = static_cast<unsigned char>(line[column]);
      if (code != ' ') {
        const unsigned long glyph = code < glyphs_.size() ? glyphs_[code] : 0;
        pageGlyphs_.push_back(
            {glyph, left + static_cast<double>(column) * characterPitch, baseline});
      }
    }
    baseline += linePitch;
  }
  cairo_show_glyphs(target != nullptr ? target : cr_, pageGlyphs_.data(),
                    static_cast<int>(pageGlyphs_.size()));
}

// The glyph of every printable ASCII character in the monospaced font (the
// report's lines and the calculation sheet hold nothing else); anything
// else shows as the font's missing-glyph box. A glyph's number is the
// font's, whatever its size.
void PdfDocument::LearnGlyphs() {
  glyphs_.fill(0);
  cairo_scaled_font_t* font = cairo_get_scaled_font(cr_);
  for (int code = '!'; code <= '~'; ++code) {
    const char text[2] = {static_cast<char>(code), '\0'};
    cairo_glyph_t* glyphs = nullptr;
    int count = 0;
    if (cairo_scaled_font_text_to_glyphs(font, 0, 0, text, 1, &glyphs, &count, nullptr, nullptr,
                                         nullptr) == CAIRO_STATUS_SUCCESS &&
        count == 1) {
      glyphs_[code] = glyphs[0].index;
    }
    cairo_glyph_free(glyphs);
  }
  glyphsKnown_ = true;
}

DocumentFailure PdfDocument::Failure() const {
  if (sink_ == nullptr) {
    return {true, false, "the file was not created"};
  }
  if (sink_->error != 0) {
    return {true, true, std::strerror(sink_->error)};
  }
  if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) {
    return CairoFailure(cairo_status(cr_));
  }
  if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) {
    return CairoFailure(cairo_surface_status(surface_));
  }
  return {};
}

DocumentFailure PdfDocument::Close() {
  if (DocumentFailure failure = Failure(); failure.failed) {
    return failure;
  }
  // Finishing the surface writes the fonts, the bookmarks and the
  // cross-reference table: the file is complete only after it.
  cairo_destroy(cr_);
  cr_ = nullptr;
  cairo_surface_finish(surface_);
  const cairo_status_t status = cairo_surface_status(surface_);
  cairo_surface_destroy(surface_);
  surface_ = nullptr;
  sink_->Flush();
  if (sink_->error != 0) {
    return {true, true, std::strerror(sink_->error)};
  }
  if (status != CAIRO_STATUS_SUCCESS) {
    return CairoFailure(status);
  }
  return {};
}

void PdfDocument::Release() noexcept {
  if (sink_ != nullptr) {
    sink_->discarding = true;
  }
  if (cr_ != nullptr) {
    cairo_destroy(cr_);
    cr_ = nullptr;
  }
  if (surface_ != nullptr) {
    cairo_surface_destroy(surface_);
    surface_ = nullptr;
  }
  sink_.reset();
}

}  // namespace kalvorden
