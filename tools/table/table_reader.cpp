#include "tools/table/table_reader.h"

#include "tools/texts/merge_texts.h"

namespace merge {

namespace {

// How much text the delimiter guess may look at for the first two lines.
constexpr size_t kGuessLimit = 256 * 1024;

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// The counts of ';', tab and ',' outside quotes on each of the first two
// lines that are not empty.
struct LineCounts {
  size_t semicolons = 0, tabs = 0, commas = 0;
  size_t Of(char d) const { return d == ';' ? semicolons : d == '\t' ? tabs : commas; }
};

size_t CountLines(const std::string &text, LineCounts counts[2]) {
  size_t lines = 0;
  bool quoted = false, any = false;
  for (size_t i = 0; i < text.size() && lines < 2; ++i) {
    const char c = text[i];
    if (c == '"') quoted = !quoted;  // a doubled quote toggles twice
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

const char *DelimiterName(char d) {
  return d == '\t' ? msg::kDelimiterTab : d == ',' ? msg::kDelimiterComma : msg::kDelimiterSemicolon;
}

bool CheckHeaders(const Table &table, TableError *error) {
  error->line = table.headerLine;
  for (size_t i = 0; i < table.headers.size(); ++i) {
    if (table.headers[i].empty()) {
      error->message = Format(msg::kHeaderNoName, i + 1);
      return false;
    }
    for (size_t k = 0; k < i; ++k) {
      if (table.headers[k] == table.headers[i]) {
        error->message = Format(msg::kHeaderTwice, k + 1, i + 1, table.headers[i].c_str());
        return false;
      }
    }
  }
  return true;
}

bool CheckWidth(const Table &table, const TableRow &row, TableError *error) {
  const size_t width = table.headers.size();
  const size_t n = row.fields.size();
  if (n == width) return true;
  error->line = row.line;
  if (n < width)
    error->message = Format(msg::kRowTooShort, n, n == 1 ? "" : "s", width, n + 1,
                            table.headers[n].c_str());
  else
    error->message = Format(msg::kRowTooLong, n, n == 1 ? "" : "s", width, width + 1,
                            table.headers.back().c_str());
  return false;
}

// An error that may follow from a guessed delimiter says so.
void NameTheGuess(const Table &table, TableError *error) {
  if (table.delimiterGuessed)
    error->message += Format(msg::kGuessedDelimiter, DelimiterName(table.delimiter));
}

text::ReadSettings ReadSettingsOf(const TableOptions &options) {
  text::ReadSettings settings;
  settings.page = options.encoding;
  settings.guess = options.guessEncoding;
  settings.guessAmong = text::kTablePages;
  return settings;
}

}  // namespace

TableStream::TableStream(text::ByteSource &source, const TableOptions &options)
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

void TableStream::Explain(const text::ReadError &problem, TableError *error) const {
  error->line = problem.line;
  const char *page = codec::CodePageName(problem.page);
  switch (problem.problem) {
    case text::ReadProblem::kNone:
    case text::ReadProblem::kReadFailed:
      error->line = 0;
      error->message = lang::Str(msg::kReadFailed);
      break;
    case text::ReadProblem::kBomButCodePage:
      error->line = 0;  // the file as a whole
      error->message = Format(msg::kBomButCodePage, page);
      break;
    case text::ReadProblem::kNotUtf8: {
      const char *likely = codec::CodePageName(problem.likely);
      error->message = Format(msg::kNotUtf8Data, problem.byte, likely, likely);
      break;
    }
    case text::ReadProblem::kNotInCodePage:
      error->message = Format(msg::kNotCodePageData, problem.byte, page);
      break;
    case text::ReadProblem::kNotUtf16:
      error->message = Format(msg::kNotUtf16Data, problem.offset);
      break;
    case text::ReadProblem::kNul:
      error->message = lang::Str(problem.nulsBetweenLetters ? msg::kNulUtf16 : msg::kNulByte);
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
  text::ReadError problem;
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
  if (problem.problem != text::ReadProblem::kNone) {
    Explain(problem, error);
    return false;
  }
  ended_ = true;
  reader_.BetterEncoding(&table_->otherCodePage, &table_->otherCodePageLine);
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
  error->message = Format(msg::kFieldTooLong, fieldNumber, kMaxFieldBytes / 1024);
  return true;
}

void TableStream::UnquotedField(std::string *field, int fieldNumber, TableError *error) {
  field->clear();
  while (More(error)) {
    size_t end = at_;
    while (end < text_.size() && text_[end] != delimiter_ && !IsLineEnd(text_[end]) &&
           text_[end] != '"')
      ++end;
    field->append(text_, at_, end - at_);
    at_ = end;
    if (TooLong(*field, fieldNumber, error) || at_ < text_.size()) return;
  }
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
      error->message = Format(msg::kFieldNotClosed, fieldNumber);
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
        error->message = Format(msg::kTextBehindQuote, fieldNumber);
        return false;
      }
    } else {
      UnquotedField(&field, fieldNumber, error);
      if (More(error) && text_[at_] == '"') {
        error->line = line_;
        error->message = Format(msg::kQuoteInBareField, fieldNumber);
        return false;
      }
    }
    if (Fail(error)) return false;
    bytes += field.size() + sizeof field;  // a field's text and its own keep
    if (bytes > kMaxRowBytes) {
      error->line = row->line;
      error->message = Format(msg::kRowTooManyBytes, kMaxRowBytes / (1024 * 1024));
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
  table->delimiter = options_.delimiter != 0 ? options_.delimiter : DetectDelimiter(text_);
  table->delimiterGuessed = options_.delimiter == 0;
  delimiter_ = table->delimiter;
  while (More(error) && IsLineEnd(text_[at_])) SkipLineEnd(error);
  if (Fail(error)) return false;
  if (!More(error)) {
    if (!Fail(error)) error->message = lang::Str(msg::kEmptyFile);
    return false;
  }
  TableRow header;
  if (!Record(&header, error)) return false;
  table->headerLine = header.line;
  table->headers = std::move(header.fields);
  width_ = table->headers.size();
  if (!CheckHeaders(*table, error)) {
    NameTheGuess(*table, error);
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
    NameTheGuess(*table_, error);
    return false;
  }
  if (emptyCount_ == 0) return true;
  held_ = std::move(*row);
  haveHeld_ = true;
  return Next(row, error);
}

bool ReadTable(const std::string &bytes, const TableOptions &options, Table *table,
               TableError *error) {
  text::StringSource source(bytes);
  TableStream stream(source, options);
  if (!stream.ReadHeader(table, error)) return false;
  TableRow row;
  while (stream.Next(&row, error)) table->rows.push_back(std::move(row));
  return error->message.empty();
}

}  // namespace merge
