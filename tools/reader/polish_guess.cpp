#include "tools/reader/polish_guess.h"

#include "tools/codec/text_guess.h"

namespace reader {

namespace {

constexpr int kUtf8 = 0;
// What a well-formed UTF-8 sequence of two bytes or more adds to UTF-8's
// score: text in a code page forms one seldom, and then mostly as a
// character of another script (the margin's worth).
constexpr int kUtf8Sequence = Weighing::kMargin;

bool IsAsciiLetter(uint8_t byte) { return (byte | 0x20) >= 'a' && (byte | 0x20) <= 'z'; }

// The sequence's length from its first byte; 0 for a byte that starts none.
int SequenceLength(uint8_t lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// The length of the well-formed UTF-8 sequence at `bytes` (of `size`), 0
// for none (no overlong forms, no surrogates, nothing above U+10FFFF).
int WellFormed(const uint8_t *bytes, size_t size, char32_t *c) {
  const int length = SequenceLength(bytes[0]);
  if (length == 0 || static_cast<size_t>(length) > size) return 0;
  for (int i = 1; i < length; ++i)
    if ((bytes[i] & 0xC0) != 0x80) return 0;
  const uint8_t second = bytes[1];
  if ((bytes[0] == 0xE0 && second < 0xA0) || (bytes[0] == 0xED && second > 0x9F) ||
      (bytes[0] == 0xF0 && second < 0x90) || (bytes[0] == 0xF4 && second > 0x8F))
    return 0;
  char32_t value = bytes[0] & (length == 2 ? 0x1F : length == 3 ? 0x0F : 0x07);
  for (int i = 1; i < length; ++i) value = value << 6 | (bytes[i] & 0x3F);
  *c = value;
  return length;
}

enum class Kind {
  kPlain,       // ASCII that is no letter
  kAscii,       // an ASCII letter
  kPolish,      // one of the 18 Polish letters
  kLatin,       // another letter of Latin-1 or Latin Extended-A
  kLatinRare,   // Latin Extended-B, the phonetic letters
  kOther,       // a letter of another script
  kCombining,   // a combining mark
  kTypography,  // quotes, dashes, the no-break space, §, °, ©, €, …
  kSymbol,      // other signs: ¤ ¦ ¨ ˘ ˇ ⌐ ± ≡ …
  kBox,         // box drawing, blocks, shapes
  kControl,     // controls, the replacement character, private use
};

Kind KindOf(char32_t c) {
  if (c < 0x80) return IsAsciiLetter(static_cast<uint8_t>(c)) ? Kind::kAscii : Kind::kPlain;
  if (codec::IsPolishLetter(c)) return Kind::kPolish;
  if (c < 0xA0) return Kind::kControl;
  if (c < 0xC0) {
    switch (c) {
      case 0xA0: case 0xA7: case 0xA9: case 0xAB: case 0xAD: case 0xAE: case 0xB0: case 0xB1: case 0xB7:
      case 0xBB:
        return Kind::kTypography;
      default: return Kind::kSymbol;
    }
  }
  if (c == 0xD7) return Kind::kTypography;  // the sign of times
  if (c == 0xF7) return Kind::kSymbol;
  if (c < 0x180) return Kind::kLatin;
  if (c < 0x2B0) return Kind::kLatinRare;
  if (c < 0x300) return Kind::kSymbol;  // spacing modifiers: ˇ ˘ ˙ ˛ ˝
  if (c < 0x370) return Kind::kCombining;
  if (c < 0x2000) return Kind::kOther;
  if (c < 0x2070) return c == 0x2022 || c <= 0x201F || c == 0x2026 || c == 0x2039 || c == 0x203A
                             ? Kind::kTypography : Kind::kSymbol;
  if (c == 0x20AC || c == 0x2116 || c == 0x2122) return Kind::kTypography;
  if (c == 0xFEFF) return Kind::kTypography;  // a byte order mark inside the text: invisible
  if (c >= 0x2500 && c < 0x2600) return Kind::kBox;
  if (c < 0x2E80) return Kind::kSymbol;
  if (c >= 0xE000 && c < 0xF900) return Kind::kControl;  // private use
  if (c == 0xFFFD || (c >= 0xFFF0 && c <= 0xFFFF)) return Kind::kControl;
  if (c >= 0x1F000 && c < 0x20000) return Kind::kSymbol;  // emoji and the like
  return Kind::kOther;
}

bool IsLetter(Kind kind) {
  return kind == Kind::kAscii || kind == Kind::kPolish || kind == Kind::kLatin ||
         kind == Kind::kLatinRare || kind == Kind::kOther;
}
bool IsLatin(Kind kind) {
  return kind == Kind::kAscii || kind == Kind::kPolish || kind == Kind::kLatin || kind == Kind::kLatinRare;
}

// +1 a capital, -1 a small letter, 0 neither (Latin, Greek and Cyrillic).
int CaseOf(char32_t c) {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? 1 : c >= 'a' && c <= 'z' ? -1 : 0;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return 1;
  if (c >= 0xDF && c <= 0xFF && c != 0xF7) return -1;
  if (c >= 0x100 && c <= 0x17F) {
    if (c == 0x138 || c == 0x149 || c == 0x17F) return -1;
    if (c == 0x178) return 1;
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    return ((c & 1) == 1) == oddUpper ? 1 : -1;
  }
  if (c >= 0x391 && c <= 0x3A9) return 1;
  if (c >= 0x3B1 && c <= 0x3C9) return -1;
  if (c >= 0x400 && c <= 0x42F) return 1;
  if (c >= 0x430 && c <= 0x45F) return -1;
  if (c >= 0x460 && c <= 0x4FF) return (c & 1) == 0 ? 1 : -1;
  return 0;
}

// How common each Polish letter is in Polish text (a, c, e, l, n, o, s, z
// with the mark, z with the dot): inside a word, and at its start.  About
// twice the natural logarithm of its share over the rarest one's.
int PolishWeight(char32_t c, bool start) {
  static const char32_t kLower[] = U"ąćęłńóśźż";
  static const char32_t kUpper[] = U"ĄĆĘŁŃÓŚŹŻ";
  static const int kInside[] = {6, 4, 6, 7, 3, 5, 5, 1, 5};
  static const int kStart[] = {-4, 2, -4, 4, -4, 2, 5, 3, 5};  // no word starts with ą, ę, ń
  for (int i = 0; i < 9; ++i)
    if (kLower[i] == c || kUpper[i] == c) return start ? kStart[i] : kInside[i];
  return 0;
}

// What a Polish letter in its place scores for the form.
constexpr int kInPlace = 4;

struct Token {
  char32_t c;
  Kind kind;
  bool weighed;  // read from the bytes in this reading (not ASCII, not a UTF-8 letter kept)
};

// A capital right behind a small letter, or between a letter and a small
// one ("DĄbrowa"); a small letter before a capital, or behind two ("DąB",
// "ABą"): no word has them.
bool WrongCase(const Token *t, size_t k, size_t count) {
  const int here = CaseOf(t[k].c);
  const int before = k > 0 ? CaseOf(t[k - 1].c) : 0;
  const int after = k + 1 < count ? CaseOf(t[k + 1].c) : 0;
  if (here > 0) return before < 0 || (k > 0 && IsLetter(t[k - 1].kind) && after < 0);
  if (here < 0) return after > 0 || (before > 0 && k > 1 && CaseOf(t[k - 2].c) > 0);
  return false;
}

// What a word says for a reading: the evidence of form (letters in place,
// case, symbols, well-formed UTF-8) and of how common its Polish letters
// are.  Only the form's evidence decides (a text of uncommon letters is
// still Polish); the commonness chooses between readings it leaves in doubt.
struct WordScore {
  int64_t form = 0;
  int64_t common = 0;
  bool polish = false;  // a Polish letter read from the bytes, in place
};

WordScore ScoreWord(const Token *t, size_t count) {
  WordScore out;
  for (size_t k = 0; k < count; ++k) {
    if (!t[k].weighed) continue;
    const bool letterBefore = k > 0 && IsLetter(t[k - 1].kind);
    const bool letterAfter = k + 1 < count && IsLetter(t[k + 1].kind);
    const bool latinBeside = (k > 0 && IsLatin(t[k - 1].kind)) || (k + 1 < count && IsLatin(t[k + 1].kind));
    int score = 0;
    switch (t[k].kind) {
      case Kind::kPlain:
      case Kind::kAscii: break;
      case Kind::kPolish:
        // A Polish letter alone is no word ("a", "i", "o", "u", "w", "z"
        // are), and no word starts with ą, ę or ń: such a letter tells
        // nothing of form (it may be a shortening, a name), only that it
        // is uncommon.
        if (WrongCase(t, k, count)) {
          score = -10;
        } else if (!letterBefore && !letterAfter) {
          out.common -= kInPlace;
        } else {
          const int weight = PolishWeight(t[k].c, !letterBefore);
          if (weight > 0) score = kInPlace;
          out.common += weight - score;
        }
        out.polish = out.polish || score > 0;
        break;
      case Kind::kLatin: score = WrongCase(t, k, count) ? -10 : -4; break;
      case Kind::kLatinRare: score = -8; break;
      case Kind::kOther: score = latinBeside ? -10 : WrongCase(t, k, count) ? -6 : -2; break;
      case Kind::kCombining: score = letterBefore ? 2 : -8; break;
      case Kind::kTypography: score = letterBefore && letterAfter ? -8 : 0; break;
      // A sign standing alone scores as a Polish letter alone does: neither
      // is a word, and each is what the other reading may make of it.
      case Kind::kSymbol: score = letterBefore && letterAfter ? -12 : letterBefore || letterAfter ? -6 : 0; break;
      case Kind::kBox: score = letterBefore || letterAfter ? -12 : -4; break;
      case Kind::kControl: score = -12; break;
    }
    out.form += score;
  }
  return out;
}

}  // namespace

Weighing::Weighing(const PageList &pages) {
  in_[kUtf8] = possible_[kUtf8] = true;
  order_[readings_++] = kUtf8;
  for (codec::CodePage page : pages) {
    if (in_[Index(page)]) continue;
    in_[Index(page)] = possible_[Index(page)] = true;
    order_[readings_++] = Index(page);
  }
}

bool Weighing::Possible(codec::CodePage page) const { return in_[Index(page)] && possible_[Index(page)]; }

// Between UTF-8 and a code page every byte counts; between two code pages
// the UTF-8 letters a mixed file keeps count for neither, once the text is
// known to be no UTF-8.
const Weighing::Sum &Weighing::Score(int reading) const {
  return possible_[kUtf8] || reading == kUtf8 ? bytewise_[reading] : mixed_[reading];
}

bool Weighing::Differ(int a, int b) const { return differs_[a < b ? a : b][a < b ? b : a]; }

// Undecided: of the readings that no other clearly leads in form, the one
// whose letters are the most common.
codec::CodePage Weighing::Leader() const {
  if (decided_) return static_cast<codec::CodePage>(decidedLeader_);
  bool any = false;
  int64_t form = 0;
  for (int r = 0; r < kReadings; ++r) {
    if (!in_[r] || !possible_[r]) continue;
    form = any && form > Form(r) ? form : Form(r);
    any = true;
  }
  int best = -1;
  for (int i = 0; i < readings_; ++i) {
    const int r = order_[i];
    if (possible_[r] && form - Form(r) < kMargin && (best < 0 || Total(r) > Total(best))) best = r;
  }
  // Nothing possible (bytes that no reading takes): the first code page.
  if (best < 0) best = readings_ > 1 ? order_[1] : kUtf8;
  return static_cast<codec::CodePage>(best);
}

void Weighing::Decide() {
  int leader = -1;
  for (int i = 0; i < readings_; ++i) {
    const int r = order_[i];
    if (possible_[r] && (leader < 0 || Form(r) > Form(leader))) leader = r;
  }
  if (leader < 0) return;
  for (int i = 0; i < readings_; ++i) {
    const int r = order_[i];
    if (r == leader || !possible_[r]) continue;
    // A reading that reads every byte so far alike may still part later.
    if (!Differ(leader, r) || Form(leader) - Form(r) < kMargin) return;
  }
  decided_ = true;
  decidedLeader_ = leader;
}

bool Weighing::ClearlyBetter(codec::CodePage used, codec::CodePage *better) const {
  const int u = Index(used);
  int best = -1;
  for (int i = 0; i < readings_; ++i) {
    const int r = order_[i];
    if (r == u || !possible_[r] || !Differ(u, r)) continue;
    if (possible_[u] && Form(r) - Form(u) < kMargin) continue;
    if (best < 0 || Total(r) > Total(best)) best = r;
  }
  if (best < 0) return false;
  *better = static_cast<codec::CodePage>(best);
  return true;
}

bool Weighing::InDoubt(codec::CodePage used, codec::CodePage *other) const {
  const int u = Index(used);
  codec::CodePage better;
  if (!possible_[u] || ClearlyBetter(used, &better)) return false;
  int closest = -1;
  for (int i = 0; i < readings_; ++i) {
    const int r = order_[i];
    if (r == u || !possible_[r] || !Differ(u, r) || Form(u) - Form(r) >= kMargin) continue;
    if (closest < 0 || Total(r) > Total(closest)) closest = r;
  }
  if (closest < 0) return false;
  *other = static_cast<codec::CodePage>(closest);
  return true;
}

Place Weighing::FirstBetter(codec::CodePage page, codec::CodePage other) const {
  return firstBetter_[Index(page)][Index(other)];
}

Place Weighing::FirstDifference(codec::CodePage page, codec::CodePage other) const {
  const int a = Index(page), b = Index(other);
  return firstDifference_[a < b ? a : b][a < b ? b : a];
}

std::string Weighing::FirstDifferentWord(codec::CodePage page, codec::CodePage other) const {
  const int a = Index(page), b = Index(other);
  return firstWord_[a < b ? a : b][a < b ? b : a];
}

// The word's bytes read in each reading, scored, and the totals weighed.
void Weighing::Word() {
  const size_t size = wordSize_;
  wordSize_ = 0;
  wordHigh_ = false;
  // Where each UTF-8 sequence stands (0: a byte that is none).
  uint8_t length[kWordLimit + 4] = {};
  char32_t decoded[kWordLimit + 4] = {};
  bool utf8 = true;
  for (size_t i = 0; i < size;) {
    if (word_[i] < 0x80) {
      length[i] = 1;
      decoded[i] = word_[i];
      ++i;
      continue;
    }
    const int n = WellFormed(word_ + i, size - i, &decoded[i]);
    length[i] = static_cast<uint8_t>(n);
    utf8 = utf8 && n > 0;
    i += n > 0 ? n : 1;
  }

  Token tokens[kWordLimit + 4];
  WordScore bytewise[kReadings], mixed[kReadings];
  if (possible_[kUtf8] && !utf8) possible_[kUtf8] = false;
  if (possible_[kUtf8]) {
    size_t count = 0;
    int sequences = 0;
    for (size_t i = 0; i < size; i += length[i]) {
      tokens[count++] = Token{decoded[i], KindOf(decoded[i]), length[i] > 1};
      sequences += length[i] > 1;
    }
    bytewise[kUtf8] = ScoreWord(tokens, count);
    bytewise[kUtf8].form += static_cast<int64_t>(sequences) * kUtf8Sequence;
  }
  for (int r = 1; r < kReadings; ++r) {
    if (!possible_[r]) continue;
    const codec::CodePage page = static_cast<codec::CodePage>(r);
    size_t count = 0;
    for (size_t i = 0; i < size && possible_[r]; ++i) {
      const int32_t c = codec::ByteToChar(page, word_[i]);
      if (c < 0) possible_[r] = false;
      tokens[count++] = Token{static_cast<char32_t>(c), KindOf(static_cast<char32_t>(c)), word_[i] >= 0x80};
    }
    if (!possible_[r]) continue;
    bytewise[r] = ScoreWord(tokens, count);
    // A mixed file: the UTF-8 sequences of Latin letters kept as they are.
    count = 0;
    for (size_t i = 0; i < size;) {
      const bool kept = length[i] > 1 && decoded[i] >= 0xA0 && decoded[i] < 0x180;
      if (kept) {
        tokens[count++] = Token{decoded[i], KindOf(decoded[i]), false};
        i += length[i];
        continue;
      }
      const char32_t c = static_cast<char32_t>(codec::ByteToChar(page, word_[i]));
      tokens[count++] = Token{c, KindOf(c), word_[i] >= 0x80};
      ++i;
    }
    mixed[r] = ScoreWord(tokens, count);
  }

  // Which readings read this word otherwise: UTF-8 and a code page always
  // (the word has a byte above 0x7F), two code pages where a byte differs.
  for (int a = 0; a < kReadings; ++a) {
    if (!in_[a]) continue;
    if (possible_[a]) {
      bytewise_[a].form += bytewise[a].form;
      bytewise_[a].common += bytewise[a].common;
      mixed_[a].form += mixed[a].form;
      mixed_[a].common += mixed[a].common;
      const bool polish = a == kUtf8 ? bytewise[a].polish : mixed[a].polish;
      if (polish && firstLetter_[a].line == 0) firstLetter_[a] = wordAt_;
    }
    for (int b = a + 1; b < kReadings; ++b) {
      if (!in_[b]) continue;
      bool differ = a == kUtf8;
      for (size_t i = 0; i < size && !differ; ++i)
        differ = word_[i] >= 0x80 && codec::ByteToChar(static_cast<codec::CodePage>(a), word_[i]) !=
                                         codec::ByteToChar(static_cast<codec::CodePage>(b), word_[i]);
      if (!differ) continue;
      differs_[a][b] = true;
      if (firstDifference_[a][b].line == 0) {
        firstDifference_[a][b] = wordAt_;
        firstWord_[a][b].assign(reinterpret_cast<const char *>(word_), size);
      }
      if (!possible_[a] || !possible_[b]) continue;
      const bool whole = a == kUtf8 || possible_[kUtf8];
      const WordScore &wa = whole ? bytewise[a] : mixed[a], &wb = whole ? bytewise[b] : mixed[b];
      const int64_t sa = wa.form + wa.common, sb = wb.form + wb.common;
      if (sa > sb && firstBetter_[a][b].line == 0) firstBetter_[a][b] = wordAt_;
      if (sb > sa && firstBetter_[b][a].line == 0) firstBetter_[b][a] = wordAt_;
    }
  }
  Decide();
}

// One byte of a word.  A long word is weighed in parts of at most
// kWordLimit bytes, cut before a byte that starts a character.
void Weighing::Push(uint8_t byte) {
  if (wordSize_ >= kWordLimit) {
    if (!wordHigh_) {
      word_[0] = word_[wordSize_ - 2];
      word_[1] = word_[wordSize_ - 1];
      wordSize_ = 2;
    } else if ((byte & 0xC0) != 0x80 || wordSize_ == sizeof word_) {
      const Place at{offset_, line_};
      Word();
      if (byte >= 0x80) wordAt_ = at;
      wordHigh_ = byte >= 0x80;
    }
  }
  word_[wordSize_++] = byte;
}

void Weighing::Feed(const char *bytes, size_t size) {
  const uint8_t *p = reinterpret_cast<const uint8_t *>(bytes);
  size_t i = 0;
  while (i < size && !decided_) {
    // A run of ASCII outside a word with a byte above 0x7F: only the
    // letters at its end (a word's start) are kept, two of them at most.
    if (!wordHigh_) {
      const size_t run = codec::AsciiPrefix(bytes + i, size - i);
      if (run > 0) {
        size_t tail = run;
        while (tail > 0 && IsAsciiLetter(p[i + tail - 1])) --tail;
        if (tail > 0) {
          line_ += static_cast<int>(codec::CountByte(bytes + i, tail, '\n'));
          wordSize_ = 0;
        }
        for (size_t k = tail + (run - tail > 2 ? run - tail - 2 : 0); k < run; ++k) {
          if (wordSize_ >= 2) {
            word_[0] = word_[1];
            wordSize_ = 1;
          }
          word_[wordSize_++] = p[i + k];
        }
        offset_ += run;
        i += run;
        continue;
      }
    }
    const uint8_t byte = p[i];
    if (byte >= 0x80 || IsAsciiLetter(byte)) {
      if (byte >= 0x80 && !wordHigh_) {
        wordHigh_ = true;
        wordAt_ = Place{offset_, line_};
      }
      Push(byte);
    } else {
      if (wordHigh_) Word();
      wordSize_ = 0;
      line_ += byte == '\n';
    }
    ++offset_;
    ++i;
  }
}

void Weighing::Finish() {
  if (wordHigh_ && !decided_) Word();
  wordSize_ = 0;
  wordHigh_ = false;
}

size_t FirstNonUtf8(const char *bytes, size_t size) {
  const uint8_t *p = reinterpret_cast<const uint8_t *>(bytes);
  size_t i = 0;
  while (i < size) {
    i += codec::AsciiPrefix(bytes + i, size - i);
    if (i == size) break;
    char32_t c = 0;
    const int n = WellFormed(p + i, size - i, &c);
    if (n == 0) return i;
    i += static_cast<size_t>(n);
  }
  return size;
}

std::string WordAsUtf8(const std::string &bytes, codec::CodePage page) {
  std::string out;
  const uint8_t *p = reinterpret_cast<const uint8_t *>(bytes.data());
  for (size_t i = 0; i < bytes.size();) {
    char32_t c = 0;
    const int n = page == codec::CodePage::kUtf8 && p[i] >= 0x80 ? WellFormed(p + i, bytes.size() - i, &c) : 0;
    if (n > 0) {
      out.append(bytes, i, static_cast<size_t>(n));
      i += static_cast<size_t>(n);
      continue;
    }
    const int32_t mapped = page == codec::CodePage::kUtf8 ? (p[i] < 0x80 ? p[i] : -1) : codec::ByteToChar(page, p[i]);
    codec::AppendUtf8(out, mapped >= 0 ? static_cast<char32_t>(mapped) : U'\uFFFD');
    ++i;
  }
  return out;
}

size_t WeighFromWordOf(const char *bytes, size_t size, size_t at, Weighing *weighing) {
  size_t from = at;
  while (from > 0 && at - from < Weighing::kWordLimit &&
         (static_cast<uint8_t>(bytes[from - 1]) >= 0x80 || IsAsciiLetter(static_cast<uint8_t>(bytes[from - 1]))))
    --from;
  weighing->Feed(bytes + from, size - from);
  weighing->Finish();
  return from;
}

}  // namespace reader
