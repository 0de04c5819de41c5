// Dates and times as the host gives them to plug-ins.
#pragma once

#include <stdint.h>

namespace volmar {

constexpr uint32_t kUnreadableDate = 0x7FFFFFFF;

// HostDateNumber: a build-date text in the compiler's form, a three-letter
// English month, the day and the four-digit year separated by blanks
// ("May 17 2023", "May  7 2023"), as the number yyyymmdd (20230517), which
// rises with the date; kUnreadableDate for any other text or an impossible
// date.
uint32_t DateNumber(const char *text);

struct CivilTime {
  int year, month, day, hour, minute, second;
};

// HostDateTimeText: "2026-12-07" into `date` when `flags` has 0x10, and
// "10:11:12" into `time` when it has 0x20 (the plug-ins pass 0x30); a text
// not asked for is left empty.  Each takes at most 11 characters and a zero.
void FormatDateTime(const CivilTime &now, char *date, char *time, int32_t flags);

}  // namespace volmar
