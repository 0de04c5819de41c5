// Fuzz target: tastiro-merge's table reader and placeholder parser, and the
// round trip of a merge.
//
// Input: one mode byte (the data's encoding and delimiter), a 16-bit length
// and that many template bytes, then the table's bytes.
//
// Invariants:
//   - a table the reader reads, written back with every field quoted, reads
//     back the same;
//   - a merge that succeeds, played through the player on the simulated
//     host, types exactly the template's text with each value in place, row
//     after row ('[' as the key for '[', a line break as the key for Enter, a tab as
//     the key for Tab, a non-breaking space as a space),
//     and types no text and runs no command;
//   - a merge that fails names a value with a character the host cannot type.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "plugin/contract/mazovia.h"
#include "tools/check/checker.h"
#include "tools/merge/merger.h"
#include "tools/merge/table_reader.h"
#include "tools/merge/template.h"

#define MERGE_CHECK(condition, ...)                                   \
  do {                                                                \
    if (!(condition)) {                                               \
      fprintf(stderr, "broken: " __VA_ARGS__);                        \
      fprintf(stderr, "\n");                                          \
      abort();                                                        \
    }                                                                 \
  } while (0)

namespace {

constexpr uint32_t kBracketCode = '[';
constexpr uint32_t kLineBreakCode = 13;
constexpr uint32_t kTabCode = 9;
const char kKeys[] = "#define LB 0x5B\n#define NL 13\n#define TB 9\n";

std::string QuotedTable(const merge::Table &table) {
  std::string text;
  auto row = [&](const std::vector<std::string> &fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
      if (i > 0) text += table.delimiter;
      text += '"';
      for (char c : fields[i]) text += c == '"' ? std::string("\"\"") : std::string(1, c);
      text += '"';
    }
    text += "\r\n";
  };
  row(table.headers);
  for (const merge::TableRow &r : table.rows) row(r.fields);
  return text;
}

void ReaderRoundTrip(const merge::Table &table) {
  merge::Table again;
  merge::TableError error;
  merge::TableOptions options;
  options.delimiter = table.delimiter;
  MERGE_CHECK(merge::ReadTable(QuotedTable(table), options, &again, &error), "rewritten table: %s",
              error.message.c_str());
  MERGE_CHECK(again.headers == table.headers, "headers differ");
  // Rows of one empty field are empty lines once written unquoted, but
  // quoted they stay.
  MERGE_CHECK(again.rows.size() == table.rows.size(), "%zu rows, then %zu", table.rows.size(),
              again.rows.size());
  for (size_t i = 0; i < table.rows.size(); ++i)
    MERGE_CHECK(again.rows[i].fields == table.rows[i].fields, "row %zu differs", i + 1);
}

// What the player must type for a value: host characters, the '[' key and
// the line-break key; false when a character cannot be typed.
bool ExpectedValue(const std::string &value, std::vector<uint32_t> *keys) {
  for (size_t i = 0; i < value.size();) {
    char32_t c = 0;
    codec::NextUtf8(value, i, &c);
    if (c == '[') {
      keys->push_back(kBracketCode);
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i < value.size() && value[i] == '\n') ++i;
      keys->push_back(kLineBreakCode);
    } else if (c == '\t') {
      keys->push_back(kTabCode);
    } else if (merge::IsNonBreakingSpace(c)) {
      keys->push_back(' ');
    } else if (merge::Typeable(codec::CodePage::kUtf8, c)) {
      keys->push_back(static_cast<uint32_t>(UnicodeToMazovia(c)));
    } else {
      return false;
    }
  }
  return true;
}

// The template from the input: bytes below 0x10 stand for placeholders of
// the columns (and {{#}}), printable ASCII other than brackets for itself,
// line feeds for line breaks.
std::string TemplateOf(const std::string &bytes, const merge::Table &table) {
  std::string tpl;
  for (char c : bytes) {
    uint8_t byte = static_cast<uint8_t>(c);
    if (byte < 0x10 && byte != '\n') {
      size_t column = byte % (table.headers.size() + 1);
      tpl += "{{" + (column == table.headers.size() ? std::string("#") : table.headers[column]) + "}}";
    } else if (byte == '\n' || (byte >= 0x20 && byte <= 0x7E && byte != '[' && byte != ']')) {
      tpl += c;
    }
  }
  return tpl;
}

void MergeRoundTrip(const std::string &templateInput, const merge::Table &table) {
  const std::string tpl = TemplateOf(templateInput, table);
  std::vector<merge::TemplatePiece> pieces;
  merge::TemplateError templateError;
  if (!merge::ParseTemplate(tpl, codec::CodePage::kUtf8, table.headers, &pieces, &templateError))
    return;
  // Column names can bring any byte into the template's text (behind a
  // literal "{{"); brackets and what the host cannot type are the template
  // author's business, outside this round trip.
  for (const merge::TemplatePiece &piece : pieces) {
    if (piece.placeholder) continue;
    for (size_t i = piece.offset; i < piece.offset + piece.length; ++i) {
      uint8_t byte = static_cast<uint8_t>(tpl[i]);
      if (byte == '[' || byte == ']' || byte > 0x7E || (byte < 0x20 && byte != '\n')) return;
    }
  }

  merge::MergeSources sources;
  sources.dataName = "data.csv";
  sources.templateBytes = &tpl;
  sources.pieces = &pieces;
  sources.table = &table;
  sources.endRow = table.rows.size() < 50 ? table.rows.size() : 50;
  merge::MergeSettings settings;
  settings.bracketKey = "LB";
  settings.newlineKey = "NL";
  settings.tabKey = "TB";
  merge::MergeResult merged;
  std::string error;
  const bool ok = merge::MergeTable(sources, settings, &merged, &error);

  std::vector<uint32_t> expected;
  bool typeable = true;
  for (size_t row = sources.firstRow; row < sources.endRow; ++row) {
    for (const merge::TemplatePiece &piece : pieces) {
      if (!piece.placeholder) {
        for (size_t i = piece.offset; i < piece.offset + piece.length; ++i)
          if (tpl[i] != '\r' && tpl[i] != '\n') expected.push_back(static_cast<uint8_t>(tpl[i]));
      } else if (piece.column == merge::kRowNumber) {
        for (char digit : std::to_string(row + 1)) expected.push_back(static_cast<uint8_t>(digit));
      } else {
        typeable = ExpectedValue(table.rows[row].fields[static_cast<size_t>(piece.column)],
                                 &expected) && typeable;
      }
    }
  }
  MERGE_CHECK(ok == typeable, "merge %s, values %s typeable: %s", ok ? "succeeded" : "failed",
              typeable ? "all" : "not all", error.c_str());
  if (!ok) return;

  check::FileText keys{"keys.h", true, kKeys, ""};
  check::FileText macro{"merged.txt", true, merged.macro, ""};
  check::PlayOptions play;
  check::CheckResult played = check::RunCheck(keys, {macro}, play);
  const check::MacroReport &m = played.macros.front();
  MERGE_CHECK(m.textsTyped == 0 && m.commandsRun == 0, "%u texts, %u commands", m.textsTyped,
              m.commandsRun);
  std::vector<uint32_t> typed;
  for (uint32_t key : m.postedKeys) typed.push_back(key & 0xFFFF);
  MERGE_CHECK(typed == expected, "typed %zu keys, expected %zu", typed.size(), expected.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > (1u << 14)) return 0;
  fuzz::FuzzInput input(data, size);
  const uint8_t mode = input.Byte();
  const std::string templateInput = input.Bytes(input.U16() % 512);
  const std::string bytes = input.Rest();

  static const codec::CodePage kEncodings[] = {codec::CodePage::kUtf8, codec::CodePage::kCp1250,
                                               codec::CodePage::kCp852};
  static const char kDelimiters[] = {0, ';', ',', '\t'};
  merge::TableOptions options;
  options.encoding = kEncodings[(mode & 3) % 3];
  options.delimiter = kDelimiters[(mode >> 2) & 3];
  merge::Table table;
  merge::TableError error;
  if (!merge::ReadTable(bytes, options, &table, &error)) {
    MERGE_CHECK(!error.message.empty(), "a failed read without a message");
    return 0;
  }
  ReaderRoundTrip(table);
  MergeRoundTrip(templateInput, table);
  return 0;
}
