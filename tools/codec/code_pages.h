// Text encodings of the files the tools read and write: UTF-8 and the three
// 8-bit code pages of Polish text-mode programs and spreadsheets (Mazovia,
// the host's own; cp852, the DOS one; cp1250, the Windows one).  Bytes
// 0x00-0x7F are ASCII in all of them.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

namespace codec {

enum class CodePage { kUtf8, kMazovia, kCp852, kCp1250 };

// "utf-8", "cp1250", "cp852" or "mazovia" (any letter case).
bool CodePageByName(const std::string &name, CodePage *page);
const char *CodePageName(CodePage page);

// The character of a byte of an 8-bit code page, -1 for a byte the code
// page leaves undefined (and for every byte above 0x7F of kUtf8).
int32_t ByteToChar(CodePage page, uint8_t byte);
// The byte of a character in an 8-bit code page, -1 when it has none
// (kUtf8: -1 above 0x7F).
int CharToByte(CodePage page, char32_t c);

// One UTF-8 character from `bytes` at `i`: true and `i` behind it, or false
// for a byte that does not start a well-formed sequence (overlong forms,
// surrogates and sequences cut by the end included).
bool NextUtf8(const std::string &bytes, size_t &i, char32_t *c);
void AppendUtf8(std::string &out, char32_t c);
// The number of bytes at the start of `bytes` (of `size`) below 0x80: ASCII,
// the same in every encoding here.  Eight bytes are tested at a time.
size_t AsciiPrefix(const char *bytes, size_t size);
// How many times `byte` stands in `bytes` (of `size`), found by memchr.
size_t CountByte(const char *bytes, size_t size, char byte);

// The whole of `bytes`, read in `page`, as UTF-8; false with the offset of
// the first byte that cannot be read.
bool DecodeToUtf8(CodePage page, const std::string &bytes, std::string *utf8, size_t *badOffset);

}  // namespace codec
