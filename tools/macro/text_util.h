// Text helpers of the checker: host text shown as UTF-8, and small formats.
#pragma once

#include <stdint.h>

#include <string>

#include "tools/codec/code_pages.h"

namespace macro {

// Host text (Mazovia bytes) as UTF-8.
std::string HostToUtf8(const std::string &host);
// Raw bytes of a file as a person reads them: UTF-8 sequences as they are,
// any other byte above 127 taken as host text.
std::string FileBytesToUtf8(const std::string &bytes);
// The same for a file saved in an 8-bit code page (`reading` kCp1250 or
// kCp852): a UTF-8 sequence stays one character only when it is one the host
// types, any other byte is the code page's character.  kUtf8 and kMazovia
// read as the host does (above).
std::string FileBytesToUtf8(const std::string &bytes, codec::CodePage reading);
// The number of bytes of the character at `i` as `reading` reads the file.
size_t CharacterLength(const std::string &bytes, size_t i, codec::CodePage reading);
// True when `bytes` hold at least one UTF-8 sequence of two or more bytes.
bool HasUtf8Sequence(const std::string &bytes);
// The number of characters in raw file bytes, read as FileBytesToUtf8 reads
// them: a UTF-8 sequence is one character, any other byte one.
size_t FileCharacterCount(const std::string &bytes);
size_t FileCharacterCount(const std::string &bytes, codec::CodePage reading);
// The UTF-8 byte-order mark, which the host drops and which shows as nothing.
bool StartsWithBom(const std::string &bytes);
// The number of characters a UTF-8 text shows.
size_t Utf8Length(const std::string &utf8);
// Control characters shown as escapes (\t, \n, \r, \xNN); UTF-8 otherwise.
std::string Visible(const std::string &utf8);
// "0x001B"
std::string Hex4(uint32_t code);
// "U+20AC"
std::string CodePointName(char32_t codePoint);
// One character appended as UTF-8 (the tools' codec).
using codec::AppendUtf8;

}  // namespace macro
