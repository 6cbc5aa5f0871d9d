#include "report/field_edit.h"

#include <tuple>

#include "tests/report/report_test_util.h"

namespace {

TEST(FieldEdit, FixedPoint) {
  // Value, width, decimals, field. Halfway cases go away from zero; a value that
  // rounds to zero loses its minus sign. The last three are the first, 41st and
  // last span lengths of the sweep. Every edit goes into a slice between two
  // guards, which show a write of the wrong length or beyond the slice.
  // clang-format off
  const std::tuple<const char*, int, int, const char*> cases[] = {
      {"72.5", 5, 2, "72.50"}, {"10", 7, 3, " 10.000"}, {"163.18", 6, 2, "163.18"},
      {"0.800000011920928955078125", 3, 1, "0.8"}, {"100", 5, 2, "*****"},
      {"99.996", 5, 2, "*****"}, {"0.5", 6, 3, " 0.500"}, {"0.5", 4, 3, ".500"},
      {"-0.5", 6, 3, "-0.500"}, {"-0.5", 5, 3, "-.500"}, {"-0.5", 4, 3, "****"},
      {"0.125", 3, 2, ".13"}, {"0.125", 4, 2, "0.13"}, {"-0.125", 5, 2, "-0.13"},
      {"0.1249999999999999999999", 4, 2, "0.12"}, {"-0.0004", 6, 3, " 0.000"},
      {"nan", 6, 3, "******"}, {"inf", 6, 3, "******"}, {"-inf", 6, 3, "******"},
      {"1e40", 7, 3, "*******"}, {"12345678901234567890", 25, 3, " 12345678901234567890.000"},
      {"1", 6, 3, " 1.000"}, {"2.00000001490116119384765625", 6, 3, " 2.000"},
      {"3.7500000409781932830810546875", 6, 3, " 3.750"}};
  // clang-format on
  for (const auto& [text, width, decimals, expected] : cases) {
    std::string slice(static_cast<size_t>(width) + 2, '#');
    kalvorden::EditFixed(Parse(text), width, decimals, slice.data() + 1);
    EXPECT_EQ(slice, "#" + std::string(expected) + "#") << text;
  }
}

TEST(FieldEdit, Integer) {
  // clang-format off
  const std::tuple<int32_t, int, const char*> cases[] = {
      {8, 3, "  8"}, {165, 4, " 165"}, {13, 2, "13"}, {3, 2, " 3"}, {100, 2, "**"}, {-5, 2, "-5"},
      {-10, 2, "**"}, {0, 1, "0"}, {INT32_MIN, 11, "-2147483648"}, {INT32_MIN, 10, "**********"}};
  // clang-format on
  for (const auto& [value, width, expected] : cases) {
    std::string slice(static_cast<size_t>(width) + 2, '#');
    kalvorden::EditInteger(value, width, slice.data() + 1);
    EXPECT_EQ(slice, "#" + std::string(expected) + "#") << value;
  }
}

}  // namespace
