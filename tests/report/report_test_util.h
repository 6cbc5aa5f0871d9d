#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>

#include "design/design_records.h"
#include "numeric/decimal.h"
#include "report/report_file.h"
#include "tests/support/run_binary.h"

// The binary128 value nearest a decimal numeral, never by way of a double.
inline kalvorden::Quad Parse(const char* text) {
  kalvorden::Quad value = 0;
  EXPECT_TRUE(kalvorden::ParseDecimal(text, &value)) << text;
  return value;
}

// A report file in a temporary directory of its own.
struct TempReport {
  kalvorden::testing::TempDir dir;
  std::string path = dir.File("report.txt");

  kalvorden::ReportFile Open(bool replacesExistingFile = false) const {
    kalvorden::ReportFile file;
    const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    EXPECT_GE(descriptor, 0) << path;
    kalvorden::BeginReportFile(file, descriptor, path, replacesExistingFile);
    return file;
  }
  std::string Bytes() const { return kalvorden::testing::ReadFileBytes(path); }
};

// The worked example: a case of 72.5 kN, fc 10, fs 170, n 8, cover 50 mm, paving
// 1.44 kN/m^2, CF 1.0, and its span 1.0 m (163.18 mm, 165 mm, #16 at 195, 3 and 2 #13).
// clang-format off
inline kalvorden::DesignCase ExampleCase() {
  return {.wheelLoad = Parse("72.5"), .topCover = 50, .futurePaving = Parse("1.44"),
          .steelStress = 170, .concreteStress = 10, .continuityFactor = 1, .modularRatio = 8};
}

inline kalvorden::SpanDesign ExampleSpan() {
  return {.spanLength = 1, .minThickness = Parse("163.18"), .actualThickness = 165,
          .mainBarDesignation = 16, .mainBarSpacing = 195, .middleHalfBarCount = 3,
          .distBarDesignation = 13, .outerQuartersBarCount = 2};
}
// clang-format on
