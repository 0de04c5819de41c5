#include "host/app/core/date_text.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace volmar {

static bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

uint32_t DateNumber(const char *text) {
  static const char kMonths[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (text == nullptr) return kUnreadableDate;
  int month = 0;
  for (int i = 0; i < 12; ++i)
    if (strncmp(text, kMonths[i], 3) == 0) month = i + 1;
  if (month == 0 || text[3] != ' ') return kUnreadableDate;
  const char *p = text + 3;
  while (*p == ' ') ++p;
  int day = 0, digits = 0;
  for (; *p >= '0' && *p <= '9' && digits < 2; ++p, ++digits) day = day * 10 + (*p - '0');
  if (digits == 0 || *p != ' ') return kUnreadableDate;
  while (*p == ' ') ++p;
  int year = 0;
  for (digits = 0; *p >= '0' && *p <= '9'; ++p, ++digits) year = year * 10 + (*p - '0');
  if (digits != 4 || *p != 0 || year == 0) return kUnreadableDate;
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int daysInMonth = kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
  if (day < 1 || day > daysInMonth) return kUnreadableDate;
  return static_cast<uint32_t>(year * 10000 + month * 100 + day);
}

// One text of FormatDateTime: empty, or when `wanted` the three numbers as
// `format` writes them, at most 11 characters.
__attribute__((format(printf, 3, 4))) static void FormatPart(char *out, bool wanted,
                                                              const char *format, ...);
static void FormatPart(char *out, bool wanted, const char *format, ...) {
  if (out == nullptr) return;
  out[0] = 0;
  if (!wanted) return;
  char text[32];
  va_list values;
  va_start(values, format);
  vsnprintf(text, sizeof text, format, values);
  va_end(values);
  text[11] = 0;
  strcpy(out, text);
}

void FormatDateTime(const CivilTime &now, char *date, char *time, int32_t flags) {
  FormatPart(date, (flags & 0x10) != 0, "%04d-%02d-%02d", now.year % 10000, now.month % 100,
             now.day % 100);
  FormatPart(time, (flags & 0x20) != 0, "%02d:%02d:%02d", now.hour % 100, now.minute % 100,
             now.second % 100);
}

}  // namespace volmar
