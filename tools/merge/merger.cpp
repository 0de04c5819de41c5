#include "tools/merge/merger.h"

#include <stdio.h>

#include <algorithm>

#include "host/app/core/text_codec.h"
#include "plugin/contract/mazovia.h"

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
  if (c < 0x20 || c == 0x7F) return std::string("the control character ") + code;
  std::string shown;
  codec::AppendUtf8(shown, c);
  return "the character '" + shown + "' (" + code + ")";
}

std::string Where(const MergeSources &sources, size_t row, int column) {
  const TableRow &r = sources.table->rows[row];
  return "row " + std::to_string(row + 1) + " (" + sources.dataName + ":" +
         std::to_string(r.line) + "), column \"" + sources.table->headers[column] + "\"";
}

// Writes the macro, and when it records, the checked text and its map.
class Writer {
 public:
  Writer(std::string *macro, MergeResult *record, const MergeSettings &settings, WordScan start)
      : scan(start), macro_(macro), record_(record), settings_(settings) {}

  // Bytes of the template, --before or --after, copied as they stand.
  void Source(Origin origin, const std::string &bytes, size_t offset, size_t length, size_t row);
  // A stretch that stands for a placeholder (a value, a key name, a number).
  void Emit(const std::string &macroBytes, const std::string &checkedBytes, Origin origin,
            size_t source, size_t row, int column);
  // The value of a placeholder; false with `error`.
  bool Value(const std::string &value, const MergeSources &sources, size_t source, size_t row,
             int column, RowUse *use, std::string *error);
  // A line break behind a row, outside a word, when `lastByte` is none.
  void Separator(char lastByte, const std::string &lineBreak, size_t source, size_t row);

  WordScan scan;

 private:
  void Map(Origin origin, bool linear, size_t source, size_t row, int column);
  bool WordValue(const std::string &value, const std::string &where, size_t source, size_t row,
                 int column, std::string *error);

  std::string *macro_;
  MergeResult *record_;
  const MergeSettings &settings_;
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

bool Writer::WordValue(const std::string &value, const std::string &where, size_t source,
                       size_t row, int column, std::string *error) {
  // Inside a word the player takes the bytes as they stand and a ']' ends
  // the word: only printable ASCII can stand there for itself.
  for (size_t i = 0; i < value.size();) {
    char32_t c = 0;
    codec::NextUtf8(value, i, &c);
    if (c == '\r' || c == '\n') {
      *error = where + ": a line break cannot stand inside a bracketed word of the template";
      return false;
    }
    if (c == ']') {
      *error = where + ": ']' would end the template's bracketed word around the placeholder";
      return false;
    }
    if (c < 0x20 || c > 0x7E) {
      *error = where + ": " + CharName(c) +
               " cannot stand inside a bracketed word, whose bytes the player takes unconverted "
               "(only ASCII characters can)";
      return false;
    }
    std::string byte(1, static_cast<char>(c));
    Emit(byte, byte, Origin::kValue, source, row, column);
  }
  return true;
}

bool Writer::Value(const std::string &value, const MergeSources &sources, size_t source,
                   size_t row, int column, RowUse *use, std::string *error) {
  if (scan.inWord) {
    use->valueInWord = true;
    return WordValue(value, Where(sources, row, column), source, row, column, error);
  }
  const bool utf8 = settings_.encoding == codec::CodePage::kUtf8;
  for (size_t i = 0; i < value.size();) {
    // A run of printable ASCII other than '[' is copied at once.
    size_t run = i;
    while (run < value.size() && value[run] >= 0x20 && value[run] <= 0x7E && value[run] != '[')
      ++run;
    if (run > i) {
      std::string plain = value.substr(i, run - i);
      Emit(plain, plain, Origin::kValue, source, row, column);
      i = run;
      continue;
    }
    const size_t start = i;
    char32_t c = 0;
    codec::NextUtf8(value, i, &c);
    const std::string where = c == '[' || c == '\r' || c == '\n' || !Typeable(settings_.encoding, c)
                                  ? Where(sources, row, column)
                                  : std::string();
    if (c == '[') {
      if (settings_.bracketKey.empty()) {
        *error = where + ": the value holds '[', which would open a bracketed word; the macro "
                         "types it as the key whose code is '[' (0x5B), and " +
                 settings_.bracketHint;
        return false;
      }
      use->bracketKey = true;
      std::string word = "[" + settings_.bracketKey + "]";
      Emit(word, word, Origin::kBracketKey, source, row, column);
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i < value.size() && value[i] == '\n') ++i;  // CR LF is one line break
      if (settings_.newlineKey.empty()) {
        *error = where + ": the value holds a line break, which the player skips (give the key "
                         "to type for it with --newline, e.g. --newline ENTER)";
        return false;
      }
      use->newlineKey = true;
      std::string word = "[" + settings_.newlineKey + "]";
      Emit(word, word, Origin::kNewlineKey, source, row, column);
    } else if (!Typeable(settings_.encoding, c)) {
      *error = where + ": " + CharName(c) +
               (utf8 ? " has no key in the host's text (Mazovia): the player would drop it"
                     : std::string(" cannot be written in ") +
                           codec::CodePageName(settings_.encoding) + " (see --encoding)");
      return false;
    } else if (utf8) {
      std::string bytes = value.substr(start, i - start);
      Emit(bytes, bytes, Origin::kValue, source, row, column);
    } else {
      std::string byte(1, static_cast<char>(codec::CharToByte(settings_.encoding, c)));
      std::string shown;
      if (StandInTypes(c)) codec::AppendUtf8(shown, c);
      Emit(byte, shown.empty() ? "?" : shown, Origin::kValue, source, row, column);
    }
  }
  return true;
}

bool MergeRow(Writer &writer, const MergeSources &sources, size_t row, RowUse *use,
              std::string *error) {
  const TableRow &r = sources.table->rows[row];
  for (const TemplatePiece &piece : *sources.pieces) {
    if (!piece.placeholder) {
      writer.Source(Origin::kTemplate, *sources.templateBytes, piece.offset, piece.length, row);
    } else if (piece.column == kRowNumber) {
      std::string number = std::to_string(row + 1);
      writer.Emit(number, number, Origin::kRowNumber, piece.offset, row, kRowNumber);
    } else if (!writer.Value(r.fields[static_cast<size_t>(piece.column)], sources, piece.offset,
                             row, piece.column, use, error)) {
      return false;
    }
  }
  return true;
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

bool MergeTable(const MergeSources &sources, const MergeSettings &settings, MergeResult *result,
                std::string *error) {
  *result = MergeResult();
  const std::string &tpl = *sources.templateBytes;
  const std::string lineBreak = tpl.find("\r\n") != std::string::npos ? "\r\n" : "\n";
  WordScan scan;
  if (sources.before != nullptr) {
    Writer before(&result->macro, result, settings, scan);
    before.Source(Origin::kBefore, *sources.before, 0, sources.before->size(), 0);
    before.Separator(LastByte(sources.before), lineBreak, sources.before->size(), 0);
    scan = before.scan;
  }
  Writer rows(&result->macro, nullptr, settings, scan);
  RowUse seen;
  std::string scratch;
  result->macro.reserve((tpl.size() + 16) * (sources.endRow - sources.firstRow));
  for (size_t row = sources.firstRow; row < sources.endRow; ++row) {
    const WordScan atStart = rows.scan;
    RowUse use;
    if (!MergeRow(rows, sources, row, &use, error)) return false;
    rows.Separator(LastByte(&tpl), lineBreak, tpl.size(), row);
    // Values outside words type character for character, so rows alike
    // play alike: the check plays the first rows and each row of a kind
    // not seen before.
    bool check = settings.checkEveryRow || row < sources.firstRow + kAlwaysChecked ||
                 use.valueInWord || (use.bracketKey && !seen.bracketKey) ||
                 (use.newlineKey && !seen.newlineKey);
    seen.bracketKey |= use.bracketKey;
    seen.newlineKey |= use.newlineKey;
    if (!check) continue;
    scratch.clear();
    Writer record(&scratch, result, settings, atStart);
    MergeRow(record, sources, row, &use, error);
    record.Separator(LastByte(&tpl), lineBreak, tpl.size(), row);
    result->checkedRows.push_back(row);
  }
  if (sources.after != nullptr) {
    Writer after(&result->macro, result, settings, rows.scan);
    after.Source(Origin::kAfter, *sources.after, 0, sources.after->size(), 0);
  }
  return true;
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
