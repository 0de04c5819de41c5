// The checker in two languages and the code pages of macro files: a finding
// speaks the chosen language, and each kind of file gets its finding (or
// none), with its lines shown as meant.  The message scheme itself is
// tested in tests/messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/checker/checker.h"
#include "tools/checker/encoding.h"
#include "tools/messages/check_texts.h"
#include "tools/checker/report.h"
#include "tools/lang/lang.h"

namespace {

using macro::Diagnostic;
using codec::CodePage;
using lang::Language;

// Restores the language a test changed.
struct LanguageScope {
  ~LanguageScope() { lang::Set(Language::kEnglish); }
};

checker::CheckResult CheckMacro(const std::string &macro) {
  checker::FileText keys;
  keys.name = "keys.h";
  keys.readable = true;
  keys.content = "#define ENTER 13\n";
  checker::FileText file = keys;
  file.name = "m.txt";
  file.content = macro;
  return checker::RunCheck(keys, {file}, checker::PlayOptions());
}

TEST(Language, AFindingAndItsReportSpeakTheChosenLanguage) {
  LanguageScope scope;
  lang::Set(Language::kPolish);
  checker::CheckResult result = CheckMacro("Dzie\xC5\x84 [enter]\n");
  ASSERT_EQ(1u, result.macros[0].diagnostics.size());
  const Diagnostic &d = result.macros[0].diagnostics[0];
  EXPECT_EQ("typed-as-text", d.id);  // ids stay
  EXPECT_EQ("[enter] to ani polecenie, ani nazwa klawisza: zostanie wpisane jako tekst", d.message);
  checker::OutputOptions options;
  const std::string text = checker::TextReport(result.keys, result.macros, options);
  EXPECT_NE(std::string::npos, text.find("m.txt:1:7: ostrzeżenie: [enter]")) << text;
  EXPECT_NE(std::string::npos, text.find("  podpowiedź: czy chodziło o [ENTER] (inna wielkość liter)?"))
      << text;
  EXPECT_NE(std::string::npos, text.find("ostrzeżenia: 1, błędy: 0")) << text;
  const std::string json = checker::JsonReport(result.keys, result.macros, options);
  EXPECT_NE(std::string::npos, json.find("\"severity\":\"warning\"")) << json;  // field values stay
  EXPECT_NE(std::string::npos, json.find("\"message\":\"[enter] to ani polecenie")) << json;
}

// The files of each encoding: the guess, the finding, and the line shown.
struct EncodingCase {
  const char *what;
  std::string bytes;
  CodePage page;           // the guess
  const char *finding;     // the id of the first finding, "" for none
  int line, column;        // its place
  const char *shown;       // the excerpt's line as the finding shows it
  const char *typed;       // in the message: the line as typed ("" for none)
};

const char kMeant[] = "Zamówienie: 12 szt. Dziękuję";

std::vector<EncodingCase> EncodingCases() {
  return {
      {"UTF-8", "Zam\xC3\xB3wienie: 12 szt. Dzi\xC4\x99kuj\xC4\x99\n", CodePage::kUtf8, "", 0, 0, "", ""},
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBFZam\xC3\xB3wienie: 12 szt. Dzi\xC4\x99kuj\xC4\x99\n",
       CodePage::kUtf8, "", 0, 0, "", ""},
      {"a byte-order mark does not move the columns",
       "\xEF\xBB\xBFZam\xC3\xB3wienie [enter]\n", CodePage::kUtf8, "typed-as-text", 1, 12,
       "Zamówienie [enter]", ""},
      {"Windows-1250", "Zam\xF3wienie: 12 szt. Dzi\xEAkuj\xEA\n", CodePage::kCp1250, "code-page", 1, 4,
       kMeant, "Zamwienie: 12 szt. Dzikuj"},
      {"cp852", "Zam\xA2wienie: 12 szt. Dzi\xA9kuj\xA9\n", CodePage::kCp852, "code-page", 1, 4, kMeant,
       "Zamówienie: 12 szt. Dzi⌐kuj⌐"},
      {"Mazovia, the host's own text, plays as meant", "Zam\xA2wienie: 12 szt. Dzi\x91kuj\x91\n",
       CodePage::kMazovia, "", 0, 0, "", ""},
      {"a mixed file: UTF-8 letters kept, Windows-1250 ones read in it",
       "Zam\xC3\xB3wienie\n12 szt. Dzi\xEAkuj\xEA\n", CodePage::kCp1250, "code-page", 2, 12,
       "12 szt. Dziękuję", "12 szt. Dzikuj"},
      // "ÓŁ" in Windows-1250 is the UTF-8 of U+04E3: it passed as UTF-8.
      {"Windows-1250 SPÓŁKA, valid UTF-8", "Nowak SP\xD3\xA3KA\n", CodePage::kCp1250, "code-page", 1, 9,
       "Nowak SPÓŁKA", ""},
      // cp852 with only "ą" passed as Windows-1250 ("DĄbrowa"), no finding.
      {"cp852 of only ą", "D\xA5" "browa[enter]\nZ\xA5" "bki\n", CodePage::kCp852, "code-page", 1, 2,
       "Dąbrowa[enter]", "DŃbrowa"},
      // Letters that cannot tell: a finding that says so, naming both.
      {"cannot tell", "Nr 5: \xA5" "b\n", CodePage::kMazovia, "code-page-doubt", 1, 7, "Nr 5: Ńb", "Nr 5: Ńb"},
      {"Windows-1250 with a later finding: the caret under the right letter",
       "Prosz\xEA sprawdzi\xE6 [enter]\n", CodePage::kCp1250, "code-page", 1, 6,
       "Proszę sprawdzić [enter]", "Prosz sprawdzi [enter]"},
  };
}

TEST(Encoding, EachFileGetsItsFindingWithTheLineAsMeant) {
  for (const EncodingCase &c : EncodingCases()) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.page, checker::GuessEncoding(c.bytes).page);
    checker::CheckResult result = CheckMacro(c.bytes);
    const std::vector<Diagnostic> &found = result.macros[0].diagnostics;
    std::string all;
    for (const Diagnostic &d : found) all += checker::DiagnosticText(d, false);
    if (*c.finding == 0) {
      EXPECT_TRUE(found.empty()) << all;
      continue;
    }
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(c.finding, found[0].id) << all;
    EXPECT_EQ(c.line, found[0].position.line) << all;
    EXPECT_EQ(c.column, found[0].position.column) << all;
    // The line as the user wrote it, the caret under the column.
    const std::string excerpt = "  " + std::string(c.shown) + "\n  " +
                                std::string(static_cast<size_t>(c.column - 1), ' ') + "^\n";
    EXPECT_NE(std::string::npos, checker::DiagnosticText(found[0], false).find(excerpt)) << all;
    if (*c.typed != 0) {
      EXPECT_NE(std::string::npos, found[0].message.find(c.typed)) << all;
    }
    // One finding for the file, not one for each letter.
    size_t codePage = 0;
    for (const Diagnostic &d : found) codePage += d.id == "code-page" || d.id == "dropped-character";
    EXPECT_LE(codePage, 1u) << all;
  }
}

// A macro saved as "Unicode": one finding naming UTF-16, with or without
// its mark (it had a warning for each zero byte and a code-page finding).
TEST(Encoding, AUtf16MacroGetsOneFinding) {
  const std::string le = std::string("Z\0a\0m\0\xF3\0w\0 \0[\0e\0n\0t\0e\0r\0]\0\n\0", 28);
  for (const std::string &bytes : {"\xFF\xFE" + le, le}) {
    EXPECT_TRUE(checker::GuessEncoding(bytes).utf16);
    checker::CheckResult result = CheckMacro(bytes);
    const std::vector<Diagnostic> &found = result.macros[0].diagnostics;
    ASSERT_EQ(1u, found.size());
    EXPECT_EQ("utf-16", found[0].id);
    EXPECT_EQ(macro::Severity::kError, found[0].severity);
    EXPECT_NE(std::string::npos, found[0].hint.find("--convert")) << found[0].hint;
  }
}

TEST(Encoding, TheUtf8CopyReadsTheLettersAsMeant) {
  EXPECT_EQ("Zamówienie\nDziękuję\n",
            checker::ConvertToUtf8("Zam\xF3wienie\nDzi\xEAkuj\xEA\n", CodePage::kCp1250));
  EXPECT_EQ("Zamówienie\nDziękuję\n",
            checker::ConvertToUtf8("Zam\xA2wienie\nDzi\xA9kuj\xA9\n", CodePage::kCp852));
  // A mixed file keeps its UTF-8 letters; a byte-order mark goes.
  EXPECT_EQ("Zamówienie Dziękuję", checker::ConvertToUtf8("\xEF\xBB\xBFZam\xC3\xB3wienie Dzi\xEAkuj\xEA",
                                                        CodePage::kCp1250));
  // Capitals that happen to form a UTF-8 sequence the host cannot type
  // (Ó then Ł) are read in the code page.
  EXPECT_EQ("WSPÓŁPRACA ą", checker::ConvertToUtf8("WSP\xD3\xA3PRACA \xB9", CodePage::kCp1250));
}

TEST(Encoding, TheCopysNameStandsBesideTheOriginal) {
  EXPECT_EQ("Zamówienie-utf8.txt", checker::Utf8CopyName("Zamówienie.txt"));
  EXPECT_EQ("C:\\makra\\a.b\\x-utf8", checker::Utf8CopyName("C:\\makra\\a.b\\x"));
  EXPECT_EQ("dir/m-utf8.TXT", checker::Utf8CopyName("dir/m.TXT"));
}

}  // namespace
