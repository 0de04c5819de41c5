#include "tools/table/table_reader.h"

#include <string.h>

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "tools/messages/merge_texts.h"

namespace table {

using Msg = messages::MergeMsg;

namespace {

// How much text the delimiter guess may look at for the first two lines.
constexpr size_t kGuessLimit = 256 * 1024;

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// "sep=" in any letter case at `at`.
bool StartsWithSep(const std::string &text, size_t at) {
  return (text[at] | 0x20) == 's' && (text[at + 1] | 0x20) == 'e' &&
         (text[at + 2] | 0x20) == 'p' && text[at + 3] == '=';
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

reader::ReadSettings ReadSettingsOf(const TableOptions &options) {
  reader::ReadSettings settings;
  settings.page = options.encoding;
  settings.guess = options.guessEncoding;
  settings.guessAmong = reader::kTablePages;
  return settings;
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

TableStream::TableStream(reader::ByteSource &source, const TableOptions &options)
    : options_(options), reader_(source, ReadSettingsOf(options)) {}

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

void TableStream::Explain(const reader::ReadError &problem, TableError *error) const {
  error->line = problem.line;
  const char *page = codec::CodePageName(problem.page);
  switch (problem.problem) {
    case reader::ReadProblem::kNone:
    case reader::ReadProblem::kReadFailed:
      error->line = 0;
      error->message = Say(Msg::kReadFailed);
      break;
    case reader::ReadProblem::kBomButCodePage:
      error->line = 0;  // the file as a whole
      error->message = Say(Msg::kBomButCodePage, {page});
      break;
    case reader::ReadProblem::kNotUtf8: {
      const char *likely = codec::CodePageName(problem.likely);
      if (problem.inDoubt)
        error->message = Say(Msg::kNotUtf8DataInDoubt, {lang::Hex(problem.byte), likely,
                                                        codec::CodePageName(problem.alsoLikely)});
      else
        error->message = Say(Msg::kNotUtf8Data, {lang::Hex(problem.byte), likely, likely});
      break;
    }
    case reader::ReadProblem::kNotInCodePage:
      error->message = Say(Msg::kNotCodePageData, {lang::Hex(problem.byte), page});
      break;
    case reader::ReadProblem::kNotUtf16:
      error->message = Say(Msg::kNotUtf16Data, {lang::Hex(problem.offset, 1)});
      break;
    case reader::ReadProblem::kNul:
      error->message = Say(problem.nulsBetweenLetters ? Msg::kNulUtf16 : Msg::kNulByte);
      break;
  }
}

// The next piece of the text behind what is left unread.  At the end, the
// table learns whether another encoding would have read it better.
bool TableStream::Fill(TableError *error) {
  if (ended_ || !error->message.empty()) return false;
  if (at_ > 0) {
    text_.erase(0, at_);
    at_ = 0;
  }
  reader::ReadError problem;
  while (reader_.Next(&piece_, &problem)) {
    table_->form = reader_.form();
    table_->page = reader_.page();
    table_->pageGuessed = reader_.guessed();
    if (piece_.empty()) continue;
    if (text_.empty()) text_.swap(piece_);
    else text_ += piece_;
    return true;
  }
  table_->form = reader_.form();
  if (problem.problem != reader::ReadProblem::kNone) {
    Explain(problem, error);
    return false;
  }
  ended_ = true;
  reader_.BetterEncoding(&table_->otherCodePage, &table_->otherCodePageLine);
  if (reader_.EncodingInDoubt(&table_->doubtCodePage, &table_->doubtLine)) {
    const std::string word = reader_.weighing().FirstDifferentWord(table_->page, table_->doubtCodePage);
    table_->doubtWordRead = reader::WordAsUtf8(word, table_->page);
    table_->doubtWordOther = reader::WordAsUtf8(word, table_->doubtCodePage);
  }
  return at_ < text_.size();
}

void TableStream::SkipLineEnd(TableError *error) {
  if (More(error) && text_[at_] == '\r') ++at_;
  if (More(error) && text_[at_] == '\n') ++at_;
  ++line_;
}

bool TableStream::TooLong(const std::string &field, int fieldNumber, TableError *error) {
  if (field.size() <= kMaxFieldBytes) return false;
  error->line = line_;
  error->message = Say(Msg::kFieldTooLong, {fieldNumber, kMaxFieldBytes / 1024});
  return true;
}

// A field that does not start with a quote; a quote inside it is a plain
// character (as spreadsheets read it), or, with `strict`, ends it.
void TableStream::UnquotedField(std::string *field, int fieldNumber, TableError *error) {
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
    if (TooLong(*field, fieldNumber, error)) return;
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
    if (TooLong(*field, fieldNumber, error)) return false;
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
  size_t bytes = 0;
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
      UnquotedField(&field, fieldNumber, error);
      if (More(error) && text_[at_] == '"') {
        error->line = line_;
        error->message = Say(Msg::kQuoteInBareField, {fieldNumber});
        return false;
      }
    }
    if (Fail(error)) return false;
    bytes += field.size() + sizeof field;  // a field's text and its own keep
    if (bytes > kMaxRowBytes) {
      error->line = row->line;
      error->message = Say(Msg::kRowTooManyBytes, {kMaxRowBytes / (1024 * 1024)});
      return false;
    }
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

}  // namespace table
