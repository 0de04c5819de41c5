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
  // allowed).  kMazovia: its bytes read as the host's text at least as well
  // as in any other code page (the host plays it as meant).  kCp1250 or
  // kCp852: its bytes read as Polish text in that code page better than in
  // the host's.
  codec::CodePage page = codec::CodePage::kUtf8;
  bool bom = false;         // it starts with a UTF-8 byte-order mark
  bool utf16 = false;       // it is UTF-16 (with or without its mark): the host cannot play it
  size_t firstLetter = 0;   // the offset of the first Polish letter in `page` (kCp1250, kCp852)
  // The letters do not tell `page` from `doubtPage` (tools/reader's
  // weighing): the offset of the first word the two read otherwise.
  bool inDoubt = false;
  codec::CodePage doubtPage = codec::CodePage::kUtf8;
  size_t doubtOffset = 0;
};

// What the file's bytes say (tools/reader's weighing, the one guess of the
// tools), among UTF-8, the host's text, cp1250 and cp852.  The weighing
// stops where one reading clearly leads; a file that leads as UTF-8 is
// then only checked to be UTF-8 to its end, and a byte that is not is
// weighed from its word on (the host reads that byte as its own text).
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
