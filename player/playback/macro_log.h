// The macro log: one dated line per key, text and notice of a playback,
// appended to the log file that the start branch opened (g_player.logFile).
#pragma once

#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>

// One log line: "<date>=<time> " and the formatted body, cut to 3077
// characters, converted to the log's encoding, written and flushed.  Does
// nothing at all while no log is open.
void WriteLogLine(const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The key line for a key handed to the host: its name from the key-name
// table, else the byte itself below 256, else its 16-bit code in hex.
void WriteKeyLine(int32_t key);
