// The compiler's check of a printf-like function of the tools: its values
// are checked against its format.  MinGW's own stdio.h names the printf its
// calls reach (gnu_printf for its C99 printf, which the tools get from
// libstdc++, %zu included; printf under clang, which knows no gnu_printf).
// Elsewhere, g++ and clang alike, it is the C library's printf.
//
//   std::string Format(const char *format, ...) TASTIRO_PRINTF(1, 2);
#pragma once

#include <stdio.h>

#if defined(__MINGW32__)
#define TASTIRO_PRINTF(format_at, values_at) \
  __attribute__((format(__MINGW_PRINTF_FORMAT, format_at, values_at)))
#elif defined(__GNUC__)
#define TASTIRO_PRINTF(format_at, values_at) __attribute__((format(printf, format_at, values_at)))
#else
#define TASTIRO_PRINTF(format_at, values_at)
#endif
