#pragma once

// Binary128 addition, subtraction, multiplication, division and square root,
// each giving exactly the correctly rounded (round to nearest, ties to even)
// result that the compiler's operators and glibc's sqrtf128 give, but
// computed directly on the 113-bit significands with 64-bit integer
// instructions. They take a short path for the values the design produces
// (normal operands with a normal result) and hand every other case (zeros,
// subnormals, infinities, NaNs, overflow, underflow, an exact zero sum) to
// the generic routines, so their results are the generic ones everywhere.
//
// Why: the generic routines handle every rounding mode, exception flag and
// special value on every call; the design spends most of its time in them.

#include <bit>
#include <cstdint>
#include <cstring>

#include <emmintrin.h>

#include "numeric/quad.h"

namespace kalvorden {
namespace quad_detail {

using U64 = uint64_t;
using U128 = unsigned __int128;

constexpr int kFractionBits = 112;
constexpr U128 kFractionMask = (U128{1} << kFractionBits) - 1;
constexpr U128 kHiddenBit = U128{1} << kFractionBits;
constexpr uint32_t kExponentMask = 0x7fff;
constexpr int kBias = 16383;

// The bits of a binary128 value and back. The value lives in an SSE register
// and the integer work in general registers; moving each half with its own
// instruction avoids a round trip through memory, which costs more than the
// arithmetic when the two halves are stored and reloaded as one.
inline U128 Bits(Quad value) {
  const __m128i v = __builtin_bit_cast(__m128i, value);
  const U64 low = static_cast<U64>(_mm_cvtsi128_si64(v));
  const U64 high = static_cast<U64>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(v, v)));
  return (static_cast<U128>(high) << 64) | low;
}

inline Quad FromBits(U128 bits) {
  const __m128i v = _mm_set_epi64x(static_cast<long long>(static_cast<U64>(bits >> 64)),
                                   static_cast<long long>(static_cast<U64>(bits)));
  return __builtin_bit_cast(Quad, v);
}

inline uint32_t BiasedExponent(U128 bits) {
  return static_cast<uint32_t>(bits >> kFractionBits) & kExponentMask;
}

// A biased exponent of a normal number: 1 to 0x7ffe.
inline bool IsNormalExponent(int32_t biased) {
  return biased >= 1 && biased <= 0x7ffe;
}

inline U128 Significand(U128 bits) {
  return (bits & kFractionMask) | kHiddenBit;
}

inline U128 Pack(U128 sign, int32_t biasedExponent, U128 significand) {
  return (sign << 127) | (static_cast<U128>(static_cast<uint32_t>(biasedExponent)) << 112) |
         (significand & kFractionMask);
}

// Rounds a significand that carries `extra` bits below the 113 kept ones, and
// a sticky flag for anything below those, to nearest with ties to even. A
// carry out of the 113 bits moves into the exponent.
inline U128 RoundNearestEven(U128 wide, int extra, bool sticky, int32_t& biasedExponent) {
  U128 kept = wide >> extra;
  const U128 dropped = wide & ((U128{1} << extra) - 1);
  const U128 half = U128{1} << (extra - 1);
  if (dropped > half || (dropped == half && (sticky || (kept & 1) != 0))) {
    ++kept;
  }
  if (kept == (U128{1} << 113)) {
    kept >>= 1;
    ++biasedExponent;
  }
  return kept;
}

inline int LeadingZeros(U128 value) {
  const U64 high = static_cast<U64>(value >> 64);
  return high != 0 ? __builtin_clzll(high) : 64 + __builtin_clzll(static_cast<U64>(value));
}

// 113 x 113 -> 226-bit product as (high, low) 128-bit halves.
inline void MultiplyWide(U128 a, U128 b, U128& high, U128& low) {
  const U64 a0 = static_cast<U64>(a);
  const U64 a1 = static_cast<U64>(a >> 64);
  const U64 b0 = static_cast<U64>(b);
  const U64 b1 = static_cast<U64>(b >> 64);
  const U128 p00 = static_cast<U128>(a0) * b0;
  const U128 p01 = static_cast<U128>(a0) * b1;
  const U128 p10 = static_cast<U128>(a1) * b0;
  const U128 p11 = static_cast<U128>(a1) * b1;
  // a1 and b1 are below 2^50, so the two middle products sum without overflow.
  const U128 middle = p01 + p10;
  low = p00 + (middle << 64);
  const U128 carry = low < p00 ? 1 : 0;
  high = p11 + (middle >> 64) + carry;
}

// Hardware division of the 128-bit (high, low) by `divisor`; high < divisor.
inline U64 DivideHardware(U64 high, U64 low, U64 divisor, U64& remainder) {
  U64 quotient;
  __asm__("divq %4" : "=a"(quotient), "=d"(remainder) : "a"(low), "d"(high), "r"(divisor));
  return quotient;
}

// Schoolbook division in base 2^64 of the 256-bit number (high, low) by a
// 128-bit divisor whose top bit is set, with high < divisor so that the
// quotient fits 128 bits. Each quotient digit is estimated from the top
// digits by one hardware division and corrected, as in Knuth's algorithm D.
inline U128 Divide256(U128 high, U128 low, U128 divisor, U128& remainder) {
  const U64 d1 = static_cast<U64>(divisor >> 64);
  const U64 d0 = static_cast<U64>(divisor);
  const U64 nextDigits[2] = {static_cast<U64>(low >> 64), static_cast<U64>(low)};
  U128 partial = high;  // the top two digits of the running remainder
  U64 quotient[2];
  for (int i = 0; i < 2; ++i) {
    const U64 digit = nextDigits[i];
    const U64 top = static_cast<U64>(partial >> 64);
    U64 estimate;
    U128 estimateRemainder;  // partial - estimate * d1, may exceed 64 bits
    if (top >= d1) {
      estimate = ~U64{0};
      estimateRemainder = partial - static_cast<U128>(estimate) * d1;
    } else {
      U64 r;
      estimate = DivideHardware(top, static_cast<U64>(partial), d1, r);
      estimateRemainder = r;
    }
    // At most two corrections make the estimate exact or one too large.
    while ((estimateRemainder >> 64) == 0 &&
           static_cast<U128>(estimate) * d0 > ((estimateRemainder << 64) | digit)) {
      --estimate;
      estimateRemainder += d1;
    }
    // (partial, digit) - estimate * divisor, as a 192-bit subtraction.
    const U128 productLow = static_cast<U128>(estimate) * d0;
    const U128 productHigh = static_cast<U128>(estimate) * d1 + (productLow >> 64);
    const U64 product0 = static_cast<U64>(productLow);
    U64 rest0 = digit - product0;
    const U128 borrow = digit < product0 ? 1 : 0;
    U128 restHigh = partial - productHigh - borrow;
    const bool negative = partial < productHigh || (partial - productHigh) < borrow;
    if (negative) {
      --estimate;
      const U128 sum0 = static_cast<U128>(rest0) + d0;
      rest0 = static_cast<U64>(sum0);
      restHigh = restHigh + d1 + (sum0 >> 64);
    }
    quotient[i] = estimate;
    partial = (restHigh << 64) | rest0;
  }
  remainder = partial;
  return (static_cast<U128>(quotient[0]) << 64) | quotient[1];
}

// Two operands as bits with their biased exponents.
struct Operands {
  U128 a = 0;
  U128 b = 0;
  int32_t ea = 0;
  int32_t eb = 0;
};

// Unpacks a and b; false unless both are normal numbers.
inline bool BothNormal(Quad a, Quad b, Operands& o) {
  o.a = Bits(a);
  o.b = Bits(b);
  o.ea = static_cast<int32_t>(BiasedExponent(o.a));
  o.eb = static_cast<int32_t>(BiasedExponent(o.b));
  return IsNormalExponent(o.ea) && IsNormalExponent(o.eb);
}

// The sum of two normal numbers given by their bits, when it is a normal
// number: returns false (and leaves `sum` alone) otherwise.
inline bool AddNormal(U128 bitsA, U128 bitsB, U128& sum) {
  int32_t ea = static_cast<int32_t>(BiasedExponent(bitsA));
  int32_t eb = static_cast<int32_t>(BiasedExponent(bitsB));
  if (!IsNormalExponent(ea) || !IsNormalExponent(eb)) {
    return false;
  }
  const bool subtract = ((bitsA ^ bitsB) >> 127) != 0;
  // Three bits below the significand (guard, round and sticky) are enough
  // for a correctly rounded sum.
  U128 ma = Significand(bitsA) << 3;
  U128 mb = Significand(bitsB) << 3;
  U128 sign = bitsA >> 127;
  if (eb > ea || (eb == ea && mb > ma)) {
    const U128 m = ma;
    ma = mb;
    mb = m;
    const int32_t e = ea;
    ea = eb;
    eb = e;
    sign = bitsB >> 127;
  }
  const int32_t distance = ea - eb;
  if (distance >= 116) {
    mb = 1;  // all of the smaller operand lies below the sticky bit
  } else if (distance > 0) {
    const bool lost = (mb & ((U128{1} << distance) - 1)) != 0;
    mb = (mb >> distance) | (lost ? 1 : 0);
  }
  int32_t exponent = ea;
  U128 wide;
  if (!subtract) {
    wide = ma + mb;
    if ((wide >> 116) != 0) {
      wide = (wide >> 1) | (wide & 1);
      ++exponent;
    }
  } else {
    wide = ma - mb;
    if (wide == 0) {
      return false;  // an exact zero: its sign is the generic routine's business
    }
    const int shift = LeadingZeros(wide) - (127 - 115);
    wide <<= shift;
    exponent -= shift;
  }
  const U128 significand = RoundNearestEven(wide, 3, false, exponent);
  if (!IsNormalExponent(exponent)) {
    return false;
  }
  sum = Pack(sign, exponent, significand);
  return true;
}

}  // namespace quad_detail

// a + b, rounded once to nearest.
inline Quad Add(Quad a, Quad b) {
  using namespace quad_detail;
  U128 sum;
  if (AddNormal(Bits(a), Bits(b), sum)) {
    return FromBits(sum);
  }
  return a + b;
}

// a - b, rounded once to nearest: a + (-b) for normal operands.
inline Quad Sub(Quad a, Quad b) {
  using namespace quad_detail;
  U128 difference;
  if (AddNormal(Bits(a), Bits(b) ^ (U128{1} << 127), difference)) {
    return FromBits(difference);
  }
  return a - b;
}

// a x b, rounded once to nearest.
inline Quad Mul(Quad a, Quad b) {
  using namespace quad_detail;
  Operands o;
  if (!BothNormal(a, b, o)) {
    return a * b;
  }
  U128 high, low;
  MultiplyWide(Significand(o.a), Significand(o.b), high, low);
  // The product of two significands in [2^112, 2^113) lies in [2^224, 2^226).
  int32_t exponent = o.ea + o.eb - kBias;
  const int shift = (high >> 97) != 0 ? 113 : 112;  // bits below the kept 113
  if (shift == 113) {
    ++exponent;
  }
  // Keep 113 bits plus one rounding bit; the rest only matters as sticky.
  const int extraBelowRound = shift - 1;
  const U128 withRoundBit = (high << (128 - extraBelowRound)) | (low >> extraBelowRound);
  const bool sticky = (low & ((U128{1} << extraBelowRound) - 1)) != 0;
  const U128 significand = RoundNearestEven(withRoundBit, 1, sticky, exponent);
  if (!IsNormalExponent(exponent)) {
    return a * b;
  }
  return FromBits(Pack((o.a ^ o.b) >> 127, exponent, significand));
}

// a / b, rounded once to nearest.
inline Quad Div(Quad a, Quad b) {
  using namespace quad_detail;
  Operands o;
  if (!BothNormal(a, b, o)) {
    return a / b;
  }
  // floor(ma 2^115 / mb) lies in (2^114, 2^116): 113 bits, a rounding bit and
  // at least one more; the remainder decides the sticky bit. Shifting both by
  // 15 more puts the divisor's top bit at bit 127, as the division needs.
  U128 remainder;
  const U128 quotient = Divide256(Significand(o.a) << 2, 0, Significand(o.b) << 15, remainder);
  int32_t exponent = o.ea - o.eb + kBias;
  int extra = 3;
  if ((quotient >> 115) == 0) {
    extra = 2;
    --exponent;
  }
  const bool sticky = remainder != 0 || (quotient & ((U128{1} << (extra - 1)) - 1)) != 0;
  const U128 significand = RoundNearestEven(quotient >> (extra - 1), 1, sticky, exponent);
  if (!IsNormalExponent(exponent)) {
    return a / b;
  }
  return FromBits(Pack((o.a ^ o.b) >> 127, exponent, significand));
}

// The square root is SquareRoot (numeric/quad.h), computed the same way.

// A double as binary128, exactly (every double is one): a normal double's
// bits moved into place (its sign, its exponent rebiased, its 52 fraction
// bits at the top of the 112), anything else by the generic conversion.
inline Quad FromDouble(double value) {
  using namespace quad_detail;
  constexpr int kDoubleFractionBits = 52;
  constexpr int kDoubleBias = 1023;
  const auto bits = std::bit_cast<U64>(value);
  const auto biased = static_cast<int>((bits >> kDoubleFractionBits) & 0x7ff);
  if (biased == 0 || biased == 0x7ff) {
    return static_cast<Quad>(value);  // zero, subnormal, infinity, NaN
  }
  const U128 sign = U128{bits >> 63} << 127;
  const U128 exponent = U128(static_cast<U64>(biased - kDoubleBias + kBias)) << kFractionBits;
  const U128 fraction = U128{bits & ((U64{1} << kDoubleFractionBits) - 1)}
                        << (kFractionBits - kDoubleFractionBits);
  return FromBits(sign | exponent | fraction);
}

// a < b, exactly as the compiler's comparison: false when either is a NaN,
// and -0 equals +0. Outside NaNs, IEEE order is the order of the bit patterns
// read as sign and magnitude.
inline bool Less(Quad a, Quad b) {
  using namespace quad_detail;
  const U128 x = Bits(a);
  const U128 y = Bits(b);
  const U128 magnitudeMask = ~(U128{1} << 127);
  const U128 infinity = U128{kExponentMask} << kFractionBits;
  if ((x & magnitudeMask) > infinity || (y & magnitudeMask) > infinity) {
    return false;  // a NaN is unordered
  }
  if (((x | y) & magnitudeMask) == 0) {
    return false;  // both zero, whatever their signs
  }
  const bool negativeX = (x >> 127) != 0;
  const bool negativeY = (y >> 127) != 0;
  if (negativeX != negativeY) {
    return negativeX;
  }
  return negativeX ? (x & magnitudeMask) > (y & magnitudeMask)
                   : (x & magnitudeMask) < (y & magnitudeMask);
}

}  // namespace kalvorden
