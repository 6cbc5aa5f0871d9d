#include "pdf/printed_numbers.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

namespace {

// glibc's own printing of the form, the reference: its snprintf, reached
// through its address (a call by name may be the checked entry, which the
// program supplies).
using Printf = int (*)(char*, size_t, const char*, ...);
const Printf glibcSnprintf = &std::snprintf;

// The program's, through the entry cairo's snprintf calls (cairo is built
// with _FORTIFY_SOURCE; this test need not be).
extern "C" int __snprintf_chk(  // NOLINT(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
    char* s, size_t maxlen, int flag, size_t slen, const char* format, ...);

template <typename... Arguments>
std::string Printed(bool program, size_t size, const char* format, Arguments... arguments) {
  std::string text(size, '#');
  const int length = program ? __snprintf_chk(text.data(), size, 1, size, format, arguments...)
                             : glibcSnprintf(text.data(), size, format, arguments...);
  return std::to_string(length) + ":" + text;
}

template <typename... Arguments>
std::string Program(size_t size, const char* format, Arguments... arguments) {
  return Printed(true, size, format, arguments...);
}

template <typename... Arguments>
std::string Glibc(size_t size, const char* format, Arguments... arguments) {
  return Printed(false, size, format, arguments...);
}

// A fixed sequence of 64-bit patterns (splitmix64), the same every run.
uint64_t NextBits(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

// Every form cairo prints its numbers with gives glibc's characters, its
// length and its cut to the buffer: the exact value rounded to nearest,
// ties to even, at any magnitude.
TEST(PrintedNumbers, TheCharactersGlibcPrints) {
  std::vector<double> values = {0.0,
                                1.0,
                                0.5,
                                1.5,
                                2.5,
                                0.125,
                                -0.375,
                                0.05,
                                1e-7,
                                513.637,
                                -1.10376,
                                841.89,
                                9.965937,
                                1e22,
                                1e300,
                                -1e-300,
                                std::numeric_limits<double>::denorm_min(),
                                std::numeric_limits<double>::max(),
                                HUGE_VAL,
                                -HUGE_VAL,
                                std::nan("")};
  uint64_t state = 20261211;
  for (int i = 0; i < 3000; ++i) {
    const double value = std::bit_cast<double>(NextBits(state));
    values.push_back(std::isfinite(value) ? value : 0.0);
    // Page coordinates: up to a few thousand points, in millionths.
    values.push_back(std::ldexp(static_cast<double>(NextBits(state) >> 42), -20));
  }
  const int64_t before = kalvorden::FastPrintedNumbers();
  for (const size_t size : {size_t{100}, size_t{8}, size_t{1}}) {
    for (const double value : values) {
      SCOPED_TRACE(testing::Message() << std::hexfloat << value << " in " << size);
      EXPECT_EQ(Program(size, "%f", value), Glibc(size, "%f", value));
      EXPECT_EQ(Program(size, "%.3f", value), Glibc(size, "%.3f", value));
      EXPECT_EQ(Program(size, "%.18f", value), Glibc(size, "%.18f", value));
      for (const int precision : {-1, 0, 2, 6, 17}) {
        EXPECT_EQ(Program(size, "%.*f", precision, value), Glibc(size, "%.*f", precision, value));
      }
    }
    for (const int value : {INT_MIN, -602, -1, 0, 7, 2408, INT_MAX}) {
      EXPECT_EQ(Program(size, "%d", value), Glibc(size, "%d", value));
    }
    EXPECT_EQ(Program(size, "%g %x", 0.1, 255U), Glibc(size, "%g %x", 0.1, 255U));
  }
  EXPECT_GT(kalvorden::FastPrintedNumbers(), before) << "the program's entry was not reached";
}

}  // namespace
