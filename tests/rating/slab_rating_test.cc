// The rating of an existing slab: against a recomputation of its own in
// plain long double arithmetic, and against the as-built check of designed
// rows.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <sstream>

#include "design/as_built_check.h"
#include "design/bar_table.h"
#include "design/design_constants.h"
#include "rating/rating_csv.h"
#include "rating/slab_rating.h"
#include "report/printed_span.h"
#include "tests/design/design_run.h"

using namespace kalvorden;

namespace {

// The fields of a CSV line; a field in double quotes may hold commas.
std::vector<std::string> CsvFields(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (const char c : line) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

// The CSV as rows of header -> field.
std::vector<std::map<std::string, std::string>> CsvRows(const std::string& csv) {
  std::vector<std::map<std::string, std::string>> rows;
  std::vector<std::string> header;
  size_t start = 0;
  for (size_t end; (end = csv.find("\r\n", start)) != std::string::npos; start = end + 2) {
    const std::vector<std::string> fields = CsvFields(csv.substr(start, end - start));
    if (header.empty()) {
      header = fields;
      continue;
    }
    EXPECT_EQ(fields.size(), header.size());
    auto& row = rows.emplace_back();
    for (size_t i = 0; i < fields.size() && i < header.size(); ++i) {
      row[header[i]] = fields[i];
    }
  }
  return rows;
}

using Real = long double;

// The constants as the method manual writes them: single-precision values
// of the decimals, exactly.
const Real kEsOverEcFactor = 200000.0L / static_cast<Real>(4790.956f);

struct Expected {
  Real d, as, rho, k, j, fs, fc;
  Real steelCapacity[2], concreteCapacity[2], rf[2], wheel[2];
};

// One face recomputed from the formulas as stated, in another order.
Expected Recompute(Real t, Real cover, int barIndex, Real spacing, Real loss, int n, Real mdl,
                   Real mll, Real p, const Real fsAllowed[2], const Real fcAllowed[2]) {
  Expected e{};
  e.d = t - cover - static_cast<Real>(static_cast<float>(BarDiameter(barIndex))) / 2;
  e.as = (1 - loss / 100) * 1000 * static_cast<Real>(BarArea(barIndex)) / spacing;
  e.rho = e.as / (1000 * e.d);
  const Real rn = e.rho * n;
  e.k = std::sqrt(2 * rn + rn * rn) - rn;
  e.j = 1 - e.k / 3;
  const Real m = mdl + mll;
  e.fs = m * 1e6L / (e.as * e.j * e.d);
  e.fc = 2 * m * 1e6L / (e.k * e.j * 1000 * e.d * e.d);
  for (int level = 0; level < 2; ++level) {
    e.steelCapacity[level] = fsAllowed[level] * e.as * e.j * e.d * 1e-6L;
    e.concreteCapacity[level] = fcAllowed[level] * e.k * e.j * 1000 * e.d * e.d / 2 * 1e-6L;
    const Real c = std::min(e.steelCapacity[level], e.concreteCapacity[level]);
    e.rf[level] = (c - mdl) / mll;
    e.wheel[level] = e.rf[level] * p;
  }
  return e;
}

// Nine significant digits of `expected`, on the scale `scale` of the terms
// it is the difference of.
void ExpectNine(const std::map<std::string, std::string>& row, const std::string& header,
                Real expected, Real scale = 0) {
  const auto field = row.find(header);
  ASSERT_NE(field, row.end()) << header;
  const Real printed = std::strtold(field->second.c_str(), nullptr);
  EXPECT_LE(std::fabs(printed - expected), 1e-9L * (std::fabs(expected) + std::fabs(scale)))
      << header << ": " << field->second << " against " << static_cast<double>(expected);
}

}  // namespace

// 240 slabs drawn at random over the ranges an office meets, each rated at
// three spans; every value of the CSV checked to nine digits.
TEST(SlabRating, CsvAgreesWithPlainRecomputation) {
  std::mt19937 random(20261210);
  auto uniform = [&](Real low, Real high, int decimals) {
    const Real scale = std::pow(10.0L, decimals);
    std::uniform_int_distribution<long> draw(std::lround(low * scale), std::lround(high * scale));
    return static_cast<Real>(draw(random)) / scale;
  };
  auto quad = [](Real value) {
    std::ostringstream text;
    text.precision(12);
    text << static_cast<double>(value);
    return Q(text.str().c_str());
  };
  for (int slab = 0; slab < 240; ++slab) {
    RatingInputs in;
    in.thickness = quad(uniform(150, 300, 1));
    const auto face = [&](RatedFaceBars& bars) {
      bars.cover = quad(uniform(20, 60, 0));
      bars.barDesignation = BarDesignation(static_cast<int32_t>(uniform(2, 12, 0)));
      bars.spacing = quad(uniform(100, 300, 0));
      bars.loss = slab % 3 == 0 ? quad(uniform(0, 40, 1)) : Quad{0};
    };
    face(in.top);
    in.bottomGiven = slab % 2 == 0;
    face(in.bottom);
    in.continuous = slab % 4 < 2;
    in.concreteStrength = quad(uniform(17, 50, 1));
    in.paving = quad(uniform(0, 3, 2));
    in.wheelLoad = quad(uniform(40, 120, 1));
    in.vehicleWeightGiven = slab % 5 != 0;
    in.vehicleWeight = quad(uniform(200, 500, 0));
    in.inventory = {quad(uniform(120, 170, 0)), quad(uniform(6, 14, 1))};
    in.operating = {quad(uniform(170, 250, 0)), quad(uniform(10, 20, 1))};
    in.spans = {quad(uniform(0.61L, 7.3L, 3)), quad(uniform(0.61L, 7.3L, 3)), Q("0.61")};
    const SlabRating rating = RateSlab(in);
    const auto rows = CsvRows(WriteRatingCsv(in, rating));
    ASSERT_EQ(rows.size(), 3U);

    const Real t = static_cast<Real>(in.thickness), p = static_cast<Real>(in.wheelLoad);
    const Real ec =
        static_cast<Real>(4790.956f) * std::sqrt(static_cast<Real>(in.concreteStrength));
    const int n = std::max(6, static_cast<int>(std::lround(200000 / ec)));
    const Real cf = in.continuous ? static_cast<Real>(0.8f) : 1;
    const Real f = p * cf * (1 + static_cast<Real>(0.3f)) / static_cast<Real>(9.74f);
    const Real w = t * static_cast<Real>(0.0235631503f) + static_cast<Real>(in.paving);
    const Real fs[2] = {static_cast<Real>(in.inventory.steel),
                        static_cast<Real>(in.operating.steel)};
    const Real fc[2] = {static_cast<Real>(in.inventory.concrete),
                        static_cast<Real>(in.operating.concrete)};
    for (size_t i = 0; i < rows.size(); ++i) {
      const auto& row = rows[i];
      const Real s = static_cast<Real>(in.spans[i]);
      EXPECT_EQ(Q(row.at("effective span S, as entered (m)").c_str()), in.spans[i]);
      EXPECT_EQ(row.at("modular ratio n"), std::to_string(n));
      const Real mll = (s + static_cast<Real>(0.61f)) * f;
      const Real mdl = w * s * s * (in.continuous ? 0.1L : 0.125L);
      ExpectNine(row, "live-load moment M_LL, impact included (kN m/m)", mll);
      ExpectNine(row, "dead-load moment M_DL (kN m/m)", mdl);
      Real governing[2] = {INFINITY, INFINITY};
      for (const bool bottom : {false, true}) {
        const std::string name = bottom ? "bottom face" : "top face";
        const RatedFaceBars& bars = bottom ? in.bottom : in.top;
        if (bottom && !in.bottomGiven) {
          EXPECT_EQ(row.at("rating factor, inventory, bottom face"), "");
          continue;
        }
        const Expected e = Recompute(
            t, static_cast<Real>(bars.cover), BarIndexOf(bars.barDesignation),
            static_cast<Real>(bars.spacing), static_cast<Real>(bars.loss), n, mdl, mll, p, fs, fc);
        ExpectNine(row, "effective depth d, " + name + " (mm)", e.d, t);
        ExpectNine(row, "steel area As, " + name + " (mm^2/m)", e.as);
        ExpectNine(row, "steel ratio rho, " + name, e.rho);
        ExpectNine(row, "k, " + name, e.k);
        ExpectNine(row, "j, " + name, e.j);
        ExpectNine(row, "steel stress under service load, " + name + " (MPa)", e.fs);
        ExpectNine(row, "concrete stress under service load, " + name + " (MPa)", e.fc);
        for (int level = 0; level < 2; ++level) {
          const std::string l = (level == 0 ? "inventory, " : "operating, ") + name;
          const Real scale =
              (std::max(e.steelCapacity[level], e.concreteCapacity[level]) + mdl) / mll;
          ExpectNine(row, "capacity by steel, " + l + " (kN m/m)", e.steelCapacity[level]);
          ExpectNine(row, "capacity by concrete, " + l + " (kN m/m)", e.concreteCapacity[level]);
          EXPECT_EQ(row.at("capacity governed by, " + l),
                    e.concreteCapacity[level] < e.steelCapacity[level] ? "concrete" : "steel");
          ExpectNine(row, "rating factor, " + l, e.rf[level], scale);
          ExpectNine(row, "static wheel load at RF, " + l + " (kN)", e.wheel[level], scale * p);
          if (in.vehicleWeightGiven) {
            const Real weight = static_cast<Real>(in.vehicleWeight);
            ExpectNine(row, "rated vehicle RT, " + l + " (kN)", e.rf[level] * weight,
                       scale * weight);
          } else {
            EXPECT_EQ(row.at("rated vehicle RT, " + l + " (kN)"), "");
          }
          governing[level] = std::min(governing[level], e.rf[level]);
        }
      }
      ExpectNine(row, "rating factor, inventory", governing[0], 1e-6L);
      ExpectNine(row, "rating factor, operating", governing[1], 1e-6L);
    }
  }
}

// A designed row rated with its own top face, the design's allowables and
// loads (f'c = fc / 0.4, so n is the design's) has an inventory RF of at
// least 1 exactly where the as-built check finds both stresses within fs
// and fc: the rating is the check run the other way.
TEST(SlabRating, AgreesWithTheAsBuiltCheckOfDesignedRows) {
  DesignInputs inputs = Inputs();
  const auto set = [](ValueList& list, std::vector<const char*> values) {
    list.count = static_cast<int32_t>(values.size());
    std::transform(values.begin(), values.end(), list.values.begin(), Q);
  };
  set(inputs.wheelLoads, {"50", "72.5", "100"});
  set(inputs.topCovers, {"25", "50"});
  set(inputs.futurePavings, {"0", "1.5"});
  set(inputs.steelStresses, {"124", "165", "200"});
  set(inputs.concreteStresses, {"7", "9.5", "12"});
  int within = 0, beyond = 0;
  for (const bool continuous : {false, true}) {
    inputs.continuityFactor = continuous ? kContinuityFactor : Quad{1};
    int cases = 0;
    EnumerateDesignCases(inputs, [&](const DesignedCase& designed) {
      ++cases;
      const DesignCase& c = designed.designCase;
      for (int32_t i = 0; i < kSpansPerCase; ++i) {
        const AsBuiltRow row = AsBuiltRowOf(c, designed.spans[i], PrintedSpanMillimetres(i));
        const AsBuiltCheck check = CheckAsBuilt(row);
        if (!check.known) {
          continue;
        }
        RatingInputs in;
        in.thickness = row.thickness;
        in.top = {row.topCover, row.mainBarDesignation, static_cast<Quad>(row.mainBarSpacing), 0};
        in.concreteStrength = c.concreteStress / kAllowableStressRatio;
        in.paving = c.futurePaving;
        in.wheelLoad = c.wheelLoad;
        in.continuous = continuous;
        in.inventory = in.operating = {c.steelStress, c.concreteStress};
        in.spans = {check.span};
        const SlabRating rating = RateSlab(in);
        EXPECT_EQ(rating.material.modularRatio, c.modularRatio);
        const bool stressesWithin =
            (check.failed & (kSteelStressFails | kConcreteStressFails)) == 0;
        const bool rated = rating.spans[0].top.inventory.ratingFactor >= 1;
        EXPECT_EQ(rated, stressesWithin)
            << "row " << PrintedSpan(i) << " of P " << FormatForMessage(c.wheelLoad);
        (stressesWithin ? within : beyond) += 1;
      }
      return true;
    });
    EXPECT_GE(cases, 100);
  }
  EXPECT_GT(within, 100);
  EXPECT_GT(beyond, 100);
}
