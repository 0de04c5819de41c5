// Which code page a macro file was saved in.  The host reads a macro as
// UTF-8 and takes a stray byte that is no UTF-8 as its own text (Mazovia),
// so a file saved the old way, in Windows-1250 ("ANSI") or in the DOS code
// page 852, plays its Polish letters as other characters, or drops them.
#pragma once

#include <stddef.h>

#include <string>

#include "tools/codec/code_pages.h"

namespace checker {

struct FileEncoding {
  // kUtf8: the file is UTF-8 throughout (a byte-order mark at the start
  // allowed).  kMazovia: it has stray bytes that read as the host's text at
  // least as well as in any other code page (the host plays it as meant).
  // kCp1250 or kCp852: its stray bytes read as Polish letters in that code
  // page better than in the host's text.
  codec::CodePage page = codec::CodePage::kUtf8;
  bool bom = false;         // it starts with a UTF-8 byte-order mark
  bool utf16 = false;       // it is UTF-16 (with or without its mark): the host cannot play it
  // Bytes above 0x7F that are no UTF-8, and UTF-8 sequences that read as
  // Polish letters of a code page ("ÓŁ" in cp1250 is U+04E3 in UTF-8).
  size_t strayBytes = 0;
  size_t polishLetters = 0; // of those, the Polish letters in `page`
  size_t firstLetter = 0;   // the offset of the first of them (kCp1250, kCp852)
};

// What the file's bytes say (tools/reader: the one guess of the tools).
FileEncoding GuessEncoding(const std::string &bytes);

// The name a person knows the code page by, in the tool's language.
std::string CodePageTitle(codec::CodePage page);
std::string Utf16Title();

// A line of a macro as the host types it: its characters as UTF-8, what the
// host drops left out.
std::string TypedLine(const std::string &lineBytes);

// The whole file as UTF-8, read in `page` (see FileBytesToUtf8); a
// byte-order mark at the start is dropped.
std::string ConvertToUtf8(const std::string &bytes, codec::CodePage page);

// The name of a file's UTF-8 copy beside it: "Zamówienie.txt" gives
// "Zamówienie-utf8.txt".
std::string Utf8CopyName(const std::string &path);

}  // namespace checker
