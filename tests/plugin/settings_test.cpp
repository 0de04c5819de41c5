// Settings in the host's store and the one-time notice.
#include <stdarg.h>
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "plugin/handshake/handshake.h"
#include "plugin/identity/plugin_identity.h"
#include "player/start/settings.h"
#include "player/start/start_form.h"
#include "tests/plugin/fake_host.h"

namespace {

const char kDescription[] =
    "Wtyczka 'Tastiromatika'\nUruchomienie/zatrzymanie makra - klawisz Shift+F11";

const char kReads[] =
    "HostProfile(1, \"MacroFormFile\", \"Pytaj\", \"%d\")\n"
    "HostProfile(8, \"MacroFormFile\", \"File\", \"%*s\")\n"
    "HostProfile(1, \"MacroFormFile\", \"Delay\", \"%d\")\n";
const char kNotice[] =
    "HostShowNotice(1194, ptr, 0, \"Wtyczka 'Tastiromatika'\\nUruchomienie/zatrzymanie makra - "
    "klawisz Shift+F11\")\n";

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { host.Install(); }
  std::string Trace() const { return host.Trace({"HostProfile", "HostShowNotice"}); }
  FakeHost &host = FakeHost::Get();
};

TEST_F(SettingsTest, EmptyStoreGivesDefaultsAndShowsTheNotice) {
  memcpy(g_startForm.fileName, "stale", 6);
  g_startForm.keyDelay = 7;
  EXPECT_EQ(0, LoadSettings());
  EXPECT_STREQ("", g_startForm.fileName);
  EXPECT_EQ(100, g_startForm.keyDelay);
  EXPECT_EQ(std::string(kReads) + kNotice, Trace());
  ASSERT_EQ(1u, host.notices.size());
  EXPECT_EQ(kDescription, host.notices[0]);
  EXPECT_EQ(0u, host.profile.count("MacroFormFile/Pytaj"));  // answered 0: nothing stored
}

TEST_F(SettingsTest, ReadsPassWidthAndAddressesAsTheHostExpects) {
  // The notice variable must be zeroed before its read and only its low 16
  // bits count: a host that writes a whole 32-bit 0x10000 leaves it at 0.
  void *noticeAddress = nullptr;
  host.handlers.HostProfile = [&](int32_t operation, const char *, const char *key,
                                  const char *, va_list values) -> int32_t {
    std::string name = key;
    if (name == "Pytaj") {
      int32_t *answer = va_arg(values, int32_t *);
      noticeAddress = answer;
      EXPECT_EQ(0, *answer);
      *answer = 0x10000;
      return 0;
    }
    if (name == "File") {
      EXPECT_EQ(8, operation);
      EXPECT_EQ(257, va_arg(values, int));
      char *text = va_arg(values, char *);
      EXPECT_EQ(g_startForm.fileName, text);
      strcpy(text, "C:\\m\\a.txt");
      return 0x10000;  // only the low 16 bits tell success
    }
    EXPECT_EQ(reinterpret_cast<void *>(&g_startForm.keyDelay), va_arg(values, void *));
    g_startForm.keyDelay = 250;
    return 0;
  };
  int16_t *shownWith = nullptr;
  host.handlers.HostShowNotice = [&](int32_t, int16_t *answer, int32_t, const char *) {
    shownWith = answer;
    *answer = 0;
    return 0;
  };
  LoadSettings();
  EXPECT_STREQ("C:\\m\\a.txt", g_startForm.fileName);
  EXPECT_EQ(250, g_startForm.keyDelay);
  EXPECT_EQ(1u, host.notices.size());
  EXPECT_EQ(noticeAddress, static_cast<void *>(shownWith));
}

TEST_F(SettingsTest, FailedReadsTakeTheirDefaults) {
  // A failing read may have written anything; the defaults replace it.
  host.handlers.HostProfile = [](int32_t, const char *, const char *key, const char *,
                                 va_list values) -> int32_t {
    if (strcmp(key, "File") == 0) {
      va_arg(values, int);
      strcpy(va_arg(values, char *), "junk");
    } else {
      *va_arg(values, int16_t *) = 9;
    }
    return 1;
  };
  LoadSettings();
  EXPECT_STREQ("", g_startForm.fileName);
  EXPECT_EQ(100, g_startForm.keyDelay);
  EXPECT_EQ(1u, host.notices.size());
}

TEST_F(SettingsTest, StoredDelayOfZeroStaysZero) {
  host.profile["MacroFormFile/Delay"] = "0";
  host.profile["MacroFormFile/File"] = "C:\\macros\\demo.txt";
  LoadSettings();
  EXPECT_EQ(0, g_startForm.keyDelay);
  EXPECT_STREQ("C:\\macros\\demo.txt", g_startForm.fileName);
}

TEST_F(SettingsTest, AnyNonzeroStoredAnswerSuppressesTheNotice) {
  for (const char *stored : {"1", "-1", "-32768", "5"}) {
    host.Install();
    host.profile["MacroFormFile/Pytaj"] = stored;
    LoadSettings();
    EXPECT_EQ(kReads, Trace()) << stored;
    EXPECT_TRUE(host.notices.empty()) << stored;
  }
}

TEST_F(SettingsTest, NoticeAnsweredZeroComesBackAndStoresNothing) {
  host.noticeAnswer = 0;
  LoadSettings();
  LoadSettings();
  EXPECT_EQ(2u, host.notices.size());
  EXPECT_EQ(std::string(kReads) + kNotice + kReads + kNotice, Trace());
}

TEST_F(SettingsTest, NonzeroAnswerIsStoredWithItsSignAndNeverAskedAgain) {
  struct Case {
    int16_t answer;
    const char *stored;
  };
  const Case cases[] = {{1, "1"}, {-5, "-5"}, {-32768, "-32768"}, {32767, "32767"}};
  for (const Case &c : cases) {
    host.Install();
    host.noticeAnswer = c.answer;
    LoadSettings();
    EXPECT_EQ(std::string(kReads) + kNotice +
                  "HostProfile(2, \"MacroFormFile\", \"Pytaj\", \"%d\")\n",
              Trace())
        << c.answer;
    EXPECT_EQ(c.stored, host.profile["MacroFormFile/Pytaj"]) << c.answer;
    host.ClearCalls();
    LoadSettings();
    EXPECT_EQ(kReads, Trace()) << c.answer;
    EXPECT_EQ(1u, host.notices.size()) << c.answer;
  }
}

TEST_F(SettingsTest, SecondActivationReplacesValuesThatWereNeverStored) {
  host.profile["MacroFormFile/File"] = "C:\\m\\stored.txt";
  host.profile["MacroFormFile/Delay"] = "300";
  LoadSettings();
  // What the form left behind without storing it.
  strcpy(g_startForm.fileName, "C:\\m\\edited.txt");
  g_startForm.keyDelay = 5;
  LoadSettings();
  EXPECT_STREQ("C:\\m\\stored.txt", g_startForm.fileName);
  EXPECT_EQ(300, g_startForm.keyDelay);
}

TEST_F(SettingsTest, ActivationLoadsTheSettingsAfterInstallingTheFilter) {
  PluginActivate(0);
  EXPECT_EQ(std::string("HostSetKeyFilter(filter)\n") + kReads + kNotice,
            host.Trace({"HostSetKeyFilter", "HostProfile", "HostShowNotice"}));
}

TEST_F(SettingsTest, SettingsCallHandsTheValuesOverInOrder) {
  std::string seen;
  host.handlers.HostProfile = [&](int32_t operation, const char *section, const char *key,
                                  const char *format, va_list values) -> int32_t {
    seen = std::to_string(operation) + " " + section + " " + key + " " + format + " ";
    seen += va_arg(values, const char *);
    seen += " " + std::to_string(va_arg(values, int));
    return 0x12340000;
  };
  EXPECT_EQ(0x12340000, SettingsCall(9, "S", "K", "%s %d", "abc", -42));
  EXPECT_EQ("9 S K %s %d abc -42", seen);
}

}  // namespace
