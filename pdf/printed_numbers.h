#pragma once

// How the PDF's numbers are printed. cairo 1.16 prints every coordinate,
// matrix entry and text offset of a page with snprintf ("%f", "%.*f",
// "%d"), and glibc's printf of a double works through multiple-precision
// arithmetic: a fifth of a 3125-case package's time. This program
// therefore supplies __snprintf_chk, the entry cairo's snprintf calls reach
// (it is built with _FORTIFY_SOURCE), and prints those forms with
// std::to_chars, which the C++ standard defines as printf's own digits (the
// exact value correctly rounded, ties to even; the program never leaves the
// "C" locale, whose decimal point it writes): the same characters, several
// times faster. Every other form goes to glibc's own __vsnprintf_chk. As
// with the compression level (pdf/stream_compression.h), the executable's
// entry comes before the C library's, so it reaches cairo unchanged; were a
// later cairo to print another way, its numbers are glibc's again and
// nothing else changes.

#include <cstdint>

namespace kalvorden {

// How many numbers were printed through this program's entry since the
// process started.
int64_t FastPrintedNumbers();

}  // namespace kalvorden
