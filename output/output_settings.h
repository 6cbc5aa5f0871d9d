#pragma once

#include <cstdint>
#include <string>

#include "output/project_identity.h"
#include "report/local_date_time.h"

namespace kalvorden {

// The paper the PDF is laid out for.
enum class PaperSize : uint8_t { kA4, kLetter };

// What a run tells the outputs it makes, besides the cases themselves.
struct OutputSettings {
  // The run's one clock reading: the report's headings, the PDF's date.
  LocalDateTime now;
  PaperSize paper = PaperSize::kA4;  // the PDF's
  ProjectIdentity project;
  // The bridge's effective span as the engineer gave it ("2.91"), and the
  // printed row that governs it in every case: the first printed span at or
  // above it (0 for 1.000 m ... 110 for 3.750 m); -1 when no span is given.
  std::string spanText;
  int32_t governingRow = -1;
  // The design case the engineer adopts (from 1), whose slab at the
  // governing row the PDF's cover states and checks; 0: none.
  int64_t adoptedCase = 0;
  // The SHA-256 (hexadecimal) of the run's values in their canonical form,
  // or empty.
  std::string digest;
};

}  // namespace kalvorden
