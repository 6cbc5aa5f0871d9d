// The fast engine (enclosures in hardware doubles, exact fallback) against the
// exact binary128 engine: every SpanDesign field identical (the working
// values as printed), on random realistic and extreme cases, with the
// fallback forced at every kind of decision; and the enclosures themselves
// against the exact operations.
//
// KALVORDEN_DIFFERENTIAL_SCALE=n multiplies the number of random cases (the
// normal suite designs about 120,000 spans each way; 100 gives 12 million).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <string>

#include "design/as_built_check.h"
#include "design/design_cases.h"
#include "design/span_quantities.h"
#include "design/span_sweep.h"
#include "design/thickness_search.h"
#include "numeric/decimal.h"
#include "numeric/deferred_enclosure.h"
#include "numeric/enclosure.h"
#include "numeric/glibc_float128.h"
#include "numeric/quad_ops.h"

using namespace kalvorden;

namespace {

bool SameBits(Quad a, Quad b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Every field of two span records, bit for bit, but the working values as
// an output prints them (the digits are all a record with them promises).
::testing::AssertionResult SameSpan(const SpanDesign& a, const SpanDesign& b) {
  const Quad quadsA[] = {a.spanLength, a.minThickness, a.designSpan, a.distBarArea};
  const Quad quadsB[] = {b.spanLength, b.minThickness, b.designSpan, b.distBarArea};
  for (size_t i = 0; i < std::size(quadsA); ++i) {
    if (!SameBits(quadsA[i], quadsB[i])) {
      return ::testing::AssertionFailure() << "binary128 field " << i << " differs";
    }
  }
  const Quad workingA[] = {a.designMoment, a.effectiveDepth, a.requiredSteelArea};
  const Quad workingB[] = {b.designMoment, b.effectiveDepth, b.requiredSteelArea};
  for (size_t i = 0; i < std::size(workingA); ++i) {
    const std::string printedA = SignificantDecimal(workingA[i], kWorkingValueDigits);
    const std::string printedB = SignificantDecimal(workingB[i], kWorkingValueDigits);
    if (printedA != printedB) {
      return ::testing::AssertionFailure()
             << "working value " << i << ": " << printedA << " against " << printedB;
    }
  }
  const int32_t intsA[] = {a.actualThickness,
                           a.mainBarDesignation,
                           a.mainBarSpacing,
                           a.middleHalfBarCount,
                           a.distBarDesignation,
                           a.outerQuartersBarCount,
                           static_cast<int32_t>(a.fault)};
  const int32_t intsB[] = {b.actualThickness,
                           b.mainBarDesignation,
                           b.mainBarSpacing,
                           b.middleHalfBarCount,
                           b.distBarDesignation,
                           b.outerQuartersBarCount,
                           static_cast<int32_t>(b.fault)};
  if (a.minThicknessHundredths != b.minThicknessHundredths) {
    return ::testing::AssertionFailure()
           << "hundredths " << a.minThicknessHundredths << " against " << b.minThicknessHundredths;
  }
  for (size_t i = 0; i < std::size(intsA); ++i) {
    if (intsA[i] != intsB[i]) {
      return ::testing::AssertionFailure()
             << "integer field " << i << ": " << intsA[i] << " against " << intsB[i];
    }
  }
  return ::testing::AssertionSuccess();
}

struct CaseDesign {
  SweepResult sweep;
  SpanDesign spans[kSpansPerCase];
};

CaseDesign Design(const DesignCase& c, const DesignOptions& options) {
  CaseDesign d;
  SweepState state;
  d.sweep = SweepSpans(c, state, d.spans, options);
  return d;
}

CaseDesign DesignWidened(const DesignCase& c, double widening, bool workingValues) {
  CaseDesign d;
  SweepState state;
  d.sweep = SweepSpansWidened(c, state, d.spans, widening, workingValues);
  return d;
}

CaseDesign WithoutWorkingValues(CaseDesign d) {
  for (SpanDesign& span : d.spans) {
    span.designMoment = span.effectiveDepth = span.requiredSteelArea = 0;
  }
  return d;
}

::testing::AssertionResult SameDesign(const CaseDesign& a, const CaseDesign& b) {
  if (a.sweep.spanCount != b.sweep.spanCount || a.sweep.fault != b.sweep.fault ||
      !SameBits(a.sweep.firstFaultSpan, b.sweep.firstFaultSpan)) {
    return ::testing::AssertionFailure() << "sweep results differ";
  }
  for (int32_t i = 0; i < a.sweep.spanCount; ++i) {
    ::testing::AssertionResult same = SameSpan(a.spans[i], b.spans[i]);
    if (!same) {
      return same << " at span " << i;
    }
  }
  return ::testing::AssertionSuccess();
}

int Scale() {
  const char* text = std::getenv("KALVORDEN_DIFFERENTIAL_SCALE");
  return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : 1;
}

// Random cases: values a dialogue would take, and values far outside them.
class CaseMaker {
 public:
  explicit CaseMaker(uint64_t seed) : random_(seed) {}

  DesignCase Realistic() {
    return Finish(Uniform(20, 250), Uniform(20, 100), Uniform(0, 5), Uniform(80, 400),
                  Uniform(3, 40));
  }

  // Values spread over many orders of magnitude, now and then zero,
  // negative, subnormal in double or beyond the double range.
  DesignCase Extreme() { return Finish(Wild(), Wild(), Wild(), Wild(), Wild()); }

 private:
  double Uniform(double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random_);
  }

  Quad Wild() {
    switch (random_() % 10) {
      case 0:
        return 0;
      case 1:
        return -std::exp(Uniform(-5, 10));
      case 2: {  // beyond the double range, or below its normal numbers
        const Quad huge = Mul(0x1p600, 0x1p500);
        return random_() % 2 == 0 ? huge * Uniform(1, 2) : Uniform(1, 2) / huge;
      }
      default:
        return std::exp(Uniform(-25, 25));
    }
  }

  // A case with the values given, rounded to binary128 from a double and then
  // made odd in the last bits, so that they are not doubles themselves.
  DesignCase Finish(Quad load, Quad cover, Quad paving, Quad steel, Quad concrete) {
    DesignCase c;
    const Quad ninth = Div(1, 9);
    c.wheelLoad = Add(load, Mul(load, Mul(ninth, 0x1p-60)));
    c.topCover = cover;
    c.futurePaving = Add(paving, Mul(paving, Mul(ninth, 0x1p-70)));
    c.steelStress = steel;
    c.concreteStress = concrete;
    c.continuityFactor = random_() % 2 == 0 ? Quad{1} : Widen(0.8f);
    c.modularRatio = DeriveModularRatio(c.concreteStress);
    DeriveCaseConstants(c);
    return c;
  }

  std::mt19937_64 random_;
};

// What an output prints for an interval's value at `digits` significant
// digits (the digits the interval makes certain), checked against the
// interval's lower bound, which the design keeps as the value; "uncertain"
// where the interval leaves them open.
std::string PrintedFromEnclosure(Enclosure a, int digits) {
  SignificantDigits certain;
  if (!CertainSignificantDigits(a, digits, certain)) {
    return "uncertain";
  }
  char text[kSignificantDecimalRoom];
  const std::string printed(text, WriteSignificantDigits(text, certain, digits));
  EXPECT_EQ(SignificantDecimal(static_cast<Quad>(a.lo), digits), printed);
  return printed;
}

}  // namespace

// The enclosure of each operation holds the exact binary128 result, on
// operands from the design's range and far outside it; a possible zero
// divisor or negative radicand gives an enclosure no decision accepts. Most
// results are finite: an operation that gave up every time (holding any
// value, deciding nothing) would pass the holding checks alone.
TEST(Enclosure, HoldsTheExactResultOfEveryOperation) {
  std::mt19937_64 random(11);
  const auto operand = [&random] {
    const double magnitude = std::exp(std::uniform_real_distribution<double>(-700, 700)(random));
    const Quad value = Mul(magnitude, Add(1, Div(static_cast<Quad>(random() % 1000), 7001)));
    return random() % 4 == 0 ? -value : value;
  };
  const auto holds = [](Enclosure e, Quad exact) {
    return !std::isfinite(e.lo) || !std::isfinite(e.hi) ||
           (static_cast<Quad>(e.lo) <= exact && exact <= static_cast<Quad>(e.hi));
  };
  const int draws = 200000 * Scale();
  int finite[4] = {};  // sum, product, quotient, root
  for (int i = 0; i < draws; ++i) {
    const Quad a = operand(), b = operand();
    // A chain of operations, each on the last result's enclosure.
    const Enclosure ea = Enclose(a), eb = Enclose(b);
    const Enclosure sum = Add(ea, eb), product = Mul(Sub(sum, eb), eb);
    const Quad exactSum = Add(a, b), exactProduct = Mul(Sub(exactSum, b), b);
    ASSERT_TRUE(holds(ea, a) && holds(eb, b));
    ASSERT_TRUE(holds(sum, exactSum)) << i;
    ASSERT_TRUE(holds(product, exactProduct)) << i;
    const Enclosure quotient = Div(product, ea), root = SquareRoot(Abs(product));
    ASSERT_TRUE(holds(quotient, Div(exactProduct, a))) << i;
    ASSERT_TRUE(holds(root, SquareRoot(Abs(exactProduct)))) << i;
    const Enclosure results[] = {sum, product, quotient, root};
    for (size_t r = 0; r < std::size(results); ++r) {
      finite[r] += std::isfinite(results[r].lo) && std::isfinite(results[r].hi) ? 1 : 0;
    }
  }
  // About 100 %, 73 %, 67 % and 73 %: the products of the widest operands
  // leave the double range.
  for (const int count : finite) {
    EXPECT_GT(count, draws / 2);
  }
  const Enclosure aroundZero = {-1e-20, 1e-20}, negative = {-4, -1};
  EXPECT_THROW(IsFinite(Div(Enclose(1), aroundZero)), UncertainDecision);
  EXPECT_THROW(IsFinite(SquareRoot(negative)), UncertainDecision);
  const Quad beyondDoubles = Mul(0x1p1000, 0x1p1000);
  EXPECT_THROW(IsFinite(Enclose(beyondDoubles)), UncertainDecision);
  EXPECT_THROW(IsFinite(Mul(Enclose(0x1p1000), Enclose(0x1p1000))), UncertainDecision);
  // An overflowed bound stays non-finite through division.
  EXPECT_THROW(IsFinite(Div(Enclose(1), Enclose(beyondDoubles))), UncertainDecision);
}

// A chain on deferred enclosures (the thickness pass: sums, products, a
// quotient and a root, the outward steps owed to the end) settles into an
// enclosure of the exact binary128 chain, on positive operands over the
// whole double range and on zeros, negatives and values beyond it, which
// take the enclosure operations instead; and it is about as tight.
TEST(Enclosure, DeferredChainHoldsTheExactResult) {
  std::mt19937_64 random(17);
  const auto operand = [&random](double spread) {
    const double magnitude =
        std::exp(std::uniform_real_distribution<double>(-spread, spread)(random));
    const Quad value = Mul(magnitude, Add(1, Div(static_cast<Quad>(random() % 1000), 7001)));
    switch (random() % 16) {
      case 0:
        return Quad{0};
      case 1:
        return -value;
      default:
        return value;
    }
  };
  const auto holds = [](Enclosure e, Quad exact) {
    return !std::isfinite(e.lo) || !std::isfinite(e.hi) ||
           (static_cast<Quad>(e.lo) <= exact && exact <= static_cast<Quad>(e.hi));
  };
  const int draws = 100000 * Scale();
  int finite = 0, tight = 0;
  for (int i = 0; i < draws; ++i) {
    const double spread = i % 2 == 0 ? 20 : 360;
    const Quad a = operand(spread), b = operand(spread), c = operand(spread);
    // ((a b + c) / b)^(1/2) x c + a: every operation of the pass, chained.
    const auto chain = [](auto x, auto y, auto z) {
      return Add(Mul(SquareRoot(Div(Add(Mul(x, y), z), y)), z), x);
    };
    const Quad exact = chain(a, b, c);
    const Enclosure deferred =
        Settle(chain(Defer(Enclose(a)), Defer(Enclose(b)), Defer(Enclose(c))));
    const Enclosure stepped = chain(Enclose(a), Enclose(b), Enclose(c));
    ASSERT_TRUE(holds(deferred, exact)) << i;
    if (std::isfinite(deferred.lo) && std::isfinite(deferred.hi)) {
      ++finite;
      tight += deferred.hi - deferred.lo <= 4 * (stepped.hi - stepped.lo) ? 1 : 0;
    }
  }
  EXPECT_GT(finite, draws / 2);
  EXPECT_GT(tight, finite * 9 / 10);
}

// Each decision answers when the whole interval answers alike and refuses
// otherwise (-1: UncertainDecision).
TEST(Enclosure, DecidesOnlyWhenTheWholeIntervalAgrees) {
  const auto less = [](Enclosure a, Enclosure b) -> int {
    try {
      return Less(a, b) ? 1 : 0;
    } catch (const UncertainDecision&) {
      return -1;
    }
  };
  const auto truncate = [](Enclosure a) -> int64_t {
    try {
      return TruncateToInt32(a);
    } catch (const UncertainDecision&) {
      return -1;
    }
  };
  const auto hundredths = [](Enclosure a) -> int64_t {
    try {
      return RoundToHundredths(a);
    } catch (const UncertainDecision&) {
      return -1;
    }
  };
  const auto printed = PrintedFromEnclosure;
  const double inf = INFINITY, nan = NAN;
  // clang-format off
  const struct { Enclosure a, b; int less; } comparisons[] = {
      {{1, 2}, {3, 4}, 1}, {{3, 4}, {1, 2}, 0}, {{1, 3}, {2, 4}, -1}, {{2, 2}, {2, 2}, 0},
      {{1, 2}, {2, 3}, -1}, {{-inf, 1}, {2, 3}, -1}, {{nan, 1}, {2, 3}, -1}, {{0, 1}, {1, nan}, -1}};
  const struct { Enclosure a; int64_t truncated; } truncations[] = {
      {{7.2, 7.9}, 7}, {{6.9, 7.1}, -1}, {{-0.5, 0.5}, 0}, {{-7.9, -7.2}, -7},
      {{2147483647.2, 2147483647.9}, 2147483647}, {{2147483647.5, 2147483648.0}, -1},
      {{-2147483647.9, -2147483647.2}, -2147483647}, {{-2147483648.5, -2147483648.2}, -1},
      {{1e300, 2e300}, -1}, {{nan, nan}, -1}};
  // Halfway cases round away from zero; an interval with a halfway point is uncertain.
  const struct { Enclosure a; int64_t rounded; } roundings[] = {
      {{163.1801, 163.1849}, 16318}, {{163.1851, 163.1899}, 16319}, {{163.1849, 163.1851}, -1},
      {{0.004, 0.0049}, 0}, {{0, 0.001}, -1}, {{-1, -0.5}, -1}, {{1e11, 1e11}, -1},
      {{0x1p33, 0x1p33}, -1}, {{12.344999, 12.34501}, -1}};
  // Printed digits: certain with no halfway point and no power of ten inside (1 prints alike on
  // both sides of the last row but one, and is left to the exact engine), nor a zero.
  const struct { Enclosure a; int digits; const char* text; } printings[] = {
      {{39.67844289121, 39.67844289124}, 12, "39.6784428912"},
      {{39.67844289124, 39.67844289126}, 12, "uncertain"},
      {{-2.50000000000049, -2.50000000000041}, 12, "-2.5"}, {{152.05, 152.05}, 12, "152.05"},
      {{9.99999999999951, 9.99999999999959}, 12, "10"}, {{1.5e-5, 1.5e-5}, 12, "1.5e-05"},
      {{1.23456789012345e30, 1.23456789012346e30}, 12, "1.23456789012e+30"},
      {{0.3, 0.3}, 15, "0.3"}, {{0.3, 0.3}, 16, "uncertain"}, {{1e-80, 1e-80}, 12, "uncertain"},
      {{1e300, 1e300}, 12, "uncertain"}, {{-1e-20, 1e-20}, 12, "uncertain"},
      {{0, 1}, 12, "uncertain"}, {{1, inf}, 12, "uncertain"}, {{nan, nan}, 12, "uncertain"},
      {{0.99999999999999, 1.00000000000001}, 12, "uncertain"}, {{7, 7}, 0, "uncertain"}};
  // clang-format on
  for (const auto& c : comparisons) {
    EXPECT_EQ(less(c.a, c.b), c.less) << c.a.lo << " " << c.b.lo;
  }
  for (const auto& c : truncations) {
    EXPECT_EQ(truncate(c.a), c.truncated) << c.a.lo;
  }
  for (const auto& c : roundings) {
    EXPECT_EQ(hundredths(c.a), c.rounded) << c.a.lo;
  }
  for (const auto& c : printings) {
    EXPECT_EQ(printed(c.a, c.digits), c.text) << c.a.lo << " " << c.digits;
  }
}

// Values close to the points where a decision turns (halfway between
// hundredths or between printed digits, whole numbers, a threshold),
// enclosed more or less tightly: every decision the enclosure takes is the
// exact one (the printed digits as glibc writes the exact value), and the
// tight ones are mostly taken.
TEST(Enclosure, CertainDecisionsAreTheExactOnes) {
  std::mt19937_64 random(13);
  std::uniform_real_distribution<double> unit(0, 1);
  const auto tenTo = [](int power) {
    Quad value = 1;
    for (int i = 0; i < power; ++i) {
      value = Mul(value, 10);  // exact to 10^48
    }
    return value;
  };
  int64_t taken = 0, printedTaken = 0;
  const int draws = 150000 * Scale();
  for (int i = 0; i < draws; ++i) {
    const Quad base = static_cast<Quad>(static_cast<int64_t>(random() % 5000000)) / 200;
    const Quad offset = static_cast<Quad>(unit(random) - 0.5) * (i % 2 == 0 ? 1e-12 : 1e-3);
    const Quad exact = Add(base, offset);
    const Quad threshold = Add(base, static_cast<Quad>(unit(random) - 0.5) * 1e-9);
    const Enclosure tight = Enclose(exact);
    const double widening = i % 3 == 0 ? 0 : unit(random) * 1e-12;
    const Enclosure e = {tight.lo - std::fabs(tight.lo) * widening,
                         tight.hi + std::fabs(tight.hi) * widening};
    try {
      ASSERT_EQ(RoundToHundredths(e), static_cast<int64_t>(RoundToDecimals(exact, 2).magnitude));
      ++taken;
    } catch (const UncertainDecision&) {
    }
    try {
      ASSERT_EQ(TruncateToInt32(e), TruncateToInt32(exact));
    } catch (const UncertainDecision&) {
    }
    try {
      ASSERT_EQ(Less(e, Enclose(threshold)), Less(exact, threshold));
    } catch (const UncertainDecision&) {
    }
    // Within 10^-2 or 10^-5 of a last printed digit from a halfway point,
    // between 10^-12 and 10^21.
    const auto digits = static_cast<int64_t>(100000000000 + random() % 900000000000);
    const double fromHalfway = (unit(random) - 0.5) * (i % 2 == 0 ? 1e-2 : 1e-5);
    const Quad scaled = Add(static_cast<Quad>(digits), static_cast<Quad>(0.5 + fromHalfway));
    const int power = static_cast<int>(random() % 33) - 23;
    const Quad nearHalfway = power >= 0 ? Mul(scaled, tenTo(power)) : Div(scaled, tenTo(-power));
    char glibc[64];
    strfromf128(glibc, sizeof glibc, "%.12g", nearHalfway);
    const std::string printed = PrintedFromEnclosure(Enclose(nearHalfway), 12);
    if (printed != "uncertain") {
      ASSERT_EQ(printed, glibc);
      ++printedTaken;
    }
  }
  EXPECT_GT(taken, draws / 2);
  EXPECT_GT(printedTaken, draws / 3);
}

// Both engines, both continuity factors, realistic and extreme values, with
// and without the working values.
TEST(FastEngine, DesignsEverySpanAsTheExactEngine) {
  CaseMaker maker(2026);
  int64_t spans = 0, exactSpans = 0, exactWithWorkingValues = 0, faults = 0;
  const int cases = 1100 * Scale();
  for (int i = 0; i < cases; ++i) {
    const DesignCase c = i % 4 == 3 ? maker.Extreme() : maker.Realistic();
    const CaseDesign fast = Design(c, {});
    const CaseDesign fastWorking = Design(c, {.workingValues = true});
    const CaseDesign exact = Design(c, {.exact = true, .workingValues = true});
    ASSERT_TRUE(SameDesign(fast, WithoutWorkingValues(exact))) << "case " << i;
    ASSERT_TRUE(SameDesign(fastWorking, exact)) << "case " << i << ", working values";
    ASSERT_EQ(exact.sweep.exactSpans, 0);
    spans += fast.sweep.spanCount;
    exactSpans += fast.sweep.exactSpans;
    exactWithWorkingValues += fastWorking.sweep.exactSpans;
    faults += fast.sweep.fault != SpanFault::kNone ? 1 : 0;
  }
  EXPECT_GE(spans, 120000 * static_cast<int64_t>(Scale()));
  EXPECT_GT(faults, cases / 20);  // the extreme cases reach every fault
  // About 1.5 % fall back, 2 % with the working values; if the enclosures
  // decided nothing, every span would, and still match.
  EXPECT_LT(exactSpans, spans / 10);
  EXPECT_LT(exactWithWorkingValues, spans / 10);
  RecordProperty("spans", std::to_string(spans));
  RecordProperty("exactSpans", std::to_string(exactSpans));
  std::printf(
      "%lld spans designed by both engines, %lld by the exact fallback, %lld with working "
      "values\n",
      static_cast<long long>(spans), static_cast<long long>(exactSpans),
      static_cast<long long>(exactWithWorkingValues));
}

// Widened enclosures make the filter uncertain at the convergence test, the
// roundings, the bar counts and the printed working values in turn; the
// spans it gives up are designed exactly from the bars they started with,
// and nothing changes. Barely widened, the filter still decides nearly every
// span itself (of the 1110; the 1e-15 row with working values meets an
// extreme case below the double range, whose 111 spans all fall back); the
// working values' 12 digits are uncertain once the widening reaches them.
TEST(FastEngine, FallbackGivesTheExactDesign) {
  CaseMaker maker(1707);
  // clang-format off
  const struct { double widening; bool workingValues; int leastExact, mostExact; } widenings[] = {
      {1e-15, false, 0, 11}, {1e-12, false, 0, 11}, {1e-9, false, 1, 11}, {1e-6, false, 50, 1110},
      {1e-3, false, 300, 1110}, {1, false, 900, 1110}, {1e-15, true, 0, 122},
      {1e-13, true, 100, 450}, {1e-9, true, 900, 1110}};
  // clang-format on
  for (const auto& w : widenings) {
    int64_t exactSpans = 0;
    for (int i = 0; i < 10; ++i) {
      const DesignCase c = i == 9 ? maker.Extreme() : maker.Realistic();
      const CaseDesign widened = DesignWidened(c, w.widening, w.workingValues);
      ASSERT_TRUE(SameDesign(widened, Design(c, {.exact = true, .workingValues = w.workingValues})))
          << w.widening << ", case " << i;
      exactSpans += widened.sweep.exactSpans;
    }
    EXPECT_GE(exactSpans, w.leastExact) << w.widening;
    EXPECT_LE(exactSpans, w.mostExact) << w.widening;
  }
}

// The exact engine alone gives the full record, its working values those of
// the design (As = 10^6 M Cs / d); the printed record a run gives is that
// record with the thickness rounded and no working values, and a run asked
// for working values gives it with working values that print as the full
// record's.
TEST(FastEngine, WorkingValuesPrintAsTheExactEngines) {
  CaseMaker maker(5);
  for (int i = 0; i < 40; ++i) {
    const DesignCase c = i % 4 == 3 ? maker.Extreme() : maker.Realistic();
    const CaseDesign printedRecord = Design(c, {});
    const CaseDesign withWorkingValues = Design(c, {.workingValues = true});
    CaseDesign full;
    SweepState state;
    full.sweep = SweepSpans(c, state, full.spans);
    ASSERT_EQ(full.sweep.spanCount, printedRecord.sweep.spanCount) << i;
    ASSERT_EQ(full.sweep.fault, printedRecord.sweep.fault) << i;
    ASSERT_TRUE(SameBits(full.sweep.firstFaultSpan, printedRecord.sweep.firstFaultSpan)) << i;
    for (int32_t s = 0; s < full.sweep.spanCount; ++s) {
      const SpanDesign& span = full.spans[s];
      if (span.fault != SpanFault::kNone) {
        continue;
      }
      const Quad area =
          Div(Mul(Mul(1000000, span.designMoment), c.steelAreaFactor), span.effectiveDepth);
      EXPECT_TRUE(SameBits(area, span.requiredSteelArea)) << s;
      SpanDesign printed = span;
      SetPrintedThickness(span.minThickness, printed);
      EXPECT_TRUE(SameSpan(printed, withWorkingValues.spans[s])) << s;
      // The unrounded thickness prints the digits of the rounded one.
      const ScaledDecimal fromFull = RoundToDecimals(span.minThickness, 2);
      const ScaledDecimal fromPrinted = RoundToDecimals(printed.minThickness, 2);
      EXPECT_TRUE(fromFull.fits == fromPrinted.fits && fromFull.magnitude == fromPrinted.magnitude)
          << s;
      printed.designMoment = printed.effectiveDepth = printed.requiredSteelArea = 0;
      EXPECT_TRUE(SameSpan(printed, printedRecord.spans[s])) << s;
    }
  }
}

namespace {

::testing::AssertionResult SamePrinted(const ScaledDecimal& fast, Quad exact, int decimals) {
  const ScaledDecimal printed = RoundToDecimals(exact, decimals);
  if (fast.fits != printed.fits || (printed.fits && (fast.negative != printed.negative ||
                                                     fast.magnitude != printed.magnitude))) {
    return ::testing::AssertionFailure() << "printed figure differs from the exact one's";
  }
  return ::testing::AssertionSuccess();
}

}  // namespace

// The check as built and the quantities as the CSV prints them (enclosures
// and whole numbers) against the printing of the exact binary128 figures:
// every designed row of random realistic and extreme cases, and the same
// rows made thinner, wider spaced or with a larger bar, down to depths of
// zero and below where the stresses are no numbers.
TEST(FastEngine, AsBuiltCheckAndQuantitiesPrintAsTheExactOnes) {
  CaseMaker maker(17);
  std::mt19937_64 random(19);
  for (int i = 0; i < 40 * Scale(); ++i) {
    const DesignCase c = i % 4 == 3 ? maker.Extreme() : maker.Realistic();
    const CaseDesign d = Design(c, {});
    for (int32_t s = 0; s < d.sweep.spanCount; ++s) {
      SpanDesign span = d.spans[s];
      if (s % 2 == 1 && span.fault == SpanFault::kNone) {
        span.actualThickness = static_cast<int32_t>(random() % 400) + 1;
        span.mainBarSpacing = static_cast<int32_t>(random() % 600) + 1;
        span.mainBarDesignation = 16 + static_cast<int32_t>(random() % 3) * 3;
      }
      const int32_t length = 1000 + 25 * s;
      const AsBuiltRow row = AsBuiltRowOf(c, span, length);
      const AsBuiltCheck exact = CheckAsBuilt(row);
      const PrintedAsBuiltCheck fast = PrintedAsBuilt(row);
      ASSERT_EQ(fast.known, exact.known) << i << " " << s;
      if (exact.known) {
        EXPECT_EQ(fast.failed, exact.failed) << i << " " << s;
        EXPECT_TRUE(SamePrinted(fast.steelStress, exact.section.steelStress, 2)) << i << " " << s;
        EXPECT_TRUE(SamePrinted(fast.concreteStress, exact.section.concreteStress, 2))
            << i << " " << s;
        EXPECT_TRUE(SamePrinted(fast.leastThickness, exact.leastThickness, 2)) << s;
        EXPECT_TRUE(SamePrinted(fast.largestSpacing, exact.largestSpacing, 1)) << s;
      }
      const SpanQuantities q = QuantitiesOf(span, length);
      const PrintedQuantities p = PrintedQuantitiesOf(span, length);
      ASSERT_EQ(p.known, q.known) << i << " " << s;
      if (q.known) {
        EXPECT_TRUE(SamePrinted(p.providedSteelArea, q.providedSteelArea, 2)) << s;
        EXPECT_TRUE(SamePrinted(p.concrete, q.concrete, 3)) << s;
        EXPECT_TRUE(SamePrinted(p.mainSteel, q.mainSteel, 2)) << s;
        EXPECT_TRUE(SamePrinted(p.distributionSteel, q.distributionSteel, 2)) << s;
        EXPECT_TRUE(SamePrinted(p.totalSteel, q.totalSteel, 2)) << s;
        EXPECT_TRUE(SamePrinted(p.steelPerConcrete, q.steelPerConcrete, 1)) << s;
      }
      const std::optional<ScaledDecimal> total = PrintedTotalSteelOf(span, length);
      ASSERT_EQ(total.has_value(), q.known) << i << " " << s;
      if (total) {
        EXPECT_TRUE(SamePrinted(*total, q.totalSteel, 2)) << s;
      }
    }
  }
}
