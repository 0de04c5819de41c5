// Broken macros and key definition files, each with the findings it must
// produce: the id, the place, and words of the message and of the hint.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "player/playback/commands.h"
#include "tools/checker/checker.h"
#include "tools/checker/report.h"
#include "tests/checker/printed_report.h"
#include "tools/os/console.h"

namespace {

using checker::CheckResult;
using macro::Diagnostic;
using checker::FileText;

// A small key definition file for the macro cases.
const char kKeys[] =
    "#ifndef KEYS_H\n"
    "#define KEYS_H\n"
    "#define TAB 9\n"
    "#define ENTER 13\n"
    "#define HOME 0x4700\n"
    "#define PG_UP 0x4900\n"
    "#define SHIFT_F11 0x8700\n"
    "#define SHIFT_F1 0x5400\n"
    "#define SHIFT_F12 0x8800\n"
    "#define ALT_P 0x1900\n"
    "#define CTRL_PGDN 0x7600\n"
    "#endif\n";

FileText Text(const std::string &name, const std::string &content) {
  FileText file;
  file.name = name;
  file.readable = true;
  file.content = content;
  return file;
}

CheckResult Check(const std::string &keys, const std::vector<std::string> &macros) {
  std::vector<FileText> files;
  for (size_t i = 0; i < macros.size(); ++i) files.push_back(Text("m.txt", macros[i]));
  checker::PlayOptions options;
  return checker::RunCheck(Text("keys.h", keys), files, options);
}

struct Expected {
  const char *id;
  int line;
  int column;
  const char *inMessage;
  const char *inHint;
};

std::string Describe(const std::vector<Diagnostic> &found) {
  std::string text;
  for (const Diagnostic &d : found) text += checker::DiagnosticText(d, false);
  return text.empty() ? "(none)\n" : text;
}

// Every expected finding, and nothing else.
void ExpectFindings(const std::vector<Diagnostic> &found, const std::vector<Expected> &expected) {
  ASSERT_EQ(expected.size(), found.size()) << Describe(found);
  for (size_t i = 0; i < expected.size(); ++i) {
    const Expected &e = expected[i];
    const Diagnostic &d = found[i];
    EXPECT_EQ(e.id, d.id) << Describe(found);
    EXPECT_EQ(e.line, d.position.line) << Describe(found);
    EXPECT_EQ(e.column, d.position.column) << Describe(found);
    EXPECT_NE(std::string::npos, d.message.find(e.inMessage)) << Describe(found);
    EXPECT_NE(std::string::npos, d.hint.find(e.inHint)) << Describe(found);
  }
}

struct MacroCase {
  const char *what;
  const char *macro;
  std::vector<Expected> expected;
};

const std::vector<MacroCase> kMacroCases = {
    {"a key name in lower case", "ab[enter]c",
     {{"typed-as-text", 1, 3, "[enter] is neither a command nor a key name", "[ENTER] (other letter case)"}}},
    {"a blank before the closing bracket", "x\r\n[HOME ]",
     {{"typed-as-text", 2, 1, "[HOME ]", "[HOME] (a blank inside the brackets)"}}},
    {"'-' written for '_'", "[PG-UP]",
     {{"typed-as-text", 1, 1, "typed as text", "[PG_UP] ('-' written for '_')"}}},
    {"one letter off", "[ENTR]", {{"typed-as-text", 1, 1, "[ENTR]", "[ENTER] (one letter off)"}}},
    {"two letters off", "[CTRL_PGUP]",
     {{"typed-as-text", 1, 1, "[CTRL_PGUP]", "[CTRL_PGDN] (two letters off)"}}},
    {"a word far from every name", "[dzien dobry]",
     {{"typed-as-text", 1, 1, "typed as text", "write it without brackets"}}},
    {"an empty word", "a[]b", {{"typed-as-text", 1, 2, "[]", "without brackets"}}},
    {"a command in another case", "[Wait]", {{"command-case", 1, 1, "upper case", "write [WAIT]"}}},
    {"a lower-case command", "ok[restart]", {{"command-case", 1, 3, "[restart]", "write [RESTART]"}}},
    {"a word longer than 19 characters", "ab[ABCDEFGHIJKLMNOPQRSTUVWXYZ]",
     {{"word-too-long", 1, 3, "26 characters", "at most 13 characters"}}},
    {"a '[' never closed, file ends in the word", "abc\n[ENTER",
     {{"unclosed-bracket", 2, 1, "never closed", "close the word with ']'"}}},
    {"a '[' never closed, long text behind it", "[ENTER and then a long text",
     {{"unclosed-bracket", 1, 1, "never closed", "close the word with ']'"}}},
    {"a word over a line break", "[HOME\r\n]x",
     {{"word-spans-lines", 1, 1, "line break to line 2", "']' before the end of the line"}}},
    {"a missing ']' found on a later line", "[HOME\nabc\ndef]x[TAB]",
     {{"word-spans-lines", 1, 1, "line break to line 3", "close the word"}}},
    {"RESTART with nothing that waits", "hello[ENTER]\n[RESTART]\n",
     {{"endless-restart", 2, 1, "only Shift+F11 stops it", "[WAITENTER], [WAIT] or [HALT]"}}},
    {"text behind RESTART is never played", "a[WAIT]\n[RESTART]b\n",
     {{"never-played", 2, 10, "never played", "in front of [RESTART]"}}},
    {"WAIT behind RESTART does not stop the loop", "a[RESTART][WAIT]",
     {{"endless-restart", 1, 2, "again and again", "before [RESTART]"},
      {"never-played", 1, 11, "never played", "delete it"}}},
    {"SF11 asks whether to stop", "x[SF11]y",
     {{"sf11", 1, 2, "asks whether to stop", "[HALT]"}}},
    {"RESTART behind SF11 waits for the user's answer each round", "x[SF11][RESTART]",
     {{"sf11", 1, 2, "asks whether to stop", "[HALT]"}}},
    {"'-' for '_' suggests that name alone", "[SHIFT-F11]",
     {{"typed-as-text", 1, 1, "typed as text", "did you mean [SHIFT_F11] ('-' written for '_')?"}}},
    {"an empty file", "", {{"empty-macro", 0, 0, "the file is empty", "the file you meant"}}},
    {"a file of line breaks", "\r\n\r\n",
     {{"empty-macro", 0, 0, "hands nothing to the host", "the file you meant"}}},
    {"a control byte the host cannot type", "a\x01z",
     {{"dropped-character", 1, 2, "U+0001", "without it"}}},
    {"a character the host text lacks", "cena 5\xE2\x82\xAC.",
     {{"dropped-character", 1, 7, "U+20AC '\xE2\x82\xAC'", "Polish letters"}}},
    {"UTF-8 letters inside brackets", "[za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87]",
     {{"typed-as-text", 1, 1, "typed as text", "without brackets"},
      {"text-encoding", 1, 1, "byte for byte", "read as UTF-8"}}},
};

TEST(MacroDiagnostics, EachMistakeIsFoundWithItsPlaceAndHint) {
  for (const MacroCase &c : kMacroCases) {
    SCOPED_TRACE(c.what);
    CheckResult result = Check(kKeys, {c.macro});
    EXPECT_TRUE(result.keys.diagnostics.empty()) << Describe(result.keys.diagnostics);
    ASSERT_EQ(1u, result.macros.size());
    ExpectFindings(result.macros[0].diagnostics, c.expected);
  }
}

TEST(MacroDiagnostics, SoundMacrosAreClean) {
  const char *const macros[] = {
      "Dzie\xC5\x84 dobry![ENTER]\r\nZa\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 g\xC4\x99\xC5\x9Bl\xC4\x85.[TAB]\r\n",
      "Mazovia \xA4 \x86\x8D[HOME]",  // a file in the host's own 8-bit text
      "[DELAY]a[WAITENTER]b[WAIT]c[HALT]d[ALT_P][SHIFT_F11]",
      "line one\n\n\tindented[ENTER][WAITENTER]\n[RESTART]\n\r\n",
      "[ABCDEFGHIJKLMNOPQRS]",  // 19 characters: resolved (and typed) as a word
      "[WAIT]",                 // a command alone hands nothing, but it is no empty macro
  };
  for (const char *macro : macros) {
    SCOPED_TRACE(macro);
    CheckResult result = Check(kKeys, {macro});
    std::vector<Diagnostic> found = result.macros[0].diagnostics;
    // The last-but-one holds a word that is no name: the only finding.
    if (std::string(macro) == "[ABCDEFGHIJKLMNOPQRS]") {
      ASSERT_EQ(1u, found.size()) << Describe(found);
      EXPECT_EQ("typed-as-text", found[0].id);
      continue;
    }
    EXPECT_TRUE(found.empty()) << Describe(found);
  }
}

// The bracketed names a hint tells the user to write.
std::vector<std::string> SuggestedWords(const std::string &hint) {
  std::vector<std::string> words;
  for (const char *lead : {"write [", "did you mean [", " or [", ", ["}) {
    for (size_t at = hint.find(lead); at != std::string::npos; at = hint.find(lead, at + 1)) {
      size_t start = at + strlen(lead);
      words.push_back(hint.substr(start, hint.find(']', start) - start));
    }
  }
  return words;
}

TEST(MacroDiagnostics, HintsExplainNamesTheKeyFileHasButThePlayerCannotFind) {
  const std::string keys =
      "#define ENTER 13\n"
      "#define CTRL_SHIFT_HOME 0x1701\n"
      "#define F1 0x10000\n"
      "#define  0x2000\n"
      "#define ZED 0x3000\n"
      "#define CTRL_SHIFT_PAGE 0x7701\n"
      "#define KEY_CTRL_KEYPAD_1 0x0C01\n"
      "#define KEY_CTRL_KEYPAD_5 0x0C05\n"
      "#define OCT 09\n";
  struct Case {
    const char *macro;
    const char *hint;
  } cases[] = {
      {"[CTRL_SHIFT_HOME]", "keys.h:2 defines it, but names are cut to 13 characters: write [CTRL_SHIFT_HO]"},
      {"[F1]", "keys.h:3 defines it with a code whose low 16 bits are 0"},
      {"[ZED]", "keys.h:5 defines it, but [ZED] gives no key: an empty key name ahead of it in the "
                "table (line 4) hides it"},
      // The cut name gives no key: never "write [CTRL_SHIFT_PA]".
      {"[CTRL_SHIFT_PAGE]", "keys.h:6 defines it, but names are cut to 13 characters, and "
                            "[CTRL_SHIFT_PA] gives no key: an empty key name ahead of it in the "
                            "table (line 4) hides it"},
      {"[CTRL_SHIFT_PA]", "keys.h:6 defines 'CTRL_SHIFT_PAGE', which the table keeps as "
                          "[CTRL_SHIFT_PA], but [CTRL_SHIFT_PA] gives no key: an empty key name "
                          "ahead of it in the table (line 4) hides it"},
      // The cut name gives the key of another long name.
      {"[KEY_CTRL_KEYPAD_5]", "keys.h:8 defines it, but names are cut to 13 characters, and "
                              "[KEY_CTRL_KEYP] gives 0x0C01, the key of 'KEY_CTRL_KEYPAD_1' (line "
                              "7); shorten the names so that their first 13 characters differ"},
      {"[KEY_CTRL_KEYPAD_1]", "keys.h:7 defines it, but names are cut to 13 characters: write [KEY_CTRL_KEYP]"},
      // A line that defines nothing, already flagged in the key file.
      {"[OCT]", "keys.h:9 defines no key: the number '09' reads as 0 (octal, which has no digit 9)"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.macro);
    CheckResult result = Check(keys, {c.macro});
    ASSERT_EQ(1u, result.macros[0].diagnostics.size()) << Describe(result.macros[0].diagnostics);
    const std::string hint = result.macros[0].diagnostics[0].hint;
    EXPECT_EQ(c.hint, hint);
    // What a hint says to write is a key name the player finds.
    for (const std::string &word : SuggestedWords(hint)) {
      CheckResult again = Check(keys, {"[" + word + "]"});
      EXPECT_TRUE(again.macros[0].diagnostics.empty()) << word << "\n"
                                                       << Describe(again.macros[0].diagnostics);
    }
  }
}

TEST(MacroDiagnostics, WithoutKeyNamesEveryNameIsText) {
  FileText missing;
  missing.name = "wtyczki/keys.h";
  missing.error = "No such file or directory";
  checker::PlayOptions options;
  CheckResult result = checker::RunCheck(missing, {Text("m.txt", "[ENTER]")}, options);
  ASSERT_EQ(1u, result.keys.diagnostics.size());
  EXPECT_EQ("unreadable", result.keys.diagnostics[0].id);
  EXPECT_EQ(macro::Severity::kError, result.keys.diagnostics[0].severity);
  // The player's own error box, as it would show it.
  EXPECT_EQ("B\xC5\x82\xC4\x85" "d 2 (systemowy 2) \xC5\x82" "adowania definicji klawiszy z pliku "
            "'wtyczki\\keys.h'",
            result.keys.playerMessage);
  ASSERT_EQ(1u, result.macros[0].diagnostics.size());
  EXPECT_EQ("no key names are loaded (see the key definition file)",
            result.macros[0].diagnostics[0].hint);
  EXPECT_EQ(2, checker::Count(result.keys, result.macros).ExitStatus());
}

struct KeysCase {
  const char *what;
  std::string keys;
  std::vector<Expected> expected;
};

std::string ManyDefinitions(int count) {
  std::string text = "/* generated */\n";
  for (int i = 1; i <= count; ++i)
    text += "#define K" + std::to_string(i) + " " + std::to_string(i) + "\n";
  return text;
}

const std::vector<KeysCase> kKeysCases = {
    {"a name over 13 characters", "#define ENTER 13\n#define CTRL_SHIFT_HOME 0x7701\n",
     {{"name-too-long", 2, 9, "the player knows it as [CTRL_SHIFT_HO]", "at most 13"}}},
    {"two long names equal once cut",
     "#define CTRL_SHIFT_HOME 0x7701\n#define CTRL_SHIFT_HOLD 0x7702\n",
     {{"name-too-long", 1, 9, "knows it as [CTRL_SHIFT_HO], the same as 'CTRL_SHIFT_HOLD' (line 2)",
       "[CTRL_SHIFT_HO] gives 0x7701"},
      {"name-too-long", 2, 9, "but [CTRL_SHIFT_HO] gives 0x7701, the key of 'CTRL_SHIFT_HOME' (line 1)",
       "make their first 13"}}},
    {"an empty name hides the names behind it",
     "#define ENTER 13\n#define  0x3000\n#define HOME 0x4700\n#define ESC 27\n",
     {{"empty-name", 2, 9, "1 name behind it in code order is never found: HOME", "remove the extra blank"}}},
    {"hidden names in code order",
     "#define  0x1000\n#define ZED 0x3000\n#define ABC 0x2000\n#define ENTER 13\n",
     {{"empty-name", 1, 9, "2 names behind it in code order are never found: ABC, ZED", "remove"}}},
    {"hidden long names that are equal once cut, listed once",
     "#define  0x1000\n#define CTRL_SHIFT_PAGE_UP 0x7701\n#define CTRL_SHIFT_PAGE_DN 0x7702\n",
     {{"empty-name", 1, 9, "1 name behind it in code order is never found: CTRL_SHIFT_PA", "remove"},
      {"name-too-long", 2, 9, "but [CTRL_SHIFT_PA] gives no key: an empty key name ahead of it in the table (line 1)",
       "[CTRL_SHIFT_PA] gives no key"},
      {"name-too-long", 3, 9, "the same as 'CTRL_SHIFT_PAGE_UP' (line 2), but", "make their first 13"}}},
    {"a code whose low 16 bits are 0", "#define ENTER 13\n#define F1 0x10000\n",
     {{"code-zero", 2, 12, "0x10000 has 0 in its low 16 bits", "1 to 0xFFFF"}}},
    {"a name equal to a command", "#define ENTER 13\n#define HALT 0x2300\n",
     {{"name-is-command", 2, 9, "[HALT] always runs the command", "rename the key"}}},
    {"the same name twice", "#define F2 0x3C00\n#define ENTER 13\n#define F2 0x3B00\n",
     {{"duplicate-name", 3, 9, "first on line 1): [F2] gives 0x3B00, the lower code", "keep one"}}},
    {"the same name twice with one code", "#define TAB 9\n#define TAB 9\n",
     {{"duplicate-name", 2, 9, "with the same code", "keep one"}}},
    {"no number", "#define ENTER 13\n#define HOME\n",
     {{"defines-nothing", 2, 1, "no number behind 'HOME'", "code behind the name"}}},
    {"a number that is no number", "#define ENTER 13\n  #define HOME abc\n",
     {{"defines-nothing", 2, 3, "no number behind 'HOME'", "code behind the name"}}},
    {"an octal number with the digit 9", "#define ENTER 13\n#define TAB 09\n",
     {{"defines-nothing", 2, 1, "'09' reads as 0", "octal"}}},
    {"a number 0", "#define ENTER 13\n#define NUL 0\n",
     {{"defines-nothing", 2, 1, "reads as 0", "1 to 0xFFFF"}}},
    {"the keyword alone", "#define ENTER 13\n#define\n",
     {{"defines-nothing", 2, 1, "no name", ""}}},
    {"an include guard is no mistake", "#ifndef KEYS_H\n#define KEYS_H\n#define ENTER 13\n#endif\n", {}},
    {"a definition in a line comment is read", "#define ENTER 13\n// #define OLD 0x600\n",
     {{"commented-definition", 2, 12, "in a comment", "delete the line"}}},
    {"a definition in a block comment is read", "/* old keys:\n#define OLD 0x600\n*/\n#define ENTER 13\n",
     {{"commented-definition", 2, 9, "in a comment", "delete the line"}}},
    {"more than 300 definitions", ManyDefinitions(303),
     {{"too-many-definitions", 302, 9, "this one and 2 more behind it are ignored", "remove"}}},
    {"no definition at all", "/* nothing */\n",
     {{"no-definitions", 0, 0, "no line defines a key", "#define NAME number"}}},
};

TEST(KeyFileDiagnostics, EachMistakeIsFoundWithItsPlaceAndHint) {
  for (const KeysCase &c : kKeysCases) {
    SCOPED_TRACE(c.what);
    CheckResult result = Check(c.keys, {});
    ExpectFindings(result.keys.diagnostics, c.expected);
  }
}

TEST(KeyFileDiagnostics, TheLoaderReadsCrLfLinesAndTabsAlike) {
  CheckResult result = Check("#define\tENTER\t13\r\n#define TAB 9\r\n#define F1 0x3B00", {});
  EXPECT_TRUE(result.keys.diagnostics.empty()) << Describe(result.keys.diagnostics);
  ASSERT_EQ(3u, result.keys.definitions.size());
  EXPECT_EQ(3, result.keys.definitions[2].line);
  for (const macro::KeyDefinition &d : result.keys.definitions) EXPECT_TRUE(d.reachable) << d.fullName;
}

TEST(KeyFileDiagnostics, DefinitionsBehindTheTablesEndAreIgnoredButKnown) {
  CheckResult result = Check(ManyDefinitions(301), {"[K300][K301]"});
  ASSERT_EQ(301u, result.keys.definitions.size());
  EXPECT_TRUE(result.keys.definitions[299].reachable);
  EXPECT_FALSE(result.keys.definitions[300].stored);
  ASSERT_EQ(1u, result.macros[0].diagnostics.size()) << Describe(result.macros[0].diagnostics);
  EXPECT_EQ("keys.h:302 defines it behind the 300th definition, which is ignored",
            result.macros[0].diagnostics[0].hint);
}

// What PrintText prints for a check.
std::string Printed(const CheckResult &result) { return PrintedReport(result, false, checker::OutputOptions()); }

TEST(KeyFileDiagnostics, BesideMacrosOnlyThoseAboutTheirWordsAreShown) {
  const std::string keys =
      "#define ENTER 13\n"
      "#define KEY_CTRL_KEYPAD_1 0x0C01\n"
      "#define KEY_CTRL_KEYPAD_5 0x0C05\n"
      "#define VERY_LONG_NAME_A 0x2001\n"
      "#define VERY_LONG_NAME_B 0x2002\n"
      "#define HALT 0x2300\n";
  // Alone, the key file's findings are all listed.
  CheckResult alone = Check(keys, {});
  ASSERT_EQ(5u, alone.keys.diagnostics.size()) << Describe(alone.keys.diagnostics);
  EXPECT_EQ(5u, checker::Count(alone.keys, alone.macros).warnings);
  EXPECT_EQ(std::string::npos, Printed(alone).find("to list them all"));

  // Beside a macro, those about its words in full ([enter] is about
  // ENTER, [HALT] about the key named HALT), the rest summed up.
  CheckResult result = Check(keys, {"[enter][KEY_CTRL_KEYPAD_5]x[HALT]"});
  std::vector<std::string> shown;
  for (const Diagnostic &d : result.keys.diagnostics)
    if (!d.summarized) shown.push_back(d.id + ":" + std::to_string(d.position.line));
  EXPECT_EQ((std::vector<std::string>{"name-too-long:3", "name-is-command:6"}), shown);
  checker::Totals totals = checker::Count(result.keys, result.macros);
  EXPECT_EQ(4u, totals.warnings);  // two of the macro, two of the key file
  EXPECT_EQ(3u, totals.summarized);
  const std::string text = Printed(result);
  const size_t macroFinding = text.find("m.txt:1:1: warning: [enter]");
  const size_t keyFinding = text.find("keys.h:3:9: warning: key name 'KEY_CTRL_KEYPAD_5'");
  const size_t summary = text.find(
      "keys.h: note: 3 findings about key names that no checked macro uses (3 name-too-long)\n"
      "  hint: to list them all: " + os::ToolCommand("tastiro-check") + " --keys keys.h\n");
  ASSERT_NE(std::string::npos, macroFinding) << text;
  ASSERT_NE(std::string::npos, keyFinding) << text;
  ASSERT_NE(std::string::npos, summary) << text;
  EXPECT_LT(macroFinding, keyFinding);
  EXPECT_LT(keyFinding, summary);
  EXPECT_EQ(std::string::npos, text.find("VERY_LONG_NAME")) << text;
  EXPECT_NE(std::string::npos, text.find("4 warnings, 0 errors\n")) << text;
}

// The key delay a host folder's settings hold, read as the host reads them.
TEST(KeyDelay, IsTheOneStoredInTheHostsSettingsElseTheDefault) {
  struct Case {
    const char *ini;  // null: no file
    uint16_t delay;
    const char *source;
  } cases[] = {
      {nullptr, 100, "the default (no "},
      {"[MacroFormFile]\r\nFile=a.txt\r\nDelay=300\r\n", 300, "stored in "},
      {"[macroformfile]\ndelay = 0x20\n", 32, "stored in "},
      {"[MacroFormFile]\r\nFile=a.txt\r\n", 100, "stores no key delay"},
      {"[Other]\r\nDelay=300\r\n", 100, "stores no key delay"},
      {"[MacroFormFile]\r\nDelay=abc\r\n", 100, "stores no key delay"},
  };
  const std::string path = testing::TempDir() + "tastiro-check-VOLMAR.ini";
  for (const Case &c : cases) {
    SCOPED_TRACE(c.ini != nullptr ? c.ini : "(none)");
    remove(path.c_str());
    if (c.ini != nullptr) {
      FILE *file = fopen(path.c_str(), "wb");
      ASSERT_NE(nullptr, file);
      fputs(c.ini, file);
      fclose(file);
    }
    checker::KeyDelay delay = checker::HostKeyDelay(path);
    EXPECT_EQ(c.delay, delay.milliseconds);
    EXPECT_NE(std::string::npos, delay.source.find(c.source)) << delay.source;
  }
  remove(path.c_str());
}

}  // namespace

// A run of '[' closed far behind: each '[' is a word too long, whose length
// runs to that one ']'; beyond the findings kept, the rest are counted and
// still make the exit status and the totals.
TEST(MacroDiagnostics, ARunOfOpeningBracketsKeepsItsFirstFindingsAndCountsTheRest) {
  const size_t words = macro::kKeptFindings + 250;
  const std::string run(words * (kMacroWordChars + 2), '[');  // [, 19 kept, 1 fed alone
  CheckResult result = Check(kKeys, {run + "\r\n]"});
  const macro::MacroReport &m = result.macros[0];
  ASSERT_EQ(macro::kKeptFindings, m.diagnostics.size());
  EXPECT_EQ(words - macro::kKeptFindings, m.warningsNotKept);
  EXPECT_EQ("word-too-long", m.diagnostics[1].id);
  EXPECT_EQ(22, m.diagnostics[1].position.column);
  // The length runs to the ']' behind the line break.
  EXPECT_NE(std::string::npos, m.diagnostics[1].message.find(std::to_string(run.size() - 22 + 2)))
      << m.diagnostics[1].message;
  EXPECT_EQ(words, checker::Count(result.keys, result.macros).warnings);
  EXPECT_NE(std::string::npos, checker::TextReport(result.keys, result.macros, {})
                                   .find("250 more of the same kinds, not listed (the first 1000 are)"));
}
