#pragma once

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "design/design_cases.h"
#include "design/span_sweep.h"
#include "pdf/pdf_output.h"
#include "tests/design/design_run.h"
#include "tests/support/run_binary.h"

// Every case of `inputs` designed, in the order of the run.
inline std::vector<std::unique_ptr<kalvorden::DesignedCase>> DesignAll(
    const kalvorden::DesignInputs& inputs) {
  std::vector<std::unique_ptr<kalvorden::DesignedCase>> cases;
  kalvorden::ForEachDesignCase(inputs, [&cases](const kalvorden::DesignCase& values) {
    auto designed = std::make_unique<kalvorden::DesignedCase>();
    designed->designCase = values;
    kalvorden::SweepState state;
    designed->sweep = kalvorden::SweepSpans(designed->designCase, state, designed->spans);
    cases.push_back(std::move(designed));
  });
  return cases;
}

// A tool's standard output (the tool must succeed).
inline std::string Tool(const std::string& binary, std::vector<std::string> arguments,
                        const std::string& directory) {
  const kalvorden::testing::RunResult result =
      kalvorden::testing::RunBinary(binary, {std::move(arguments), directory, "", -1});
  EXPECT_EQ(result.exitStatus, 0) << binary << ": " << result.err;
  return result.out;
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    lines.push_back(line);
  }
  return lines;
}

inline std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream stream(line);
  for (std::string word; stream >> word;) {
    words.push_back(word);
  }
  return words;
}
