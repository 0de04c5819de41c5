// The template: a macro whose placeholders name the table's columns.
//
//   {{Name}}   the value of the column whose header is Name (exact match)
//   {{#}}      the row's number in the table (1 for the first data row)
//   {{{{       a literal "{{"
//
// Every other byte is copied as it stands.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

#include "tools/codec/code_pages.h"

namespace merger {

inline constexpr int kRowNumber = -1;

// One piece of the template: a run of its bytes, or a placeholder.
struct TemplatePiece {
  bool placeholder = false;
  size_t offset = 0;  // where the piece starts in the template
  size_t length = 0;  // literal: the bytes to copy; placeholder: its whole text
  int column = 0;     // placeholder: the column's index, or kRowNumber
};

struct TemplateError {
  size_t offset = 0;    // where the faulty placeholder starts
  std::string message;  // UTF-8
};

// Splits `bytes` (a macro in `page`) into pieces, each placeholder resolved
// against `headers` (UTF-8); false with `error` for a placeholder that is
// not closed on its line, has no name, or names no column.
bool ParseTemplate(const std::string &bytes, codec::CodePage page,
                   const std::vector<std::string> &headers, std::vector<TemplatePiece> *pieces,
                   TemplateError *error);

// A macro text (template, --before, --after, a recording) as it is typed:
// its UTF-8 byte order mark skipped, read in `from` and written in `to`.
// False with a message that names `path`, the line and column, and for
// text that is not UTF-8 the likely code page and --template-encoding.
bool ReadMacroText(const std::string &path, const std::string &bytes, codec::CodePage from,
                   codec::CodePage to, std::string *out, std::string *error);

}  // namespace merger
