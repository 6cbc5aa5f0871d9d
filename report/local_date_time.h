#pragma once

namespace kalvorden {

// A reading of the local clock, taken once per run: every output that prints
// a date (report headings, document metadata) shows this same instant.
struct LocalDateTime {
  int year = 2000;
  int month = 1;  // 1 to 12
  int day = 1;    // 1 to 31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

}  // namespace kalvorden
