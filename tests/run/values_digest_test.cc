// The digest of a run's values: the same values however they are written,
// another digest for any change that changes the run.
#include "run/values_digest.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "project/project_file.h"

using namespace kalvorden;

namespace {

constexpr const char* kBase =
    "[project]\ntitle = \"Bridge 12/345\"\n[design]\nwheel-load = [72.5, 100]\n"
    "top-cover = [50]\npaving = [1.5]\nfs = [165]\nfc = [10]\ncontinuity = true\nspan = 2.91\n";

std::string DigestOf(const std::string& text) {
  RunRequest project;
  const Fault fault = ParseProjectText(text, "p.toml", project);
  EXPECT_TRUE(fault.ok()) << FormatFault(fault);
  return DesignValuesDigest(project);
}

}  // namespace

TEST(ValuesDigest, SameValuesSameDigest) {
  const std::string base = DigestOf(kBase);
  EXPECT_EQ(base.size(), 64U);
  EXPECT_EQ(base.find_first_not_of("0123456789abcdef"), std::string::npos);
  const char* const sameValues[] = {
      // other formats, other key order, comments, another identity
      "# the same bridge\n[design]\nspan = 2.910  # m\ncontinuity = true\nfc = [10.0]\n"
      "fs = [1.65e2]\npaving = [1.50]\ntop-cover = [50]\nwheel-load = [72.50, 100.0]\n"
      "[project]\ntitle = \"Another title\"\nchecker = \"C. Checker\"\n",
      "[design]\nwheel-load = [+72.5, 1e2]\ntop-cover = [5e1]\npaving = [1.5]\nfs = [165]\n"
      "fc = [10]\ncontinuity = true\nspan = 291e-2\n",
  };
  for (const char* text : sameValues) {
    EXPECT_EQ(DigestOf(text), base) << text;
  }
  const char* const changes[][2] = {
      {"72.5, 100", "72.5, 100.0000000000000000000000000000001"},
      {"72.5, 100", "100, 72.5"},
      {"continuity = true", "continuity = false"},
      {"span = 2.91", "span = 2.9100000000000000000000000000000000001"},
      {"span = 2.91\n", ""},
      {"fc = [10]", "fc = [10, 12]"},
  };
  for (const auto& [from, to] : changes) {
    std::string text = kBase;
    text.replace(text.find(from), std::string(from).size(), to);
    EXPECT_NE(DigestOf(text), base) << to;
  }
}

// The canonical form is pinned: a digest printed on a calculation filed
// today must be reproducible by a later version.
TEST(ValuesDigest, CanonicalFormIsPinned) {
  RunRequest project;
  ASSERT_TRUE(ParseProjectText(kBase, "p.toml", project).ok());
  EXPECT_EQ(CanonicalDesignValues(project),
            "kalvorden design values 1\nwheel-load 72.5 100\ntop-cover 50\npaving 1.5\nfs 165\n"
            "fc 10\ncontinuity yes\nspan 2.91\n");
  // sha256sum of the same text
  EXPECT_EQ(DesignValuesDigest(project),
            "36640ad1bc82810cc4917ac50359aff7d57057f35ae42da88b78ebfa839884a2");
}

namespace {

constexpr const char* kRating =
    "[project]\nbridge = \"12/345\"\n[rating]\nthickness = 200\ntop-cover = 40\n"
    "top-bar = 16\ntop-spacing = 150\nconcrete-strength = 28\npaving = 1.2\nwheel-load = 72.5\n"
    "span = [2.4, 3.2]\nfs = 165\nfc = 11.2\nfs-operating = 248\nfc-operating = 16.8\n"
    "continuity = true\n";

RatingInputs RatingOf(const std::string& text) {
  RunRequest design;
  RatingEntry entry;
  const Fault fault = ParseProjectText(text, "p.toml", design, ProjectUse::kRating, &entry);
  EXPECT_TRUE(fault.ok()) << FormatFault(fault);
  return entry.inputs;
}

}  // namespace

// The rating's digest: pinned as the design's, the same for the same values
// however written, another for any change that changes the rating.
TEST(ValuesDigest, RatingValues) {
  const RatingInputs base = RatingOf(kRating);
  EXPECT_EQ(CanonicalRatingValues(base),
            "kalvorden rating values 1\nthickness 200\ntop-cover 40\ntop-bar 16\n"
            "top-spacing 150\ntop-loss 0\nbottom-cover none\nbottom-bar none\n"
            "bottom-spacing none\nbottom-loss none\nconcrete-strength 28\npaving 1.2\n"
            "wheel-load 72.5\nvehicle-weight none\nspan 2.4 3.2\nfs 165\nfc 11.2\n"
            "fs-operating 248\nfc-operating 16.8\ncontinuity yes\n");
  // sha256sum of the same text
  EXPECT_EQ(RatingValuesDigest(base),
            "05e987bf4be0ab3f8971b496c5d14ffe5c8551f407c28e46b08e0ab1ca4ec33a");
  const char* const changes[][2] = {
      {"bridge = \"12/345\"", "bridge = \"another\""},  // the identity: the same
      {"thickness = 200", "thickness = 2e2"},
      {"top-bar = 16", "top-bar = \"#16\""},
      {"top-cover = 40", "top-cover = 40\ntop-loss = 0"},
      {"thickness = 200", "thickness = 201"},
      {"span = [2.4, 3.2]", "span = [3.2, 2.4]"},
      {"continuity = true", "continuity = false"},
      {"top-cover = 40",
       "top-cover = 40\nbottom-cover = 25\nbottom-bar = 16\n"
       "bottom-spacing = 200"},
      {"wheel-load = 72.5", "wheel-load = 72.5\nvehicle-weight = 325"},
  };
  for (size_t i = 0; i < std::size(changes); ++i) {
    std::string text = kRating;
    text.replace(text.find(changes[i][0]), std::string(changes[i][0]).size(), changes[i][1]);
    EXPECT_EQ(RatingValuesDigest(RatingOf(text)) == RatingValuesDigest(base), i < 4)
        << changes[i][1];
  }
}
