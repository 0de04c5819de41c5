// The INI store and HostProfile's read and write formats.
#include <gtest/gtest.h>
#include <string.h>

#include "host/app/core/ini_store.h"
#include "host/app/core/profile.h"

namespace volmar {
namespace {

class ProfileTest : public ::testing::Test {
 protected:
  int32_t Call(int32_t operation, const char *section, const char *key, const char *format, ...) {
    va_list values;
    va_start(values, format);
    int32_t result = ProfileCall(store, [this](const IniStore &) { ++saves; return saveWorks; },
                                 operation, section, key, format, values);
    va_end(values);
    return result;
  }

  IniStore store;
  int saves = 0;
  bool saveWorks = true;
};

TEST_F(ProfileTest, NumberReadStoresSixteenBitsAndNothingBeyond) {
  EXPECT_EQ(0, Call(kProfileWriteText, "MacroFormFile", "Delay", "%d", 40000));
  uint8_t target[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  EXPECT_EQ(0, Call(kProfileRead, "MacroFormFile", "Delay", "%d", target));
  EXPECT_EQ(40000, target[0] | target[1] << 8);
  EXPECT_EQ(0xAA, target[2]);

  EXPECT_EQ(0, Call(kProfileWrite, "MacroFormFile", "Pytaj", "%d", -1));
  int32_t answer = 0;
  EXPECT_EQ(0, Call(kProfileRead, "MacroFormFile", "Pytaj", "%d", &answer));
  EXPECT_EQ(0xFFFF, answer);  // low 16 bits only; the rest as it was
  EXPECT_EQ(2, saves);
}

TEST_F(ProfileTest, WidthTextReadStoresAtMostTheWidthAndAZero) {
  EXPECT_EQ(0, Call(kProfileWriteText, "MacroFormFile", "File", "%s", "abcdefgh.txt"));
  char target[8];
  memset(target, 'x', sizeof target);
  EXPECT_EQ(0, Call(kProfileReadText, "MacroFormFile", "File", "%*s", 5, target));
  EXPECT_STREQ("abcde", target);
  EXPECT_EQ('x', target[6]);
  char fixed[8];
  EXPECT_EQ(0, Call(kProfileRead, "MacroFormFile", "File", "%3s", fixed));
  EXPECT_STREQ("abc", fixed);
}

TEST_F(ProfileTest, HostTextIsStoredAsUtf8AndReadBackAsHostText) {
  EXPECT_EQ(0, Call(kProfileWriteText, "MacroFormFile", "File", "%s", "\xA7\x92w.txt"));  // "żłw.txt"
  EXPECT_NE(std::string::npos, store.Serialize().find("File=żłw.txt"));
  char target[258];
  EXPECT_EQ(0, Call(kProfileReadText, "MacroFormFile", "File", "%*s", 257, target));
  EXPECT_STREQ("\xA7\x92w.txt", target);
}

TEST_F(ProfileTest, FailedReadsLeaveTheirTargetAlone) {
  int16_t number = 7;
  char text[8] = "keep";
  EXPECT_EQ(1, Call(kProfileRead, "MacroFormFile", "Missing", "%d", &number));
  EXPECT_EQ(1, Call(kProfileReadText, "MacroFormFile", "Missing", "%*s", 7, text));
  EXPECT_EQ(0, Call(kProfileWrite, "MacroFormFile", "Word", "%s", "abc"));
  EXPECT_EQ(1, Call(kProfileRead, "MacroFormFile", "Word", "%d", &number));
  EXPECT_EQ(1, Call(kProfileRead, "MacroFormFile", "Word", "%s", text));  // no width: refused
  EXPECT_EQ(7, number);
  EXPECT_STREQ("keep", text);
}

TEST_F(ProfileTest, RefusesWhatItCannotServe) {
  EXPECT_EQ(1, Call(3, "MacroFormFile", "Delay", "%d", 1));
  EXPECT_EQ(1, Call(kProfileWrite, "MacroFormFile", "a=b", "%d", 1));
  EXPECT_EQ(1, Call(kProfileWrite, "Macro]", "Delay", "%d", 1));
  EXPECT_EQ(1, Call(kProfileWrite, nullptr, "Delay", "%d", 1));
  saveWorks = false;
  EXPECT_EQ(1, Call(kProfileWrite, "MacroFormFile", "Delay", "%d", 1));
}

TEST_F(ProfileTest, AWrittenLineBreakEndsTheValue) {
  EXPECT_EQ(0, Call(kProfileWriteText, "S", "K", "%s", "one\ntwo"));
  EXPECT_EQ("one", store.Get("S", "K").value());
}

TEST(IniStore, ReadsNamesAndValuesWhateverTheirCaseAndBlanks) {
  IniStore store;
  store.Parse("\xEF\xBB\xBF[MacroFormFile]\r\n  Pytaj = 1 \r\nFile=a b.txt\r\n; x=1\r\n[Other]\nx=y");
  EXPECT_EQ("1", store.Get("macroformfile", "PYTAJ").value());
  EXPECT_EQ("a b.txt", store.Get("MacroFormFile", "File").value());
  EXPECT_FALSE(store.Get("MacroFormFile", "x").has_value()) << "a comment is no key";
  EXPECT_EQ("y", store.Get("Other", "x").value());
}

// Each write changes only its value's line or adds one line at the end of
// its section's keys: comments, blank lines, line ends and order stay.
TEST(IniStore, WritesKeepTheFileAsTheUserWroteIt) {
  struct Case {
    const char *what, *before, *section, *key, *value, *after;
  } cases[] = {
      {"a value in place, blanks and case kept", "; mine\r\n[A]\r\n  Key = 1 \r\nz=2\r\n", "a", "KEY",
       "25", "; mine\r\n[A]\r\n  Key = 25 \r\nz=2\r\n"},
      {"a new key behind the last key, not behind the comment leading into the next section",
       "[A]\r\nx=1\r\n\r\n; the form's file\r\n[MacroFormFile]\r\nFile=a\r\n", "A", "Pytaj", "1",
       "[A]\r\nx=1\r\nPytaj=1\r\n\r\n; the form's file\r\n[MacroFormFile]\r\nFile=a\r\n"},
      {"a new key in an empty section goes under its header", "[A]\n; note\n\n[B]\n", "A", "k", "v",
       "[A]\nk=v\n; note\n\n[B]\n"},
      {"a new section at the end behind a blank line, in the file's LF line ends",
       "; top\n[A]\nx=1\n", "New", "k", "v", "; top\n[A]\nx=1\n\n[New]\nk=v\n"},
      {"a last line without a line end gets one", "[A]\r\nx=1", "A", "y", "2", "[A]\r\nx=1\r\ny=2\r\n"},
      {"a file ending in a blank line gets no second one", "[A]\r\nx=1\r\n\r\n", "B", "k", "v",
       "[A]\r\nx=1\r\n\r\n[B]\r\nk=v\r\n"},
      {"an empty file", "", "S", "k", "v", "[S]\r\nk=v\r\n"},
      {"LF line ends behind a first blank line", "\n[A]\nx=1\n", "B", "k", "v", "\n[A]\nx=1\n\n[B]\nk=v\n"},
      {"an emptied value", "[A]\r\nk=old ; not a comment\r\n", "A", "k", "", "[A]\r\nk=\r\n"},
      {"the first of two sections of one name", "[A]\r\nk=1\r\n[A]\r\nk=2\r\n", "A", "k", "3",
       "[A]\r\nk=3\r\n[A]\r\nk=2\r\n"},
  };
  for (const Case &c : cases) {
    IniStore store;
    store.Parse(c.before);
    store.Set(c.section, c.key, c.value);
    EXPECT_EQ(c.after, store.Serialize()) << c.what;
    EXPECT_EQ(c.value, store.Get(c.section, c.key).value_or("<none>")) << c.what;
    IniStore again;
    again.Parse(store.Serialize());
    EXPECT_EQ(store.Serialize(), again.Serialize()) << c.what;
  }
}

}  // namespace
}  // namespace volmar
