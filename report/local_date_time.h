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

// True for an instant of the calendar: years 1 to 9999 (a document's date
// has four digits and no year 0), a month's real days (29 February only in a
// leap year), hours 0-23, minutes 0-59, seconds 0-59. The local clock never
// reads a leap second (POSIX time has none), and a document's date cannot
// hold one: second 60 would be shown as it is on a sheet and as the next
// minute in the document's metadata.
bool IsCalendarInstant(const LocalDateTime& instant);

}  // namespace kalvorden
