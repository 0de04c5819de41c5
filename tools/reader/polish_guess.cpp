#include "tools/reader/polish_guess.h"

#include "tools/codec/text_guess.h"

namespace reader {

namespace {

constexpr codec::CodePage kCodePages[] = {codec::CodePage::kMazovia, codec::CodePage::kCp852,
                                          codec::CodePage::kCp1250};

int32_t CharOf(codec::CodePage page, uint8_t byte) { return codec::ByteToChar(page, byte); }

bool IsLower(int32_t c) {
  return (c >= 'a' && c <= 'z') || (c > 0 && codec::IsPolishLower(static_cast<char32_t>(c)));
}

// Whether `byte` reads as a Polish letter in `page` behind `before`: a
// capital right behind a small letter ("IloŚą") is no word's.
bool ReadsAsPolishLetter(codec::CodePage page, uint8_t byte, uint8_t before) {
  const int32_t c = CharOf(page, byte);
  if (c <= 0) return false;
  if (codec::IsPolishLower(static_cast<char32_t>(c))) return true;
  if (!codec::IsPolishUpper(static_cast<char32_t>(c))) return false;
  return !IsLower(CharOf(page, before));
}

// The sequence's length from its first byte; 0 for a byte that starts none.
int SequenceLength(uint8_t lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Whether `byte` may follow the sequence's first bytes (no overlong forms,
// no surrogates, nothing above U+10FFFF).
bool Continues(const uint8_t *held, int count, uint8_t byte) {
  if ((byte & 0xC0) != 0x80) return false;
  if (count != 1) return true;
  switch (held[0]) {
    case 0xE0: return byte >= 0xA0;
    case 0xED: return byte <= 0x9F;
    case 0xF0: return byte >= 0x90;
    case 0xF4: return byte <= 0x8F;
    default: return true;
  }
}

char32_t Decode(const uint8_t *bytes, int count) {
  char32_t c = bytes[0] & (count == 2 ? 0x1F : count == 3 ? 0x0F : 0x07);
  for (int i = 1; i < count; ++i) c = c << 6 | (bytes[i] & 0x3F);
  return c;
}

// Whether every byte of a sequence reads as a letter in some code page, a
// Polish one among them: the sequence is more likely that page's text.
bool ReadsAsCodePageWord(const uint8_t *bytes, int count) {
  for (codec::CodePage page : kCodePages) {
    bool letters = true, polish = false;
    for (int i = 0; i < count && letters; ++i) {
      const int32_t c = CharOf(page, bytes[i]);
      letters = c > 0 && IsLatinLetter(static_cast<char32_t>(c));
      polish = polish || (c > 0 && codec::IsPolishLetter(static_cast<char32_t>(c)));
    }
    if (letters && polish) return true;
  }
  return false;
}

}  // namespace

bool IsLatinLetter(char32_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  return c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7;
}

// The place of the held byte `i` (`offset_` counts the held bytes).
Place Evidence::Held(int i) const {
  return Place{offset_ - static_cast<size_t>(heldCount_ - i), line_};
}

void Evidence::CodePageByte(uint8_t byte, uint8_t before, Place at) {
  bool polish[kPages] = {};
  for (codec::CodePage page : kCodePages) polish[Index(page)] = ReadsAsPolishLetter(page, byte, before);
  for (codec::CodePage page : kCodePages) {
    PageCount &count = pages_[Index(page)];
    if (!polish[Index(page)]) continue;
    if (count.letters++ == 0) count.first = at;
    for (int other = 0; other < kPages; ++other)
      if (!polish[other] && count.firstNotIn[other].line == 0) count.firstNotIn[other] = at;
  }
}

// The held bytes are no well-formed sequence: each is a stray byte.
void Evidence::Flush() {
  if (heldCount_ > 0) {
    CommitSuspect();
    foreignRun_ = false;
  }
  for (int i = 0; i < heldCount_; ++i) {
    ++stray_;
    CodePageByte(held_[i], i == 0 ? before_ : held_[i - 1], Held(i));
  }
  if (heldCount_ > 0) before_ = held_[heldCount_ - 1];
  heldCount_ = heldNeed_ = 0;
}

// A suspect sequence stands alone between Latin text: two characters of
// another script in a row are that script's word (Cyrillic UTF-8 often
// reads as letters of cp1250), so a suspect one is held until the next
// character says which it is.
void Evidence::CommitSuspect() {
  if (suspectCount_ == 0) return;
  ++suspect_;
  for (int i = 0; i < suspectCount_; ++i) CodePageByte(suspectBytes_[i], suspectBefore_[i], suspectAt_[i]);
  suspectCount_ = 0;
}

// A whole sequence is held: UTF-8 evidence, or a suspect one.
void Evidence::Sequence() {
  const char32_t c = Decode(held_, heldCount_);
  const bool latin = c >= 0xA0 && c <= 0x17F;  // Latin-1 and Latin Extended-A: Polish text may hold them
  if (latin) {
    CommitSuspect();
    foreignRun_ = false;
    ++utf8_;
    if (codec::IsPolishLetter(c) && pages_[0].letters++ == 0) pages_[0].first = Held(0);
  } else if (suspectCount_ > 0 || foreignRun_ || !ReadsAsCodePageWord(held_, heldCount_)) {
    utf8_ += 1 + (suspectCount_ > 0);
    suspectCount_ = 0;
    foreignRun_ = true;
  } else {
    suspectCount_ = heldCount_;
    for (int i = 0; i < heldCount_; ++i) {
      suspectBytes_[i] = held_[i];
      suspectBefore_[i] = i == 0 ? before_ : held_[i - 1];
      suspectAt_[i] = Held(i);
    }
  }
  before_ = held_[heldCount_ - 1];
  heldCount_ = heldNeed_ = 0;
}

void Evidence::Byte(uint8_t byte) {
  if (heldCount_ > 0) {
    if (Continues(held_, heldCount_, byte)) {
      held_[heldCount_++] = byte;
      ++offset_;
      if (heldCount_ == heldNeed_) Sequence();
      return;
    }
    Flush();
  }
  const int length = SequenceLength(byte);
  if (length == 0) {
    CommitSuspect();
    foreignRun_ = false;
  }
  if (length > 0) {
    held_[0] = byte;
    heldCount_ = 1;
    heldNeed_ = length;
    ++offset_;
    return;
  }
  if (byte >= 0x80) {
    ++stray_;
    CodePageByte(byte, before_, Place{offset_, line_});
  }
  ++offset_;
  before_ = byte;
}

void Evidence::Feed(const char *bytes, size_t size) {
  const uint8_t *p = reinterpret_cast<const uint8_t *>(bytes);
  for (size_t i = 0; i < size; ++i) {
    // ASCII, by far the most of a table, needs nothing but its line breaks:
    // a run of it is taken at once.
    if (heldCount_ == 0 && suspectCount_ == 0) {
      const size_t run = codec::AsciiPrefix(bytes + i, size - i);
      if (run > 0) {
        line_ += static_cast<int>(codec::CountByte(bytes + i, run, '\n'));
        before_ = p[i + run - 1];
        offset_ += run;
        i += run - 1;
        continue;
      }
    }
    Byte(p[i]);
    if (p[i] == '\n') ++line_;
  }
}

void Evidence::Finish() {
  Flush();
  CommitSuspect();
}

Place Evidence::FirstLetterNotIn(codec::CodePage page, codec::CodePage other) const {
  return pages_[Index(page)].firstNotIn[Index(other)];
}

codec::CodePage Evidence::Best(const PageList &pages) const {
  codec::CodePage best = pages.pages[0];
  for (codec::CodePage page : pages)
    if (Letters(page) > Letters(best)) best = page;
  return best;
}

codec::CodePage Evidence::Guess(const PageList &pages) const {
  return LooksUtf8() ? codec::CodePage::kUtf8 : Best(pages);
}

bool Evidence::BetterThan(codec::CodePage used, const PageList &pages,
                          codec::CodePage *better, int *line) const {
  if (used == codec::CodePage::kUtf8) {
    if (LooksUtf8()) return false;
    *better = Best(pages);
    *line = FirstLetter(*better).line;
    return Letters(*better) > 0;
  }
  // Text that is UTF-8 throughout, read in a code page.
  if (stray_ == 0 && Letters(codec::CodePage::kUtf8) > Letters(used) && suspect_ <= utf8_) {
    *better = codec::CodePage::kUtf8;
    *line = pages_[0].first.line;
    return true;
  }
  const codec::CodePage best = Best(pages);
  if (best == used || Letters(best) <= Letters(used)) return false;
  *better = best;
  *line = FirstLetterNotIn(best, used).line;
  return true;
}

}  // namespace reader
