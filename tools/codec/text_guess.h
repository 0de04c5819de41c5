// The Polish letters that the guess of the one reader
// (tools/reader/polish_guess.h) looks for, and UTF-16 ("Unicode text"
// exports) as UTF-8.
#pragma once

#include <stddef.h>

#include <string>

#include "tools/codec/code_pages.h"

namespace codec {

// One of the 18 Polish letters (ą ć ę ł ń ó ś ź ż and capitals).
bool IsPolishLetter(char32_t c);

// UTF-16 (without its byte order mark) as UTF-8; false with the offset of
// the first unit that cannot be read (a lone surrogate, an odd last byte).
bool DecodeUtf16ToUtf8(const std::string &bytes, bool bigEndian, std::string *utf8,
                       size_t *badOffset);

}  // namespace codec
