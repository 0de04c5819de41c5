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

TEST(IniStore, ReadsWritesAndKeepsComments) {
  IniStore store;
  store.Parse("; settings\r\n[MacroFormFile]\r\n  Pytaj = 1 \r\nFile=a b.txt\r\n\r\n[Other]\nx=y\n");
  EXPECT_EQ("1", store.Get("macroformfile", "PYTAJ").value());
  EXPECT_EQ("a b.txt", store.Get("MacroFormFile", "File").value());
  EXPECT_FALSE(store.Get("MacroFormFile", "x").has_value());
  store.Set("MacroFormFile", "Delay", "250");
  store.Set("New", "k", "v");
  EXPECT_EQ("; settings\r\n[MacroFormFile]\r\nPytaj=1\r\nFile=a b.txt\r\nDelay=250\r\n\r\n"
            "[Other]\r\nx=y\r\n\r\n[New]\r\nk=v\r\n",
            store.Serialize());
  IniStore again;
  again.Parse(store.Serialize());
  EXPECT_EQ(store.Serialize(), again.Serialize());
}

}  // namespace
}  // namespace volmar
