// What a text's bytes say about the encoding it was saved in, when nothing
// marks it: UTF-8, or one of the 8-bit code pages of Polish programs
// (Mazovia, the host's own; cp852, the DOS one; cp1250, the Windows one).
//
// The evidence is Polish letters.  A byte above 0x7F that is no part of a
// well-formed UTF-8 sequence ("stray") is read in each code page, and the
// page that reads the most of them as Polish letters wins.  A well-formed
// UTF-8 sequence normally speaks for UTF-8, but not when it decodes to a
// character no Polish text holds while each of its bytes reads as a letter
// of a code page, a Polish one among them: "ÓŁ" in cp1250 is the bytes
// D3 A3, which UTF-8 reads as U+04E3, so "SPÓŁKA" in an ANSI file is such a
// "suspect" sequence, and counts for the code page.
//
// Evidence is gathered chunk by chunk (a sequence cut between two chunks is
// held over), so a file of any size is judged in one pass without keeping it.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "tools/codec/code_pages.h"

namespace reader {

// The code pages a guess chooses among, the first winning a tie.
struct PageList {
  codec::CodePage pages[3];
  int count;
  const codec::CodePage *begin() const { return pages; }
  const codec::CodePage *end() const { return pages + count; }
};
// A table: a spreadsheet's export, in Windows's or DOS's code page.
inline constexpr PageList kTablePages = {
    {codec::CodePage::kCp1250, codec::CodePage::kCp852, codec::CodePage::kCp852}, 2};
// A macro: the host's own text first (it plays as meant), then the others.
inline constexpr PageList kMacroPages = {
    {codec::CodePage::kMazovia, codec::CodePage::kCp1250, codec::CodePage::kCp852}, 3};

// Where in the file a piece of evidence stands.
struct Place {
  size_t offset = 0;  // the byte's offset from the file's first byte fed
  int line = 0;       // its line (1-based); 0: nowhere
};

class Evidence {
 public:
  // The next bytes of the file, in order.
  void Feed(const char *bytes, size_t size);
  // The end of the file: a sequence still open counts as stray bytes.
  void Finish();

  // Bytes above 0x7F that are no part of a well-formed UTF-8 sequence.
  size_t strayBytes() const { return stray_; }
  // Well-formed UTF-8 sequences of two bytes or more, suspect ones left out,
  // and of those the Polish letters.
  size_t utf8Characters() const { return utf8_; }
  size_t utf8Letters() const { return Letters(codec::CodePage::kUtf8); }
  // Well-formed sequences that decode to a character no Polish text holds,
  // each of whose bytes reads as a letter of a code page (see above).
  size_t suspectSequences() const { return suspect_; }
  // The bytes that speak for a code page (stray ones and those of suspect
  // sequences) that read as Polish letters in `page`; a capital right behind
  // a small letter ("IloŚą") is counted as no letter, as no word has one.
  // kUtf8: the Polish letters of well-formed UTF-8 sequences.
  size_t Letters(codec::CodePage page) const { return pages_[Index(page)].letters; }
  // The first of them, and the first that reads as a Polish letter in `page`
  // but not in `other` (kUtf8: the first Polish letter of a UTF-8 sequence).
  Place FirstLetter(codec::CodePage page) const { return pages_[Index(page)].first; }
  Place FirstLetterNotIn(codec::CodePage page, codec::CodePage other) const;

  // Whether the text reads as UTF-8: no stray byte, and no more suspect
  // sequences than plain ones.  (True for a text of ASCII alone.)
  bool LooksUtf8() const { return stray_ == 0 && suspect_ <= utf8_; }
  // The page among `pages` that reads the most bytes as Polish letters; the
  // first of them on a tie.
  codec::CodePage Best(const PageList &pages) const;
  // UTF-8 when LooksUtf8, else Best(pages).
  codec::CodePage Guess(const PageList &pages) const;
  // Another encoding (UTF-8 or one of `pages`) that reads the text as Polish
  // where `used` does not: true with it and the line where that shows first.
  bool BetterThan(codec::CodePage used, const PageList &pages,
                  codec::CodePage *better, int *line) const;

 private:
  static constexpr int kPages = 4;  // codec::CodePage's values, kUtf8 first
  static int Index(codec::CodePage page) { return static_cast<int>(page); }
  struct PageCount {
    size_t letters = 0;
    Place first;
    Place firstNotIn[kPages];
  };
  void Byte(uint8_t byte);
  void Flush();
  void Sequence();
  void CommitSuspect();
  void CodePageByte(uint8_t byte, uint8_t before, Place at);
  Place Held(int i) const;

  size_t stray_ = 0, utf8_ = 0, suspect_ = 0;
  PageCount pages_[kPages];
  size_t offset_ = 0;     // bytes fed
  int line_ = 1;          // the line of the next byte
  uint8_t before_ = 0;    // the byte before the open sequence (or the last one)
  uint8_t held_[4] = {};  // an open UTF-8 sequence
  int heldCount_ = 0, heldNeed_ = 0;
  // A suspect sequence not yet counted, and whether the last character was
  // of another script (see CommitSuspect).
  uint8_t suspectBytes_[4] = {}, suspectBefore_[4] = {};
  Place suspectAt_[4];
  int suspectCount_ = 0;
  bool foreignRun_ = false;
};

// Whether a character is a letter of the Latin alphabets (ASCII letters and
// U+00C0-U+024F, the multiplication and division signs left out).
bool IsLatinLetter(char32_t c);

}  // namespace reader
