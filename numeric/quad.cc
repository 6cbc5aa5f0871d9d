#include "numeric/quad.h"

#include "numeric/quad_ops.h"

namespace kalvorden {

int32_t TruncateToInt32(Quad value) {
  using namespace quad_detail;
  const U128 bits = Bits(value);
  const bool negative = (bits >> 127) != 0;
  const int32_t exponent = static_cast<int32_t>(BiasedExponent(bits)) - kBias;
  if (exponent < 0) {
    return 0;  // |value| < 1, zeros and subnormals included
  }
  if (exponent >= 31) {
    // Only -2^31 itself fits; every larger magnitude, infinity and NaN gives
    // the same -2147483648.
    return INT32_MIN;
  }
  // The integer part: the significand shifted down past its fraction bits.
  const auto magnitude = static_cast<int64_t>(Significand(bits) >> (kFractionBits - exponent));
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

Quad Abs(Quad value) {
  using namespace quad_detail;
  return FromBits(Bits(value) & ~(U128{1} << 127));
}

bool IsFinite(Quad value) {
  using namespace quad_detail;
  return BiasedExponent(Bits(value)) != kExponentMask;
}

}  // namespace kalvorden
