#include "web/design_query.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "driver/command_line.h"
#include "numeric/decimal.h"
#include "web/result_page.h"

using namespace kalvorden;

namespace {

constexpr const char* kFiveLists = "wheel-load=72.5&top-cover=50&paving=1.44&fs=170&fc=10";

Quad Decimal(const char* text) {
  Quad value = 0;
  EXPECT_TRUE(ParseDecimal(text, &value)) << text;
  return value;
}

bool Same(Quad a, Quad b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

// The command line and the web page check a value by one rule: each row's
// text is given to both doors, which accept it or refuse it alike, each in
// its own words (the page beside the field, the command line as a usage
// error naming the option and the value).
TEST(ValueCheck, BothDoorsAcceptAndRefuseAlike) {
  using enum ValueListId;
  // clang-format off
  const std::tuple<ValueListId, std::string, ValueRefusal> cases[] = {
      {kWheelLoad, "72.5", ValueRefusal::kNone},
      {kWheelLoad, "0", ValueRefusal::kNone},
      {kWheelLoad, "-0", ValueRefusal::kNone},
      {kWheelLoad, "1e3", ValueRefusal::kNone},
      {kWheelLoad, ".5", ValueRefusal::kNone},
      {kWheelLoad, "5.", ValueRefusal::kNone},
      {kWheelLoad, "+72.5", ValueRefusal::kNone},
      {kWheelLoad, "72 5", ValueRefusal::kNotANumber},
      {kWheelLoad, "72.5kN", ValueRefusal::kNotANumber},
      {kWheelLoad, "72.5.1", ValueRefusal::kNotANumber},
      {kWheelLoad, "inf", ValueRefusal::kNotANumber},
      {kWheelLoad, "nan", ValueRefusal::kNotANumber},
      {kWheelLoad, "0x10", ValueRefusal::kNotANumber},
      {kWheelLoad, "1e", ValueRefusal::kNotANumber},
      {kWheelLoad, ".", ValueRefusal::kNotANumber},
      {kWheelLoad, "+", ValueRefusal::kNotANumber},
      {kWheelLoad, "1e5000", ValueRefusal::kNotFinite},
      {kWheelLoad, "-1", ValueRefusal::kNegative},
      {kTopCover, "-0.001", ValueRefusal::kNegative},
      {kFuturePaving, "-1e-30", ValueRefusal::kNegative},
      {kSteelStress, "0", ValueRefusal::kNotAboveZero},
      {kSteelStress, "-0", ValueRefusal::kNotAboveZero},
      {kConcreteStress, "0", ValueRefusal::kNotAboveZero},
      {kConcreteStress, "-10", ValueRefusal::kNotAboveZero},
      {kConcreteStress, "1e-5000", ValueRefusal::kNotAboveZero},  // underflows to zero
      {kConcreteStress, "1e-4940", ValueRefusal::kNone},          // subnormal, above zero
  };
  // clang-format on
  const std::vector<std::string> kValues = {"72.5", "50", "1.5", "165", "10"};
  for (const auto& [id, text, refusal] : cases) {
    const ValueListInfo& list = ValueListOf(id);
    Quad value = -1;
    EXPECT_EQ(CheckValueText(list, text, &value), RefusalSentence(refusal))
        << list.name << " " << text;

    std::vector<std::string> arguments = {"--output", "r.rpt"};
    std::string query;
    for (const ValueListInfo& other : ValueLists()) {
      const std::string& given = other.id == id ? text : kValues[static_cast<size_t>(other.id)];
      arguments.insert(arguments.end(), {"--" + std::string(other.name), given});
      query +=
          (query.empty() ? "" : "&") + std::string(other.name) + "=" + EncodeQueryComponent(given);
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
      argv.push_back(argument.data());
    }
    CommandLine line;
    const Fault fault = ParseCommandLine(argv, line);
    const QueryParse parse = ParseDesignQuery(query, QueryPurpose::kDesign);
    if (refusal == ValueRefusal::kNone) {
      EXPECT_TRUE(fault.ok()) << text << ": " << FormatFault(fault);
      EXPECT_TRUE(parse.ok()) << query;
      continue;
    }
    EXPECT_EQ(FormatFault(fault), "kalvorden: error (64): usage error, option --" +
                                      std::string(list.name) + " " + QuoteName(text) + ": item 1 " +
                                      std::string(RefusalPhrase(refusal)))
        << text;
    ASSERT_EQ(parse.errors.size(), 1U) << query;
    EXPECT_EQ(parse.errors[0].field, static_cast<int>(id)) << query;
    EXPECT_EQ(parse.errors[0].message, RefusalSentence(refusal)) << query;
  }
  // Blanks around a typed value are the form's to trim; a comma is refused
  // with a hint on the page (on the command line it separates values).
  EXPECT_EQ(CheckValueText(ValueListOf(kWheelLoad), " 72.5 ", nullptr), "");
  EXPECT_EQ(CheckValueText(ValueListOf(kWheelLoad), "1,440", nullptr),
            "Use a decimal point: 72.5, not 72,5.");
}

TEST(DesignQuery, ValuesConvertExactlyAndInOrder) {
  const QueryParse parse = ParseDesignQuery(
      "wheel-load=72.5&wheel-load=&wheel-load=100.1&top-cover=50&paving=1.44&fs=170&fc=10"
      "&fc=0.1e2&continuity=on&at=20261207140309",
      QueryPurpose::kDesign);
  ASSERT_TRUE(parse.ok()) << parse.errors[0].message;
  const QueryList& loads = parse.query.list(ValueListId::kWheelLoad);
  ASSERT_EQ(loads.count, 2);
  EXPECT_EQ(loads.texts.size(), 3U);  // the empty input keeps its place
  EXPECT_TRUE(Same(loads.values[0], Decimal("72.5")));
  EXPECT_TRUE(Same(loads.values[1], Decimal("100.1")));
  EXPECT_EQ(parse.query.list(ValueListId::kConcreteStress).count, 2);
  EXPECT_TRUE(parse.query.continuity);
  ASSERT_TRUE(parse.query.hasClock);
  EXPECT_EQ(parse.query.clock.year, 2026);
  EXPECT_EQ(parse.query.clock.second, 9);
  // A link made from the query reads back the same.
  EXPECT_EQ(EncodeDesignQuery(parse.query),
            "wheel-load=72.5&wheel-load=100.1&top-cover=50&paving=1.44&fs=170&fc=10&fc=0.1e2"
            "&continuity=on&at=20261207140309");
}

TEST(DesignQuery, PercentDecodingBeforeChecking) {
  // clang-format off
  const std::tuple<std::string, int, std::string> cases[] = {
      {"wheel-load=72%2E5", -1, ""},
      {"wheel%2Dload=72.5", -1, ""},
      {"wheel-load=+72.5+", -1, ""},         // "+" decodes to a blank, trimmed
      {"wheel-load=72%2C5", 0, "Use a decimal point: 72.5, not 72,5."},
      {"wheel-load=72%00", 0, "Enter a number, such as 72.5."},
      {"wheel-load=%FF", 0, "Enter a number, such as 72.5."},
      {"wheel-load=72%2", -1, "The query holds a \"%\" that is not followed by two hex digits."},
      {"wheel-load=72%G1", -1, "The query holds a \"%\" that is not followed by two hex digits."},
      {"%=1", -1, "The query holds a \"%\" that is not followed by two hex digits."},
  };
  // clang-format on
  for (const auto& [first, field, message] : cases) {
    const std::string query = first + "&top-cover=50&paving=1.44&fs=170&fc=10";
    const QueryParse parse = ParseDesignQuery(query, QueryPurpose::kDesign);
    if (message.empty()) {
      EXPECT_TRUE(parse.ok()) << query << ": " << parse.errors[0].message;
      continue;
    }
    ASSERT_FALSE(parse.ok()) << query;
    EXPECT_EQ(parse.errors[0].field, field) << query;
    EXPECT_EQ(parse.errors[0].message, message) << query;
  }
}

TEST(DesignQuery, RequestLevelFaults) {
  // The query, its purpose, the first message and where it belongs.
  // clang-format off
  const std::tuple<std::string, QueryPurpose, int, int, std::string> cases[] = {
      {"", QueryPurpose::kDesign, 0, 0, "Enter at least one value."},
      {"top-cover=50&paving=1.44&fs=170&fc=10", QueryPurpose::kDesign, 0, 0,
       "Enter at least one value."},
      {"wheel-load=&top-cover=50&paving=1.44&fs=170&fc=10", QueryPurpose::kDesign, 0, 0,
       "Enter at least one value."},
      {std::string(kFiveLists) + "&wheel-load=1&wheel-load=2&wheel-load=3&wheel-load=4&wheel-load=5",
       QueryPurpose::kDesign, 0, 4, "At most 5 values."},
      {std::string(kFiveLists) + "&file=/etc/passwd", QueryPurpose::kDesign, -1, 0,
       "Unknown field \"file\"."},
      {std::string(kFiveLists) + "&continuity=yes", QueryPurpose::kDesign, -1, 0,
       "continuity is on or off."},
      {std::string(kFiveLists) + "&continuity=on&continuity=on", QueryPurpose::kDesign, -1, 0,
       "The field \"continuity\" is given more than once."},
      {std::string(kFiveLists) + "&at=20261307140309", QueryPurpose::kDesign, -1, 0,
       "at must be a date and time written YYYYMMDDhhmmss."},
      {std::string(kFiveLists) + "&at=20230229120000", QueryPurpose::kDesign, -1, 0,
       "at must be a date and time written YYYYMMDDhhmmss."},
      {std::string(kFiveLists) + "&at=2026120714030", QueryPurpose::kDesign, -1, 0,
       "at must be a date and time written YYYYMMDDhhmmss."},
      {std::string(kFiveLists) + "&at=21000229120000", QueryPurpose::kDesign, -1, 0,
       "at must be a date and time written YYYYMMDDhhmmss."},
      {std::string(kFiveLists) + "&at=20260431120000", QueryPurpose::kDesign, -1, 0,
       "at must be a date and time written YYYYMMDDhhmmss."},
      {std::string(kFiveLists) + "&at=20240101000060", QueryPurpose::kDesign, -1, 0,
       "at must be a date and time written YYYYMMDDhhmmss."},
      {std::string(kFiveLists) + "&at=00000101000000", QueryPurpose::kDesign, -1, 0,
       "at must be a date and time written YYYYMMDDhhmmss."},
      {std::string(kFiveLists) + "&at=20240101240000", QueryPurpose::kDesign, -1, 0,
       "at must be a date and time written YYYYMMDDhhmmss."},
      {std::string(kFiveLists) + "&span=3.76", QueryPurpose::kDesign, -1, 0,
       "span is the bridge's effective span, from 1.000 to 3.750 m, such as 2.91."},
      {std::string(kFiveLists) + "&designer=A%0AB", QueryPurpose::kDesign, -1, 0,
       "Designer holds a control character (a line break, a tab or the like): one line of text."},
      {std::string(kFiveLists) + "&title=%C3", QueryPurpose::kDesign, -1, 0,
       "Title is not valid UTF-8."},
      {std::string(kFiveLists) + "&notes=A%F4%8F%BF%BF", QueryPurpose::kDesign, -1, 0,
       "Notes holds U+10FFFF, a noncharacter, which a document cannot show."},
      {std::string(kFiveLists) + "&bridge=1&bridge=2", QueryPurpose::kDesign, -1, 0,
       "The field \"bridge\" is given more than once."},
      {kFiveLists, QueryPurpose::kExplain, -1, 0, "Give the span, such as span=1.500."},
      {std::string(kFiveLists) + "&fc=12&span=1.5", QueryPurpose::kExplain, 4, 0,
       "The calculation sheet takes exactly one value here."},
  };
  // clang-format on
  for (const auto& [query, purpose, field, position, message] : cases) {
    const QueryParse parse = ParseDesignQuery(query, purpose);
    ASSERT_FALSE(parse.ok()) << query;
    EXPECT_EQ(parse.errors[0].field, field) << query;
    EXPECT_EQ(parse.errors[0].position, position) << query;
    EXPECT_EQ(parse.errors[0].message, message) << query;
  }
}

TEST(DesignQuery, LeapDaysOfTheGregorianCalendar) {
  // at=, and the day it stamps; the impossible dates are in RequestLevelFaults.
  const std::pair<std::string, int> cases[] = {
      {"20240229000000", 29},
      {"20000229235959", 29},
      {"20230228120000", 28},
      {"20261231235959", 31},
      {"00010101000000", 1},
  };
  for (const auto& [at, day] : cases) {
    const QueryParse parse =
        ParseDesignQuery(std::string(kFiveLists) + "&at=" + at, QueryPurpose::kDesign);
    ASSERT_TRUE(parse.ok()) << at;
    EXPECT_EQ(parse.query.clock.day, day) << at;
  }
}

TEST(DesignQuery, SpansAsPrinted) {
  // clang-format off
  const std::pair<std::string, int32_t> cases[] = {
      {"1.000", 0}, {"1", 0}, {"1.5", 20}, {"1.025", 1}, {"3.750", 110},
      {"3.7500", 110}, {"2.00", 40},
      {"0.975", -1}, {"3.775", -1}, {"1.026", -1}, {"1.0251", -1}, {"1,5", -1}, {"-1", -1},
      {".5", -1}, {"1e0", 0}, {"1.50e0", 20}, {"99999999999999999999", -1}, {"", -1}, {" 1.5", -1},
  };
  // clang-format on
  for (const auto& [span, index] : cases) {
    const QueryParse parse =
        ParseDesignQuery(std::string(kFiveLists) + "&span=" + span, QueryPurpose::kExplain);
    EXPECT_EQ(parse.ok(), index >= 0) << span;
    if (index >= 0) {
      EXPECT_EQ(parse.query.spanIndex, index) << span;
    }
  }
}

// A design's span is the bridge's, any decimal from 1.000 to 3.750 m, and
// may be left empty; with the identity it goes into the link as typed.
TEST(DesignQuery, BridgeSpanAndIdentityInTheLink) {
  const struct {
    const char* span;
    bool hasSpan;
    int32_t row;
    const char* exact;
  } cases[] = {{"", false, 0, ""},
               {"x", false, 0, ""},
               {"2.91", true, 77, "2.91"},
               {"+2.9000", true, 76, "2.9"},
               {"2.9000000000000000001", true, 77, "2.9000000000000000001"}};
  for (const auto& c : cases) {
    const QueryParse parse = ParseDesignQuery(
        std::string(kFiveLists) + "&span=" + c.span + "&designer=J%C3%BCrgen+%26+Co",
        QueryPurpose::kDesign);
    ASSERT_EQ(parse.ok(), std::string(c.span) != "x") << c.span;
    if (!parse.ok()) {
      continue;
    }
    EXPECT_EQ(parse.query.hasSpan, c.hasSpan) << c.span;
    if (c.hasSpan) {
      EXPECT_EQ(parse.query.spanIndex, c.row) << c.span;
    }
    EXPECT_EQ(parse.query.spanExact, c.exact) << c.span;
    EXPECT_EQ(parse.query.identity.designer, "J\xC3\xBCrgen & Co");
    const QueryParse again =
        ParseDesignQuery(EncodeDesignQuery(parse.query), QueryPurpose::kDesign);
    ASSERT_TRUE(again.ok()) << EncodeDesignQuery(parse.query);
    EXPECT_EQ(again.query.spanText, parse.query.spanText);
    EXPECT_EQ(again.query.identity.designer, parse.query.identity.designer);
  }
}

TEST(DesignQuery, EveryFaultIsListed) {
  const QueryParse parse = ParseDesignQuery(
      "wheel-load=72,5&top-cover=-5&paving=x&fs=0&fc=10&fc=1e9999", QueryPurpose::kDesign);
  ASSERT_EQ(parse.errors.size(), 5U);
  const std::pair<int, int> places[] = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 1}};
  for (size_t i = 0; i < parse.errors.size(); ++i) {
    EXPECT_EQ(parse.errors[i].field, places[i].first) << i;
    EXPECT_EQ(parse.errors[i].position, places[i].second) << i;
  }
}

TEST(DesignQuery, LinkComponentsAreEncoded) {
  EXPECT_EQ(EncodeQueryComponent("1.5e+2"), "1.5e%2B2");
  EXPECT_EQ(EncodeQueryComponent("<a&b=c>"), "%3Ca%26b%3Dc%3E");
  EXPECT_EQ(EncodeQueryComponent("\xff "), "%FF%20");
}

TEST(ResultPage, ValuesInFullWithoutNeedlessExponents) {
  // clang-format off
  const std::pair<const char*, const char*> cases[] = {
      {"50", "50"}, {"72.5", "72.5"}, {"100.1", "100.1"}, {"0.1", "0.1"}, {"1440", "1440"},
      {"1.5e-5", "0.000015"}, {"1e-8", "1e-08"}, {"1e21", "1e+21"}, {"1e20", "100000000000000000000"},
      {"123456789.123456789", "123456789.123456789"}, {"-0", "-0"},
      {"0.1000000000000000000000000000000000001", "0.1"},
  };
  // clang-format on
  for (const auto& [typed, shown] : cases) {
    const Quad value = Decimal(typed);
    const std::string exact = FullDecimal(value, FullDecimalUse::kWeb);
    EXPECT_EQ(exact, shown) << typed;
    EXPECT_TRUE(Same(Decimal(exact.c_str()), value)) << typed;
  }
}
