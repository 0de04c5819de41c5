// tastiro-merge's library: the table reader, the placeholders, the rules
// that make a value type exactly what its cell holds, the key lookup and the
// check's findings placed in the template.
#include <gtest/gtest.h>

#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/macro/macro_words.h"
#include "tools/merger/learn.h"

#include "tools/merger/merge_check.h"
#include "tools/merger/merger.h"
#include "tools/merger/run_log.h"
#include "tools/table/table_reader.h"
#include "tools/merger/template.h"
#include "tests/merge/table_support.h"

namespace {

using codec::CodePage;

std::string Joined(const std::vector<std::string> &fields) {
  std::string text;
  for (size_t i = 0; i < fields.size(); ++i) text += (i ? "|" : "") + fields[i];
  return text;
}

// Reads `bytes` as a table in `encoding` (or in the encoding its letters
// show, when `guess`).
bool ReadAs(const std::string &bytes, CodePage encoding, bool guess, table_support::WholeTable *table,
            table::TableError *error) {
  table::TableOptions options;
  options.encoding = encoding;
  options.guessEncoding = guess;
  return table_support::ReadTable(bytes, options, table, error);
}

struct ReaderCase {
  const char *name;
  std::string bytes;
  CodePage encoding;
  std::string headers;  // "|"-joined; empty: an error is expected
  std::string rows;     // rows "/"-joined, fields "|"-joined
  int errorLine;
  const char *errorText;
};

TEST(TableReader, Cases) {
  const std::vector<ReaderCase> cases = {
      {"semicolons, LF", "a;b\n1;2\n3;4\n", CodePage::kUtf8, "a|b", "1|2/3|4", 0, ""},
      {"commas, CRLF, no final line end", "a,b\r\n1,2\r\n3,4", CodePage::kUtf8, "a|b", "1|2/3|4", 0, ""},
      {"tabs", "a\tb\n1\t2\n", CodePage::kUtf8, "a|b", "1|2", 0, ""},
      {"quoted delimiter, quote, line break", "a;b\n\"x;y\";\"say \"\"hi\"\"\"\n\"l1\r\nl2\";z\n",
       CodePage::kUtf8, "a|b", "x;y|say \"hi\"/l1\r\nl2|z", 0, ""},
      {"empty fields", "a;b;c\n;;\n", CodePage::kUtf8, "a|b|c", "||", 0, ""},
      {"empty lines skipped", "a;b\n\n1;2\n\n", CodePage::kUtf8, "a|b", "1|2", 0, ""},
      {"UTF-8 BOM", "\xEF\xBB\xBFImi\xC4\x99;b\n\xC5\x81\xC3\xB3" "d\xC5\xBA;2\n", CodePage::kUtf8,
       "Imię|b", "Łódź|2", 0, ""},
      {"cp1250", "Imi\xEA;b\n\xA3\xF3" "d\x9F;2\n", CodePage::kCp1250, "Imię|b", "Łódź|2", 0, ""},
      {"cp852", "Imi\xA9;b\n\x9D\xA2" "d\xAB;2\n", CodePage::kCp852, "Imię|b", "Łódź|2", 0, ""},
      {"header only", "a;b\n", CodePage::kUtf8, "a|b", "", 0, ""},
      {"empty file", "", CodePage::kUtf8, "", "", 0, "empty"},
      {"too few fields", "a;b;c\n1;2;3\n1;2\n", CodePage::kUtf8, "", "", 3, "column 3 \"c\" is missing"},
      {"too many fields", "a;b\n1;2;3\n", CodePage::kUtf8, "", "", 2, "behind the last column \"b\""},
      {"unclosed quote", "a;b\n1;\"open\n\n", CodePage::kUtf8, "", "", 2, "never closed"},
      {"text behind a closing quote", "a;b\n\"x\"y;2\n", CodePage::kUtf8, "", "", 2, "behind its closing quote"},
      {"quote inside a bare field: a plain character", "a;b\nx\"y;Bez \"uwag\"\n", CodePage::kUtf8,
       "a|b", "x\"y|Bez \"uwag\"", 0, ""},
      {"repeated header", "a;b;a\n", CodePage::kUtf8, "", "", 1, "columns 1 and 3"},
      {"unnamed columns: empty, spaces, trailing", "a;;c; ;\n1;note;3;;\n", CodePage::kUtf8,
       "a||c||", "1|note|3||", 0, ""},
      {"a row ends before the unnamed columns", "a;Uwagi;;\n1;x\n;;;\n", CodePage::kUtf8,
       "a|Uwagi||", "1|x||/|||", 0, ""},
      {"no column named", ";;\n1;2;3\n", CodePage::kUtf8, "", "", 1, "no column of the header row"},
      {"sep= line sets the delimiter", "sep=,\na,b;c\n1,2;3\n", CodePage::kUtf8, "a|b;c", "1|2;3", 0, ""},
      {"SEP= with a BOM and CRLF", "\xEF\xBB\xBFSEP=;\r\na;b\r\n1;2\r\n", CodePage::kUtf8, "a|b", "1|2", 0, ""},
      {"sep=X is no sep line when more follows", "sep=;x;y\n1;2;3\n", CodePage::kUtf8, "sep=|x|y",
       "1|2|3", 0, ""},
      {"first repeat named", "a;b;b;a\n", CodePage::kUtf8, "", "", 1, "columns 2 and 3"},
      {"not UTF-8", "a;b\n\xB9;2\n", CodePage::kUtf8, "", "", 2, "cp1250"},
      {"not UTF-8 after letters and CR line ends", "a;b\r\xC5\x81;2\r\r\n\xC3\xB3\xB9;3\r",
       CodePage::kUtf8, "", "", 4, "cp1250"},
      {"BOM read as cp1250", "\xEF\xBB\xBF" "a\n", CodePage::kCp1250, "", "", 0, "byte order mark"},
      {"undefined cp1250 byte", "a\n\x98\n", CodePage::kCp1250, "", "", 2, "0x98"},
      {"not UTF-8 names cp852", "a;b\n\x88\xA5;2\n", CodePage::kUtf8, "", "", 2, "--data-encoding cp852"},
      {"UTF-16 LE with BOM, tabs", std::string("\xFF\xFE" "a\0\t\0b\0\n\0\x42\x01\t\0" "2\0\n\0", 18),
       CodePage::kUtf8, "a|b", "ł|2", 0, ""},
      {"UTF-16 BE with BOM", std::string("\xFE\xFF\0a\0;\0b\0\n\xD8\x3D\xDE\x00\0;\0" "2", 18),
       CodePage::kUtf8, "a|b", "\xF0\x9F\x98\x80|2", 0, ""},
      {"UTF-16 lone surrogate", std::string("\xFF\xFE" "a\0\n\0\x00\xDC", 8), CodePage::kUtf8, "", "", 2, "UTF-16"},
      {"UTF-16 without BOM", std::string("a\0;\0b\0", 6), CodePage::kUtf8, "a|b", "", 0, ""},
      // A UTF-16 export without its mark gets the lines it has (it was
      // refused as holding zero bytes, naming a line past its end).
      {"UTF-16 without BOM, short row", std::string("a\0;\0b\0\r\0\n\0" "1\0\r\0\n\0", 16), CodePage::kUtf8,
       "", "", 2, "column 2 \"b\" is missing"},
      {"one column: empty lines inside are rows, at the end not", "a\n1\n\n\n4\n\n\n",
       CodePage::kUtf8, "a", "1///4", 0, ""},
      {"guess: same count in header and row wins", "Nazwisko, imi\xC4\x99;Kwota, z\xC5\x82\nNowak, Jan;1,50\n",
       CodePage::kUtf8, "Nazwisko, imi\xC4\x99|Kwota, z\xC5\x82", "Nowak, Jan|1,50", 0, ""},
      {"guess named in a width error", "a,b;c\n1;2;3\n", CodePage::kUtf8, "", "", 2, "guessed as ';'"},
      // A repeated name is no fault of the delimiter: no other one stands in the line.
      {"guess not named for a repeated name", "a;b;a\n", CodePage::kUtf8, "", "", 1, "name \"a\"\n"},
      {"guess not named for a short row", "a;b;c\n1;2\n", CodePage::kUtf8, "", "", 2, "missing\n"},
  };
  for (const ReaderCase &c : cases) {
    SCOPED_TRACE(c.name);
    table_support::WholeTable table;
    table::TableError error;
    const bool ok = ReadAs(c.bytes, c.encoding, false, &table, &error);
    if (c.headers.empty()) {
      ASSERT_FALSE(ok);
      EXPECT_EQ(c.errorLine, error.line);
      EXPECT_NE(std::string::npos, (error.message + "\n").find(c.errorText)) << error.message;
      continue;
    }
    ASSERT_TRUE(ok) << error.message;
    EXPECT_EQ(c.headers, Joined(table.headers));
    std::string rows;
    for (size_t i = 0; i < table.rows.size(); ++i) rows += (i ? "/" : "") + Joined(table.rows[i].fields);
    EXPECT_EQ(c.rows, rows);
  }
}

// A source that hands out its bytes a few at a time, so that characters,
// line ends and quotes are cut by the ends of the reader's chunks.
class DrippingSource : public reader::ByteSource {
 public:
  DrippingSource(const std::string &bytes, size_t step) : bytes_(bytes), step_(step) {}
  size_t Read(char *buffer, size_t size) override {
    size_t n = std::min({size, step_, bytes_.size() - at_});
    memcpy(buffer, bytes_.data() + at_, n);
    at_ += n;
    return n;
  }

 private:
  const std::string &bytes_;
  size_t step_, at_ = 0;
};

std::string RowsOf(reader::ByteSource &source, const table::TableOptions &options) {
  table::TableStream stream(source, options);
  table_support::WholeTable table;
  table::TableError error;
  if (!stream.ReadHeader(&table, &error)) return "error " + error.message;
  std::string text = Joined(table.headers);
  table::TableRow row;
  while (stream.Next(&row, &error)) text += "/" + std::to_string(row.line) + ":" + Joined(row.fields);
  return error.message.empty() ? text : text + " error " + error.message;
}

TEST(TableReader, SpreadsheetShapes) {
  table_support::WholeTable table;
  table::TableError error;
  table::TableOptions options;
  // Rows line up with their numbers; the sep line is no row; bare quotes
  // are counted.
  ASSERT_TRUE(table_support::ReadTable("sep=;\nNazwa;Uwagi;\nNowak;5\" monitor;\n;;\n;;x\n", options,
                               &table, &error)) << error.message;
  EXPECT_TRUE(table.sepLine);
  EXPECT_FALSE(table.delimiterGuessed);
  EXPECT_EQ(2, table.headerLine);
  EXPECT_EQ(1u, table.unnamedCount);
  EXPECT_EQ(1u, table.bareQuotes);
  EXPECT_EQ(3, table.bareQuoteLine);
  ASSERT_EQ(3u, table.rows.size());
  EXPECT_FALSE(table::IsEmptyRow(table.rows[0], table.unnamed));
  EXPECT_TRUE(table::IsEmptyRow(table.rows[1], table.unnamed));
  EXPECT_TRUE(table::IsEmptyRow(table.rows[2], table.unnamed));  // text in an unnamed column only
  EXPECT_EQ(5, table.rows[2].line);
  // --strict refuses the bare quote as before.
  options.strict = true;
  EXPECT_FALSE(table_support::ReadTable("a;b\nx\"y;2\n", options, &table, &error));
  EXPECT_NE(std::string::npos, error.message.find("does not start with one")) << error.message;
  // A bare quote in the first lines does not upset the delimiter guess.
  EXPECT_EQ(';', table::DetectDelimiter("Towar;Opis\nMonitor;24\" a, b\n"));
}

TEST(TableReader, ChunkEndsChangeNothing) {
  const std::vector<std::pair<std::string, CodePage>> inputs = {
      {"Imi\xC4\x99;b\r\n\"\xC5\x81\xC3\xB3\r\nd\xC5\xBA\";\"x\"\"y\"\r\n\xF0\x9F\x98\x80;2\r\n", CodePage::kUtf8},
      {"\xEF\xBB\xBF" "a\n\n\n1\n\n", CodePage::kUtf8},
      {std::string("\xFF\xFE" "a\0;\0b\0\r\0\n\0\x3D\xD8\x00\xDE;\0\x42\x01\n\0", 20), CodePage::kUtf8},
      {"Imi\xEA;b\n\xA3\xF3" "d\x9F;2\n", CodePage::kCp1250},
      {"a;b\n1;\"open\n", CodePage::kUtf8},
      {"a;b\n\xC5\x81\xB9;2\n", CodePage::kUtf8},
  };
  for (const auto &[bytes, page] : inputs) {
    table::TableOptions options;
    options.encoding = page;
    reader::StringSource whole(bytes);
    const std::string expected = RowsOf(whole, options);
    for (size_t step : {1, 2, 3, 5, 7}) {
      SCOPED_TRACE(expected + ", " + std::to_string(step) + " bytes a read");
      DrippingSource dripping(bytes, step);
      EXPECT_EQ(expected, RowsOf(dripping, options));
    }
  }
}

TEST(TableReader, OneColumnEmptyLinesKeepTheirLines) {
  const std::string bytes = "a\n1\n\n\n4\n\n";
  reader::StringSource source(bytes);
  EXPECT_EQ("a/2:1/3:/4:/5:4", RowsOf(source, {}));
}

TEST(TableReader, NotesTheOtherCodePage) {
  // "Kłos" saved as cp1250 and read as cp852: 0xB3 is a box-drawing line there.
  table_support::WholeTable table;
  table::TableError error;
  table::TableOptions options;
  options.encoding = CodePage::kCp852;
  ASSERT_TRUE(table_support::ReadTable("a\nx\nK\xB3os\n", options, &table, &error)) << error.message;
  EXPECT_EQ(3, table.otherCodePageLine);
  EXPECT_EQ(CodePage::kCp1250, table.otherCodePage);
  options.encoding = CodePage::kCp1250;
  ASSERT_TRUE(table_support::ReadTable("a\nK\xB3os\n", options, &table, &error)) << error.message;
  EXPECT_EQ(0, table.otherCodePageLine);
}

// Without --data-encoding the table is read in what its Polish letters
// show; a declared encoding that reads worse than another is noted.
TEST(TableReader, GuessesAndNotesTheEncoding) {
  struct Case {
    const char *name;
    std::string bytes;
    bool guess;
    CodePage declared;
    std::string rows;         // what the data row reads as
    CodePage page;            // what the table was read as
    int otherLine;            // 0: no other encoding reads better
    CodePage other;
  };
  const Case cases[] = {
      {"cp1250 guessed", "Miasto\n\xA3\xF3" "d\x9F Pozna\xF1\n", true, CodePage::kUtf8, "Łódź Poznań", CodePage::kCp1250, 0, CodePage::kUtf8},
      {"cp852 guessed", "Miasto\nZ\xA5" "bki Pozna\xE4\n", true, CodePage::kUtf8, "Ząbki Poznań", CodePage::kCp852, 0, CodePage::kUtf8},
      {"SPÓŁKA guessed", "Firma\nSP\xD3\xA3KA\n", true, CodePage::kUtf8, "SPÓŁKA", CodePage::kCp1250, 0, CodePage::kUtf8},
      {"utf-8 stays", "Miasto\n\xC5\x81\xC3\xB3" "d\xC5\xBA\n", true, CodePage::kUtf8, "Łódź", CodePage::kUtf8, 0, CodePage::kUtf8},
      // Typed "ZĄbki Poznaä" with exit 0 before.
      {"cp852 read as cp1250", "Miasto\nZ\xA5" "bki Pozna\xE4\n", false, CodePage::kCp1250, "ZĄbki Poznaä", CodePage::kCp1250, 2, CodePage::kCp852},
      // Gave "'Ă' has no key" with no hint before.
      {"utf-8 read as cp1250", "Miasto\nZ\xC4\x85" "bki Pozna\xC5\x84\n", false, CodePage::kCp1250, "ZÄ…bki PoznaĹ„", CodePage::kCp1250, 2, CodePage::kUtf8},
      {"SPÓŁKA declared utf-8", "Firma\nSP\xD3\xA3KA\n", false, CodePage::kUtf8, "SP\xD3\xA3KA", CodePage::kUtf8, 2, CodePage::kCp1250},
      // cp852 with only "ą": was read as cp1250 ("DĄbrowa"), exit 0, no warning.
      {"cp852 of only ą", "Nazwa\nD\xA5" "browa\n", true, CodePage::kUtf8, "Dąbrowa", CodePage::kCp852, 0, CodePage::kUtf8},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    table_support::WholeTable table;
    table::TableError error;
    ASSERT_TRUE(ReadAs(c.bytes, c.declared, c.guess, &table, &error)) << error.message;
    ASSERT_EQ(1u, table.rows.size());
    EXPECT_EQ(c.rows, table.rows[0].fields[0]);
    EXPECT_EQ(c.page, table.page);
    EXPECT_EQ(c.guess && c.page != CodePage::kUtf8, table.pageGuessed);
    EXPECT_EQ(c.otherLine, table.otherCodePageLine);
    if (c.otherLine > 0) {
      EXPECT_EQ(c.other, table.otherCodePage);
    }
  }
}

// Letters that cannot tell cp1250 from cp852 ("ąb" in cp852 is "Ąb" in
// cp1250): the table says so, with the line and the word in both.
TEST(TableReader, SaysWhenTheLettersCannotTell) {
  table_support::WholeTable table;
  table::TableError error;
  table::TableOptions options;
  options.guessEncoding = true;
  ASSERT_TRUE(table_support::ReadTable("Nazwa\nabc\n\xA5" "b\n", options, &table, &error)) << error.message;
  EXPECT_EQ(3, table.doubtLine);
  EXPECT_EQ(CodePage::kCp1250, table.page);
  EXPECT_EQ(CodePage::kCp852, table.doubtCodePage);
  EXPECT_EQ("Ąb", table.doubtWordRead);
  EXPECT_EQ("ąb", table.doubtWordOther);
  EXPECT_EQ(0, table.otherCodePageLine);
  // Declared: the user chose, nothing is said.
  options.guessEncoding = false;
  options.encoding = CodePage::kCp852;
  ASSERT_TRUE(table_support::ReadTable("Nazwa\n\xA5" "b\n", options, &table, &error)) << error.message;
  EXPECT_EQ(0, table.doubtLine);
}

// A cell longer than any spreadsheet holds is refused with a message, not
// read until memory runs out.
TEST(TableReader, RefusesAFieldPastTheBound) {
  const std::string bytes = "a;b\n1;" + std::string(table::kMaxFieldBytes + 10, 'x') + "\n";
  reader::StringSource source(bytes);
  const std::string rows = RowsOf(source, {});
  EXPECT_NE(std::string::npos, rows.find("error field 2 is longer than 1024 KB")) << rows.substr(0, 80);
}

TEST(TableReader, RowsKnowTheirLines) {
  table_support::WholeTable table;
  table::TableError error;
  ASSERT_TRUE(table_support::ReadTable("a;b\n\"1\n2\";x\n3;y\n", {}, &table, &error));
  ASSERT_EQ(2u, table.rows.size());
  EXPECT_EQ(2, table.rows[0].line);
  EXPECT_EQ(4, table.rows[1].line);
}

TEST(TableReader, DetectsTheHeadersDelimiter) {
  EXPECT_EQ(';', table::DetectDelimiter("a;b,c;d"));
  EXPECT_EQ(',', table::DetectDelimiter("a,b,c;d"));
  EXPECT_EQ('\t', table::DetectDelimiter("a\tb\tc"));
  EXPECT_EQ(',', table::DetectDelimiter("\"x;y;z\",b"));  // inside quotes does not count
  EXPECT_EQ(';', table::DetectDelimiter("single"));
}

// A merge of `tpl` over a table read from `csv`, with `settings`.
struct Merged {
  bool ok = false;
  std::string macro;
  std::string error;
  merger::MergeResult result;
};

Merged MergeOf(const std::string &tpl, const std::string &csv, const merger::MergeSettings &settings) {
  static table_support::WholeTable table;
  static std::vector<merger::TemplatePiece> pieces;
  static std::string tplBytes;
  tplBytes = tpl;
  table::TableError tableError;
  EXPECT_TRUE(table_support::ReadTable(csv, {}, &table, &tableError)) << tableError.message;
  merger::TemplateError templateError;
  EXPECT_TRUE(merger::ParseTemplate(tplBytes, settings.encoding, table.headers, &pieces, &templateError))
      << templateError.message;
  merger::MergeSources sources;
  sources.dataName = "d.csv";
  sources.templateBytes = &tplBytes;
  sources.pieces = &pieces;
  Merged m;
  m.ok = table_support::MergeTable(sources, settings, table, 0, table.rows.size(), &m.result, &m.error);
  m.macro = m.result.macro;
  return m;
}

TEST(Merge, ValuesTypeWhatTheCellHolds) {
  merger::MergeSettings settings;
  settings.bracketKey = "LBRACKET";
  settings.newlineKey = "ENTER";
  settings.tabKey = "TAB";
  struct Case {
    const char *name;
    std::string tpl, csv, macro;
  };
  const std::vector<Case> cases = {
      {"plain", "<{{v}}>", "v\nab c\n", "<ab c>\n"},
      {"row number, literal braces", "{{#}}{{{{{{v}}}}", "v\nx\ny\n", "1{{x}}\n2{{y}}\n"},
      {"'[' as its key, ']' as it is", "{{v}}", "v\na[b]\n", "a[LBRACKET]b]\n"},
      {"line breaks as the key", "{{v}}\r\n", "v\n\"1\r\n2\n3\"\n", "1[ENTER]2[ENTER]3\r\n"},
      {"Polish letters in UTF-8", "{{v}}\n", "v\nżółć\n", "żółć\n"},
      {"inside a word", "[{{v}}]", "v\nENTER\n", "[ENTER]\n"},
      {"a tab as its key", "{{v}}", "v\n\"a\tb\"\n", "a[TAB]b\n"},
      {"non-breaking spaces as spaces", "{{v}}", "v\n1\xC2\xA0" "250\xE2\x80\xAF" "00\n", "1 250 00\n"},
      {"office quotes, dashes and ellipsis in their plain form", "{{v}}",
       "v\n\xE2\x80\x9Epilne\xE2\x80\x9D \xE2\x80\x9C\xE2\x80\x98x\xE2\x80\x99 Bez uwag \xE2\x80\x93 "
       "zwyk\xC5\x82" "a\xE2\x80\x94" "dostawa\xE2\x80\xA6\n",
       "\"pilne\" \"'x' Bez uwag - zwykła-dostawa...\n"},
      {"« » the host types stay", "{{v}}", "v\n\xC2\xAB" "a\xC2\xBB\n", "\xC2\xAB" "a\xC2\xBB\n"},
      // Runs copied at once end at each character that is written otherwise.
      {"letters beside keys, spaces and quotes", "{{v}}",
       "v\n\"ż[ó\tł\xC2\xA0" "ć\xE2\x80\x9E" "ę\n\xC4\x85\"\n",
       "ż[LBRACKET]ó[TAB]ł ć\"ę[ENTER]ą\n"},
      // The word left open by one row goes on in the next, which closes it
      // at its 20th character: each row starts in another state.
      {"a word open across rows", "{{v}}[ABCDEFGHIJKLMNOPQ", "v\n1\n2\n3\n",
       "1[ABCDEFGHIJKLMNOPQ2[ABCDEFGHIJKLMNOPQ\n3[ABCDEFGHIJKLMNOPQ"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Merged m = MergeOf(c.tpl, c.csv, settings);
    ASSERT_TRUE(m.ok) << m.error;
    EXPECT_EQ(c.macro, m.macro);
  }
}

TEST(Merge, EncodesTheMacro) {
  merger::MergeSettings settings;
  settings.encoding = CodePage::kMazovia;
  EXPECT_EQ("\x92\x86\n", MergeOf("{{v}}", "v\nłą\n", settings).macro);
  settings.encoding = CodePage::kCp852;
  EXPECT_EQ("\x88\xA5\n", MergeOf("{{v}}", "v\nłą\n", settings).macro);
  settings.encoding = CodePage::kCp1250;
  EXPECT_EQ("\xB3\xB9\x80\n", MergeOf("{{v}}", "v\nłą€\n", settings).macro);
}

TEST(Merge, RefusesWhatCannotBeTyped) {
  struct Case {
    const char *name;
    std::string tpl, csv;
    CodePage encoding;
    std::string bracketKey, newlineKey;
    const char *error;
  };
  const std::vector<Case> cases = {
      {"no key for '['", "{{v}}", "v\nx\ny[\n", CodePage::kUtf8, "", "", "row 2 (d.csv:3), column \"v\""},
      {"line break without --newline", "{{v}}", "v\n\"a\nb\"\n", CodePage::kUtf8, "", "", "--newline"},
      {"no Mazovia key", "{{v}}", "v\n€\n", CodePage::kUtf8, "", "", "U+20AC"},
      {"not in cp852", "{{v}}", "v\n€\n", CodePage::kCp852, "", "", "cannot be written in cp852"},
      {"control character", "{{v}}", "v\na\x07\n", CodePage::kUtf8, "", "", "control character U+0007"},
      {"']' inside a word", "[{{v}}]", "v\na]b\n", CodePage::kUtf8, "", "", "would end"},
      {"letter inside a word", "[{{v}}]", "v\nż\n", CodePage::kUtf8, "", "", "only ASCII"},
      {"tab without --tab", "{{v}}", "v\n\"a\tb\"\n", CodePage::kUtf8, "", "", "--tab"},
      {"office quote with --strict", "{{v}}", "v\n\xE2\x80\x9Epilne\n", CodePage::kUtf8, "", "",
       "refused with --strict (without --strict it is typed as \")"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    merger::MergeSettings settings;
    settings.strict = std::string(c.name).find("--strict") != std::string::npos;
    settings.encoding = c.encoding;
    settings.bracketKey = c.bracketKey;
    settings.newlineKey = c.newlineKey;
    Merged m = MergeOf(c.tpl, c.csv, settings);
    EXPECT_FALSE(m.ok);
    EXPECT_NE(std::string::npos, m.error.find(c.error)) << m.error;
  }
}

TEST(Merge, ReportsEveryCharacterAtOnce) {
  merger::MergeSettings settings;
  std::string csv = "v\n";
  for (int i = 0; i < 30; ++i) csv += "\xE2\x82\xAC" "a\xE2\x82\xAC\n";  // "€a€"
  Merged m = MergeOf("{{v}}", csv, settings);
  EXPECT_FALSE(m.ok);
  table_support::WholeTable table;
  table::TableError error;
  ASSERT_TRUE(table_support::ReadTable(csv, {}, &table, &error));
  std::vector<merger::TemplatePiece> pieces;
  merger::TemplateError templateError;
  const std::string tpl = "{{v}}";
  ASSERT_TRUE(merger::ParseTemplate(tpl, CodePage::kUtf8, table.headers, &pieces, &templateError));
  merger::MergeSources sources;
  sources.dataName = "d.csv";
  sources.templateBytes = &tpl;
  sources.pieces = &pieces;
  sources.headers = &table.headers;
  merger::MergeResult out;
  merger::RowMerger merger(sources, settings, &out);
  for (size_t i = 0; i < table.rows.size(); ++i) merger.Row(table.rows[i], i);
  EXPECT_EQ(60u, merger.problems().count);
  ASSERT_EQ(merger::kProblemsShown, merger.problems().shown.size());
  EXPECT_NE(std::string::npos, merger.problems().shown[1].find("row 1 (d.csv:2)"));

  settings.strict = true;
  EXPECT_NE(std::string::npos, MergeOf("{{v}}", "v\n1\xC2\xA0" "2\n", settings).error.find("--strict"));
}

TEST(Merge, EveryPlaceholderInAWordIsChecked) {
  // [F{{#}}] makes another word on every row: each row is played.
  merger::MergeSettings settings;
  std::string csv = "v\n";
  for (int i = 0; i < 30; ++i) csv += "x\n";
  Merged m = MergeOf("[F{{#}}]{{v}}\n", csv, settings);
  ASSERT_TRUE(m.ok) << m.error;
  EXPECT_EQ(30u, m.result.checkedRows.size());
  Merged plain = MergeOf("[F1]{{v}}\n", csv, settings);
  EXPECT_EQ(2u, plain.result.checkedRows.size());
}

TEST(Template, Errors) {
  const std::vector<std::string> headers = {"Imię", "Nazwisko"};
  std::vector<merger::TemplatePiece> pieces;
  merger::TemplateError error;
  EXPECT_FALSE(merger::ParseTemplate("ab {{Nazwsko}}", CodePage::kUtf8, headers, &pieces, &error));
  EXPECT_EQ(3u, error.offset);
  EXPECT_NE(std::string::npos, error.message.find("the nearest is \"Nazwisko\"")) << error.message;
  EXPECT_FALSE(merger::ParseTemplate("{{Imię\n}}", CodePage::kUtf8, headers, &pieces, &error));
  EXPECT_NE(std::string::npos, error.message.find("not closed")) << error.message;
  EXPECT_FALSE(merger::ParseTemplate("{{}}", CodePage::kUtf8, headers, &pieces, &error));
  EXPECT_TRUE(merger::ParseTemplate("{{Imi\xEA}}", CodePage::kCp1250, headers, &pieces, &error));
}

// Placeholders on one line and on several: each closed on its own line.
TEST(Template, PlaceholdersLineByLine) {
  const std::vector<std::string> headers = {"Imię", "Nazwisko"};
  struct Case {
    const char *text;
    bool ok;
    size_t placeholders;  // when ok; else the error's offset
  };
  const Case cases[] = {
      {"{{Imię}} {{Nazwisko}} {{#}}\n{{Nazwisko}}", true, 4},
      {"{{Imię}}{{Nazwisko}}\r\n\r\n{{Imię}}{{{{", true, 3},
      {"{{Imię}} {{Nazwisko}}\n{{Imię\n}}", false, 23},
      {"{{Imię}}\n{{Nazwisko}} {{Imię", false, 23},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<merger::TemplatePiece> pieces;
    merger::TemplateError error;
    ASSERT_EQ(c.ok, merger::ParseTemplate(c.text, CodePage::kUtf8, headers, &pieces, &error));
    size_t placeholders = 0;
    for (const merger::TemplatePiece &piece : pieces) placeholders += piece.placeholder ? 1 : 0;
    EXPECT_EQ(c.placeholders, c.ok ? placeholders : error.offset);
  }
}

// A table of one column: the list of columns is that one name, shown once.
TEST(Template, OneColumnIsNamedOnce) {
  const std::vector<std::string> headers = {"Nazwa firmy"};
  std::vector<merger::TemplatePiece> pieces;
  merger::TemplateError error;
  EXPECT_FALSE(merger::ParseTemplate("{{Nazwa}}", CodePage::kUtf8, headers, &pieces, &error));
  const size_t first = error.message.find("Nazwa firmy");
  ASSERT_NE(std::string::npos, first) << error.message;
  EXPECT_EQ(std::string::npos, error.message.find("Nazwa firmy", first + 1)) << error.message;
}

checker::FileText KeysOf(const std::string &content) {
  checker::FileText keys;
  keys.name = "keys.h";
  keys.readable = true;
  keys.content = content;
  return keys;
}

TEST(KeyLookup, FindsTheBracketKeyAsThePlayerDoes) {
  // The first name for '[' in table order that the player's walk reaches.
  EXPECT_EQ("LB", merger::LookUpKeys(KeysOf("#define ENTER 13\n#define LB 0x5B\n#define LB2 91\n"), "").bracketKey);
  // An empty name ahead of it in the table hides it.
  EXPECT_EQ("", merger::LookUpKeys(KeysOf("#define  10\n#define LB 0x5B\n"), "").bracketKey);
  // A command's name is never a key; a name found first for another code is not this one.
  EXPECT_EQ("", merger::LookUpKeys(KeysOf("#define WAIT 0x5B\n"), "").bracketKey);
  EXPECT_EQ("", merger::LookUpKeys(KeysOf("#define LB 13\n#define LB 0x5B\n"), "").bracketKey);
  // Names are cut to 13 characters, as the table keeps them.
  EXPECT_EQ("LEFT_BRACKETS", merger::LookUpKeys(KeysOf("#define LEFT_BRACKETSSS 91\n"), "").bracketKey);
  EXPECT_TRUE(merger::LookUpKeys(KeysOf("#define ENTER 13\n"), "ENTER").newlineFound);
  EXPECT_FALSE(merger::LookUpKeys(KeysOf("#define ENTER 13\n"), "enter").newlineFound);
}

TEST(Check, FindingsStandAtTheTemplatesPlace) {
  merger::MergeSettings settings;
  const std::string tpl = "{{v}}\n  [enter]{{v}}\n";
  Merged m = MergeOf(tpl, "v\na\nb\nc\n", settings);
  ASSERT_TRUE(m.ok) << m.error;
  table_support::WholeTable table;
  table::TableError tableError;
  ASSERT_TRUE(table_support::ReadTable("v\na\nb\nc\n", {}, &table, &tableError));
  merger::CheckSources sources;
  sources.outputName = "out.txt";
  sources.templateName = "t.txt";
  sources.templateBytes = &tpl;
  sources.dataName = "d.csv";
  sources.headers = &table.headers;
  merger::MergeReport report = table_support::CheckMerged(KeysOf("#define ENTER 13\n"), m.result, sources, {});
  ASSERT_EQ(1u, report.diagnostics.size()) << "one finding, however many rows";
  EXPECT_EQ("t.txt", report.diagnostics[0].file);
  EXPECT_EQ(2, report.diagnostics[0].position.line);
  EXPECT_EQ(3, report.diagnostics[0].position.column);
  EXPECT_EQ("typed-as-text", report.diagnostics[0].id);
  EXPECT_EQ(1, report.ExitStatus());

  // A value inside a word: the finding names its row and column.
  const std::string inWord = "[{{v}}]";
  Merged w = MergeOf(inWord, "v\nENTER\nENTR\n", settings);
  ASSERT_TRUE(w.ok) << w.error;
  ASSERT_TRUE(table_support::ReadTable("v\nENTER\nENTR\n", {}, &table, &tableError));
  sources.templateBytes = &inWord;
  report = table_support::CheckMerged(KeysOf("#define ENTER 13\n"), w.result, sources, {});
  ASSERT_EQ(1u, report.diagnostics.size());
  EXPECT_EQ(1, report.diagnostics[0].position.column);
  EXPECT_EQ(0u, report.diagnostics[0].message.find("row 2 (d.csv:3), column \"v\": [ENTR]"))
      << report.diagnostics[0].message;

  // A clean template and clean data give a clean merge.
  const std::string clean = "{{v}}[ENTER]\n";
  Merged c = MergeOf(clean, "v\nENTER\nENTR\n", settings);
  sources.templateBytes = &clean;
  EXPECT_EQ(0, table_support::CheckMerged(KeysOf("#define ENTER 13\n"), c.result, sources, {}).ExitStatus());
}

// --learn: a table of recordings of the row "Nowak;Łódź;1 250,00;12".
TEST(Learn, Recordings) {
  const std::vector<std::string> headers = {"Nazwa", "Miasto", "Kwota", "Nr"};
  table::TableRow first;
  first.line = 2;
  first.fields = {"Nowak", "\xC5\x81\xC3\xB3" "d\xC5\xBA", "1\xC2\xA0" "250,00", "12"};
  struct Case {
    const char *name;
    std::string recording;
    std::vector<std::pair<std::string, size_t>> at;
    std::string learnt;   // the template
    std::string outcomes; // per column in header order: P placed, A ambiguous, M missing,
                          // W inside a word, T --at too far, B bad name, N near
    // A table of its own instead of the row above.
    std::vector<std::string> ownHeaders = {}, ownFields = {};
  };
  const std::vector<Case> cases = {
      {"clean", "[F2]Nowak[TAB]\xC5\x81\xC3\xB3" "d\xC5\xBA[TAB]1 250,00[TAB]12[ENTER]\n", {},
       "[F2]{{Nazwa}}[TAB]{{Miasto}}[TAB]{{Kwota}}[TAB]{{Nr}}[ENTER]\n", "PPPP"},
      {"the short value inside the long one is not taken for it",
       "Nowak 1 250,00 12\n", {}, "{{Nazwa}} {{Kwota}} {{Nr}}\n", "PMPP"},
      {"found twice: left as text", "Nowak, nr 12, Nowak 12\n", {}, "Nowak, nr 12, Nowak 12\n", "AMMA"},
      {"--at chooses", "Nowak, nr 12, Nowak 12\n", {{"Nazwa", 2}, {"Nr", 1}},
       "Nowak, nr {{Nr}}, {{Nazwa}} 12\n", "PMMP"},
      {"--at beyond the places", "Nowak Nowak\n", {{"Nazwa", 3}}, "Nowak Nowak\n", "TMMM"},
      {"only inside a key name", "[Nowak]12\n", {}, "[Nowak]{{Nr}}\n", "WMMP"},
      {"braces of the recording stay literal", "{{Nowak}} {12\n", {}, "{{{{{{Nazwa}}}} {12\n", "PMMM"},
      {"a typo corrected with Backspace is the value",
       "Nowak[TAB]\xC5\x81\xC3\xB3" "dx[BACKSPACE]\xC5\xBA[TAB]1 250,00[TAB]12[ENTER]\n", {},
       "{{Nazwa}}[TAB]{{Miasto}}[TAB]{{Kwota}}[TAB]{{Nr}}[ENTER]\n", "PPPP"},
      {"two Backspaces take back two characters", "Nowat[BACKSPACE][backspace]ak 12\n", {},
       "{{Nazwa}} {{Nr}}\n", "PMMP"},
      {"a Backspace behind a key takes back no character", "Nowak[ENTER][BACKSPACE]12\n", {},
       "{{Nazwa}}[ENTER][BACKSPACE]{{Nr}}\n", "PMMP"},
      {"never inside a longer number", "FV/2026/012 Nowak 120\n", {}, "FV/2026/012 {{Nazwa}} 120\n",
       "PMMN"},
      {"a decimal number is one number", "Nowak 12,50 1,12\n", {}, "{{Nazwa}} 12,50 1,12\n", "PMMN"},
      {"never inside a longer word", "Nowakowski 12\n", {}, "Nowakowski {{Nr}}\n", "NMMP"},
      {"the place on the bounds wins over the near one", "120 12\n", {}, "120 {{Nr}}\n", "MMMP"},
      // "{{Kod}}}" would be read as {{Kod}} and a '}'.
      {"a column name ending with '}' cannot stand in a placeholder", "nr 12\n", {}, "nr 12\n",
       "B", {"Kod}"}, {"12"}},
      // Found by the merge fuzzer (fuzz/corpus/merge/learn_column_name_ends_with_brace).
      {"a column name ending with '}' among braces", "\xC4\x99{{{v}}}}{x\n", {},
       "\xC4\x99{{{{{v}}}}{x\n", "B", {"v}"}, {"}{"}},
      // A lone '{' cannot stand before a placeholder: "{{{B}}" is a placeholder "{B".
      {"a lone brace between two places", "z{{bc\n", {}, "{{A}}{bc\n", "PM", {"A", "B"},
       {"z{", "bc"}},
      {"a lone brace left by a later place", "z{{bcd\n", {}, "z{{{{{{B}}\n", "MP", {"A", "B"},
       {"z{", "bcd"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    merger::LearnOptions options;
    options.at = c.at;
    const std::vector<std::string> &caseHeaders = c.ownHeaders.empty() ? headers : c.ownHeaders;
    table::TableRow caseFirst = first;
    if (!c.ownHeaders.empty()) caseFirst.fields = c.ownFields;
    merger::LearnResult learnt = merger::Learn(c.recording, caseHeaders, caseFirst, options);
    EXPECT_EQ(c.learnt, learnt.templateText);
    // The learnt template reads back as a template of these columns.
    std::vector<merger::TemplatePiece> pieces;
    merger::TemplateError templateError;
    EXPECT_TRUE(merger::ParseTemplate(learnt.templateText, CodePage::kUtf8, caseHeaders, &pieces,
                                     &templateError))
        << templateError.message;
    std::string outcomes(caseHeaders.size(), '?');
    for (const merger::LearnedValue &v : learnt.values) {
      const char *letters = "PAMWETBNU";
      outcomes[v.column] = letters[static_cast<int>(v.outcome)];
    }
    EXPECT_EQ(c.outcomes, outcomes);
    EXPECT_EQ(c.outcomes.find_first_not_of('P') == std::string::npos, learnt.Clean());
  }
}

TEST(Learn, FindsValuesAsTheMergeWritesThem) {
  // A '[' of a value is its key's name; inside an open word the same bytes
  // are no such key.
  table::TableRow first;
  first.fields = {"a[b"};
  merger::LearnOptions options;
  options.bracketKey = "LB";
  merger::LearnResult placed = merger::Learn("a[LB]b[ENTER]\n", {"V"}, first, options);
  EXPECT_EQ("{{V}}[ENTER]\n", placed.templateText);
  merger::LearnResult inWord = merger::Learn("[xa[LB]b\n", {"V"}, first, options);
  EXPECT_EQ("[xa[LB]b\n", inWord.templateText);
  EXPECT_EQ(merger::LearnOutcome::kInsideWord, inWord.values[0].outcome);
}

TEST(Learn, SaysWhatItFolded) {
  table::TableRow first;
  first.fields = {"\xC5\x81\xC3\xB3" "d\xC5\xBA", "Nowak", "1"};
  const std::vector<std::string> headers = {"Miasto", "Nazwa", "Ilosc"};
  merger::LearnResult learnt =
      merger::Learn("Faktura FV/2026/01\nNowka\n\xC5\x81\xC3\xB3" "dx[BACKSPACE]\xC5\xBA\n", headers, first, {});
  EXPECT_EQ("Faktura FV/2026/01\nNowka\n{{Miasto}}\n", learnt.templateText);
  // The report goes in the recording's order: the near place of Ilosc on
  // line 1, the nearest text for Nazwa on line 2, Miasto on line 3.
  ASSERT_EQ(3u, learnt.values.size());
  EXPECT_EQ(merger::LearnOutcome::kNear, learnt.values[0].outcome);
  ASSERT_EQ(1u, learnt.values[0].nearPlaces.size());
  EXPECT_EQ(18, learnt.values[0].nearPlaces[0].column);
  EXPECT_EQ(merger::LearnOutcome::kMissing, learnt.values[1].outcome);
  EXPECT_EQ("Nowka", learnt.values[1].nearest);
  EXPECT_EQ(2, learnt.values[1].nearestAt.line);
  EXPECT_EQ(merger::LearnOutcome::kPlaced, learnt.values[2].outcome);
  EXPECT_TRUE(learnt.values[2].corrected);
  EXPECT_EQ(3, learnt.values[2].placedAt.line);
  // Nothing near enough: no nearest text.
  merger::LearnResult far = merger::Learn("zzzzzz\n", {"Nazwa"}, table::TableRow{0, {"Nowak"}}, {});
  EXPECT_EQ(0, far.values[0].nearestAt.line);
}

TEST(Learn, LargeRecordingsKeepTheirWarningsShort) {
  // Many places: the first ones listed, the rest counted; the --at place
  // beyond them still found.
  std::string recording;
  for (int i = 0; i < 100000; ++i) recording += "12 ";
  table::TableRow first;
  first.fields = {"12"};
  merger::LearnResult many = merger::Learn(recording, {"Nr"}, first, {});
  EXPECT_EQ(merger::LearnOutcome::kAmbiguous, many.values[0].outcome);
  EXPECT_EQ(100000u, many.values[0].placeCount);
  EXPECT_EQ(merger::kPlacesShown, many.values[0].places.size());
  merger::LearnOptions options;
  options.at = {{"Nr", 99999}};
  merger::LearnResult chosen = merger::Learn(recording, {"Nr"}, first, options);
  EXPECT_EQ(merger::LearnOutcome::kPlaced, chosen.values[0].outcome);
  EXPECT_EQ(1 + 99998 * 3, chosen.values[0].placedAt.column);
  // A run of braces (once quadratic) and a value of braces.
  const std::string braces(256 * 1024, '{');
  first.fields = {"{{{"};
  merger::LearnResult run = merger::Learn(braces, {"V"}, first, {});
  EXPECT_EQ(merger::LearnOutcome::kAmbiguous, run.values[0].outcome);
  EXPECT_EQ(braces.size() * 2, run.templateText.size());
}

TEST(Learn, ListsPlacesWithLineAndColumn) {
  table::TableRow first;
  first.fields = {"Nowak"};
  merger::LearnResult learnt = merger::Learn("x\n  Nowak\nNowak\n", {"Nazwa"}, first, {});
  ASSERT_EQ(1u, learnt.values.size());
  ASSERT_EQ(2u, learnt.values[0].places.size());
  EXPECT_EQ(2, learnt.values[0].places[0].line);
  EXPECT_EQ(3, learnt.values[0].places[0].column);
  EXPECT_EQ(3, learnt.values[0].places[1].line);
}

// A template's bytes in each encoding: what it types, or the error.
struct TemplateCase {
  const char *what;
  std::string bytes;
  CodePage declared;
  const char *typed;     // UTF-8, "" when refused
  const char *inError;   // in the error when refused
};

TEST(MergeTemplate, IsReadInEachCodePageOrRefusedNamingTheLikelyOne) {
  const TemplateCase cases[] = {
      {"UTF-8", "Zam\xC3\xB3wienie \xC5\xBB" "ak", CodePage::kUtf8, "Zamówienie Żak", ""},
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBFZam\xC3\xB3wienie", CodePage::kUtf8, "Zamówienie", ""},
      {"Windows-1250, declared", "Zam\xF3wienie \xAF" "ak", CodePage::kCp1250, "Zamówienie Żak", ""},
      {"cp852, declared", "Zam\xA2wienie \xBD" "ak", CodePage::kCp852, "Zamówienie Żak", ""},
      {"Mazovia, declared", "Zam\xA2wienie \xA1" "ak", CodePage::kMazovia, "Zamówienie Żak", ""},
      {"Windows-1250, not declared", "Zam\xF3wienie \xAF" "ak", CodePage::kUtf8, "",
       "--template-encoding cp1250"},
      {"cp852, not declared", "Zam\xA2wienie \xBD" "ak \xA5", CodePage::kUtf8, "",
       "--template-encoding cp852"},
      // A "Unicode" template was merged into NUL-filled output.
      {"UTF-16 with its mark", std::string("\xFF\xFEZ\0a\0m\0\xF3\0w\0", 12), CodePage::kUtf8, "Zamów", ""},
      {"UTF-16 big endian without its mark", std::string("\0Z\0a\0m\0\xF3\0w", 10), CodePage::kUtf8, "Zamów", ""},
      // "ÓŁ" in cp1250 reads as U+04E3 in UTF-8: it passed as UTF-8.
      {"Windows-1250 SPÓŁKA, not declared", "SP\xD3\xA3KA", CodePage::kUtf8, "", "--template-encoding cp1250"},
  };
  for (const TemplateCase &c : cases) {
    SCOPED_TRACE(c.what);
    std::string out, error;
    const bool read = merger::ReadMacroText("t.txt", c.bytes, c.declared, CodePage::kUtf8, &out, &error);
    if (*c.typed != 0) {
      EXPECT_TRUE(read) << error;
      EXPECT_EQ(c.typed, out);
    } else {
      EXPECT_FALSE(read) << out;
      EXPECT_NE(std::string::npos, error.find(c.inError)) << error;
      EXPECT_NE(std::string::npos, error.find(std::string("t.txt:1:") + (c.bytes[0] == 'S' ? "3:" : "4:")))
          << error;
    }
  }
}

}  // namespace

// The player's reading of bracketed words, shared by the merge, --learn and
// the checker: which bytes belong to a word ('w') and which do not ('.').
TEST(MacroWords, MaskAndKeyNames) {
  struct Case {
    std::string text, mask;
  };
  const Case cases[] = {
      {"a[B]c", ".www."},
      {"[ab", "www"},
      {"]x[", "..w"},
      {"[[]]", "www."},
      // The 20th character ends the word and is read as an ordinary one.
      {"[" + std::string(19, 'x') + "yz]", "w" + std::string(19, 'w') + "..."},
      {"[" + std::string(18, 'x') + "y]", "w" + std::string(20, 'w')},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    std::string shown;
    for (bool in : macro::WordMask(c.text)) shown += in ? 'w' : '.';
    EXPECT_EQ(c.mask, shown);
  }
  const std::pair<std::string, bool> names[] = {
      {"ENTER", true},  {"", false}, {std::string(19, 'K'), true}, {std::string(20, 'K'), false},
      {"A]B", false},   {"A\nB", false}, {"WAIT", false},             {"wait", true},
  };
  for (const auto &[name, usable] : names) EXPECT_EQ(usable, macro::UsableKeyName(name)) << name;
}

// What a value's characters stand for, as the merge types them and --learn
// looks for them: each character's kind, one letter each.
TEST(MacroWords, ValueCharacters) {
  const std::pair<std::string, std::string> cases[] = {
      {"a[b", "ibi"},
      {"x\r\ny\rz\n", "ililil"},  // CR LF is one line break
      {"1\xC2\xA0" "250\xE2\x80\xAF", "iniiin"},  // both non-breaking spaces
      {"\tZa\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87", "tiiiiii"},
  };
  for (const auto &[value, kinds] : cases) {
    SCOPED_TRACE(value);
    std::string shown;
    for (size_t i = 0; i < value.size();) {
      char32_t c = 0;
      switch (macro::NextValueChar(value, i, &c)) {
        case macro::ValueChar::kItself: shown += 'i'; break;
        case macro::ValueChar::kBracket: shown += 'b'; break;
        case macro::ValueChar::kLineBreak: shown += 'l'; break;
        case macro::ValueChar::kTab: shown += 't'; break;
        case macro::ValueChar::kNonBreakingSpace: shown += 'n'; break;
      }
    }
    EXPECT_EQ(kinds, shown);
  }
}

// What a tool finds under a log's name before it writes there: the merge
// adds only to an empty file or a player's log, the check's --log replaces
// a player's log only with --force.
TEST(RunLog, WhatStandsUnderALogsName) {
  struct Case {
    const char *bytes;
    merger::StandingLog standing;
  };
  using merger::StandingLog;
  const Case cases[] = {
      {"", StandingLog::kEmpty},
      {"\xEF\xBB\xBF", StandingLog::kEmpty},  // Notepad's empty UTF-8 file
      {"# tastiro-merge: wiersze 1-3; szablon: t.txt; dane: d.csv\r\n", StandingLog::kRunLog},
      {"2026-12-07=10:11:12 {CHAR: J}\r\n", StandingLog::kRunLog},
      {"2026-12-07=10:11:12 {CHAR: J}", StandingLog::kRunLog},            // cut short
      {"07.12.2026=10:11 [ENTER]\n", StandingLog::kRunLog},               // another date format
      {"\xEF\xBB\xBF" "2026-12-07=10:11:12 [ENTER]\r", StandingLog::kRunLog},  // a mark, CR alone
      {"Imi\xC4\x99;Kwota\r\nJan;1\r\n", StandingLog::kOther},                 // a table
      {"{{Imi\xC4\x99}}[ENTER]\n", StandingLog::kOther},                         // a template
      {"# tastiro-merge: wiersze 3-1\n", StandingLog::kOther},                    // no such header
      {"2026-12-07 10:11:12 {CHAR: J}\n", StandingLog::kOther},                   // no '=' in the stamp
      {"\n2026-12-07=10:11:12 {CHAR: J}\n", StandingLog::kOther},                 // the first line decides
  };
  namespace fs = std::filesystem;
  const std::string folder = fs::temp_directory_path() / ("tastiro-log-" + std::to_string(getpid()));
  fs::create_directories(folder);
  const std::string path = folder + "/x.log";
  for (const Case &c : cases) {
    std::ofstream(path, std::ios::binary) << c.bytes;
    EXPECT_EQ(merger::ExamineLog(path), c.standing) << c.bytes;
  }
  fs::remove(path);
  EXPECT_EQ(merger::ExamineLog(path), StandingLog::kNone);
  fs::create_directory(path);
  EXPECT_EQ(merger::ExamineLog(path), StandingLog::kNoFile);
  fs::remove(path);
  ASSERT_EQ(0, mkfifo(path.c_str(), 0600));  // never opened: it would wait for a writer
  EXPECT_EQ(merger::ExamineLog(path), StandingLog::kNoFile);
  fs::remove(path);
  fs::create_symlink("nowhere", path);
  EXPECT_EQ(merger::ExamineLog(path), StandingLog::kNoFile);
  fs::remove_all(folder);
}
