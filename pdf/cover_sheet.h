#pragma once

// The cover of the calculation package: which project and bridge, who
// designs and checks it, which program and run, every value the run was
// given, the row that governs the bridge's span with its result in every
// design case, and the block where the package is signed off.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "design/as_built_check.h"
#include "design/design_inputs.h"
#include "design/design_records.h"
#include "design/span_quantities.h"
#include "output/output_settings.h"
#include "pdf/sheet_flow.h"

namespace kalvorden {

// The governing row of one design case, as the cover lists it.
struct GoverningResult {
  SpanFault fault = SpanFault::kNone;
  int32_t actualThickness = 0;  // mm
  int32_t mainBar = 0;          // designation
  int32_t mainBarSpacing = 0;   // mm
  int32_t middleHalf = 0;       // distribution bars in the middle half
  int32_t outerQuarters = 0;    // in both outer quarters together, half in each
  int32_t distributionBar = 0;  // designation
  SpanQuantities quantities;    // per square metre of deck
  AsBuiltCheck check;           // the row's slab as built
  Quad effectiveDepth = 0;      // mm, from the top face: t - c - half the main bar
  Quad topCover = 0;            // c, mm
};
// The governing row `span` (sweep index `row`) of `designCase`.
GoverningResult GoverningResultOf(const DesignCase& designCase, const SpanDesign& span,
                                  int32_t row);

struct CoverContent {
  const OutputSettings* settings = nullptr;
  const DesignInputs* inputs = nullptr;
  std::string version;   // "kalvorden 1.0.0"
  std::string runStamp;  // "2026-12-07 14:03:09"
  // When a row governs: one result per design case, in case order.
  const std::vector<GoverningResult>* governing = nullptr;
  // The sheet on which case n (from 1) begins; 0 while the sheets are
  // still being counted.
  std::function<int64_t(int64_t caseNumber)> firstSheetOf;
};

// True when `settings` name a row of the report (0 to 110) as governing.
bool HasGoverningRow(const OutputSettings& settings);

// The pieces of a cover that the rating package's shares, in the same type.
// A section's heading, kept on one sheet with the `keep` points under it.
void CoverSection(SheetFlow& flow, const std::string& title, double keep = 50);
// The package's title and the line under it.
void CoverHeading(SheetFlow& flow, const std::string& title, const std::string& subtitle);
void CoverParagraph(SheetFlow& flow, const std::string& text);
// A labelled value, from `valueX` (0: where the identity's values start).
void CoverField(SheetFlow& flow, const std::string& label, const std::string& value,
                double valueX = 0);
// The project's identity, each field with a rule to write on where empty.
void CoverIdentity(SheetFlow& flow, const ProjectIdentity& project);
// The program, the run's date and time and the digest of the values the
// package was `forWhat` ("designed", "rated") for.
void CoverRun(SheetFlow& flow, const std::string& version, const std::string& runStamp,
              const std::string& digest, const std::string& forWhat);
// Designed, checked and approved by: names, signatures and dates.
void CoverSignOff(SheetFlow& flow, const ProjectIdentity& project);

// Flows the cover into `flow`.
void ComposeCover(SheetFlow& flow, const CoverContent& content);

}  // namespace kalvorden
