// A rating's values meet the design's rules for a list at every door: the
// one list reader (numeric/value_list_text.h) trims the blanks around each
// span and names an empty item by its place.
#include <gtest/gtest.h>

#include <string>

#include "numeric/decimal.h"
#include "rating/rating_values.h"

using namespace kalvorden;

namespace {

Quad Q(const char* text) {
  Quad value = 0;
  ParseDecimal(text, &value);
  return value;
}

}  // namespace

TEST(RatingValues, SpansAndValuesByTheListRule) {
  const struct {
    const char *field, *text, *why;
    size_t spans;
  } cases[] = {
      {"span", "2.4", "", 1},
      {"span", " 2.4,\t3.2 ", "", 2},
      {"span", "0.610,7.315", "", 2},
      {"span", "2.4,", "item 2 is empty", 0},
      {"span", "2.4, ,3", "item 2 is empty", 0},
      {"span", "", "item 1 is empty", 0},
      {"span", "2.4;3.2", "item 1 is not a number", 0},
      {"span", "2.4,7.316", "item 2 must be 0.610 to 7.315 m", 0},
      {"thickness", " 200\t", "", 0},
      {"thickness", "2 00", "is not a number", 0},
      {"top-bar", " #16 ", "", 0},
  };
  for (const auto& c : cases) {
    RatingEntry entry;
    EXPECT_EQ(SetRatingField(*FindRatingField(c.field), c.text, entry), c.why) << c.text;
    EXPECT_EQ(entry.inputs.spans.size(), c.spans) << c.text;
  }
  std::string many = "1";
  for (int i = 0; i < kMostRatedSpans; ++i) {
    many += ",1";
  }
  RatingEntry entry;
  EXPECT_EQ(SetRatingField(*FindRatingField("span"), many, entry), "more than 100 spans");
  ASSERT_EQ(SetRatingField(*FindRatingField("span"), " 2.4 , 3.2", entry), "");
  EXPECT_TRUE(entry.inputs.spans[1] == Q("3.2"));
}
