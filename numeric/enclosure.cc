#include "numeric/enclosure.h"

namespace kalvorden {

int64_t RoundToHundredths(Enclosure value) {
  using namespace enclosure_detail;
  RequireFinite(value);
  // Below 2^33 the scaled value stays far inside the range where a double
  // holds every integer and x - floor(x) is exact.
  if (!(value.lo > 0 && value.hi < 0x1p33)) {
    throw UncertainDecision{};
  }
  const Enclosure scaled = Mul(value, EncloseInteger(100));
  const double whole = std::floor(scaled.lo);
  if (std::floor(scaled.hi) != whole) {
    throw UncertainDecision{};
  }
  if (scaled.hi - whole < 0.5) {
    return static_cast<int64_t>(whole);
  }
  if (scaled.lo - whole > 0.5) {
    return static_cast<int64_t>(whole) + 1;
  }
  throw UncertainDecision{};  // a halfway point may lie inside
}

}  // namespace kalvorden
