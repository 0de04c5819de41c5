// tastiro-merge's library: the table reader, the placeholders, the rules
// that make a value type exactly what its cell holds, the key lookup and the
// check's findings placed in the template.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/merge/merge_check.h"
#include "tools/merge/merger.h"
#include "tools/merge/table_reader.h"
#include "tools/merge/template.h"

namespace {

using codec::CodePage;

std::string Joined(const std::vector<std::string> &fields) {
  std::string text;
  for (size_t i = 0; i < fields.size(); ++i) text += (i ? "|" : "") + fields[i];
  return text;
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
      {"quote inside a bare field", "a;b\nx\"y;2\n", CodePage::kUtf8, "", "", 2, "does not start with one"},
      {"repeated header", "a;b;a\n", CodePage::kUtf8, "", "", 1, "columns 1 and 3"},
      {"empty header", "a;;c\n", CodePage::kUtf8, "", "", 1, "column 2 of the header row has no name"},
      {"not UTF-8", "a;b\n\xB9;2\n", CodePage::kUtf8, "", "", 2, "cp1250"},
      {"BOM read as cp1250", "\xEF\xBB\xBF" "a\n", CodePage::kCp1250, "", "", 0, "byte order mark"},
      {"undefined cp1250 byte", "a\n\x98\n", CodePage::kCp1250, "", "", 2, "0x98"},
  };
  for (const ReaderCase &c : cases) {
    SCOPED_TRACE(c.name);
    merge::Table table;
    merge::TableError error;
    merge::TableOptions options;
    options.encoding = c.encoding;
    bool ok = merge::ReadTable(c.bytes, options, &table, &error);
    if (c.headers.empty()) {
      ASSERT_FALSE(ok);
      EXPECT_EQ(c.errorLine, error.line);
      EXPECT_NE(std::string::npos, error.message.find(c.errorText)) << error.message;
      continue;
    }
    ASSERT_TRUE(ok) << error.message;
    EXPECT_EQ(c.headers, Joined(table.headers));
    std::string rows;
    for (size_t i = 0; i < table.rows.size(); ++i) rows += (i ? "/" : "") + Joined(table.rows[i].fields);
    EXPECT_EQ(c.rows, rows);
  }
}

TEST(TableReader, RowsKnowTheirLines) {
  merge::Table table;
  merge::TableError error;
  ASSERT_TRUE(merge::ReadTable("a;b\n\"1\n2\";x\n3;y\n", {}, &table, &error));
  ASSERT_EQ(2u, table.rows.size());
  EXPECT_EQ(2, table.rows[0].line);
  EXPECT_EQ(4, table.rows[1].line);
}

TEST(TableReader, DetectsTheHeadersDelimiter) {
  EXPECT_EQ(';', merge::DetectDelimiter("a;b,c;d"));
  EXPECT_EQ(',', merge::DetectDelimiter("a,b,c;d"));
  EXPECT_EQ('\t', merge::DetectDelimiter("a\tb\tc"));
  EXPECT_EQ(',', merge::DetectDelimiter("\"x;y;z\",b"));  // inside quotes does not count
  EXPECT_EQ(';', merge::DetectDelimiter("single"));
}

// A merge of `tpl` over a table read from `csv`, with `settings`.
struct Merged {
  bool ok = false;
  std::string macro;
  std::string error;
  merge::MergeResult result;
};

Merged MergeOf(const std::string &tpl, const std::string &csv, const merge::MergeSettings &settings) {
  static merge::Table table;
  static std::vector<merge::TemplatePiece> pieces;
  static std::string tplBytes;
  tplBytes = tpl;
  merge::TableError tableError;
  EXPECT_TRUE(merge::ReadTable(csv, {}, &table, &tableError)) << tableError.message;
  merge::TemplateError templateError;
  EXPECT_TRUE(merge::ParseTemplate(tplBytes, settings.encoding, table.headers, &pieces, &templateError))
      << templateError.message;
  merge::MergeSources sources;
  sources.dataName = "d.csv";
  sources.templateBytes = &tplBytes;
  sources.pieces = &pieces;
  sources.table = &table;
  sources.endRow = table.rows.size();
  Merged m;
  m.ok = merge::MergeTable(sources, settings, &m.result, &m.error);
  m.macro = m.result.macro;
  return m;
}

TEST(Merge, ValuesTypeWhatTheCellHolds) {
  merge::MergeSettings settings;
  settings.bracketKey = "LBRACKET";
  settings.newlineKey = "ENTER";
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
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Merged m = MergeOf(c.tpl, c.csv, settings);
    ASSERT_TRUE(m.ok) << m.error;
    EXPECT_EQ(c.macro, m.macro);
  }
}

TEST(Merge, EncodesTheMacro) {
  merge::MergeSettings settings;
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
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    merge::MergeSettings settings;
    settings.encoding = c.encoding;
    settings.bracketKey = c.bracketKey;
    settings.newlineKey = c.newlineKey;
    Merged m = MergeOf(c.tpl, c.csv, settings);
    EXPECT_FALSE(m.ok);
    EXPECT_NE(std::string::npos, m.error.find(c.error)) << m.error;
  }
}

TEST(Template, Errors) {
  const std::vector<std::string> headers = {"Imię", "Nazwisko"};
  std::vector<merge::TemplatePiece> pieces;
  merge::TemplateError error;
  EXPECT_FALSE(merge::ParseTemplate("ab {{Nazwsko}}", CodePage::kUtf8, headers, &pieces, &error));
  EXPECT_EQ(3u, error.offset);
  EXPECT_NE(std::string::npos, error.message.find("the nearest is \"Nazwisko\"")) << error.message;
  EXPECT_FALSE(merge::ParseTemplate("{{Imię\n}}", CodePage::kUtf8, headers, &pieces, &error));
  EXPECT_NE(std::string::npos, error.message.find("not closed")) << error.message;
  EXPECT_FALSE(merge::ParseTemplate("{{}}", CodePage::kUtf8, headers, &pieces, &error));
  EXPECT_TRUE(merge::ParseTemplate("{{Imi\xEA}}", CodePage::kCp1250, headers, &pieces, &error));
}

check::FileText KeysOf(const std::string &content) {
  check::FileText keys;
  keys.name = "keys.h";
  keys.readable = true;
  keys.content = content;
  return keys;
}

TEST(KeyLookup, FindsTheBracketKeyAsThePlayerDoes) {
  // The first name for '[' in table order that the player's walk reaches.
  EXPECT_EQ("LB", merge::LookUpKeys(KeysOf("#define ENTER 13\n#define LB 0x5B\n#define LB2 91\n"), "").bracketKey);
  // An empty name ahead of it in the table hides it.
  EXPECT_EQ("", merge::LookUpKeys(KeysOf("#define  10\n#define LB 0x5B\n"), "").bracketKey);
  // A command's name is never a key; a name found first for another code is not this one.
  EXPECT_EQ("", merge::LookUpKeys(KeysOf("#define WAIT 0x5B\n"), "").bracketKey);
  EXPECT_EQ("", merge::LookUpKeys(KeysOf("#define LB 13\n#define LB 0x5B\n"), "").bracketKey);
  // Names are cut to 13 characters, as the table keeps them.
  EXPECT_EQ("LEFT_BRACKETS", merge::LookUpKeys(KeysOf("#define LEFT_BRACKETSSS 91\n"), "").bracketKey);
  EXPECT_TRUE(merge::LookUpKeys(KeysOf("#define ENTER 13\n"), "ENTER").newlineFound);
  EXPECT_FALSE(merge::LookUpKeys(KeysOf("#define ENTER 13\n"), "enter").newlineFound);
}

TEST(Check, FindingsStandAtTheTemplatesPlace) {
  merge::MergeSettings settings;
  const std::string tpl = "{{v}}\n  [enter]{{v}}\n";
  Merged m = MergeOf(tpl, "v\na\nb\nc\n", settings);
  ASSERT_TRUE(m.ok) << m.error;
  merge::Table table;
  merge::TableError tableError;
  ASSERT_TRUE(merge::ReadTable("v\na\nb\nc\n", {}, &table, &tableError));
  merge::CheckSources sources;
  sources.outputName = "out.txt";
  sources.templateName = "t.txt";
  sources.templateBytes = &tpl;
  sources.dataName = "d.csv";
  sources.headers = &table.headers;
  merge::MergeReport report = merge::CheckMerged(KeysOf("#define ENTER 13\n"), m.result, sources, {});
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
  ASSERT_TRUE(merge::ReadTable("v\nENTER\nENTR\n", {}, &table, &tableError));
  sources.templateBytes = &inWord;
  report = merge::CheckMerged(KeysOf("#define ENTER 13\n"), w.result, sources, {});
  ASSERT_EQ(1u, report.diagnostics.size());
  EXPECT_EQ(1, report.diagnostics[0].position.column);
  EXPECT_EQ(0u, report.diagnostics[0].message.find("row 2 (d.csv:3), column \"v\": [ENTR]"))
      << report.diagnostics[0].message;

  // A clean template and clean data give a clean merge.
  const std::string clean = "{{v}}[ENTER]\n";
  Merged c = MergeOf(clean, "v\nENTER\nENTR\n", settings);
  sources.templateBytes = &clean;
  EXPECT_EQ(0, merge::CheckMerged(KeysOf("#define ENTER 13\n"), c.result, sources, {}).ExitStatus());
}

}  // namespace
