#include "numeric/quad.h"

#include "numeric/quad_ops.h"

namespace kalvorden {

int32_t TruncateToInt32(Quad value) {
  // Every value strictly between -2^31 - 1 and 2^31 truncates into range;
  // the comparisons are false for a NaN as well.
  const Quad lowerExclusive = -2147483649.0;
  const Quad upperExclusive = 2147483648.0;
  if (!(Less(lowerExclusive, value) && Less(value, upperExclusive))) {
    return INT32_MIN;
  }
  return static_cast<int32_t>(value);
}

Quad SquareRoot(Quad value) { return Sqrt(value); }

Quad Abs(Quad value) {
  using namespace quad_detail;
  return FromBits(Bits(value) & ~(U128{1} << 127));
}

bool IsNaN(Quad value) { return value != value; }

bool IsFinite(Quad value) {
  const Quad difference = value - value;  // 0 for finite values, NaN otherwise
  return difference == difference;
}

}  // namespace kalvorden
