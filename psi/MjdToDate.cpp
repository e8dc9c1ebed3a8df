#include "MjdToDate.h"

// The classical Julian-day to calendar conversion, in double precision; the
// integer parts truncate toward zero.
void MjdToDate(uint16_t mjd, int32_t* year, int32_t* month, int32_t* day) {
  const double julian = mjd + 2400000.5 + 0.5;
  const int64_t z = static_cast<int64_t>(julian);
  const double fraction = julian - static_cast<double>(z);
  int64_t a = z;
  if (z > 2299160) {
    const int64_t alpha = static_cast<int64_t>((static_cast<double>(z) - 1867216.25) / 36524.25);
    a = z + 1 + alpha - alpha / 4;
  }
  const int64_t b = a + 1524;
  const int64_t g = static_cast<int64_t>((static_cast<double>(b) - 122.1) / 365.25);
  const int64_t d = static_cast<int64_t>(365.25 * static_cast<double>(g));
  const int64_t e = static_cast<int64_t>(static_cast<double>(b - d) / 30.6001);
  const int64_t dayOfMonth = static_cast<int64_t>(
      static_cast<double>(b - d - static_cast<int64_t>(30.6001 * static_cast<double>(e))) + fraction);
  const int64_t monthOfYear = e < 14 ? e - 1 : e - 13;
  const int64_t calendarYear = monthOfYear > 2 ? g - 4716 : g - 4715;
  if (year) *year = static_cast<int32_t>(calendarYear);
  if (month) *month = static_cast<int32_t>(monthOfYear);
  if (day) *day = static_cast<int32_t>(dayOfMonth);
}
