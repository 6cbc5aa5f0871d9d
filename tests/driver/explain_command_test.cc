// The explain command's statuses: the sheet written, a span that cannot be
// designed, and a sheet that cannot be written.
#include "driver/explain_command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "explain/calculation_sheet.h"

using namespace kalvorden;

namespace {

// Reads back what was written to a temporary stream.
std::string Contents(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
    text.push_back(static_cast<char>(c));
  }
  return text;
}

}  // namespace

TEST(RunExplain, StatusAndLineForEachOutcome) {
  const DesignCase worked{72.5, 50, 1.5, 165, 10};
  const DesignCase noConcrete{72.5, 50, 1.5, 165, 0};
  const auto requestOf = [](const DesignCase& values) {
    RunRequest request;
    for (const ValueListInfo& list : ValueLists()) {
      request.lists[static_cast<size_t>(list.id)] = {1, {ValueOf(values, list.id)}};
    }
    request.span = "2.9";
    return request;
  };
  // clang-format off
  const struct { DesignCase values; bool fullDevice; int status; const char* error; } cases[] = {
      {worked, false, 0, ""},
      {noConcrete, false, 65, "kalvorden: span 2.900 m of this case cannot be designed; the "
                              "sheet says why\n"},
      {worked, true, 74, "kalvorden: error (74): write failure, writing the calculation sheet: "
                         "No space left on device\n"}};
  // clang-format on
  for (const auto& c : cases) {
    std::FILE* output = c.fullDevice ? std::fopen("/dev/full", "w") : std::tmpfile();
    std::FILE* errors = std::tmpfile();
    ASSERT_NE(output, nullptr);
    ASSERT_NE(errors, nullptr);
    EXPECT_EQ(RunExplain(requestOf(c.values), output, errors), c.status);
    EXPECT_EQ(Contents(errors), c.error);
    if (!c.fullDevice) {
      EXPECT_EQ(Contents(output), WriteCalculationSheet(c.values, 76).text);
    }
    std::fclose(output);
    std::fclose(errors);
  }
}
