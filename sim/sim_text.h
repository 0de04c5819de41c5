// Text helpers of the simulated host: host text (Mazovia) and wide text,
// C escapes for records, printf into a string, and the host's own copy and
// path-buffer rules.
#pragma once

#include <stdarg.h>
#include <stdint.h>

#include <string>

#include "plugin/contract/host_api.h"

namespace sim {

// Host text (Mazovia bytes) as wide text.
std::u16string Wide(const std::string &hostText);
// Wide text as host text; '?' for a character host text cannot hold.
std::string Narrow(const std::u16string &wide);
// A zero-terminated wide text; empty for null.
std::u16string WideText(const HostWideChar *text);
// C escapes for quotes, backslashes and non-printing bytes ("\n", "\x86").
std::string Escaped(const std::string &bytes);
// vsnprintf into a string of the right length.
std::string FormatV(const char *format, va_list values);

// HostCopyText: at most `maxChars` characters of `source` and a zero; a
// null source copies as an empty text, a null destination gives null.
char *CopyText(char *destination, const char *source, int32_t maxChars);
// Puts `text` and its terminator into a wide buffer of `capacity` units, as
// the host's path functions do: 0, or -1 with the buffer emptied when it
// does not fit.
int32_t StoreWide(HostWideChar *buffer, int32_t capacity, const std::u16string &text);

}  // namespace sim
