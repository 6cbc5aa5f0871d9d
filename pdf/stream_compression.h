#pragma once

// How fast the PDF's streams are compressed. cairo 1.16 compresses every
// stream it writes (page contents, forms, font subsets) at zlib's default
// level and offers no setting; compressing took a fifth of a calculation
// package's time. This program therefore supplies zlib's deflateInit_, the
// entry cairo opens each compressed stream with, and opens them at zlib's
// fastest level: the pages are the same, the file about a tenth larger, the
// drawing about a tenth faster. The supplied entry is the process's own
// (the executable's symbols come before zlib's), so it reaches cairo without
// any change to cairo. Should a later cairo open its streams another way,
// they are compressed at the default level again and nothing else changes.

#include <cstdint>

namespace kalvorden {

// zlib's level for every stream the program's PDFs hold (Z_BEST_SPEED).
inline constexpr int kStreamCompressionLevel = 1;

// How many compressed streams were opened through this program's entry
// since the process started: a PDF with pages has opened some, unless
// cairo no longer opens its streams through deflateInit_.
int64_t FastCompressedStreams();

}  // namespace kalvorden
