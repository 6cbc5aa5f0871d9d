#include "report/local_date_time.h"

namespace kalvorden {

bool IsCalendarInstant(const LocalDateTime& instant) {
  constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (instant.year < 1 || instant.year > 9999 || instant.month < 1 || instant.month > 12 ||
      instant.day < 1) {
    return false;
  }
  const int year = instant.year;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  const int days = kDaysInMonth[instant.month - 1] + (instant.month == 2 && leap ? 1 : 0);
  return instant.day <= days && instant.hour >= 0 && instant.hour <= 23 && instant.minute >= 0 &&
         instant.minute <= 59 && instant.second >= 0 && instant.second <= 59;
}

}  // namespace kalvorden
