#include "driver/field_input.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <tuple>
#include <vector>

#include "numeric/decimal.h"
#include "tests/driver/memory_console.h"

using namespace kalvorden;

namespace {

AnswerLine MakeLine(std::string_view text) {
  AnswerLine line;
  line.length = std::min(text.size(), AnswerLine::kKept);
  std::memcpy(line.text, text.data(), line.length);
  return line;
}

Quad Decimal(const char* text) {
  Quad value = 0;
  EXPECT_TRUE(ParseDecimal(text, &value)) << text;
  return value;
}

// Bit-for-bit equality, so -0 differs from +0; any two NaNs match.
bool Same(Quad a, Quad b) {
  return __builtin_isnan(a) ? __builtin_isnan(b) : std::memcmp(&a, &b, sizeof a) == 0;
}

constexpr int32_t kError = INT32_MIN;  // the answer is a conversion error

}  // namespace

TEST(IntegerField, CountAnswersOfWidthTwo) {
  // clang-format off
  const std::pair<std::string, int32_t> cases[] = {
      {"3", 3}, {" 3", 3}, {"3 ", 3}, {"  3", 0}, {"12345", 12}, {"-1", -1}, {"+", 0}, {"-", 0},
      {" -", 0}, {"3,", 3}, {",5", 0}, {"", 0}, {"99", 99}, {"-9", -9}, {"+ 5", 0} /* "+ " */,
      {"2.0", kError}, {"1a", kError}, {"\t1", kError}, {"--", kError}, {"+-", kError}};
  // clang-format on
  for (const auto& [answer, expected] : cases) {
    int32_t value = kError;
    const bool converts = ConvertIntegerField(CutNumericField(MakeLine(answer), 2), value);
    EXPECT_EQ(converts, expected != kError) << '"' << answer << '"';
    EXPECT_EQ(value, expected) << '"' << answer << '"';
  }
}

TEST(NumberField, ValueAnswersOfWidthEight) {
  // The answer and the value as a decimal numeral (nullptr: a conversion error).
  // clang-format off
  const std::pair<std::string, const char*> cases[] = {
      {"72.5", "72.5"}, {"72.5 kN", nullptr}, {"72.5    kN", "72.5"}, {"1 2", "12"},
      {"170,", "170"}, {"-3,5", "-3"}, {"123456789", "12345678"}, {"725", "725"},
      {"1.5E2", "150"}, {"1.5e+2", "150"}, {"1.5D2", "150"}, {"1.5Q2", "150"},
      {"1.5+2", "150"}, {"1.5 E 2", "150"}, {"1.5d-1", "0.15"}, {"15q-1", "1.5"},
      {"", "0"}, {"        ", "0"}, {"\t 5", "5"}, {"5\t", nullptr},
      {"1.2.3", nullptr}, {"1e", nullptr}, {"1.5+", nullptr}, {"1e+", nullptr},
      {".", nullptr}, {"+", nullptr}, {"e5", nullptr}, {"1x", nullptr},
      {"-0", "-0"}, {"Inf", "inf"}, {"-inf", "-inf"}, {"INFINITY", "inf"},
      {"nan", "nan"}, {"- NaN", "nan"}, {"Infinit", nullptr}, {"1e5000", "inf"},
      {"1e-5000", "0"}, {".5", "0.5"}, {"5.", "5"}, {"0.1", "0.1"}, {"725e1", "7250"}};
  // clang-format on
  for (const auto& [answer, expected] : cases) {
    Quad value = 77;
    const bool converts = ConvertNumberField(CutNumericField(MakeLine(answer), 8), value);
    EXPECT_EQ(converts, expected != nullptr) << '"' << answer << '"';
    if (expected != nullptr && converts) {
      EXPECT_TRUE(Same(value, Decimal(expected))) << '"' << answer << '"';
    }
  }
  // 0.1 is the binary128 value nearest one tenth, not a widened float or double.
  Quad tenth = 0;
  ASSERT_TRUE(ConvertNumberField("0.1", tenth));
  EXPECT_TRUE(std::bit_cast<unsigned __int128>(tenth) ==
              ((static_cast<unsigned __int128>(0x3FFB999999999999) << 64) | 0x999999999999999A));
}

TEST(FieldReaders, AnswerLinesFromStandardInput) {
  // One read: 'T' a text field of the width, 'I' a count, 'N' a value; the
  // expected text or numeral, or "!" and the number of the fault that ends the run.
  using Read = std::tuple<char, int, std::string>;
  const std::string megabyte(1 << 20, '7');
  // clang-format off
  const std::pair<std::string, std::vector<Read>> cases[] = {
      {"ab\n12\n7.5\n", {{'T', 2, "ab"}, {'I', 2, "12"}, {'N', 8, "7.5"}, {'T', 1, "!24"}}},
      {"ab\r\n12\r\n7.5\r\n", {{'T', 2, "ab"}, {'I', 2, "12"}, {'N', 8, "7.5"}, {'T', 1, "!24"}}},
      {"last", {{'T', 4, "last"}, {'N', 8, "!24"}}},
      {"\n\n\n", {{'T', 1, " "}, {'I', 2, "0"}, {'N', 8, "0"}, {'I', 2, "!24"}}},
      {std::string("a\0b\n", 4), {{'T', 3, std::string("a\0b", 3)}}},
      {megabyte + "\n5\n" + megabyte + "\r\n", {{'I', 2, "77"}, {'I', 2, "5"},
                                                {'T', 24, std::string(24, '7')}}},
      {"abc\n", {{'T', 24, "abc" + std::string(21, ' ')}}},
      {"a\rb\r\r\n", {{'T', 4, "a\rb\r"}}},
      {"", {{'I', 2, "!24"}}},
      {"x\n", {{'I', 2, "!64"}}},
      {"72.5 kN\n", {{'N', 8, "!64"}}}};
  // clang-format on
  const std::string prefix = "kalvorden: error (";
  const std::string lines[] = {prefix + "24): end-of-file during read, reading standard input",
                               prefix + "64): input conversion error, reading standard input"};
  for (const auto& [input, reads] : cases) {
    MemoryConsole memory(input);
    for (size_t i = 0; i < reads.size(); ++i) {
      const auto& [kind, width, expected] = reads[i];
      const int faultNumber = expected[0] == '!' ? std::stoi(expected.substr(1)) : 0;
      SCOPED_TRACE(::testing::Message() << "input " << input.substr(0, 20) << ", read " << i);
      std::string text;
      int32_t integer = 0;
      Quad number = 0;
      const Fault fault = kind == 'T'   ? ReadTextField(memory.console, width, text)
                          : kind == 'I' ? ReadIntegerField(memory.console, width, integer)
                                        : ReadNumberField(memory.console, width, number);
      ASSERT_EQ(fault.number, faultNumber);
      if (faultNumber != 0) {
        EXPECT_EQ(FormatFault(fault), lines[faultNumber == 24 ? 0 : 1]);
      } else if (kind == 'T') {
        EXPECT_EQ(text, expected);
      } else if (kind == 'I') {
        EXPECT_EQ(integer, std::stoi(expected));
      } else {
        EXPECT_TRUE(Same(number, Decimal(expected.c_str())));
      }
    }
  }
}
