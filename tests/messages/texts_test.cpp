// The tools' one message scheme (tools/lang, tools/messages): both catalogs
// complete in both languages, placeholders and plurals filled, long values
// cut, and the language chosen from the environment or --lang.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "tools/lang/lang.h"
#include "tools/messages/check_texts.h"
#include "tools/messages/cli_texts.h"
#include "tools/messages/merge_texts.h"
#include "tools/messages/shared_texts.h"
#include "tools/messages/tell.h"

namespace {

using lang::Language;

// Restores the language a test changed.
struct LanguageScope {
  ~LanguageScope() { lang::Set(Language::kEnglish); }
};

// Every catalog's texts, as one list: the shared catalog's ids are in no
// tool's own catalog, so that a message both tools say is written once.
template <class Id>
void Add(std::vector<lang::Text> *all) {
  using Texts = messages::Catalog<Id>;
  EXPECT_EQ("", lang::CheckCatalog(Texts::kTexts, Texts::kCount));
  all->insert(all->end(), Texts::kTexts, Texts::kTexts + Texts::kCount);
}

TEST(Catalog, EveryMessageOfBothToolsHasBothLanguagesWithTheSamePlaceholders) {
  std::vector<lang::Text> check, merge;
  Add<messages::SharedMsg>(&check);
  Add<messages::CheckMsg>(&check);
  Add<messages::SharedMsg>(&merge);
  Add<messages::MergeMsg>(&merge);
  // An id in the shared catalog and a tool's own is said twice: the check
  // of the whole finds it.
  EXPECT_EQ("", lang::CheckCatalog(check.data(), check.size()));
  EXPECT_EQ("", lang::CheckCatalog(merge.data(), merge.size()));
  EXPECT_GT(messages::Catalog<messages::CheckMsg>::kCount, 100u);
  EXPECT_GT(messages::Catalog<messages::MergeMsg>::kCount, 100u);
  EXPECT_GT(messages::Catalog<messages::SharedMsg>::kCount, 15u);
}

// The severity never stands inside a message: it is the kind Tell puts in.
TEST(Catalog, NoMessageSpellsItsOwnSeverity) {
  std::vector<lang::Text> all;
  Add<messages::CheckMsg>(&all);
  Add<messages::MergeMsg>(&all);
  Add<messages::CliMsg>(&all);
  for (const lang::Text &t : all) {
    const std::string id = t.id;
    if (id.rfind("kResume", 0) == 0) continue;  // moved with the --resume messages' rewrite
    for (const char *word : {"error: ", "warning: ", "note: "})
      EXPECT_EQ(std::string::npos, std::string(t.en).find(word)) << id << ": " << t.en;
    for (const char *word : {"błąd: ", "ostrzeżenie: ", "uwaga: "})
      EXPECT_EQ(std::string::npos, std::string(t.pl).find(word)) << id << ": " << t.pl;
  }
}

TEST(Tell, PutsThePlaceAndTheSeverityInTheUsersLanguage) {
  LanguageScope scope;
  using messages::Severity;
  struct Case {
    Severity kind;
    const char *where, *english, *polish;
  } cases[] = {
      {Severity::kError, "dane.csv:3", "dane.csv:3: error: text", "dane.csv:3: błąd: text"},
      {Severity::kWarning, "tastiro-merge", "tastiro-merge: warning: text", "tastiro-merge: ostrzeżenie: text"},
      {Severity::kNote, "a.txt:1:5", "a.txt:1:5: note: text", "a.txt:1:5: uwaga: text"},
      {Severity::kError, "", "error: text", "błąd: text"},
  };
  for (const Case &c : cases) {
    lang::Set(Language::kEnglish);
    EXPECT_EQ(c.english, messages::Tell(c.kind, c.where, "text"));
    lang::Set(Language::kPolish);
    EXPECT_EQ(c.polish, messages::Tell(c.kind, c.where, "text"));
  }
  EXPECT_EQ("a.txt", messages::Where("a.txt"));
  EXPECT_EQ("a.txt:3", messages::Where("a.txt", 3));
  EXPECT_EQ("a.txt:3:7", messages::Where("a.txt", 3, 7));
  EXPECT_EQ("a.txt", messages::Where("a.txt", 0, 7));
}

TEST(Catalog, ItsCheckFindsEachKindOfFault) {
  const lang::Text broken[] = {
      {"kFine", "{1} of {2} {2|file|files}", "{2} z {1} {2|plik|pliki|plików}"},
      {"kNoPolish", "text", ""},
      {"kLostValue", "{1} and {2}", "{1}"},
      {"kStrayBrace", "a {b}", "a {b}"},
      {"kTwoPolishForms", "{1} {1|file|files}", "{1} {1|plik|pliki}"},
      {"kThreeEnglishForms", "{1} {1|file|files|filez}", "{1} {1|plik|pliki|plików}"},
      {"kFine", "x", "y"},
  };
  const std::string faults = lang::CheckCatalog(broken, sizeof broken / sizeof broken[0]);
  EXPECT_EQ(std::string::npos, faults.find("kFine: the placeholders")) << faults;
  EXPECT_NE(std::string::npos, faults.find("kNoPolish: no Polish text")) << faults;
  EXPECT_NE(std::string::npos, faults.find("kLostValue: the placeholders differ")) << faults;
  EXPECT_NE(std::string::npos, faults.find("kStrayBrace: a stray brace")) << faults;
  EXPECT_NE(std::string::npos, faults.find("kTwoPolishForms: a stray brace or a plural without three"))
      << faults;
  EXPECT_NE(std::string::npos, faults.find("kThreeEnglishForms: a stray brace or a plural without two"))
      << faults;
  EXPECT_NE(std::string::npos, faults.find("kFine: the id is used twice")) << faults;
}

TEST(Fill, PutsValuesInTheirPlaces) {
  EXPECT_EQ("b a", lang::Fill("{2} {1}", {"a", "b"}));
  EXPECT_EQ("{x} a", lang::Fill("{{x}} {1}", {"a"}));
  EXPECT_EQ("a {2}", lang::Fill("{1} {2}", {"a"}));  // no value: left for the reader to see
  EXPECT_EQ("row 12 of 3", lang::Fill("row {1} of {2}", {12, size_t{3}}));
  EXPECT_EQ((1L << 1) | (1L << 3), lang::Placeholders("{3} {1|a|b} {{", 2));
  EXPECT_EQ("0A", lang::Hex(10));
  EXPECT_EQ("1F4", lang::Hex(500, 1));
}

TEST(Fill, ChoosesThePluralFormFromTheNumber) {
  struct Case {
    unsigned long long n;
    const char *polish, *english;
  } cases[] = {
      {0, "0 plików", "0 files"},   {1, "1 plik", "1 file"},      {2, "2 pliki", "2 files"},
      {4, "4 pliki", "4 files"},    {5, "5 plików", "5 files"},   {11, "11 plików", "11 files"},
      {12, "12 plików", "12 files"}, {14, "14 plików", "14 files"}, {21, "21 plików", "21 files"},
      {22, "22 pliki", "22 files"}, {24, "24 pliki", "24 files"}, {25, "25 plików", "25 files"},
      {101, "101 plików", "101 files"}, {112, "112 plików", "112 files"},
      {1002, "1002 pliki", "1002 files"},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(c.polish, lang::Fill("{1} {1|plik|pliki|plików}", {c.n})) << c.n;
    EXPECT_EQ(c.english, lang::Fill("{1} {1|file|files}", {c.n})) << c.n;
  }
}

TEST(Fill, CutsALongValueButNotAMessageSaidInside) {
  const std::string header(50 * 1000 * 1000, 'x');
  const std::string said = lang::Fill("no column \"{1}\"; the columns are: {2}", {header, header});
  EXPECT_LT(said.size(), 2 * lang::kLongestValue + 50);
  EXPECT_NE(std::string::npos, said.find("xxx\xE2\x80\xA6\"; the columns are: xxx")) << said.substr(0, 300);
  // Cut between characters, never inside one.
  const std::string letters = lang::Fill("{1}", {std::string(300, 'a') + "ąę"});
  EXPECT_EQ(std::string(200, 'a') + "\xE2\x80\xA6", letters);
  EXPECT_EQ(std::string(199, 'a') + "ą\xE2\x80\xA6", lang::Fill("{1}", {std::string(199, 'a') + "ąę"}));
  const std::string inner(500, 'm');
  EXPECT_EQ("error: " + inner, lang::Fill("error: {1}", {lang::Whole(inner)}));
}

TEST(Say, SpeaksTheChosenLanguage) {
  LanguageScope scope;
  lang::Set(Language::kPolish);
  EXPECT_EQ("ostrzeżenia: 2, błędy: 1", messages::Say(messages::MergeMsg::kSummary, {2, 1}));
  EXPECT_EQ("to folder, a nie plik szablonu; nic nie zapisano",
            messages::Say(messages::MergeMsg::kInputFolder, {messages::Say(messages::MergeMsg::kWhatTemplate)}));
  EXPECT_EQ("3 uwagi", messages::Say(messages::CheckMsg::kFindings, {3}));
  lang::Set(Language::kEnglish);
  EXPECT_EQ("2 warnings, 1 error", messages::Say(messages::MergeMsg::kSummary, {2, 1}));
  EXPECT_EQ("1 warning, 0 errors", messages::Say(messages::MergeMsg::kSummary, {1, 0}));
  EXPECT_EQ("the row has 1 field and the header 2: column 2 \"b\" is missing",
            messages::Say(messages::MergeMsg::kRowTooShort, {1, 2, 2, "b"}));
}

TEST(Language, FollowsTheLocaleName) {
  struct Case {
    const char *name;
    Language expected;
  } cases[] = {
      {"pl_PL.UTF-8", Language::kPolish}, {"pl", Language::kPolish},
      {"pl_PL@euro", Language::kPolish},  {"PL_pl", Language::kPolish},
      {"pl-PL", Language::kPolish},       {"C", Language::kEnglish},
      {"C.UTF-8", Language::kEnglish},    {"en_GB.UTF-8", Language::kEnglish},
      {"de_DE", Language::kEnglish},      {"plt", Language::kEnglish},
      {"", Language::kEnglish},           {nullptr, Language::kEnglish},
  };
  for (const Case &c : cases)
    EXPECT_EQ(c.expected, lang::FromLocaleName(c.name)) << (c.name ? c.name : "(null)");
}

TEST(Language, TakesTheFirstOfLcAllLcMessagesAndLangThatIsSet) {
  struct Case {
    const char *lcAll, *lcMessages, *langVariable;
    Language expected;
  } cases[] = {
      {nullptr, nullptr, "pl_PL.UTF-8", Language::kPolish},
      {nullptr, nullptr, "C", Language::kEnglish},
      {nullptr, "pl_PL", "C", Language::kPolish},
      {"C", "pl_PL", "pl_PL", Language::kEnglish},
      {"", "", "pl_PL.UTF-8", Language::kPolish},  // empty ones do not count
      {"pl_PL.UTF-8", nullptr, "en_US", Language::kPolish},
      {nullptr, nullptr, nullptr, Language::kEnglish},
  };
  const char *names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  std::string saved[3];
  bool had[3];
  for (int i = 0; i < 3; ++i) {
    const char *value = getenv(names[i]);
    had[i] = value != nullptr;
    saved[i] = value ? value : "";
  }
  for (const Case &c : cases) {
    const char *values[] = {c.lcAll, c.lcMessages, c.langVariable};
    for (int i = 0; i < 3; ++i) {
      if (values[i]) setenv(names[i], values[i], 1);
      else unsetenv(names[i]);
    }
    EXPECT_EQ(c.expected, lang::FromEnvironment())
        << (c.lcAll ? c.lcAll : "-") << " " << (c.lcMessages ? c.lcMessages : "-") << " "
        << (c.langVariable ? c.langVariable : "-");
  }
  for (int i = 0; i < 3; ++i) {
    if (had[i]) setenv(names[i], saved[i].c_str(), 1);
    else unsetenv(names[i]);
  }
}

TEST(Language, TheOptionTakesPlOrEnOnly) {
  Language language = Language::kEnglish;
  EXPECT_TRUE(lang::ByName("pl", &language));
  EXPECT_EQ(Language::kPolish, language);
  EXPECT_TRUE(lang::ByName("EN", &language));
  EXPECT_EQ(Language::kEnglish, language);
  EXPECT_FALSE(lang::ByName("de", &language));
  EXPECT_FALSE(lang::ByName("polski", &language));
}

}  // namespace
