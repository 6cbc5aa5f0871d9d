#pragma once

namespace kalvorden {

// A reading of the local clock, taken once per run: every output that prints
// a date (report headings, document metadata, a link's stamp) shows this
// same instant.
struct LocalDateTime {
  int year = 2000;
  int month = 1;  // 1 to 12
  int day = 1;    // 1 to 31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// True for an instant of the calendar: a month's real days (29 February only
// in a leap year), hours 0-23, minutes 0-59, seconds 0-60 (a leap second).
bool IsCalendarInstant(const LocalDateTime& instant);

}  // namespace kalvorden
