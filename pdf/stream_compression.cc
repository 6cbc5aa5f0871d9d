#include "pdf/stream_compression.h"

#include <zlib.h>

#include <atomic>

namespace kalvorden {
namespace {

// Streams are opened on any thread that writes a PDF (the web server's
// design threads too).
std::atomic<int64_t> fastStreams{0};

}  // namespace

int64_t FastCompressedStreams() {
  return fastStreams.load(std::memory_order_relaxed);
}

}  // namespace kalvorden

// zlib's own entry behind its deflateInit macro, with the caller's level
// replaced; everything else as zlib's defaults (deflateInit is
// deflateInit2 with a 32 KB window and memory level 8).
extern "C" int deflateInit_(z_streamp stream, int /*level*/, const char* version, int streamSize) {
  kalvorden::fastStreams.fetch_add(1, std::memory_order_relaxed);
  return deflateInit2_(stream, kalvorden::kStreamCompressionLevel, Z_DEFLATED, MAX_WBITS, 8,
                       Z_DEFAULT_STRATEGY, version, streamSize);
}
