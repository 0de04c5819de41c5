#include "tools/merger/merger.h"

#include <stdio.h>

#include <algorithm>
#include <atomic>

#include "host/app/core/text_codec.h"
#include "plugin/contract/mazovia.h"
#include "tools/macro/macro_words.h"
#include "tools/messages/merge_texts.h"

namespace merger {

using Msg = messages::MergeMsg;

namespace {

constexpr size_t kAlwaysChecked = 2;

// The player's reading of bracketed words (tools/macro).
using macro::WordScan;

// What a row needed, for the choice of rows to check.
struct RowUse {
  bool valueInWord = false;
  bool bracketKey = false;
  bool newlineKey = false;
};

bool StandInTypesUncached(char32_t c) {
  int host = UnicodeToMazovia(c);
  return host > 0 && volmar::TypeableHostChar(static_cast<uint8_t>(host)) != 0;
}

// Whether the stand-in host types `c`.  The answer is a search of the host's
// 128 upper characters, asked for every character of every value outside
// ASCII, so the answers for the Basic Multilingual Plane are kept, each
// filled on first use (0 not yet asked, 1 no, 2 yes; relaxed atomics, plain
// byte moves, so that threads may share the table).  Measured on 100,000
// rows of the bench's table: 108 million instructions to 2 million.
bool StandInTypes(char32_t c) {
  static std::atomic<uint8_t> known[0x10000];
  if (c >= 0x10000) return StandInTypesUncached(c);
  uint8_t answer = known[c].load(std::memory_order_relaxed);
  if (answer == 0) {
    answer = StandInTypesUncached(c) ? 2 : 1;
    known[c].store(answer, std::memory_order_relaxed);
  }
  return answer == 2;
}

std::string CharName(char32_t c) {
  char code[16];
  snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
  if (c < 0x20 || c == 0x7F) return Say(messages::SharedMsg::kControlCharacter, {code});
  std::string shown;
  codec::AppendUtf8(shown, c);
  return Say(Msg::kCharacter, {shown, code});
}

std::string Where(const MergeSources &sources, const table::TableRow &row, size_t index, int column) {
  return Say(Msg::kWhereValue, {index + 1, sources.dataName, row.line, (*sources.headers)[static_cast<size_t>(column)]});
}

// What a value's characters cost: where problems go (none while a row is
// merged again for the check) and how many non-breaking spaces were typed
// as spaces.
struct Tally {
  ValueProblems *problems = nullptr;
  size_t nonBreakingSpaces = 0;
  size_t plainPunctuation = 0;
};

// How a literal piece of the template moved the word scan the last time it
// was read: the same bytes from the same state end in the same state.
// Reading the template's pieces again for each row cost 41 million of the
// bench's 100,000 rows' instructions (its "[TAB]" words byte by byte).
struct ScanMemo {
  bool known = false;
  macro::WordScan from, to;
};

bool SameScan(const macro::WordScan &a, const macro::WordScan &b) {
  return a.inWord == b.inWord && a.chars == b.chars;
}

// Writes the macro, and when it records, the checked text and its map.
class Writer {
 public:
  Writer(std::string *macro, MergeResult *record, const MergeSettings &settings, macro::WordScan start,
         Tally *tally)
      : scan(start), macro_(macro), record_(record), settings_(settings), tally_(tally) {}

  // Bytes of the template, --before or --after, copied as they stand.
  void Source(Origin origin, const std::string &bytes, size_t offset, size_t length, size_t row);
  // A literal piece of the template; `memo` keeps how the piece last moved
  // the word scan.
  void Piece(const std::string &tpl, const TemplatePiece &piece, size_t row, ScanMemo *memo);
  // A stretch that stands for a placeholder (a value, a key name, a number).
  void Emit(const char *macroBytes, size_t macroSize, const char *checkedBytes,
            size_t checkedSize, Origin origin, size_t source, size_t row, int column);
  void Emit(const std::string &macroBytes, const std::string &checkedBytes, Origin origin,
            size_t source, size_t row, int column) {
    Emit(macroBytes.data(), macroBytes.size(), checkedBytes.data(), checkedBytes.size(), origin,
         source, row, column);
  }
  // Bytes of a value that type as they stand: the same in the macro and in
  // the checked text.
  void Plain(const char *bytes, size_t size, size_t source, size_t row, int column) {
    Emit(bytes, size, bytes, size, Origin::kValue, source, row, column);
  }
  // The value of a placeholder.
  void Value(const std::string &value, const MergeSources &sources, size_t source,
             const table::TableRow &row, size_t index, int column, RowUse *use);
  // A line break behind a row, outside a word, when `lastByte` is none.
  void Separator(char lastByte, const std::string &lineBreak, size_t source, size_t row);

  macro::WordScan scan;

 private:
  void Map(Origin origin, bool linear, size_t source, size_t row, int column);
  bool Key(macro::ValueChar kind, const MergeSources &sources, size_t source, const table::TableRow &row,
           size_t index, int column, RowUse *use);
  bool Punctuation(char32_t c, const MergeSources &sources, size_t source, const table::TableRow &row,
                   size_t index, int column);
  void WordValue(const std::string &value, const std::string &where, size_t source, size_t row,
                 int column);
  void Problem(const std::string &message) {
    if (tally_ != nullptr && tally_->problems != nullptr) tally_->problems->Add(message);
  }

  std::string *macro_;
  MergeResult *record_;
  const MergeSettings &settings_;
  Tally *tally_;
};

void Writer::Map(Origin origin, bool linear, size_t source, size_t row, int column) {
  const size_t at = record_->checked.size();
  if (!record_->segments.empty()) {
    const Segment &last = record_->segments.back();
    if (last.origin == origin && last.row == row && last.column == column &&
        last.linear == linear &&
        (linear ? last.source + (at - last.start) == source : last.source == source))
      return;
  }
  Segment segment;
  segment.start = at;
  segment.origin = origin;
  segment.linear = linear;
  segment.source = source;
  segment.row = row;
  segment.column = column;
  record_->segments.push_back(segment);
}

void Writer::Source(Origin origin, const std::string &bytes, size_t offset, size_t length,
                    size_t row) {
  macro_->append(bytes, offset, length);
  const bool utf8 = settings_.encoding == codec::CodePage::kUtf8;
  if (record_ == nullptr) {
    scan.Feed(bytes.data() + offset, length);
    return;
  }
  for (size_t i = offset; i < offset + length; ++i) {
    const uint8_t byte = static_cast<uint8_t>(bytes[i]);
    Map(origin, true, i, row, 0);
    if (utf8 || byte < 0x80) {
      record_->checked += static_cast<char>(byte);
    } else {
      // An 8-bit macro as the stand-in host would read the same characters:
      // host text inside a word, UTF-8 outside; '?' for what it lacks.
      int32_t c = codec::ByteToChar(settings_.encoding, byte);
      if (scan.inWord) {
        int host = c < 0 ? -1 : UnicodeToMazovia(static_cast<char32_t>(c));
        record_->checked += host > 0 ? static_cast<char>(host) : '?';
      } else if (c > 0 && StandInTypes(static_cast<char32_t>(c))) {
        codec::AppendUtf8(record_->checked, static_cast<char32_t>(c));
      } else {
        record_->checked += '?';
      }
    }
    scan.Feed(byte);
  }
}

void Writer::Piece(const std::string &tpl, const TemplatePiece &piece, size_t row,
                   ScanMemo *memo) {
  if (record_ != nullptr || memo == nullptr) {
    Source(Origin::kTemplate, tpl, piece.offset, piece.length, row);
    return;
  }
  macro_->append(tpl, piece.offset, piece.length);
  if (memo->known && SameScan(memo->from, scan)) {
    scan = memo->to;
    return;
  }
  memo->known = true;
  memo->from = scan;
  scan.Feed(tpl.data() + piece.offset, piece.length);
  memo->to = scan;
}

void Writer::Emit(const char *macroBytes, size_t macroSize, const char *checkedBytes,
                  size_t checkedSize, Origin origin, size_t source, size_t row, int column) {
  macro_->append(macroBytes, macroSize);
  scan.Feed(macroBytes, macroSize);
  if (record_ == nullptr) return;
  Map(origin, false, source, row, column);
  record_->checked.append(checkedBytes, checkedSize);
}

void Writer::Separator(char lastByte, const std::string &lineBreak, size_t source, size_t row) {
  if (lastByte == '\n' || lastByte == 0 || scan.inWord) return;
  Emit(lineBreak, lineBreak, Origin::kSeparator, source, row, 0);
}

// Office punctuation the host cannot type, typed in its plain form (or,
// with --strict, refused).  Whether `c` was such punctuation.
bool Writer::Punctuation(char32_t c, const MergeSources &sources, size_t source,
                         const table::TableRow &row, size_t index, int column) {
  const char *plain = PlainPunctuation(c);
  if (plain == nullptr || Typeable(settings_.encoding, c)) return false;
  if (settings_.strict) {
    Problem(Where(sources, row, index, column) +
            Say(Msg::kPunctuationStrict, {CharName(c), plain}));
    return true;
  }
  if (tally_ != nullptr) ++tally_->plainPunctuation;
  Emit(plain, plain, Origin::kValue, source, index, column);
  return true;
}

void Writer::WordValue(const std::string &value, const std::string &where, size_t source,
                       size_t row, int column) {
  // Inside a word the player takes the bytes as they stand and a ']' ends
  // the word: only printable ASCII can stand there for itself.
  for (size_t i = 0; i < value.size();) {
    char32_t c = 0;
    codec::NextUtf8(value, i, &c);
    if (c == '\r' || c == '\n') {
      Problem(where + Say(Msg::kLineBreakInWord));
      if (c == '\r' && i < value.size() && value[i] == '\n') ++i;
      continue;
    }
    if (c == ']') {
      Problem(where + Say(Msg::kBracketEndsWord));
      continue;
    }
    if (c < 0x20 || c > 0x7E) {
      Problem(where + Say(Msg::kNotAsciiInWord, {CharName(c)}));
      continue;
    }
    const char byte = static_cast<char>(c);
    Plain(&byte, 1, source, row, column);
  }
}

// The end of the run of `value` from `i` that types as it stands outside a
// word: printable ASCII other than '[' and, in a UTF-8 macro, characters
// the host types that are no key and no space of their own (what Value
// below would copy one by one).  Copying the run at once instead of a
// character at a time: 437 million instructions to 146 million for Value
// on 100,000 rows of the bench's table (with the host's answers kept).
size_t PlainRun(const std::string &value, size_t i, bool utf8) {
  const size_t size = value.size();
  while (i < size) {
    const uint8_t byte = static_cast<uint8_t>(value[i]);
    if (byte >= 0x20 && byte <= 0x7E && byte != '[') {
      ++i;
      continue;
    }
    if (!utf8 || byte < 0x80) return i;
    size_t next = i;
    char32_t c = 0;
    const uint8_t follow = i + 1 < size ? static_cast<uint8_t>(value[i + 1]) : 0;
    if (byte >= 0xC2 && byte <= 0xDF && (follow & 0xC0) == 0x80) {
      // Two bytes, as every Polish letter: read here rather than by a call
      // (NextUtf8 57 million instructions to 30 million, all of those now
      // the table's, on the bench's 100,000 rows).
      c = static_cast<char32_t>(((byte & 0x1F) << 6) | (follow & 0x3F));
      next = i + 2;
    } else {
      codec::NextUtf8(value, next, &c);
    }
    if (c == 0x00A0 || c == 0x202F || !StandInTypes(c)) return i;
    i = next;
  }
  return i;
}

// A character the merge writes as a key ('[', a line break, a tab): its
// key, or a problem when no key was given.  Whether `kind` is such.
bool Writer::Key(macro::ValueChar kind, const MergeSources &sources, size_t source,
                 const table::TableRow &row, size_t index, int column, RowUse *use) {
  const std::string *name = nullptr;
  Origin origin = Origin::kNewlineKey;
  switch (kind) {
    case macro::ValueChar::kBracket:
      name = &settings_.bracketKey;
      origin = Origin::kBracketKey;
      break;
    case macro::ValueChar::kLineBreak: name = &settings_.newlineKey; break;
    case macro::ValueChar::kTab: name = &settings_.tabKey; break;
    default: return false;
  }
  if (name->empty()) {
    Problem(Where(sources, row, index, column) +
            (kind == macro::ValueChar::kBracket
                 ? Say(Msg::kBracketWithoutKey, {settings_.bracketHint})
                 : Say(kind == macro::ValueChar::kLineBreak ? Msg::kLineBreakWithoutKey
                                                            : Msg::kTabWithoutKey)));
    return true;
  }
  (kind == macro::ValueChar::kBracket ? use->bracketKey : use->newlineKey) = true;
  const std::string word = "[" + *name + "]";
  Emit(word, word, origin, source, index, column);
  return true;
}

void Writer::Value(const std::string &value, const MergeSources &sources, size_t source,
                   const table::TableRow &row, size_t index, int column, RowUse *use) {
  if (scan.inWord) {
    use->valueInWord = true;
    WordValue(value, Where(sources, row, index, column), source, index, column);
    return;
  }
  const bool utf8 = settings_.encoding == codec::CodePage::kUtf8;
  for (size_t i = 0; i < value.size();) {
    const size_t run = PlainRun(value, i, utf8);
    if (run > i) {
      Plain(value.data() + i, run - i, source, index, column);
      i = run;
      continue;
    }
    const size_t start = i;
    char32_t c = 0;
    const macro::ValueChar kind = macro::NextValueChar(value, i, &c);
    auto where = [&] { return Where(sources, row, index, column); };
    if (Key(kind, sources, source, row, index, column, use)) {
    } else if (kind == macro::ValueChar::kNonBreakingSpace) {
      if (settings_.strict) {
        Problem(where() + Say(Msg::kNonBreakingSpaceStrict, {CharName(c)}));
        continue;
      }
      if (tally_ != nullptr) ++tally_->nonBreakingSpaces;
      Emit(" ", " ", Origin::kValue, source, index, column);
    } else if (Punctuation(c, sources, source, row, index, column)) {
    } else if (!Typeable(settings_.encoding, c)) {
      Problem(where() + (utf8 ? Say(Msg::kNoHostKey, {CharName(c)})
                              : Say(Msg::kNotInMacroEncoding, {CharName(c), codec::CodePageName(settings_.encoding)})));
    } else if (utf8) {
      Plain(value.data() + start, i - start, source, index, column);
    } else {
      std::string byte(1, static_cast<char>(codec::CharToByte(settings_.encoding, c)));
      std::string shown;
      if (StandInTypes(c)) codec::AppendUtf8(shown, c);
      Emit(byte, shown.empty() ? "?" : shown, Origin::kValue, source, index, column);
    }
  }
}

void MergeRow(Writer &writer, const MergeSources &sources, const table::TableRow &row, size_t index,
              RowUse *use, std::vector<ScanMemo> *memos) {
  for (size_t p = 0; p < sources.pieces->size(); ++p) {
    const TemplatePiece &piece = (*sources.pieces)[p];
    if (!piece.placeholder) {
      writer.Piece(*sources.templateBytes, piece, index, memos == nullptr ? nullptr : &(*memos)[p]);
    } else if (piece.column == kRowNumber) {
      // Inside a word the number makes the word: each row's is checked.
      if (writer.scan.inWord) use->valueInWord = true;
      std::string number = std::to_string(index + 1);
      writer.Emit(number, number, Origin::kRowNumber, piece.offset, index, kRowNumber);
    } else {
      writer.Value(row.fields[static_cast<size_t>(piece.column)], sources, piece.offset, row,
                   index, piece.column, use);
    }
  }
}

char LastByte(const std::string *text) {
  return text == nullptr || text->empty() ? 0 : text->back();
}

}  // namespace

const char *PlainPunctuation(char32_t c) {
  switch (c) {
    case 0x201E: case 0x201D: case 0x201C: case 0x00AB: case 0x00BB: return "\"";
    case 0x2018: case 0x2019: return "'";
    case 0x2013: case 0x2014: return "-";
    case 0x2026: return "...";
    default: return nullptr;
  }
}

bool Typeable(codec::CodePage page, char32_t c) {
  if (page == codec::CodePage::kUtf8) return StandInTypes(c);
  int byte = codec::CharToByte(page, c);
  if (byte <= 0) return false;
  if (page == codec::CodePage::kMazovia)
    return volmar::TypeableHostChar(static_cast<uint8_t>(byte)) != 0;
  return byte == '\t' || (byte >= 0x20 && byte != 0x7F);
}

struct RowMerger::State {
  State(const MergeSources &s, const MergeSettings &m, MergeResult *o)
      : sources(s), settings(m), out(o) {
    const std::string &tpl = *sources.templateBytes;
    lineBreak = tpl.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    tally.problems = &problems;
    if (sources.pieces != nullptr) pieceScans.resize(sources.pieces->size());
  }
  const MergeSources &sources;
  const MergeSettings &settings;
  MergeResult *out;
  std::string lineBreak;
  macro::WordScan scan;
  RowUse seen;
  size_t rowsMerged = 0;
  ValueProblems problems;
  Tally tally;
  std::string scratch;
  std::vector<ScanMemo> pieceScans;
};

RowMerger::RowMerger(const MergeSources &sources, const MergeSettings &settings, MergeResult *out)
    : state_(new State(sources, settings, out)) {}

RowMerger::~RowMerger() { delete state_; }

void RowMerger::Before() {
  State &s = *state_;
  if (s.sources.before == nullptr) return;
  Writer before(&s.out->macro, s.out, s.settings, s.scan, &s.tally);
  before.Source(Origin::kBefore, *s.sources.before, 0, s.sources.before->size(), 0);
  before.Separator(LastByte(s.sources.before), s.lineBreak, s.sources.before->size(), 0);
  s.scan = before.scan;
}

void RowMerger::Row(const table::TableRow &row, size_t index) {
  State &s = *state_;
  const std::string &tpl = *s.sources.templateBytes;
  const macro::WordScan atStart = s.scan;
  const size_t problemsBefore = s.problems.count;
  RowUse use;
  Writer rows(&s.out->macro, nullptr, s.settings, s.scan, &s.tally);
  MergeRow(rows, s.sources, row, index, &use, &s.pieceScans);
  rows.Separator(LastByte(&tpl), s.lineBreak, tpl.size(), index);
  s.scan = rows.scan;
  // Values outside words type character for character, so rows alike
  // play alike: the check plays the first rows and each row of a kind
  // not seen before.
  const bool check = s.settings.checkEveryRow || s.rowsMerged++ < kAlwaysChecked ||
                     use.valueInWord || (use.bracketKey && !s.seen.bracketKey) ||
                     (use.newlineKey && !s.seen.newlineKey);
  s.seen.bracketKey |= use.bracketKey;
  s.seen.newlineKey |= use.newlineKey;
  if (!check || s.problems.count > problemsBefore) return;
  s.scratch.clear();
  Writer record(&s.scratch, s.out, s.settings, atStart, nullptr);
  MergeRow(record, s.sources, row, index, &use, nullptr);
  record.Separator(LastByte(&tpl), s.lineBreak, tpl.size(), index);
  s.out->checkedRows.push_back(CheckedRow{index, row.line});
}

void RowMerger::After() {
  State &s = *state_;
  if (s.sources.after == nullptr) return;
  Writer after(&s.out->macro, s.out, s.settings, s.scan, &s.tally);
  after.Source(Origin::kAfter, *s.sources.after, 0, s.sources.after->size(), 0);
  s.scan = after.scan;
}

bool RowMerger::CanCut() const { return !state_->scan.inWord; }

size_t RowMerger::nonBreakingSpaces() const { return state_->tally.nonBreakingSpaces; }

size_t RowMerger::plainPunctuation() const { return state_->tally.plainPunctuation; }

const ValueProblems &RowMerger::problems() const { return state_->problems; }

const Segment *FindSegment(const MergeResult &result, size_t offset) {
  auto next = std::upper_bound(result.segments.begin(), result.segments.end(), offset,
                               [](size_t at, const Segment &s) { return at < s.start; });
  if (next == result.segments.begin()) return nullptr;
  return &*(next - 1);
}

size_t SourceOffset(const Segment &segment, size_t offset) {
  return segment.linear ? segment.source + (offset - segment.start) : segment.source;
}

}  // namespace merger
