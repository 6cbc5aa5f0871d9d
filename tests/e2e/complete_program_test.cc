// kalvorden carries neither the PDF nor the web page and hands the runs that
// need them to kalvorden-full. The hand-over must be invisible when the
// complete program is in its place, and must end with status 69 and its line,
// before any file is made, when it is missing or is not the complete program.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/run_binary.h"

using namespace kalvorden::testing;

namespace {

const std::vector<std::string> kOneCase = {"--wheel-load", "72.5", "--top-cover", "50",
                                           "--paving",     "1.44", "--fs",        "170",
                                           "--fc",         "10",   "--output",    "r.rpt"};

std::vector<std::string> With(std::vector<std::string> arguments,
                              const std::vector<std::string>& more) {
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

std::vector<std::string> FilesIn(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

}  // namespace

TEST(CompleteProgram, APdfRunIsHandedOverUnseen) {
  TempDir dir;
  const RunResult run =
      RunBinary(KALVORDEN_BINARY, {With(kOneCase, {"--pdf", "r.pdf"}), dir.path(), "", -1});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err,
            "kalvorden: wrote report file \"r.rpt\" (3 pages), PDF file \"r.pdf\" (8 pages): "
            "1 design case, 0 not designed in full\n");
  EXPECT_EQ(ReadFileBytes(dir.File("r.pdf")).substr(0, 5), "%PDF-");
}

TEST(CompleteProgram, WithoutItTheRunEndsBeforeAnyFile) {
  const std::string dialogue = "r.rpt\n1\n72.5\n1\n50\n1\n1.44\n1\n170\n1\n10\nN\n";
  struct Case {
    const char* name;
    bool lookalikeInPlace;  // a copy of kalvorden where kalvorden-full belongs
    std::vector<std::string> arguments;
    std::string input;
  } const cases[] = {
      {"options", false, With(kOneCase, {"--csv", "r.csv", "--pdf", "r.pdf"}), ""},
      {"dialogue", false, {"--pdf", "r.pdf", "--text", "r.txt"}, dialogue},
      {"serve", false, {"serve", "--port", "0"}, ""},
      {"lookalike", true, With(kOneCase, {"--pdf", "r.pdf"}), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::filesystem::path bin = std::filesystem::path(dir.path()) / "bin";
    const std::filesystem::path libexec = std::filesystem::path(dir.path()) / "libexec/kalvorden";
    std::filesystem::create_directories(bin);
    std::filesystem::copy_file(KALVORDEN_BINARY, bin / "kalvorden");
    if (c.lookalikeInPlace) {
      std::filesystem::create_directories(libexec);
      std::filesystem::copy_file(KALVORDEN_BINARY, libexec / "kalvorden-full");
    }
    const RunResult run =
        RunBinary((bin / "kalvorden").string(), {c.arguments, bin.string(), c.input, -1});
    EXPECT_EQ(run.exitStatus, 69);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(
        run.err,
        "kalvorden: error (69): cannot start the program that makes PDF files and "
        "serves the web page, file \"" +
            (libexec / "kalvorden-full").string() + "\": " +
            (c.lookalikeInPlace ? "it is not the complete program" : "No such file or directory") +
            "\n");
    EXPECT_EQ(FilesIn(bin.string()), std::vector<std::string>{"kalvorden"});
  }
}
