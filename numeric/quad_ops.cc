#include "numeric/quad_ops.h"

#include "numeric/glibc_float128.h"

namespace kalvorden {

Quad Sqrt(Quad value) {
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

  // A first root from the top 64 bits of M in extended precision (64
  // significant bits, correctly rounded), good to about 62 bits.
  const U64 top = static_cast<U64>(m >> 50);
  const long double topRoot = __builtin_sqrtl(static_cast<long double>(top));
  long double scaled = topRoot * 2147483648.0L;  // 2^31: the estimate's top bit at 62 or 63
  if (scaled > 9223372036854775807.0L) {
    scaled = 9223372036854775807.0L;
  }
  U128 root = static_cast<U128>(static_cast<U64>(scaled)) << 51;
  const U128 least = U128{1} << 113;
  const U128 most = (U128{1} << 114) - 1;
  root = root < least ? least : (root > most ? most : root);

  // One Newton step doubles the good bits: R = (R0 + floor(N / R0)) / 2 with
  // N = M 2^114, computed as (M 2^128) / (R0 2^14) so the divisor is
  // normalised.
  U128 ignored;
  const U128 quotient = Divide256(m, 0, root << 14, ignored);
  root = (root + quotient) >> 1;

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
