// The data table: a header row and data rows, as a spreadsheet exports it
// (RFC 4180: fields in double quotes may hold delimiters, quotes written
// twice and line breaks; CR LF or LF line ends).  Its bytes are read by the
// tools' one reader (tools/reader): UTF-8 with or without its mark, UTF-16
// "Unicode text" exports with or without theirs, or a code page.
//
// The table is read as a stream, one row at a time, so that the memory a
// merge takes does not grow with the number of rows.
//
// Debian has no CSV library that builds for both the native and the i686
// MinGW build, so this reader is our own; fuzz/merge_fuzz.cpp holds it to
// a round trip.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

#include "tools/codec/code_pages.h"
#include "tools/reader/source.h"
#include "tools/reader/text_reader.h"

namespace table {

struct TableRow {
  int line = 0;                     // the file's line the row starts on (1-based)
  std::vector<std::string> fields;  // UTF-8, one per column
  bool emptyLine = false;           // an empty line of a one-column table
};

// Whether a row holds nothing to type: every field of a named column is
// empty (a spreadsheet writes its empty rows as ";;").
bool IsEmptyRow(const TableRow &row, const std::vector<bool> &unnamed);

// A field, and a row, longer than this is refused: no spreadsheet cell holds
// more than 32,767 characters, and a longer one is a file that is no table
// (it would take all memory).  A row's length counts each field's keep too,
// so that a million empty fields are bounded as well.
inline constexpr size_t kMaxFieldBytes = 1024 * 1024;
inline constexpr size_t kMaxRowBytes = 16 * 1024 * 1024;

struct Table {
  char delimiter = ';';
  bool delimiterGuessed = false;     // found from the first lines, not given
  reader::Form form = reader::Form::kBytes;  // as the first bytes show it
  codec::CodePage page = codec::CodePage::kUtf8;  // what the bytes were read as
  bool pageGuessed = false;          // a code page guessed by the Polish letters
  std::vector<std::string> headers;  // UTF-8, in file order
  int headerLine = 1;
  bool sepLine = false;              // the first line "sep=X" set the delimiter
  // Columns whose header is empty or only spaces: ignored (their header
  // is read as ""); unnamed[i] for column i, unnamedCount of them.
  std::vector<bool> unnamed;
  size_t unnamedCount = 0;
  // Fields that hold a quote but do not start with one, read as plain
  // characters (without --strict): how many, and the first one's line.
  size_t bareQuotes = 0;
  int bareQuoteLine = 0;
  // Once the whole table is read: an encoding (UTF-8 or the other code
  // page) that reads as Polish letters what `page` reads as box drawing or
  // foreign letters, and the first line where it shows.
  int otherCodePageLine = 0;         // 0: none
  codec::CodePage otherCodePage = codec::CodePage::kUtf8;
  // Once the whole table is read, when `page` was guessed: an encoding that
  // the Polish letters could not tell from `page`, the first line the two
  // read otherwise, and its first such word in each.
  int doubtLine = 0;                 // 0: none
  codec::CodePage doubtCodePage = codec::CodePage::kUtf8;
  std::string doubtWordRead, doubtWordOther;
};

struct TableOptions {
  char delimiter = 0;  // ';', ',' or '\t'; 0: found from the first lines
  codec::CodePage encoding = codec::CodePage::kUtf8;
  bool strict = false;  // a quote inside a field that does not start with one is an error
  // The encoding was not given: UTF-8, or the code page (cp1250, cp852) the
  // Polish letters show.
  bool guessEncoding = false;
};

struct TableError {
  int line = 0;         // 0: the file as a whole
  std::string message;  // UTF-8, without the file name
};

// The note an error of the table's shape (or of a column's name) gets when
// its delimiter was guessed and another one could have read the header, or
// `row` (may be null), otherwise: "" when the guess cannot be the cause.
std::string GuessedDelimiterNote(const Table &table, const std::vector<std::string> *row);

// Reads a table from a source, row by row.
class TableStream {
 public:
  TableStream(reader::ByteSource &source, const TableOptions &options);

  // The header row: fills `table`'s headers, delimiter and form; false with
  // `error` for a file that is no table.
  bool ReadHeader(Table *table, TableError *error);
  // The next data row: false at the end (with an empty `error`) or with
  // `error` for a row that does not fit the header, an unclosed quote or
  // bytes that are not in the encoding.  In a one-column table an empty
  // line inside the table is a row with an empty value (`emptyLine`);
  // empty lines at the end are no rows.  Other empty lines are skipped.
  bool Next(TableRow *row, TableError *error);
  // Where the data first read as box drawing in its code page (ReadHeader
  // and Next keep it up to date in the table they were given).
  const Table &table() const { return *table_; }

 private:
  bool Fill(TableError *error);
  void Explain(const reader::ReadError &problem, TableError *error) const;
  bool More(TableError *error) { return at_ < text_.size() || Fill(error); }
  bool Record(TableRow *row, TableError *error);
  bool SepLine(TableError *error);
  bool QuotedField(std::string *field, int fieldNumber, TableError *error);
  void UnquotedField(std::string *field, int fieldNumber, TableError *error);
  bool TooLong(const std::string &field, int fieldNumber, TableError *error);
  void SkipLineEnd(TableError *error);
  bool Fail(TableError *error) { return !error->message.empty(); }

  const TableOptions options_;
  reader::TextReader reader_;
  Table *table_ = nullptr;
  bool ended_ = false;
  std::string text_;      // decoded text not yet read
  std::string piece_;     // the reader's last piece
  size_t at_ = 0;
  int line_ = 1;          // the line of text_[at_]
  char delimiter_ = ';';
  size_t width_ = 0;
  // Empty lines of a one-column table, not yet known to be inside it.
  int emptyFirst_ = 0, emptyCount_ = 0;
  bool haveHeld_ = false;
  TableRow held_;         // the row behind them
};

// The delimiter of a table whose first lines are `text`: among ';', tab and
// ',' the ones that split the header and the first data row into the same
// number of fields, tab first, then ';'; when none does, the one found most
// often outside quotes in the header (';' first on a tie); ';' when there
// is none.
char DetectDelimiter(const std::string &text);

}  // namespace table
