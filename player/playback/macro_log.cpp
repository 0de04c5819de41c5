// The macro log.
#include "player/playback/macro_log.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "plugin/keys/key_names.h"
#include "player/playback/player_texts.h"
#include "plugin/contract/bounded_format.h"
#include "plugin/binding/host_calls.h"
#include "plugin/contract/host_values.h"
#include "player/playback/player_state.h"

namespace {

// A line holds at most 3077 characters and its terminator, stamp included.
constexpr size_t kLogLineSize = 3078;
// HostDateTimeText fills two texts of at most 11 characters each.
constexpr size_t kStampTextSize = 12;

// Copies the zero-terminated `text` to `buffer + length`; the new length.
// The caller has room for it (a stamp text of at most 11 characters).
size_t AppendText(char *buffer, size_t length, const char *text) {
  while (*text != 0) buffer[length++] = *text++;
  return length;
}

}  // namespace

void WriteLogLine(const char *format, ...) {
  // Logging is optional: without a log file nothing is formatted at all.
  if (g_player.logFile == 0) return;

  char date[kStampTextSize] = {0};
  char time[kStampTextSize] = {0};
  HostDateTimeText(date, time, host::kDateAndTime);
  date[kStampTextSize - 1] = 0;
  time[kStampTextSize - 1] = 0;

  // The stamp "<date>=<time> " (at most 24 characters) is put together by
  // hand: formatting it would cost as much as the body itself.
  char line[kLogLineSize];
  size_t length = AppendText(line, 0, date);
  line[length++] = '=';
  length = AppendText(line, length, time);
  line[length++] = ' ';
  va_list values;
  va_start(values, format);
  length += FormatBoundedV(line + length, sizeof line - length, format, values);
  va_end(values);

  HostConvertText(line, static_cast<int32_t>(sizeof line), line, static_cast<int32_t>(length),
                  host::kEncodingHostText, host::kEncodingLog);
  line[sizeof line - 1] = 0;
  // Through "%s", so that a '%' in a typed text or a key name stays literal.
  HostFilePrintf(g_player.logFile, "%s", line);
  HostFileFlush(g_player.logFile);
}

void WriteKeyLine(int32_t key) {
  // Without a log there is no line, and no name to look up for it.
  if (g_player.logFile == 0) return;
  uint32_t code = static_cast<uint32_t>(key) & 0xFFFF;
  if (const char *name = FindKeyName(code)) {
    WriteLogLine(kLogNameFormat, name);
  } else if (code < 256) {
    WriteLogLine(kLogCharFormat, static_cast<int>(code));
  } else {
    WriteLogLine(kLogCodeFormat, static_cast<unsigned>(code));
  }
}
