// The host's text encodings and the conversions between them.
//
// Encoding numbers as the plug-in passes them to HostConvertText:
//   1  host text: Mazovia, 8 bits, the encoding of everything shown
//   5  wide text: UTF-16, for paths
//   6  the log's encoding: UTF-8, so that a log reads well in any editor
// and, for HostConvertChar, 3: the bytes of a macro file, UTF-8 read byte by
// byte (a stray byte that is not UTF-8 is taken as Mazovia, so macros kept
// in the host encoding play too).
#pragma once

#include <stdint.h>

#include <string>
#include <string_view>

#include "plugin/contract/host_values.h"
#include "plugin/contract/macro_bytes.h"

namespace volmar {

// The encodings of HostConvertText, and the macro's (HostConvertChar's mode).
enum TextEncoding : int32_t {
  kEncodingHost = host::kEncodingHostText,
  kEncodingMacro = host::kConvertCharMode,
  kEncodingWide = host::kEncodingWide,
  kEncodingLog = host::kEncodingLog,
};

std::u16string HostTextToUtf16(std::string_view host);
// Characters the host encoding lacks become `replacement`.
std::string Utf16ToHostText(std::u16string_view text, char replacement = '?');
std::string Utf16ToUtf8(std::u16string_view text);
// Bytes that are not UTF-8 become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);

std::string HostTextToUtf8(std::string_view host);
std::string Utf8ToHostText(std::string_view utf8, char replacement = '?');

// HostConvertText: converts `length` units of `source` (bytes for 1 and 6,
// 16-bit units for 5; -1: up to the terminating zero) from one encoding to
// another into `target`, whose size is `targetBytes`.  The result is always
// terminated and cut at a whole character when it does not fit; source and
// target may be the same buffer.  Returns the units written before the
// terminator, or -1 for an unknown encoding or unusable arguments (the
// target then holds an empty text when it has room for one).
int32_t ConvertText(void *target, int32_t targetBytes, const void *source, int32_t length,
                    int32_t from, int32_t to);

// The lower-case form of an ASCII or Polish letter; other characters as they are.
char16_t ToLowerCase(char16_t c);

// The macro byte decoder of HostConvertChar(byte, 3), shared with the
// macro checker, and the typeable characters of host text.
using host::MacroByteDecoder;
using host::TypeableHostChar;

}  // namespace volmar
