#include "numeric/quad_ops.h"

#include <emmintrin.h>

#include "numeric/glibc_float128.h"

namespace kalvorden {

Quad SquareRoot(Quad value) {
  using namespace quad_detail;
  const U128 bits = Bits(value);
  const int32_t biased = static_cast<int32_t>(BiasedExponent(bits));
  if ((bits >> 127) != 0 || !IsNormalExponent(biased)) {
    return sqrtf128(value);
  }
  // value = m 2^(e - 112) with m in [2^112, 2^113). With e made even by
  // doubling m when it is odd, sqrt(value) = sqrt(M 2^114) 2^(e/2 - 113), and
  // R = floor(sqrt(M 2^114)) lies in [2^113, 2^114): the 113 bits of the
  // result and one rounding bit.
  U128 m = Significand(bits);
  int32_t e = biased - kBias;
  if ((e & 1) != 0) {
    m <<= 1;
    e -= 1;
  }

  // A first root from the top 64 bits of M in double precision (the SSE
  // square root, correctly rounded to 53 bits): R0 is good to about 51 bits.
  // It does not depend on any floating-point control setting.
  const U64 top = static_cast<U64>(m >> 50);  // in [2^62, 2^64)
  const double topRoot =
      _mm_cvtsd_f64(_mm_sqrt_sd(_mm_setzero_pd(), _mm_set_sd(static_cast<double>(top))));
  // sqrt(N) = sqrt(M 2^114) ~ sqrt(top) 2^82, and sqrt(top) < 2^32.
  U128 root = static_cast<U128>(static_cast<U64>(topRoot * 1073741824.0)) << 52;  // x 2^30
  const U128 least = U128{1} << 113;
  const U128 most = (U128{1} << 114) - 1;
  root = root < least ? least : (root > most ? most : root);

  // Newton steps R' = (R + floor(N / R)) / 2 with N = M 2^114, computed as
  // (M 2^128) / (R 2^14) so the divisor is normalised. Each step squares the
  // relative error (2^-51 -> 2^-102 -> below one unit), and from the first
  // step on R stays at or above floor(sqrt(N)).
  for (int step = 0; step < 2; ++step) {
    U128 ignored;
    const U128 quotient = Divide256(m, 0, root << 14, ignored);
    root = (root + quotient) >> 1;
  }

  // Settle R exactly: R^2 <= N < (R + 1)^2, comparing 256-bit squares.
  const U128 nHigh = m >> 14;
  const U128 nLow = m << 114;
  auto squareExceeds = [&](U128 r) {
    U128 high, low;
    MultiplyWide(r, r, high, low);
    return high > nHigh || (high == nHigh && low > nLow);
  };
  while (squareExceeds(root)) {
    --root;
  }
  while (!squareExceeds(root + 1)) {
    ++root;
  }
  U128 high, low;
  MultiplyWide(root, root, high, low);
  const bool exact = high == nHigh && low == nLow;

  // The rounding bit is never an exact tie: an odd R cannot square to the
  // even N, so a set rounding bit always rounds up.
  int32_t exponent = e / 2 + kBias;
  const U128 significand = RoundNearestEven(root, 1, !exact, exponent);
  return FromBits(Pack(0, exponent, significand));
}

}  // namespace kalvorden
