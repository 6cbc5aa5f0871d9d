#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "tests/design/design_run.h"
#include "tests/support/run_binary.h"

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
