// What a text's bytes say about the encoding it was saved in, when nothing
// marks it: UTF-8, or one of the 8-bit code pages of Polish programs
// (Mazovia, the host's own; cp852, the DOS one; cp1250, the Windows one).
// This is the one guess of the tools: the reader's, the table's, the
// template's, the checker's and --convert's.
//
// Every reading is weighed word by word (a word: ASCII letters and bytes
// above 0x7F).  Each character a reading makes of those bytes scores by
// what it is and where it stands:
//   - a Polish letter scores by how common it is in Polish, and by its
//     place: "ą", "ę" and "ń" start no word, a capital inside a word of
//     small letters ("DĄbrowa") or a small letter inside a word of
//     capitals ("DąBROWA") is no word's;
//   - another Latin letter ("ä", "ŕ") scores a little below nothing,
//     a letter of another script inside a Latin word ("SPӣKA") far below;
//   - a box-drawing character or a symbol inside a word scores far below
//     nothing; quotes and dashes beside a word cost nothing;
//   - a well-formed UTF-8 sequence of two bytes or more speaks for UTF-8
//     (code-page text seldom forms one by chance), a byte that is no part
//     of one rules UTF-8 out, and a byte a code page leaves undefined rules
//     that page out.
// Between two code pages, the UTF-8 sequences of Latin letters (a mixed
// file: UTF-8 letters kept, the rest in the code page) count for neither.
//
// How common each Polish letter is counts apart: it chooses the reading
// taken when the form leaves them in doubt, but never decides on its own,
// since a text of uncommon letters is Polish all the same.
//
// The weighing stops as soon as one reading leads every other that reads
// the bytes otherwise by a clear margin of form (one word whose letters are
// in place in one reading and out of place in the other is enough), so
// that a long file costs no more than its first words with Polish letters.
// When the text ends first, the readings it could not tell apart are
// named, and the caller says so.  A Polish text whose words are in form
// (small letters, a capital first, or capitals throughout; no word
// starting with ą, ę or ń) is never taken for another reading without
// that: its own reading scores at least as well, letter by letter, as any
// other (fuzz/code_page_fuzz.cpp holds it to that).
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

#include "tools/codec/code_pages.h"

namespace reader {

// The code pages a guess chooses among besides UTF-8, the first winning a
// tie.
struct PageList {
  codec::CodePage pages[3];
  int count;
  const codec::CodePage *begin() const { return pages; }
  const codec::CodePage *end() const { return pages + count; }
};
// A table: a spreadsheet's export, in Windows's or DOS's code page.
inline constexpr PageList kTablePages = {
    {codec::CodePage::kCp1250, codec::CodePage::kCp852, codec::CodePage::kCp852}, 2};
// A macro or a template: the host's own text first (it plays as meant),
// then the others.
inline constexpr PageList kMacroPages = {
    {codec::CodePage::kMazovia, codec::CodePage::kCp1250, codec::CodePage::kCp852}, 3};

// Where in the text a piece of evidence stands.
struct Place {
  size_t offset = 0;  // the byte's offset from the first byte fed
  int line = 0;       // its line (1-based); 0: nowhere
};

class Weighing {
 public:
  explicit Weighing(const PageList &pages);

  // The next bytes of the text, in order; nothing is weighed once decided.
  void Feed(const char *bytes, size_t size);
  // The end of the text: the last word is weighed.
  void Finish();

  // One reading leads every other that reads the bytes otherwise by the
  // margin: more text would change nothing.
  bool decided() const { return decided_; }
  // The reading that leads (UTF-8 when nothing tells them apart; the first
  // of the list on a tie).
  codec::CodePage Leader() const;
  // A reading that clearly leads `used` (both still possible, reading the
  // bytes otherwise): true with it.
  bool ClearlyBetter(codec::CodePage used, codec::CodePage *better) const;
  // The letters cannot tell `used` from another reading that reads the
  // bytes otherwise (neither leads by the margin): true with the closest.
  bool InDoubt(codec::CodePage used, codec::CodePage *other) const;
  // Whether a reading is still possible (UTF-8: no byte outside a
  // well-formed sequence; a code page: no byte it leaves undefined).
  bool Possible(codec::CodePage page) const;

  // The first word that `page` reads better than `other`, and the first
  // that they read otherwise (its first byte above 0x7F).
  Place FirstBetter(codec::CodePage page, codec::CodePage other) const;
  Place FirstDifference(codec::CodePage page, codec::CodePage other) const;
  // That word's bytes (at most a part of kWordLimit bytes of a long one).
  std::string FirstDifferentWord(codec::CodePage page, codec::CodePage other) const;
  // The first Polish letter `page` reads (in a code page: of a byte that is
  // no UTF-8 letter).
  Place FirstLetter(codec::CodePage page) const { return firstLetter_[Index(page)]; }

  // The margin that decides, in the scores' units (about half a natural
  // logarithm of the odds each).
  static constexpr int kMargin = 8;
  // The longest part of a word weighed at once.
  static constexpr size_t kWordLimit = 64;

 private:
  static constexpr int kReadings = 4;  // codec::CodePage's values, kUtf8 first
  static int Index(codec::CodePage page) { return static_cast<int>(page); }
  void Word();
  void Push(uint8_t byte);
  struct Sum {
    int64_t form = 0;    // the evidence of form: only it decides
    int64_t common = 0;  // of how common the Polish letters are
  };
  void Decide();
  const Sum &Score(int reading) const;
  int64_t Form(int reading) const { return Score(reading).form; }
  int64_t Total(int reading) const { return Score(reading).form + Score(reading).common; }
  bool Differ(int a, int b) const;

  bool in_[kReadings] = {};       // the readings weighed (UTF-8 and the list's pages)
  bool possible_[kReadings] = {};
  int order_[kReadings] = {};     // the readings in the order that wins a tie
  int readings_ = 0;
  Sum bytewise_[kReadings];  // every byte read in the reading
  Sum mixed_[kReadings];     // UTF-8 letters kept (code pages)
  bool differs_[kReadings][kReadings] = {};
  Place firstBetter_[kReadings][kReadings];
  Place firstDifference_[kReadings][kReadings];
  std::string firstWord_[kReadings][kReadings];
  Place firstLetter_[kReadings];
  bool decided_ = false;
  int decidedLeader_ = 0;

  uint8_t word_[kWordLimit + 4] = {};
  size_t wordSize_ = 0;
  bool wordHigh_ = false;   // the word holds a byte above 0x7F
  Place wordAt_;            // its first byte above 0x7F
  size_t offset_ = 0;       // bytes fed
  int line_ = 1;            // the line of the next byte
};

// The offset of the first byte of `bytes` (of `size`) that is no part of a
// well-formed UTF-8 sequence, or `size`.  ASCII runs are passed over a word
// at a time.
size_t FirstNonUtf8(const char *bytes, size_t size);

// A word's bytes as a reading makes them (UTF-8: as they are where they
// are UTF-8), to be shown; a byte a code page leaves undefined as U+FFFD.
std::string WordAsUtf8(const std::string &bytes, codec::CodePage page);

// Weighs `bytes` (of `size`) from the start of the word that holds the byte
// at `at` (UTF-8 is then out when that byte is no UTF-8), to their end or
// to the decision; the offset where it started.
size_t WeighFromWordOf(const char *bytes, size_t size, size_t at, Weighing *weighing);

}  // namespace reader
