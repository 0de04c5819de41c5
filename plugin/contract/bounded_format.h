// Formatting into a fixed buffer: what does not fit is cut, and the text is
// always terminated, also where the C runtime's own vsnprintf leaves a cut
// text without its terminator (msvcrt answers -1 and writes no zero).
#pragma once

#include <stdarg.h>
#include <stddef.h>

// Formats into `buffer` of `size` bytes (size > 0); the length stored.
size_t FormatBoundedV(char *buffer, size_t size, const char *format, va_list values);
size_t FormatBounded(char *buffer, size_t size, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
