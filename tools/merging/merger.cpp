#include "tools/merging/merger.h"

#include <stdio.h>

#include <algorithm>

#include "host/app/core/text_codec.h"
#include "plugin/contract/mazovia.h"
#include "tools/texts/merge_texts.h"

namespace merge {

namespace {

constexpr size_t kWordChars = 19;  // the player's word buffer holds 19 characters
constexpr size_t kAlwaysChecked = 2;

// Follows the player through the macro's bytes: outside or inside a
// bracketed word.  A line break outside a word is skipped; a '[' opens a
// word; inside, ']' closes it, and a byte that would be the 20th character
// ends it and is read as an ordinary character.
struct WordScan {
  bool inWord = false;
  size_t chars = 0;

  void Feed(uint8_t byte) {
    if (!inWord) {
      if (byte == '[') {
        inWord = true;
        chars = 0;
      }
      return;
    }
    if (byte == ']' || chars == kWordChars) {
      inWord = false;
      return;
    }
    ++chars;
  }
  void Feed(const std::string &bytes) {
    for (char c : bytes) Feed(static_cast<uint8_t>(c));
  }
};

// What a row needed, for the choice of rows to check.
struct RowUse {
  bool valueInWord = false;
  bool bracketKey = false;
  bool newlineKey = false;
};

bool StandInTypes(char32_t c) {
  int host = UnicodeToMazovia(c);
  return host > 0 && volmar::TypeableHostChar(static_cast<uint8_t>(host)) != 0;
}

std::string CharName(char32_t c) {
  char code[16];
  snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
  if (c < 0x20 || c == 0x7F) return Format(msg::kControlCharacter, code);
  std::string shown;
  codec::AppendUtf8(shown, c);
  return Format(msg::kCharacter, shown.c_str(), code);
}

std::string Where(const MergeSources &sources, const TableRow &row, size_t index, int column) {
  return Format(msg::kWhereValue, index + 1, sources.dataName.c_str(), row.line,
                (*sources.headers)[static_cast<size_t>(column)].c_str());
}

// What a value's characters cost: where problems go (none while a row is
// merged again for the check) and how many non-breaking spaces were typed
// as spaces.
struct Tally {
  ValueProblems *problems = nullptr;
  size_t nonBreakingSpaces = 0;
};

// Writes the macro, and when it records, the checked text and its map.
class Writer {
 public:
  Writer(std::string *macro, MergeResult *record, const MergeSettings &settings, WordScan start,
         Tally *tally)
      : scan(start), macro_(macro), record_(record), settings_(settings), tally_(tally) {}

  // Bytes of the template, --before or --after, copied as they stand.
  void Source(Origin origin, const std::string &bytes, size_t offset, size_t length, size_t row);
  // A stretch that stands for a placeholder (a value, a key name, a number).
  void Emit(const std::string &macroBytes, const std::string &checkedBytes, Origin origin,
            size_t source, size_t row, int column);
  // The value of a placeholder.
  void Value(const std::string &value, const MergeSources &sources, size_t source,
             const TableRow &row, size_t index, int column, RowUse *use);
  // A line break behind a row, outside a word, when `lastByte` is none.
  void Separator(char lastByte, const std::string &lineBreak, size_t source, size_t row);

  WordScan scan;

 private:
  void Map(Origin origin, bool linear, size_t source, size_t row, int column);
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
    for (size_t i = offset; i < offset + length; ++i) scan.Feed(static_cast<uint8_t>(bytes[i]));
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

void Writer::Emit(const std::string &macroBytes, const std::string &checkedBytes, Origin origin,
                  size_t source, size_t row, int column) {
  *macro_ += macroBytes;
  scan.Feed(macroBytes);
  if (record_ == nullptr) return;
  Map(origin, false, source, row, column);
  record_->checked += checkedBytes;
}

void Writer::Separator(char lastByte, const std::string &lineBreak, size_t source, size_t row) {
  if (lastByte == '\n' || lastByte == 0 || scan.inWord) return;
  Emit(lineBreak, lineBreak, Origin::kSeparator, source, row, 0);
}

void Writer::WordValue(const std::string &value, const std::string &where, size_t source,
                       size_t row, int column) {
  // Inside a word the player takes the bytes as they stand and a ']' ends
  // the word: only printable ASCII can stand there for itself.
  for (size_t i = 0; i < value.size();) {
    char32_t c = 0;
    codec::NextUtf8(value, i, &c);
    if (c == '\r' || c == '\n') {
      Problem(where + Format(msg::kLineBreakInWord));
      if (c == '\r' && i < value.size() && value[i] == '\n') ++i;
      continue;
    }
    if (c == ']') {
      Problem(where + Format(msg::kBracketEndsWord));
      continue;
    }
    if (c < 0x20 || c > 0x7E) {
      Problem(where + Format(msg::kNotAsciiInWord, CharName(c).c_str()));
      continue;
    }
    std::string byte(1, static_cast<char>(c));
    Emit(byte, byte, Origin::kValue, source, row, column);
  }
}

void Writer::Value(const std::string &value, const MergeSources &sources, size_t source,
                   const TableRow &row, size_t index, int column, RowUse *use) {
  if (scan.inWord) {
    use->valueInWord = true;
    WordValue(value, Where(sources, row, index, column), source, index, column);
    return;
  }
  const bool utf8 = settings_.encoding == codec::CodePage::kUtf8;
  for (size_t i = 0; i < value.size();) {
    // A run of printable ASCII other than '[' is copied at once.
    size_t run = i;
    while (run < value.size() && value[run] >= 0x20 && value[run] <= 0x7E && value[run] != '[')
      ++run;
    if (run > i) {
      std::string plain = value.substr(i, run - i);
      Emit(plain, plain, Origin::kValue, source, index, column);
      i = run;
      continue;
    }
    const size_t start = i;
    char32_t c = 0;
    codec::NextUtf8(value, i, &c);
    auto where = [&] { return Where(sources, row, index, column); };
    auto key = [&](const std::string &name, Origin origin) {
      std::string word = "[" + name + "]";
      Emit(word, word, origin, source, index, column);
    };
    if (c == '[') {
      if (settings_.bracketKey.empty()) {
        Problem(where() + Format(msg::kBracketWithoutKey, settings_.bracketHint.c_str()));
        continue;
      }
      use->bracketKey = true;
      key(settings_.bracketKey, Origin::kBracketKey);
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i < value.size() && value[i] == '\n') ++i;  // CR LF is one line break
      if (settings_.newlineKey.empty()) {
        Problem(where() + Format(msg::kLineBreakWithoutKey));
        continue;
      }
      use->newlineKey = true;
      key(settings_.newlineKey, Origin::kNewlineKey);
    } else if (c == '\t') {
      if (settings_.tabKey.empty()) {
        Problem(where() + Format(msg::kTabWithoutKey));
        continue;
      }
      use->newlineKey = true;
      key(settings_.tabKey, Origin::kNewlineKey);
    } else if (IsNonBreakingSpace(c)) {
      if (settings_.strict) {
        Problem(where() + Format(msg::kNonBreakingSpaceStrict, CharName(c).c_str()));
        continue;
      }
      if (tally_ != nullptr) ++tally_->nonBreakingSpaces;
      Emit(" ", " ", Origin::kValue, source, index, column);
    } else if (!Typeable(settings_.encoding, c)) {
      Problem(where() + (utf8 ? Format(msg::kNoHostKey, CharName(c).c_str())
                              : Format(msg::kNotInMacroEncoding, CharName(c).c_str(),
                                       codec::CodePageName(settings_.encoding))));
    } else if (utf8) {
      std::string bytes = value.substr(start, i - start);
      Emit(bytes, bytes, Origin::kValue, source, index, column);
    } else {
      std::string byte(1, static_cast<char>(codec::CharToByte(settings_.encoding, c)));
      std::string shown;
      if (StandInTypes(c)) codec::AppendUtf8(shown, c);
      Emit(byte, shown.empty() ? "?" : shown, Origin::kValue, source, index, column);
    }
  }
}

void MergeRow(Writer &writer, const MergeSources &sources, const TableRow &row, size_t index,
              RowUse *use) {
  for (const TemplatePiece &piece : *sources.pieces) {
    if (!piece.placeholder) {
      writer.Source(Origin::kTemplate, *sources.templateBytes, piece.offset, piece.length, index);
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
  }
  const MergeSources &sources;
  const MergeSettings &settings;
  MergeResult *out;
  std::string lineBreak;
  WordScan scan;
  RowUse seen;
  size_t rowsMerged = 0;
  ValueProblems problems;
  Tally tally;
  std::string scratch;
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

void RowMerger::Row(const TableRow &row, size_t index) {
  State &s = *state_;
  const std::string &tpl = *s.sources.templateBytes;
  const WordScan atStart = s.scan;
  const size_t problemsBefore = s.problems.count;
  RowUse use;
  Writer rows(&s.out->macro, nullptr, s.settings, s.scan, &s.tally);
  MergeRow(rows, s.sources, row, index, &use);
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
  MergeRow(record, s.sources, row, index, &use);
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

const ValueProblems &RowMerger::problems() const { return state_->problems; }

bool MergeTable(const MergeSources &sources, const MergeSettings &settings, MergeResult *result,
                std::string *error) {
  *result = MergeResult();
  MergeSources whole = sources;
  if (whole.headers == nullptr) whole.headers = &sources.table->headers;
  RowMerger merger(whole, settings, result);
  merger.Before();
  for (size_t row = sources.firstRow; row < sources.endRow; ++row)
    merger.Row(sources.table->rows[row], row);
  merger.After();
  error->clear();
  for (const std::string &problem : merger.problems().shown) *error += problem + "\n";
  return merger.problems().count == 0;
}

const Segment *FindSegment(const MergeResult &result, size_t offset) {
  auto next = std::upper_bound(result.segments.begin(), result.segments.end(), offset,
                               [](size_t at, const Segment &s) { return at < s.start; });
  if (next == result.segments.begin()) return nullptr;
  return &*(next - 1);
}

size_t SourceOffset(const Segment &segment, size_t offset) {
  return segment.linear ? segment.source + (offset - segment.start) : segment.source;
}

}  // namespace merge
