// Paths, dates and the typed formatting behind the host's small services.
#include <gtest/gtest.h>

#include <string.h>

#include "host/app/core/date_text.h"
#include "host/app/core/paths.h"
#include "host/app/core/safe_format.h"

namespace volmar {
namespace {

TEST(AddExtension, PutsTheExtensionInPlaceOfTheOldOne) {
  struct Case {
    const char16_t *path, *result;
  } cases[] = {
      {u"macro.txt", u"macro.log"},
      {u"C:\\makra\\macro.TXT", u"C:\\makra\\macro.log"},
      {u"macro", u"macro.log"},
      {u"dir.d\\macro", u"dir.d\\macro.log"},
      {u"dir.d/macro", u"dir.d/macro.log"},
      {u"a.b.txt", u"a.b.log"},
      {u".hidden", u".hidden.log"},
      {u"notes.log", u"notes.log.log"},  // never the macro file itself
      {u"notes.LOG", u"notes.LOG.log"},
      {u"", u".log"},
  };
  for (const Case &c : cases) {
    char16_t buffer[260];
    std::u16string path(c.path);
    memcpy(buffer, path.c_str(), (path.size() + 1) * 2);
    EXPECT_EQ(0, AddExtension(buffer, 260, u".log"));
    EXPECT_EQ(std::u16string(c.result), std::u16string(buffer));
  }
}

TEST(AddExtension, AResultThatDoesNotFitEmptiesThePath) {
  char16_t buffer[10] = u"abcdefgh";  // 8 units and the zero: ".log" cannot follow
  EXPECT_EQ(-1, AddExtension(buffer, 10, u".log"));
  EXPECT_EQ(0, buffer[0]);
  char16_t fits[10] = u"abcd.txt";
  EXPECT_EQ(0, AddExtension(fits, 10, u".log"));
}

TEST(MakePath, JoinsTheHostFolderUnlessThePathIsAbsolute) {
  char16_t buffer[260];
  EXPECT_EQ(0, MakePath(buffer, 260, u"C:\\volmar", u"wtyczki\\keys.h"));
  EXPECT_EQ(u"C:\\volmar\\wtyczki\\keys.h", std::u16string(buffer));
  EXPECT_EQ(0, MakePath(buffer, 260, u"C:\\volmar", u"D:\\x.txt"));
  EXPECT_EQ(u"D:\\x.txt", std::u16string(buffer));
  EXPECT_EQ(0, MakePath(buffer, 260, u"C:\\volmar", u"\\x.txt"));
  EXPECT_EQ(u"\\x.txt", std::u16string(buffer));
  EXPECT_EQ(-1, MakePath(buffer, 12, u"C:\\volmar", u"wtyczki\\keys.h"));
  EXPECT_EQ(0, buffer[0]);
}

TEST(DateNumber, ReadsBuildDatesAndRisesWithThem) {
  struct Case {
    const char *text;
    uint32_t number;
  } cases[] = {
      {"May 17 2023", 20230517},  {"May  7 2023", 20230507}, {"Dec 31 1999", 19991231},
      {"Feb 29 2024", 20240229},  {"Feb 29 2023", kUnreadableDate}, {"May 32 2023", kUnreadableDate},
      {"may 17 2023", kUnreadableDate}, {"May 17 23", kUnreadableDate},
      {"May 17 2023x", kUnreadableDate}, {"", kUnreadableDate}, {nullptr, kUnreadableDate},
  };
  for (const Case &c : cases) EXPECT_EQ(c.number, DateNumber(c.text)) << (c.text ? c.text : "null");
  EXPECT_LT(DateNumber("May 16 2023"), DateNumber("May 17 2023"));
  EXPECT_LT(DateNumber("Dec 31 2022"), DateNumber("Jan  1 2023"));
}

TEST(DateTimeText, FormatsWhatTheFlagsAskFor) {
  char date[12], time[12];
  FormatDateTime(CivilTime{2026, 12, 7, 10, 11, 12}, date, time, 0x30);
  EXPECT_STREQ("2026-12-07", date);
  EXPECT_STREQ("10:11:12", time);
  FormatDateTime(CivilTime{2026, 12, 7, 10, 11, 12}, date, time, 0x10);
  EXPECT_STREQ("", time);
}

TEST(FormatValues, FillsNumbersAndTextsAndShowsWhatDoesNotFit) {
  using V = FormatValue;
  EXPECT_EQ("Błąd 2 (systemowy 3) przy 'a.txt'",
            FormatValues("Błąd %d (systemowy %d) przy '%s'", {V::Number(2), V::Number(3), V::Text("a.txt")}));
  EXPECT_EQ("100% 0x00FF [  ab]", FormatValues("100%% 0x%04X [%4s]", {V::Number(255), V::Text("ab")}));
  // A number directive facing a text reads nothing; an unknown directive
  // and one without a value left stay as they are.
  EXPECT_EQ("%d x %p %s", FormatValues("%d %s %p %s", {V::Text("x")}));
  EXPECT_EQ("", FormatValues(nullptr, {}));
}

}  // namespace
}  // namespace volmar
