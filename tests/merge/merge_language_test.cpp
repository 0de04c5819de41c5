// tastiro-merge in two languages, and its templates in each code page: every
// message has its Polish with the same printf conversions, every English
// message of merge_texts.h has its Polish, and a template is read right in
// each encoding it may have been saved in (or refused, naming the likely one).
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "tools/lang/lang.h"
#include "tools/texts/merge_texts.h"
#include "tools/merging/template.h"

namespace {

using codec::CodePage;

TEST(MergeCatalog, EveryMessageHasBothLanguagesWithTheSameConversions) {
  EXPECT_EQ("", lang::CheckCatalog(merge::kMergeTexts, merge::kMergeTextCount,
                                   lang::Placeholding::kPrintf));
}

TEST(MergeCatalog, EveryEnglishMessageHasItsPolish) {
  std::ifstream header(MERGE_MESSAGES_H);
  ASSERT_TRUE(header.good()) << MERGE_MESSAGES_H;
  std::stringstream text;
  text << header.rdbuf();
  const std::string source = text.str();
  std::set<std::string> translated;
  for (size_t i = 0; i < merge::kMergeTextCount; ++i) translated.insert(merge::kMergeTexts[i].id);
  const std::regex declaration(R"(inline constexpr char (k\w+)\[\])");
  size_t english = 0;
  for (std::sregex_iterator it(source.begin(), source.end(), declaration), end; it != end; ++it) {
    ++english;
    EXPECT_TRUE(translated.count((*it)[1])) << (*it)[1] << " has no Polish in merge_texts_pl.def";
  }
  EXPECT_GT(english, 50u);
}

TEST(MergeCatalog, AMessageIsFormattedInTheChosenLanguage) {
  lang::Set(lang::Language::kPolish);
  EXPECT_EQ("ostrzeżenia: 2, błędy: 1", merge::Format(merge::msg::kSummary, 2, "s", 1, ""));
  // A message among the values is read in the same language.
  EXPECT_EQ("x: błąd: to folder, a nie plik szablonu; nic nie zapisano",
            merge::Format(merge::msg::kInputFolder, "x", merge::msg::kWhatTemplate));
  lang::Set(lang::Language::kEnglish);
  EXPECT_EQ("2 warnings, 1 error", merge::Format(merge::msg::kSummary, 2, "s", 1, ""));
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
    const bool read = merge::ReadMacroText("t.txt", c.bytes, c.declared, CodePage::kUtf8, &out, &error);
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
