// Fuzz target: tastiro-merge's table reader and placeholder parser, and the
// round trip of a merge.
//
// Input: one mode byte (the data's encoding, the delimiter, the template's
// encoding), a 16-bit length and that many template bytes, then the table's
// bytes.
//
// Invariants:
//   - a table the reader reads, written back with every field quoted, reads
//     back the same;
//   - a merge that succeeds, played through the player on the simulated
//     host, types exactly the template's text with each value in place, row
//     after row ('[' as the key for '[', a line break as the key for Enter, a tab as
//     the key for Tab, a non-breaking space as a space),
//     and types no text and runs no command;
//   - a merge that fails names a value with a character the host cannot type;
//   - a table written in cp1250 or cp852 (when its text has those
//     characters) reads back the same with that --data-encoding;
//   - a template saved in utf-8, cp1250 or cp852 and read with that
//     --template-encoding is the same template;
//   - a template learnt from the first row as the merge renders it, merged
//     again with that row, renders it identically;
//   - for any cut of a played run (its log up to any key, then a stop),
//     --resume finds as the first row to type the first row not typed
//     whole (rows that type no key aside), a cut row only where the run
//     stopped inside a row, and "all typed" only when every row went in;
//     empty rows left out (their numbers kept) or, with --keep-empty-rows,
//     typed.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "plugin/contract/mazovia.h"
#include "tools/checker/checker.h"
#include "tools/merger/learn.h"
#include "tools/merger/merger.h"
#include "tools/table/table_reader.h"
#include "tools/merger/template.h"
#include "tests/merge/resume_support.h"
#include "tests/merge/table_support.h"

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

std::string QuotedTable(const table_support::WholeTable &table) {
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
  for (const table::TableRow &r : table.rows) row(r.fields);
  return text;
}

// UTF-8 text in an 8-bit code page; false when a character has no byte.
bool Encode(const std::string &utf8, codec::CodePage page, std::string *out) {
  out->clear();
  for (size_t i = 0; i < utf8.size();) {
    char32_t c = 0;
    if (!codec::NextUtf8(utf8, i, &c)) return false;
    int byte = codec::CharToByte(page, c);
    if (byte <= 0 && c != 0) return false;
    *out += static_cast<char>(byte);
  }
  return true;
}

void ReaderRoundTrip(const table_support::WholeTable &table, codec::CodePage page) {
  table_support::WholeTable again;
  table::TableError error;
  table::TableOptions options;
  options.delimiter = table.delimiter;
  std::string bytes = QuotedTable(table);
  if (page != codec::CodePage::kUtf8) {
    std::string encoded;
    if (Encode(bytes, page, &encoded)) {
      bytes = encoded;
      options.encoding = page;
    }
  }
  MERGE_CHECK(table_support::ReadTable(bytes, options, &again, &error), "rewritten table: %s",
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
    } else if (merger::IsNonBreakingSpace(c)) {
      keys->push_back(' ');
    } else if (merger::PlainPunctuation(c) != nullptr &&
               !merger::Typeable(codec::CodePage::kUtf8, c)) {
      for (const char *p = merger::PlainPunctuation(c); *p != 0; ++p) keys->push_back(*p);
    } else if (merger::Typeable(codec::CodePage::kUtf8, c)) {
      keys->push_back(static_cast<uint32_t>(UnicodeToMazovia(c)));
    } else {
      return false;
    }
  }
  return true;
}

// The template from the input: bytes below 0x10 stand for placeholders of
// the columns (and {{#}}), printable ASCII other than brackets for itself,
// line feeds for line breaks, bytes from 0x80 for Polish letters.
std::string TemplateOf(const std::string &bytes, const table_support::WholeTable &table) {
  static const char32_t kLetters[] = {0x0104, 0x0105, 0x0106, 0x0107, 0x0118, 0x0119,
                                      0x0141, 0x0142, 0x0143, 0x0144, 0x00D3, 0x00F3,
                                      0x015A, 0x015B, 0x0179, 0x017A, 0x017B, 0x017C};
  std::string tpl;
  for (char c : bytes) {
    uint8_t byte = static_cast<uint8_t>(c);
    if (byte >= 0x80) {
      codec::AppendUtf8(tpl, kLetters[byte % 18]);
    } else if (byte < 0x10 && byte != '\n') {
      size_t column = byte % (table.headers.size() + 1);
      tpl += "{{" + (column == table.headers.size() ? std::string("#") : table.headers[column]) + "}}";
    } else if (byte == '\n' || (byte >= 0x20 && byte <= 0x7E && byte != '[' && byte != ']')) {
      tpl += c;
    }
  }
  return tpl;
}

// The template saved in `page` and read back with --template-encoding.
void TemplateEncodingRoundTrip(const std::string &tpl, codec::CodePage page) {
  std::string saved = tpl;
  if (page != codec::CodePage::kUtf8 && !Encode(tpl, page, &saved)) return;
  std::string read, error;
  if (!merger::ReadMacroText("t.txt", saved, page, codec::CodePage::kUtf8, &read, &error)) {
    MERGE_CHECK(page == codec::CodePage::kUtf8, "saved in %s, not read back: %s",
                codec::CodePageName(page), error.c_str());
    return;  // a column name brought bytes that are no UTF-8 into the template
  }
  MERGE_CHECK(read == tpl, "the template read back from %s differs", codec::CodePageName(page));
}

// Merges rows [first, end) of `table` with an already parsed template, the
// brackets, line breaks and tabs typed as kKeys' LB, NL and TB.
bool MergeParsed(const std::string &tpl, const std::vector<merger::TemplatePiece> &pieces,
                 const table_support::WholeTable &table, size_t first, size_t end, merger::MergeResult *merged,
                 std::string *error) {
  merger::MergeSources sources;
  sources.dataName = "data.csv";
  sources.templateBytes = &tpl;
  sources.pieces = &pieces;
  merger::MergeSettings settings;
  settings.bracketKey = "LB";
  settings.newlineKey = "NL";
  settings.tabKey = "TB";
  return table_support::MergeTable(sources, settings, table, first, end, merged, error);
}

// Merges rows [first, end) of `table` with `tpl`; false when it cannot.
bool MergeRows(const std::string &tpl, const table_support::WholeTable &table, size_t first, size_t end,
               std::string *macro) {
  std::vector<merger::TemplatePiece> pieces;
  merger::TemplateError templateError;
  if (!merger::ParseTemplate(tpl, codec::CodePage::kUtf8, table.headers, &pieces, &templateError))
    return false;
  merger::MergeResult merged;
  std::string error;
  if (!MergeParsed(tpl, pieces, table, first, end, &merged, &error)) return false;
  *macro = merged.macro;
  return true;
}

// The first row as the merge renders it, taken for a recording: the
// template learnt from it renders that row identically.
void LearnRoundTrip(const std::string &tpl, const table_support::WholeTable &table) {
  if (table.rows.empty()) return;
  std::string recording;
  if (!MergeRows(tpl, table, 0, 1, &recording)) return;
  merger::LearnOptions options;
  options.bracketKey = "LB";
  options.newlineKey = "NL";
  options.tabKey = "TB";
  merger::LearnResult learnt = merger::Learn(recording, table.headers, table.rows[0], options);
  std::string again;
  MERGE_CHECK(MergeRows(learnt.templateText, table, 0, 1, &again),
              "the learnt template does not merge");
  // The merge puts a line break behind a row that does not end with one.
  if (again.size() == recording.size() + 1 && again.back() == '\n') again.pop_back();
  if (again.size() == recording.size() + 2 && again.compare(again.size() - 2, 2, "\r\n") == 0)
    again.resize(recording.size());
  MERGE_CHECK(again == recording, "the learnt template renders the row differently");
}

// The merged rows' bytes: where each row's keys start and end.
struct RowPlaces {
  std::string macro;
  std::vector<size_t> firstKey, lastKeyEnd;  // equal: the row types no key
};

RowPlaces PlacesOf(const std::string &tpl, const std::vector<merger::TemplatePiece> &pieces,
                   const table_support::WholeTable &table, size_t endRow, bool keepEmptyRows,
                   merger::MergeSources *sources, merger::MergeSettings *settings) {
  sources->dataName = "data.csv";
  sources->templateBytes = &tpl;
  sources->pieces = &pieces;
  sources->headers = &table.headers;
  settings->bracketKey = "LB";
  settings->newlineKey = "NL";
  settings->tabKey = "TB";
  merger::MergeResult piece;
  merger::RowMerger merger(*sources, *settings, &piece);
  RowPlaces places;
  for (size_t row = 0; row < endRow; ++row) {
    size_t start = piece.macro.size();
    if (keepEmptyRows || !table::IsEmptyRow(table.rows[row], table.unnamed))
      merger.Row(table.rows[row], row);
    size_t end = piece.macro.size();
    while (end > start && (piece.macro[end - 1] == '\n' || piece.macro[end - 1] == '\r')) --end;
    while (start < end && (piece.macro[start] == '\n' || piece.macro[start] == '\r')) ++start;
    places.firstKey.push_back(start);
    places.lastKeyEnd.push_back(end);
  }
  places.macro = piece.macro;
  return places;
}

// A run stopped after `cut` bytes of the macro, and --resume on its log.
void ResumeRoundTrip(const std::string &tpl, const std::vector<merger::TemplatePiece> &pieces,
                     const table_support::WholeTable &table, size_t endRow, const std::string &tableBytes,
                     const table::TableOptions &options, size_t seed) {
  if (endRow == 0) return;  // no rows: the merge makes no log
  merger::MergeSources sources;
  merger::MergeSettings settings;
  const bool keepEmptyRows = (seed >> 16) & 1;
  const RowPlaces places = PlacesOf(tpl, pieces, table, endRow, keepEmptyRows, &sources, &settings);
  size_t cut = seed % (places.macro.size() + 1);
  // ... and between two characters (a UTF-8 sequence is one key).
  while (cut > 0 && cut < places.macro.size() &&
         (static_cast<unsigned char>(places.macro[cut]) & 0xC0) == 0x80)
    --cut;
  // A stop falls between two keys, never inside a bracketed word.
  const size_t open = places.macro.rfind('[', cut == 0 ? 0 : cut - 1);
  if (cut > 0 && open != std::string::npos && places.macro.find(']', open) >= cut) cut = open;
  const checker::FileText keys{"keys.h", true, kKeys, ""};
  const std::string log = merger::LogHeaderLine(1, endRow, "t.txt", "data.csv") + "\r\n" +
                          resume_support::RunLog(places.macro.substr(0, cut), keys,
                                                 resume_support::RunEnd::kStopped);
  merger::LogReader reader(log);
  merger::MergedUnits units(
      [&tableBytes] { return std::unique_ptr<reader::ByteSource>(new reader::StringSource(tableBytes)); },
      options, sources, settings, keepEmptyRows);
  merger::ResumePoint point;
  std::string error;
  MERGE_CHECK(merger::FindResumePoint(reader, units, keys, 1, &point, &error), "resume: %s",
              error.c_str());
  size_t next = 0;  // the first row (from 1) that types a key and was not typed whole
  for (size_t row = 0; row < endRow && next == 0; ++row)
    if (places.lastKeyEnd[row] > cut && places.firstKey[row] < places.lastKeyEnd[row]) next = row + 1;
  using Found = merger::ResumePoint::Found;
  MERGE_CHECK((point.found == Found::kAllTyped) == (next == 0),
              "cut at %zu of %zu bytes, %zu rows: found %d, next %zu, expected %zu", cut,
              places.macro.size(), endRow, static_cast<int>(point.found), point.next, next);
  if (next == 0) return;
  MERGE_CHECK(point.next >= 1 && point.next <= next, "cut at %zu: next row %zu, expected %zu", cut,
              point.next, next);
  for (size_t row = point.next; row < next; ++row)  // rows that type nothing may stand between
    MERGE_CHECK(places.firstKey[row - 1] == places.lastKeyEnd[row - 1],
                "cut at %zu: row %zu is left out", cut, row);
  const bool inside = cut > places.firstKey[next - 1];
  MERGE_CHECK((point.found == Found::kCut) == inside && (!inside || point.cutRow == next),
              "cut at %zu of %zu bytes: found %d, cut row %zu, expected %zu", cut,
              places.macro.size(), static_cast<int>(point.found), point.cutRow, next);
}

void MergeRoundTrip(const std::string &templateInput, const table_support::WholeTable &table,
                    codec::CodePage templatePage, const std::string &tableBytes,
                    const table::TableOptions &options) {
  const std::string tpl = TemplateOf(templateInput, table);
  TemplateEncodingRoundTrip(tpl, templatePage);
  std::vector<merger::TemplatePiece> pieces;
  merger::TemplateError templateError;
  if (!merger::ParseTemplate(tpl, codec::CodePage::kUtf8, table.headers, &pieces, &templateError))
    return;
  // Column names can bring any byte into the template's text (behind a
  // literal "{{"); brackets and what the host cannot type are the template
  // author's business, outside this round trip.
  for (const merger::TemplatePiece &piece : pieces) {
    if (piece.placeholder) continue;
    const std::string text = tpl.substr(piece.offset, piece.length);
    for (size_t i = 0; i < text.size();) {
      char32_t c = 0;
      if (!codec::NextUtf8(text, i, &c)) return;
      if (c == '[' || c == ']' || (c < 0x20 && c != '\n') ||
          (c > 0x7E && !merger::Typeable(codec::CodePage::kUtf8, c)))
        return;
    }
  }
  LearnRoundTrip(tpl, table);

  const size_t endRow = table.rows.size() < 50 ? table.rows.size() : 50;
  merger::MergeResult merged;
  std::string error;
  const bool ok = MergeParsed(tpl, pieces, table, 0, endRow, &merged, &error);

  std::vector<uint32_t> expected;
  bool typeable = true;
  for (size_t row = 0; row < endRow; ++row) {
    for (const merger::TemplatePiece &piece : pieces) {
      if (!piece.placeholder) {
        const std::string text = tpl.substr(piece.offset, piece.length);
        for (size_t i = 0; i < text.size();) {
          char32_t c = 0;
          codec::NextUtf8(text, i, &c);
          if (c != '\r' && c != '\n')
            expected.push_back(c < 0x80 ? c : static_cast<uint32_t>(UnicodeToMazovia(c)));
        }
      } else if (piece.column == merger::kRowNumber) {
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

  checker::FileText keys{"keys.h", true, kKeys, ""};
  checker::FileText macro{"merged.txt", true, merged.macro, ""};
  checker::PlayOptions play;
  play.keepPostedKeys = true;
  checker::CheckResult played = checker::RunCheck(keys, {macro}, play);
  const macro::MacroReport &m = played.macros.front();
  MERGE_CHECK(m.textsTyped == 0 && m.commandsRun == 0, "%u texts, %u commands", m.textsTyped,
              m.commandsRun);
  std::vector<uint32_t> typed;
  for (uint32_t key : m.postedKeys) typed.push_back(key & 0xFFFF);
  MERGE_CHECK(typed == expected, "typed %zu keys, expected %zu", typed.size(), expected.size());
  size_t seed = 0;
  for (unsigned char c : templateInput + tableBytes) seed = seed * 31 + c;
  ResumeRoundTrip(tpl, pieces, table, endRow, tableBytes, options, seed);
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
  table::TableOptions options;
  options.encoding = kEncodings[(mode & 3) % 3];
  options.delimiter = kDelimiters[(mode >> 2) & 3];
  table_support::WholeTable table;
  table::TableError error;
  if (!table_support::ReadTable(bytes, options, &table, &error)) {
    MERGE_CHECK(!error.message.empty(), "a failed read without a message");
    return 0;
  }
  static const codec::CodePage kTemplatePages[] = {
      codec::CodePage::kUtf8, codec::CodePage::kCp1250, codec::CodePage::kCp852};
  ReaderRoundTrip(table, kEncodings[(mode >> 4) % 3]);
  MergeRoundTrip(templateInput, table, kTemplatePages[(mode >> 6) % 3], bytes, options);
  return 0;
}
