#include "tools/table/table_reader.h"

#include <string.h>

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "tools/codec/text_guess.h"
#include "tools/texts/merge_texts.h"

namespace merge {

namespace {

constexpr size_t kChunk = 64 * 1024;
// How much text the delimiter guess may look at for the first two lines.
constexpr size_t kGuessLimit = 256 * 1024;

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Each LF, and each CR not followed by an LF, found by memchr (each chunk
// is counted: 70 million instructions to 17 million on the merge bench's
// 100,000 rows, against a test of every byte).
int LineBreaks(const std::string &text, size_t from, size_t to) {
  to = std::min(to, text.size());
  if (from >= to) return 0;
  const char *const begin = text.data(), *const end = begin + to;
  int lines = 0;
  for (const char *at = begin + from;
       (at = static_cast<const char *>(memchr(at, '\n', static_cast<size_t>(end - at)))) != nullptr;
       ++at)
    ++lines;
  for (const char *at = begin + from;
       (at = static_cast<const char *>(memchr(at, '\r', static_cast<size_t>(end - at)))) != nullptr;
       ++at)
    lines += at + 1 == begin + text.size() || at[1] != '\n';
  return lines;
}

// "sep=" in any letter case at `at`.
bool StartsWithSep(const std::string &text, size_t at) {
  return (text[at] | 0x20) == 's' && (text[at + 1] | 0x20) == 'e' &&
         (text[at + 2] | 0x20) == 'p' && text[at + 3] == '=';
}

// How many bytes at the end of `raw` start a character that goes on in the
// next chunk.
size_t CutCharacter(const std::string &raw, DataForm form, codec::CodePage page) {
  if (form == DataForm::kUtf16Le || form == DataForm::kUtf16Be) {
    size_t odd = raw.size() % 2;
    size_t even = raw.size() - odd;
    if (even >= 2) {
      const uint8_t high = static_cast<uint8_t>(raw[even - (form == DataForm::kUtf16Le ? 1 : 2)]);
      if (high >= 0xD8 && high <= 0xDB) return odd + 2;  // a high surrogate waits for its pair
    }
    return odd;
  }
  if (page != codec::CodePage::kUtf8) return 0;
  for (size_t back = 1; back <= 3 && back <= raw.size(); ++back) {
    const uint8_t byte = static_cast<uint8_t>(raw[raw.size() - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte
    const size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return length > back ? back : 0;
  }
  return 0;
}

// The counts of ';', tab and ',' outside quotes on each of the first two
// lines that are not empty.
struct LineCounts {
  size_t semicolons = 0, tabs = 0, commas = 0;
  size_t Of(char d) const { return d == ';' ? semicolons : d == '\t' ? tabs : commas; }
};

// A quote opens a quoted field only at the field's start; elsewhere it is a
// plain character.
size_t CountLines(const std::string &text, LineCounts counts[2]) {
  size_t lines = 0;
  bool quoted = false, any = false, justClosed = false;
  for (size_t i = 0; i < text.size() && lines < 2; ++i) {
    const char c = text[i];
    const bool fieldStart = i == 0 || strchr(";,\t\r\n", text[i - 1]) != nullptr;
    if (c == '"') {
      const bool opens = !quoted && (fieldStart || justClosed);  // "" opens again
      justClosed = quoted;
      quoted = opens;
      any = true;
      continue;
    }
    justClosed = false;
    if (!quoted && IsLineEnd(c)) {
      if (any) ++lines;
      any = false;
      continue;
    }
    any = true;
    if (quoted) continue;
    counts[lines].semicolons += c == ';';
    counts[lines].tabs += c == '\t';
    counts[lines].commas += c == ',';
  }
  return lines + (any ? 1 : 0);
}

std::string DelimiterName(char d) {
  return d == '\t' ? Say(Msg::kDelimiterTab) : d == ',' ? Say(Msg::kDelimiterComma) : Say(Msg::kDelimiterSemicolon);
}

// Columns with no name (empty or only spaces) are marked and read as "";
// two columns of the same name, or a header with no name at all, refused.
bool CheckHeaders(Table &table, TableError *error) {
  error->line = table.headerLine;
  table.unnamed.assign(table.headers.size(), false);
  // Each name's first column, looked up once per column: a header of many
  // columns costs time in proportion to them.
  std::unordered_map<std::string_view, size_t> first;
  first.reserve(table.headers.size());
  for (size_t i = 0; i < table.headers.size(); ++i) {
    if (table.headers[i].find_first_not_of(' ') == std::string::npos) {
      table.headers[i].clear();
      table.unnamed[i] = true;
      ++table.unnamedCount;
      continue;
    }
    auto [seen, added] = first.emplace(table.headers[i], i);
    if (!added) {
      error->message = Say(Msg::kHeaderTwice, {seen->second + 1, i + 1, table.headers[i]});
      return false;
    }
  }
  if (table.unnamedCount == table.headers.size()) {
    error->message = Say(Msg::kHeaderNoNames);
    return false;
  }
  return true;
}

// A row as wide as the header; a row that ends before columns with no
// name gets empty fields for them.
bool CheckWidth(const Table &table, TableRow &row, TableError *error) {
  const size_t width = table.headers.size();
  size_t n = row.fields.size();
  while (n < width && table.unnamed[n]) ++n;
  if (n == width) row.fields.resize(width);
  if (n == width) return true;
  n = row.fields.size();
  error->line = row.line;
  if (n < width)
    error->message = Say(Msg::kRowTooShort, {n, width, n + 1, table.headers[n]});
  else
    error->message = Say(Msg::kRowTooLong, {n, width, width + 1, table.headers.back()});
  return false;
}

}  // namespace

std::string GuessedDelimiterNote(const Table &table, const std::vector<std::string> *row) {
  if (!table.delimiterGuessed) return std::string();
  // Another delimiter would read the line otherwise only where it stands in
  // a column's name or in a field.
  std::string others = ";,\t";
  others.erase(others.find(table.delimiter), 1);
  bool inDoubt = false;
  for (const std::string &name : table.headers) inDoubt = inDoubt || name.find_first_of(others) != std::string::npos;
  if (row != nullptr)
    for (const std::string &field : *row) inDoubt = inDoubt || field.find_first_of(others) != std::string::npos;
  return inDoubt ? Say(Msg::kGuessedDelimiter, {DelimiterName(table.delimiter)}) : std::string();
}

size_t StringSource::Read(char *buffer, size_t size) {
  size_t n = bytes_.size() - at_ < size ? bytes_.size() - at_ : size;
  memcpy(buffer, bytes_.data() + at_, n);
  at_ += n;
  return n;
}

size_t FileSource::Read(char *buffer, size_t size) {
  size_t n = fread(buffer, 1, size, file_);
  if (n == 0 && ferror(file_)) failed = true;
  return n;
}

char DetectDelimiter(const std::string &text) {
  LineCounts counts[2];
  const size_t lines = CountLines(text, counts);
  if (lines >= 2) {
    for (char d : {'\t', ';', ','})
      if (counts[0].Of(d) > 0 && counts[0].Of(d) == counts[1].Of(d)) return d;
  }
  const LineCounts &h = counts[0];
  if (h.tabs > h.semicolons && h.tabs >= h.commas) return '\t';
  if (h.commas > h.semicolons && h.commas > h.tabs) return ',';
  return ';';
}

void TableStream::NoteOtherCodePage(const std::string &raw) {
  if (table_->otherCodePageLine > 0 ||
      (page_ != codec::CodePage::kCp1250 && page_ != codec::CodePage::kCp852))
    return;
  const codec::CodePage other =
      page_ == codec::CodePage::kCp1250 ? codec::CodePage::kCp852 : codec::CodePage::kCp1250;
  for (size_t i = 0; i < raw.size(); ++i) {
    const uint8_t byte = static_cast<uint8_t>(raw[i]);
    if (byte < 0x80) continue;
    int32_t here = codec::ByteToChar(page_, byte), there = codec::ByteToChar(other, byte);
    if (here > 0 && there > 0 && codec::IsBoxDrawing(static_cast<char32_t>(here)) &&
        codec::IsPolishLetter(static_cast<char32_t>(there))) {
      table_->otherCodePageLine = decodedLines_ + LineBreaks(raw, 0, i);
      table_->otherCodePage = other;
      return;
    }
  }
}

bool TableStream::Decode(const std::string &raw, TableError *error) {
  std::string text;
  size_t bad = 0;
  bool ok;
  if (table_->form == DataForm::kUtf16Le || table_->form == DataForm::kUtf16Be)
    ok = codec::DecodeUtf16ToUtf8(raw, table_->form == DataForm::kUtf16Be, &text, &bad);
  else
    ok = codec::DecodeToUtf8(page_, raw, &text, &bad);
  if (!ok) {
    error->line = decodedLines_ + LineBreaks(text, 0, text.size());
    const unsigned byte = static_cast<uint8_t>(raw[bad]);
    if (table_->form == DataForm::kUtf16Le || table_->form == DataForm::kUtf16Be) {
      error->message = Say(Msg::kNotUtf16Data, {lang::Hex(bad, 1)});
    } else if (page_ == codec::CodePage::kUtf8) {
      const char *guess = codec::CodePageName(codec::GuessPolishCodePage(raw));
      error->message = Say(Msg::kNotUtf8Data, {lang::Hex(byte), guess, guess});
    } else {
      error->message = Say(Msg::kNotCodePageData, {lang::Hex(byte), codec::CodePageName(page_)});
    }
    return false;
  }
  const size_t nul = text.find('\0');
  if (nul != std::string::npos) {
    error->line = decodedLines_ + LineBreaks(text, 0, nul);
    const bool utf16 = nul + 2 < text.size() && text[nul + 2] == '\0';
    error->message = Say(utf16 ? Msg::kNulUtf16 : Msg::kNulByte);
    return false;
  }
  NoteOtherCodePage(raw);
  decodedLines_ += LineBreaks(text, 0, text.size());
  text_ += text;
  return true;
}

bool TableStream::Fill(TableError *error) {
  if (ended_ || !error->message.empty()) return false;
  if (at_ > 0) {
    text_.erase(0, at_);
    at_ = 0;
  }
  std::string raw = std::move(pending_);
  pending_.clear();
  char buffer[kChunk];
  size_t n = source_.Read(buffer, sizeof buffer);
  if (source_.failed) {
    error->message = Say(Msg::kReadFailed);
    return false;
  }
  raw.append(buffer, n);
  if (!started_) {
    // A byte order mark may need a second read of a very short chunk.
    while (n > 0 && raw.size() < 3 && (n = source_.Read(buffer, sizeof buffer)) > 0)
      raw.append(buffer, n);
    started_ = true;
    if (raw.compare(0, 3, "\xEF\xBB\xBF") == 0) {
      if (page_ != codec::CodePage::kUtf8) {
        error->message = Say(Msg::kBomButCodePage, {codec::CodePageName(page_)});
        return false;
      }
      table_->form = DataForm::kUtf8Bom;
      raw.erase(0, 3);
    } else if (raw.compare(0, 2, "\xFF\xFE") == 0 || raw.compare(0, 2, "\xFE\xFF") == 0) {
      table_->form = raw[0] == '\xFF' ? DataForm::kUtf16Le : DataForm::kUtf16Be;
      raw.erase(0, 2);
    }
  }
  if (n == 0) ended_ = true;
  size_t cut = ended_ ? 0 : CutCharacter(raw, table_->form, page_);
  if (cut > 0) {
    pending_ = raw.substr(raw.size() - cut);
    raw.resize(raw.size() - cut);
  }
  if (!Decode(raw, error)) return false;
  return at_ < text_.size() || (!ended_ && Fill(error));
}

void TableStream::SkipLineEnd(TableError *error) {
  if (More(error) && text_[at_] == '\r') ++at_;
  if (More(error) && text_[at_] == '\n') ++at_;
  ++line_;
}

// A field that does not start with a quote; a quote inside it is a plain
// character (as spreadsheets read it), or, with `strict`, ends it.
void TableStream::UnquotedField(std::string *field, TableError *error) {
  field->clear();
  const bool quotesPlain = !options_.strict;
  bool quote = false;
  while (More(error)) {
    size_t end = at_;
    while (end < text_.size() && text_[end] != delimiter_ && !IsLineEnd(text_[end]) &&
           (quotesPlain || text_[end] != '"')) {
      quote |= text_[end] == '"';
      ++end;
    }
    field->append(text_, at_, end - at_);
    at_ = end;
    if (at_ < text_.size()) break;
  }
  if (quote && table_->bareQuotes++ == 0) table_->bareQuoteLine = line_;
}

// A first line "sep=X", as a spreadsheet writes it to name the delimiter:
// skipped, its X taken unless --delimiter was given.  Whether it was there.
bool TableStream::SepLine(TableError *error) {
  if (text_.size() - at_ < 5 || !StartsWithSep(text_, at_)) return false;
  const char d = text_[at_ + 4];
  if (d == '"' || IsLineEnd(d) || static_cast<unsigned char>(d) >= 0x80) return false;
  if (at_ + 5 < text_.size() && !IsLineEnd(text_[at_ + 5])) return false;
  at_ += 5;
  delimiter_ = d;
  SkipLineEnd(error);
  return true;
}

bool TableStream::QuotedField(std::string *field, int fieldNumber, TableError *error) {
  const int startLine = line_;
  ++at_;  // the opening quote
  field->clear();
  for (;;) {
    if (!More(error)) {
      if (Fail(error)) return false;
      error->line = startLine;
      error->message = Say(Msg::kFieldNotClosed, {fieldNumber});
      return false;
    }
    size_t end = text_.find_first_of("\"\r\n", at_);
    if (end == std::string::npos) end = text_.size();
    field->append(text_, at_, end - at_);
    at_ = end;
    if (at_ == text_.size()) continue;
    if (text_[at_] == '"') {
      ++at_;
      if (More(error) && text_[at_] == '"') {
        *field += '"';  // a quote written twice
        ++at_;
        continue;
      }
      return !Fail(error);  // the closing quote
    }
    // A line break inside the quotes belongs to the value, as it stands.
    const char c = text_[at_++];
    *field += c;
    if (c == '\r' && More(error) && text_[at_] == '\n') {
      *field += '\n';
      ++at_;
    }
    ++line_;
  }
}

bool TableStream::Record(TableRow *row, TableError *error) {
  row->line = line_;
  row->fields.clear();
  row->emptyLine = false;
  for (;;) {
    std::string field;
    const int fieldNumber = static_cast<int>(row->fields.size()) + 1;
    if (More(error) && text_[at_] == '"') {
      if (!QuotedField(&field, fieldNumber, error)) return false;
      if (More(error) && text_[at_] != delimiter_ && !IsLineEnd(text_[at_])) {
        error->line = line_;
        error->message = Say(Msg::kTextBehindQuote, {fieldNumber});
        return false;
      }
    } else {
      UnquotedField(&field, error);
      if (More(error) && text_[at_] == '"') {
        error->line = line_;
        error->message = Say(Msg::kQuoteInBareField, {fieldNumber});
        return false;
      }
    }
    if (Fail(error)) return false;
    row->fields.push_back(std::move(field));
    if (More(error) && text_[at_] == delimiter_) {
      ++at_;
      continue;
    }
    break;
  }
  if (More(error)) SkipLineEnd(error);
  return !Fail(error);
}

bool TableStream::ReadHeader(Table *table, TableError *error) {
  *table = Table();
  *error = TableError();
  table_ = table;
  page_ = options_.encoding;
  // The delimiter guess looks at the header and the first data row.
  LineCounts counts[2];
  while (!ended_ && text_.size() < kGuessLimit &&
         (CountLines(text_, counts) < 2 || !IsLineEnd(text_.back()))) {
    counts[0] = counts[1] = LineCounts();
    if (!Fill(error)) break;
  }
  if (Fail(error)) return false;
  table->sepLine = SepLine(error);
  if (options_.delimiter != 0) delimiter_ = options_.delimiter;
  else if (!table->sepLine) delimiter_ = DetectDelimiter(text_);
  table->delimiter = delimiter_;
  table->delimiterGuessed = options_.delimiter == 0 && !table->sepLine;
  while (More(error) && IsLineEnd(text_[at_])) SkipLineEnd(error);
  if (Fail(error)) return false;
  if (!More(error)) {
    if (!Fail(error)) error->message = Say(Msg::kEmptyFile);
    return false;
  }
  TableRow header;
  if (!Record(&header, error)) return false;
  table->headerLine = header.line;
  table->headers = std::move(header.fields);
  width_ = table->headers.size();
  if (!CheckHeaders(*table, error)) {
    error->message += GuessedDelimiterNote(*table, nullptr);
    return false;
  }
  return true;
}

bool TableStream::Next(TableRow *row, TableError *error) {
  if (haveHeld_) {
    if (emptyCount_ > 0) {
      row->line = emptyFirst_++;
      row->fields.assign(1, std::string());
      row->emptyLine = true;
      --emptyCount_;
      return true;
    }
    *row = std::move(held_);
    held_ = TableRow();
    haveHeld_ = false;
    return true;
  }
  while (More(error) && IsLineEnd(text_[at_])) {
    if (width_ == 1 && emptyCount_++ == 0) emptyFirst_ = line_;
    SkipLineEnd(error);
  }
  if (Fail(error) || !More(error)) return false;  // empty lines at the end are no rows
  if (!Record(row, error)) return false;
  if (!CheckWidth(*table_, *row, error)) {
    error->message += GuessedDelimiterNote(*table_, &row->fields);
    return false;
  }
  if (emptyCount_ == 0) return true;
  held_ = std::move(*row);
  haveHeld_ = true;
  return Next(row, error);
}

bool IsEmptyRow(const TableRow &row, const std::vector<bool> &unnamed) {
  for (size_t i = 0; i < row.fields.size(); ++i)
    if (!row.fields[i].empty() && (i >= unnamed.size() || !unnamed[i])) return false;
  return true;
}

bool ReadTable(const std::string &bytes, const TableOptions &options, Table *table,
               TableError *error) {
  StringSource source(bytes);
  TableStream stream(source, options);
  if (!stream.ReadHeader(table, error)) return false;
  TableRow row;
  while (stream.Next(&row, error)) table->rows.push_back(std::move(row));
  return error->message.empty();
}

}  // namespace merge
