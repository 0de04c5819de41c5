#include "tools/merge/table_reader.h"

#include <string.h>

namespace merge {

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

std::string Quoted(const std::string &name) { return "\"" + name + "\""; }

// Reads the records of a table, one at a time, from UTF-8 text.
class RecordReader {
 public:
  RecordReader(const std::string &text, char delimiter) : text_(text), delimiter_(delimiter) {}

  // The next record: false at the end of the text or on an error (then
  // `error` holds a message).  Empty lines are skipped.
  bool Next(TableRow *row, TableError *error);

 private:
  bool QuotedField(std::string *field, int fieldNumber, TableError *error);
  void UnquotedField(std::string *field);
  void SkipLineEnd();

  const std::string &text_;
  const char delimiter_;
  size_t at_ = 0;
  int line_ = 1;
};

void RecordReader::SkipLineEnd() {
  if (at_ < text_.size() && text_[at_] == '\r') ++at_;
  if (at_ < text_.size() && text_[at_] == '\n') ++at_;
  ++line_;
}

void RecordReader::UnquotedField(std::string *field) {
  size_t end = at_;
  while (end < text_.size() && text_[end] != delimiter_ && !IsLineEnd(text_[end]) &&
         text_[end] != '"')
    ++end;
  field->assign(text_, at_, end - at_);
  at_ = end;
}

bool RecordReader::QuotedField(std::string *field, int fieldNumber, TableError *error) {
  const int startLine = line_;
  ++at_;  // the opening quote
  field->clear();
  for (;;) {
    size_t end = text_.find_first_of("\"\r\n", at_);
    if (end == std::string::npos) {
      error->line = startLine;
      error->message = "field " + std::to_string(fieldNumber) +
                       " opens a quote that is never closed";
      return false;
    }
    field->append(text_, at_, end - at_);
    at_ = end;
    if (text_[at_] == '"') {
      if (at_ + 1 < text_.size() && text_[at_ + 1] == '"') {
        *field += '"';  // a quote written twice
        at_ += 2;
        continue;
      }
      ++at_;  // the closing quote
      return true;
    }
    // A line break inside the quotes belongs to the value, as it stands.
    if (text_[at_] == '\r' && at_ + 1 < text_.size() && text_[at_ + 1] == '\n') {
      field->append("\r\n");
      at_ += 2;
    } else {
      *field += text_[at_++];
    }
    ++line_;
  }
}

bool RecordReader::Next(TableRow *row, TableError *error) {
  while (at_ < text_.size() && IsLineEnd(text_[at_])) SkipLineEnd();
  if (at_ >= text_.size()) return false;
  row->line = line_;
  row->fields.clear();
  for (;;) {
    std::string field;
    const int fieldNumber = static_cast<int>(row->fields.size()) + 1;
    if (at_ < text_.size() && text_[at_] == '"') {
      if (!QuotedField(&field, fieldNumber, error)) return false;
      if (at_ < text_.size() && text_[at_] != delimiter_ && !IsLineEnd(text_[at_])) {
        error->line = line_;
        error->message = "field " + std::to_string(fieldNumber) +
                         " has text behind its closing quote (a quote inside a quoted field "
                         "is written twice: \"\")";
        return false;
      }
    } else {
      UnquotedField(&field);
      if (at_ < text_.size() && text_[at_] == '"') {
        error->line = line_;
        error->message = "field " + std::to_string(fieldNumber) +
                         " holds a quote but does not start with one (put the field in quotes "
                         "and write the quote twice: \"\")";
        return false;
      }
    }
    row->fields.push_back(std::move(field));
    if (at_ < text_.size() && text_[at_] == delimiter_) {
      ++at_;
      continue;
    }
    break;
  }
  if (at_ < text_.size()) SkipLineEnd();
  return true;
}

bool CheckHeaders(const Table &table, TableError *error) {
  error->line = table.headerLine;
  for (size_t i = 0; i < table.headers.size(); ++i) {
    if (table.headers[i].empty()) {
      error->message = "column " + std::to_string(i + 1) + " of the header row has no name";
      return false;
    }
    for (size_t k = 0; k < i; ++k) {
      if (table.headers[k] == table.headers[i]) {
        error->message = "columns " + std::to_string(k + 1) + " and " + std::to_string(i + 1) +
                         " have the same name " + Quoted(table.headers[i]);
        return false;
      }
    }
  }
  return true;
}

bool CheckWidth(const Table &table, const TableRow &row, TableError *error) {
  const size_t width = table.headers.size();
  if (row.fields.size() == width) return true;
  error->line = row.line;
  const std::string count = std::to_string(row.fields.size()) + " field" +
                            (row.fields.size() == 1 ? "" : "s");
  if (row.fields.size() < width) {
    error->message = "the row has " + count + " and the header " + std::to_string(width) +
                     ": column " + std::to_string(row.fields.size() + 1) + " " +
                     Quoted(table.headers[row.fields.size()]) + " is missing";
  } else {
    error->message = "the row has " + count + " and the header " + std::to_string(width) +
                     ": field " + std::to_string(width + 1) + " stands behind the last column " +
                     Quoted(table.headers.back());
  }
  return false;
}

int LineOf(const std::string &bytes, size_t offset) {
  int line = 1;
  for (size_t i = 0; i < offset && i < bytes.size(); ++i) {
    if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')))
      ++line;
  }
  return line;
}

}  // namespace

char DetectDelimiter(const std::string &text) {
  size_t semicolons = 0, tabs = 0, commas = 0;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;  // a doubled quote toggles twice
    if (quoted) continue;
    if (IsLineEnd(c)) break;
    semicolons += c == ';';
    tabs += c == '\t';
    commas += c == ',';
  }
  if (tabs > semicolons && tabs >= commas) return '\t';
  if (commas > semicolons && commas > tabs) return ',';
  return ';';
}

bool ReadTable(const std::string &bytes, const TableOptions &options, Table *table,
               TableError *error) {
  *table = Table();
  *error = TableError();
  const bool bom = bytes.compare(0, 3, kUtf8Bom) == 0;
  if (bom && options.encoding != codec::CodePage::kUtf8) {
    error->message = std::string("the file starts with UTF-8's byte order mark, but is read as ") +
                     codec::CodePageName(options.encoding) + " (try --data-encoding utf-8)";
    return false;
  }
  const std::string raw = bom ? bytes.substr(3) : bytes;
  std::string text;
  size_t bad = 0;
  if (!codec::DecodeToUtf8(options.encoding, raw, &text, &bad)) {
    error->line = LineOf(raw, bad);
    char hex[8];
    snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(static_cast<uint8_t>(raw[bad])));
    error->message = std::string("the byte ") + hex + " is not " +
                     codec::CodePageName(options.encoding) + " text" +
                     (options.encoding == codec::CodePage::kUtf8
                          ? " (a spreadsheet export? try --data-encoding cp1250 or cp852)"
                          : "");
    return false;
  }
  if (memchr(text.data(), 0, text.size()) != nullptr) {
    error->line = LineOf(text, text.find('\0'));
    error->message = "the file holds a NUL byte: it is no text table";
    return false;
  }
  table->delimiter = options.delimiter != 0 ? options.delimiter : DetectDelimiter(text);
  RecordReader reader(text, table->delimiter);
  TableRow header;
  if (!reader.Next(&header, error)) {
    if (error->message.empty()) error->message = "the file is empty: it has no header row";
    return false;
  }
  table->headerLine = header.line;
  table->headers = std::move(header.fields);
  if (!CheckHeaders(*table, error)) return false;
  TableRow row;
  while (reader.Next(&row, error)) {
    if (!CheckWidth(*table, row, error)) return false;
    table->rows.push_back(std::move(row));
    row = TableRow();
  }
  if (!error->message.empty()) return false;
  *error = TableError();
  return true;
}

}  // namespace merge
