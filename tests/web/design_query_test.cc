#include "web/design_query.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "numeric/decimal.h"
#include "web/downloads.h"
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

// A comma is refused with a hint on the page (on the command line it
// separates values); every other verdict is in the doors' table
// (doors_test.cc).
TEST(DesignQuery, DecimalCommaHint) {
  const QueryParse parse = ParseDesignQuery(
      "wheel-load=1,440&top-cover=50&paving=1.44&fs=170&fc=10", QueryPurpose::kDesign);
  ASSERT_EQ(parse.errors.size(), 1U);
  EXPECT_EQ(parse.errors[0].message, "Use a decimal point: 72.5, not 72,5.");
}

TEST(DesignQuery, ValuesConvertExactlyAndInOrder) {
  const QueryParse parse = ParseDesignQuery(
      "wheel-load=72.5&wheel-load=&wheel-load=100.1&top-cover=50&paving=1.44&fs=170&fc=10"
      "&fc=0.1e2&continuity=on&at=20261207140309",
      QueryPurpose::kDesign);
  ASSERT_TRUE(parse.ok()) << parse.errors[0].message;
  const ValueList& loads = parse.query.request.lists[0];
  ASSERT_EQ(loads.count, 2);
  EXPECT_EQ(parse.query.texts[0].size(), 3U);  // the empty input keeps its place
  EXPECT_TRUE(Same(loads.values[0], Decimal("72.5")));
  EXPECT_TRUE(Same(loads.values[1], Decimal("100.1")));
  EXPECT_EQ(parse.query.request.lists[4].count, 2);
  EXPECT_TRUE(parse.query.request.continuity);
  ASSERT_TRUE(parse.query.clock);
  EXPECT_EQ(parse.query.clock->year, 2026);
  EXPECT_EQ(parse.query.clock->second, 9);
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
      {std::string(kFiveLists) + "&adopt=0", QueryPurpose::kDesign, -1, 0,
       "adopt must be a case number, 1 to 3125."},
      {std::string(kFiveLists) + "&adopt=1.0", QueryPurpose::kDesign, -1, 0,
       "adopt must be a case number, 1 to 3125."},
      {std::string(kFiveLists) + "&adopt=2", QueryPurpose::kDesign, -1, 0,
       "adopt must be a case of this run, 1 to 1."},
      {std::string(kFiveLists) + "&paper=A4", QueryPurpose::kDesign, -1, 0,
       "paper is a4 or letter."},
      {std::string(kFiveLists) + "&paper=", QueryPurpose::kDesign, -1, 0,
       "paper is a4 or letter."},
      {std::string(kFiveLists) + "&paper=letter&paper=a4", QueryPurpose::kDesign, -1, 0,
       "The field \"paper\" is given more than once."},
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

// The PDF's paper: A4 unless the query names one; a named one is carried in
// the links, so every download gets the paper the page was asked for.
TEST(DesignQuery, PaperIsReadAndCarriedInTheLink) {
  const struct {
    const char* given;
    PaperSize paper;
    const char* link;
  } cases[] = {{"", PaperSize::kA4, ""},
               {"&paper=a4", PaperSize::kA4, "&paper=a4"},
               {"&paper=letter", PaperSize::kLetter, "&paper=letter"}};
  for (const auto& c : cases) {
    const QueryParse parse =
        ParseDesignQuery(kFiveLists + std::string(c.given), QueryPurpose::kDesign);
    ASSERT_TRUE(parse.ok()) << c.given;
    EXPECT_EQ(parse.query.request.paper, c.paper) << c.given;
    EXPECT_EQ(EncodeDesignQuery(parse.query), kFiveLists + std::string(c.link)) << c.given;
  }
}

TEST(DesignQuery, LeapDaysOfTheGregorianCalendar) {
  // at=, and the day it stamps; the impossible dates are in RequestLevelFaults.
  const std::pair<std::string, int> cases[] = {
      {"20240229000000", 29}, {"20000229235959", 29}, {"20230228120000", 28},
      {"20261231235959", 31}, {"00010101000000", 1},
  };
  for (const auto& [at, day] : cases) {
    const QueryParse parse =
        ParseDesignQuery(std::string(kFiveLists) + "&at=" + at, QueryPurpose::kDesign);
    ASSERT_TRUE(parse.ok()) << at;
    ASSERT_TRUE(parse.query.clock) << at;
    EXPECT_EQ(parse.query.clock->day, day) << at;
  }
}

// A design's span may be left empty; with the identity it goes into the
// link as typed. (Which spans every door takes: doors_test.cc.)
TEST(DesignQuery, BridgeSpanAndIdentityInTheLink) {
  const struct {
    const char* span;
    const char* exact;
  } cases[] = {{"", ""}, {"x", ""}, {"+2.9000", "2.9"}};
  for (const auto& c : cases) {
    const QueryParse parse = ParseDesignQuery(
        std::string(kFiveLists) + "&span=" + c.span + "&designer=J%C3%BCrgen+%26+Co",
        QueryPurpose::kDesign);
    ASSERT_EQ(parse.ok(), std::string(c.span) != "x") << c.span;
    if (!parse.ok()) {
      continue;
    }
    EXPECT_EQ(parse.query.request.span, c.exact) << c.span;
    EXPECT_EQ(parse.query.request.identity.designer, "J\xC3\xBCrgen & Co");
    const QueryParse again =
        ParseDesignQuery(EncodeDesignQuery(parse.query), QueryPurpose::kDesign);
    ASSERT_TRUE(again.ok()) << EncodeDesignQuery(parse.query);
    EXPECT_EQ(again.query.spanText, parse.query.spanText);
    EXPECT_EQ(again.query.request.identity.designer, parse.query.request.identity.designer);
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

// A download's name: the bridge's, else the title's, in safe characters
// only (a name of a saved file, and a header's quoted text), else today's.
TEST(DownloadName, MadeSafeFromTheBridgeOrTheTitle) {
  const std::string longest(kMostNameCharacters, 'a');
  // clang-format off
  const struct { const char* bridge; std::string title; const char* fileName; std::string name; } cases[] = {
      {"12/345", "Deck", "report.pdf", "12-345.pdf"},
      {"", "Deck 12", "report.csv", "Deck-12.csv"},
      {"", "", "report.rpt", "kalvorden-report.rpt"},
      {"", "", "project.toml", "kalvorden-project.toml"},
      {"../..", "Deck", "report.txt", "Deck.txt"},
      {"\"x\"\r\n;", "", "report.pdf", "x.pdf"},
      {"Br\xC3\xBC" "cke  / 7", "", "report.pdf", "Br-cke-7.pdf"},
      {".hidden-", "", "project.toml", "hidden.toml"},
      {"", "%%%", "report.pdf", "kalvorden-report.pdf"},
      {"", longest + "bcd", "report.pdf", longest + ".pdf"},
  };
  // clang-format on
  for (const auto& c : cases) {
    ProjectIdentity identity;
    identity.bridge = c.bridge;
    identity.title = c.title;
    EXPECT_EQ(DownloadFileName(identity, c.fileName), c.name) << c.bridge << " " << c.title;
  }
}
