// The data table: a header row and data rows, as a spreadsheet exports it
// (RFC 4180: fields in double quotes may hold delimiters, quotes written
// twice and line breaks; CR LF or LF line ends; a UTF-8 byte order mark).
//
// Debian has no CSV library that builds for both the native and the i686
// MinGW build, so this reader is our own; fuzz/merge_fuzz.cpp holds it to
// a round trip.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

#include "tools/codec/code_pages.h"

namespace merge {

struct TableRow {
  int line = 0;                     // the file's line the row starts on (1-based)
  std::vector<std::string> fields;  // UTF-8, one per column
};

struct Table {
  char delimiter = ';';
  std::vector<std::string> headers;  // UTF-8, in file order
  int headerLine = 1;
  std::vector<TableRow> rows;        // the data rows, header excluded
};

struct TableOptions {
  char delimiter = 0;  // ';', ',' or '\t'; 0: found from the header row
  codec::CodePage encoding = codec::CodePage::kUtf8;
};

struct TableError {
  int line = 0;         // 0: the file as a whole
  std::string message;  // UTF-8, without the file name
};

// Reads `bytes` into `table`; false with `error` for a file that is not a
// table: no header row, an empty or repeated column name, a row with too
// few or too many fields, an unclosed quote, bytes that are not in the
// encoding.  Lines with no character at all are skipped.
bool ReadTable(const std::string &bytes, const TableOptions &options, Table *table,
               TableError *error);

// The delimiter a header row uses: the one of ';', tab and ',' found most
// often outside quotes (';' first on a tie); ';' when there is none.
char DetectDelimiter(const std::string &text);

}  // namespace merge
