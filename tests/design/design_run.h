#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "design/design_cases.h"
#include "numeric/decimal.h"
#include "output/report_output.h"
#include "tests/support/run_binary.h"

inline kalvorden::Quad Q(const char* text) {
  kalvorden::Quad value = 0;
  EXPECT_TRUE(kalvorden::ParseDecimal(text, &value)) << text;
  return value;
}

// |value - expected| <= tolerance, for figures given to a fixed number of digits.
inline bool Near(kalvorden::Quad value, const char* expected, const char* tolerance) {
  return kalvorden::Abs(value - Q(expected)) <= Q(tolerance);
}

// The worked example: wheel load 72.5 kN, cover 50 mm, paving 1.5 kN/m^2, fs
// 165 MPa, fc 10 MPa; `change` replaces list 0 to 4 (in that order) by `values`.
inline kalvorden::DesignInputs Inputs(int change = -1,
                                      const std::vector<const char*>& values = {}) {
  kalvorden::DesignInputs inputs;
  kalvorden::ValueList* lists[] = {&inputs.wheelLoads, &inputs.topCovers, &inputs.futurePavings,
                                   &inputs.steelStresses, &inputs.concreteStresses};
  const char* example[] = {"72.5", "50", "1.5", "165", "10"};
  for (int list = 0; list < 5; ++list) {
    const auto entered = list == change ? values : std::vector{example[list]};
    lists[list]->count = static_cast<int32_t>(entered.size());
    std::transform(entered.begin(), entered.end(), lists[list]->values.begin(), Q);
  }
  return inputs;
}

// The worked example's case with its constants, for other P, fs and CF.
inline kalvorden::DesignCase WorkedCase(const char* load, const char* fs, float continuity) {
  kalvorden::DesignCase c{Q(load), Q("50"), Q("1.5"), Q(fs), Q("10")};
  c.continuityFactor = kalvorden::Widen(continuity);
  c.modularRatio = kalvorden::DeriveModularRatio(c.concreteStress);
  kalvorden::DeriveCaseConstants(c);
  return c;
}

struct DesignRun {
  std::vector<kalvorden::UndesignedCase> notices;
  std::string bytes;                   // the report file
  std::vector<std::string> rows;       // the 59-character result rows
  std::vector<std::string> caseLines;  // the case line of every page heading
};

// Designs `inputs` into a report file and reads it back. A record is its line advance (LF or
// FF), 11 blanks, the line and CR; rows have "#xx at " in the middle, case lines follow "(kN)".
inline DesignRun RunDesign(const kalvorden::DesignInputs& inputs) {
  kalvorden::testing::TempDir dir;
  const std::string path = dir.File("design.rpt");
  kalvorden::ReportOutput report({});
  kalvorden::ReportFile file;
  kalvorden::BeginReportFile(file, open(path.c_str(), O_CREAT | O_WRONLY, 0600), path, false);
  report.BeginInPlace(std::move(file));
  DesignRun run;
  kalvorden::EnumerateDesignCases(inputs, [&](const kalvorden::DesignedCase& designed) {
    if (const auto undesigned = kalvorden::FindUndesignedSpan(designed)) {
      run.notices.push_back(*undesigned);
    }
    return report.Write(designed);
  });
  EXPECT_TRUE(report.Finish());
  run.bytes = kalvorden::testing::ReadFileBytes(path);
  std::istringstream records(run.bytes);
  for (std::string record, previous; std::getline(records, record, '\r'); previous = record) {
    record.erase(0, record.find_first_not_of("\n\f"));
    if (record.size() == 70 && record[40] == '#') {
      run.rows.push_back(record.substr(11));
    } else if (previous.find("(kN)") != std::string::npos) {
      run.caseLines.push_back(record.substr(11));
    }
  }
  return run;
}

// Every case of `inputs` as the design run gives it to the outputs, in order.
inline std::vector<std::unique_ptr<kalvorden::DesignedCase>> DesignAll(
    const kalvorden::DesignInputs& inputs) {
  std::vector<std::unique_ptr<kalvorden::DesignedCase>> cases;
  kalvorden::EnumerateDesignCases(inputs, [&cases](const kalvorden::DesignedCase& designed) {
    cases.push_back(std::make_unique<kalvorden::DesignedCase>(designed));
    return true;
  });
  return cases;
}
