// The recorder as the host drives it: activation and its notice, the filter's
// decisions (hot key, the state bit, Shift+F11, no-key calls, keys another
// filter holds back), the start form and its file (offered name, existing
// file: ask; "no": back to the form), a failed write, and the stop notice.
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "plugin/contract/host_values.h"
#include "plugin/handshake/handshake.h"
#include "recorder/entry/recorder_filter.h"
#include "recorder/start/recording.h"
#include "tests/recorder/recorder_host.h"

namespace {

constexpr uint32_t kCtrlF11 = 0x8900;
constexpr uint32_t kF12 = 0x8600;
constexpr uint32_t kConfirmed = 0x5001;
constexpr uint32_t kYes = 0x5009;

const char *const kKeys =
    "#define TAB 9\n#define ENTER 13\n#define LBRACKET 0x5B\n#define F2 0x3C00\n"
    "#define UP 0x4800\n#define ALT_X 0x2D00\n";

int32_t Query(int32_t, int32_t) { return 1; }

// The previous filter of the tests: the player as the recorder sees it.
// It can hold a key back once (as during its pause) or turn one into another.
uint32_t g_holdOnce = 0;
uint32_t g_heldCount = 0;
uint32_t HOST_STDCALL Previous(uint32_t key) {
  if ((key & 0xFFFF) == g_holdOnce && g_heldCount == 0) {
    ++g_heldCount;
    return host::kNoKey;
  }
  return key;
}

class RecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_holdOnce = 0;
    g_heldCount = 0;
    host_ = &RecorderHost::Start();
    host_->AddKeysFile(kKeys);
  }
  // Load, handshake, activation with a previous filter installed.
  void Activate(KeyFilter previous = &Previous) {
    host_->installedFilter = previous;
    char description[1024] = {};
    ASSERT_EQ(0, PluginHandshake(&Query, description));
    description_ = description;
    ASSERT_EQ(0, PluginActivate(0));
    ASSERT_EQ(&RecorderKeyFilter, host_->installedFilter);
  }
  // Keys as the host offers them: each through the installed filter.
  std::string Offer(std::initializer_list<uint32_t> keys) {
    std::string passed;
    for (uint32_t key : keys) {
      uint32_t answer = host_->installedFilter(key);
      passed += answer == host::kNoKey ? "-" : answer < 0x80 ? std::string(1, char(answer)) : "#";
    }
    return passed;
  }
  void StartRecording(const char *name = nullptr) {
    host_->forms.push_back({kConfirmed, name});
    EXPECT_EQ(host::kNoKey, host_->installedFilter(kCtrlF11));
  }

  RecorderHost *host_ = nullptr;
  std::string description_;
};

TEST_F(RecorderTest, ActivationHandsOverItsDescriptionAndShowsTheNoticeUntilAnswered) {
  host_->noticeAnswer = 1;
  Activate();
  EXPECT_EQ(0u, description_.find("Wtyczka 'Zapis klawiszy'\n"));
  ASSERT_EQ(1u, host_->notices.size());
  EXPECT_NE(std::string::npos, host_->notices[0].find("klawisz Ctrl+F11"));
  EXPECT_EQ("1", host_->profile[sim::Settings::Name("ZapisKlawiszy", "Pytaj")]);

  // The next activation (a new load) reads the answer: no notice.
  RecorderHost &again = RecorderHost::Start();
  host_ = &again;
  again.profile[sim::Settings::Name("ZapisKlawiszy", "Pytaj")] = "1";
  again.AddKeysFile(kKeys);
  Activate();
  EXPECT_TRUE(again.notices.empty());
}

TEST_F(RecorderTest, TheFilterRecordsWhatTheHostGoesOnToProcessOnce) {
  Activate();
  StartRecording();
  ASSERT_EQ(std::vector<std::string>{"nagranie1.txt"}, host_->offered);
  EXPECT_TRUE(host_->flagsWhileForm) << "the state bit is set while the form runs";
  EXPECT_EQ(0u, host_->flags);

  struct Step {
    const char *what;
    uint32_t key;
    uint32_t flags;
    const char *passed;  // what the host gets: the key, '-' for none, '#' a special key
  } steps[] = {
      {"a letter", 'a', 0, "a"},
      {"a no-key call: nothing", host::kNoKey, 0, "-"},
      {"Shift+F11 passes and is not recorded", host::kKeyShiftF11, 0, "#"},
      {"a key typed into another plug-in's form", 'z', host::kFlagPluginWorking, "z"},
      {"a key the previous filter holds back", 'b', 0, "-"},
      {"... offered again and let through: recorded now", 'b', 0, "b"},
      {"Enter", 13, 0, "\r"},
      {"a key with no name", 0x8B00, 0, "#"},
      {"'['", '[', 0, "["},
  };
  g_holdOnce = 'b';
  for (const Step &step : steps) {
    host_->flags = step.flags;
    EXPECT_EQ(step.passed, Offer({step.key})) << step.what;
  }
  host_->flags = 0;
  EXPECT_EQ("-", Offer({kCtrlF11})) << "the hot key is never passed on";
  EXPECT_EQ("ab[ENTER]\r\n[LBRACKET]", host_->Content("nagranie1.txt"));
  ASSERT_EQ(1u, host_->asked.size());
  const std::string &notice = host_->asked[0];
  EXPECT_NE(std::string::npos, notice.find("Plik: nagranie1.txt")) << notice;
  EXPECT_NE(std::string::npos, notice.find("Zapisane klawisze: 4")) << notice;
  EXPECT_NE(std::string::npos, notice.find("Klawisze bez nazwy (nie zapisane): 1")) << notice;
  EXPECT_NE(std::string::npos, notice.find("#define KLAWISZ_8B00 0x8B00")) << notice;
  EXPECT_EQ("x", Offer({'x'})) << "after the stop nothing is recorded";
  EXPECT_EQ("ab[ENTER]\r\n[LBRACKET]", host_->Content("nagranie1.txt"));
}

TEST_F(RecorderTest, TheHotKeyDoesNothingWhileAnotherPlugInWorks) {
  Activate();
  host_->flags = host::kFlagPluginWorking;
  EXPECT_EQ("-", Offer({kCtrlF11}));
  EXPECT_TRUE(host_->offered.empty());
}

TEST_F(RecorderTest, KeysInsideItsOwnFormReachTheFormNotThePreviousFilter) {
  Activate();
  g_holdOnce = host::kKeyShiftF11;
  // While our form runs, the host's loop calls the filter: simulate one such
  // call from inside the form.
  host_->forms.push_back({0x5002, nullptr});
  g_recorder.busy = 1;
  EXPECT_EQ(host::kKeyShiftF11, RecorderKeyFilter(host::kKeyShiftF11));
  EXPECT_EQ(0u, g_heldCount);
  g_recorder.busy = 0;
}

TEST_F(RecorderTest, EscCancelsAndNothingIsMade) {
  Activate();
  EXPECT_EQ("-", Offer({kCtrlF11}));  // the form queue is empty: Esc
  EXPECT_EQ(0u, g_recorder.file);
  EXPECT_FALSE(host_->files.Exists(u"nagranie1.txt"));
  EXPECT_EQ("a", Offer({'a'}));
}

TEST_F(RecorderTest, OffersTheLowestFreeNumberAndNeverReplacesAFile) {
  Activate();
  host_->files.Add(u"nagranie1.txt", "stare[ENTER]");
  host_->files.Add(u"nagranie2.txt", "");
  // The user types the existing name over the offered one: asked, "no"
  // goes back to the form; there the offered name is kept, and taken.
  host_->forms.push_back({kConfirmed, "nagranie1.txt"});
  host_->forms.push_back({kConfirmed, "nagranie3.txt"});
  Offer({kCtrlF11});
  ASSERT_EQ(2u, host_->offered.size());
  EXPECT_EQ("nagranie3.txt", host_->offered[0]);
  EXPECT_EQ("nagranie1.txt", host_->offered[1]) << "back in the form with the name given";
  ASSERT_EQ(1u, host_->asked.size());
  EXPECT_NE(std::string::npos, host_->asked[0].find("Plik 'nagranie1.txt' już istnieje."));
  Offer({'x', kCtrlF11});
  EXPECT_EQ("stare[ENTER]", host_->Content("nagranie1.txt"));
  EXPECT_EQ("x", host_->Content("nagranie3.txt"));
}

TEST_F(RecorderTest, YesAppendsToTheExistingFile) {
  Activate();
  host_->files.Add(u"nagranie1.txt", "stare");
  host_->askAnswers.push_back(kYes);
  StartRecording("nagranie1.txt");
  Offer({'!', kCtrlF11});
  EXPECT_EQ("stare!", host_->Content("nagranie1.txt"));
}

TEST_F(RecorderTest, AFailedWriteStopsTheRecordingWithAMessage) {
  Activate();
  StartRecording();
  Offer({'a'});
  host_->files.failWrites = true;
  EXPECT_EQ("b", Offer({'b'})) << "the key still reaches the host";
  EXPECT_EQ(0u, g_recorder.file);
  ASSERT_EQ(1u, host_->errors.size());
  EXPECT_NE(std::string::npos, host_->errors[0].find("Nagrywanie zostało przerwane.")) << host_->errors[0];
  EXPECT_NE(std::string::npos, host_->errors[0].find("Zapisane klawisze: 1")) << host_->errors[0];
  host_->files.failWrites = false;
  Offer({'c'});
  EXPECT_EQ("a", host_->Content("nagranie1.txt"));
}

TEST_F(RecorderTest, AFileThatCannotBeMadeIsReportedAndTheFormComesBack) {
  Activate();
  host_->files.failCreate = true;
  host_->forms.push_back({kConfirmed, nullptr});
  Offer({kCtrlF11});
  ASSERT_EQ(1u, host_->errors.size());
  EXPECT_NE(std::string::npos, host_->errors[0].find("przy otwieraniu pliku nagrania 'nagranie1.txt'"));
  EXPECT_EQ(2u, host_->offered.size());
  EXPECT_EQ(0u, g_recorder.file);
}

TEST_F(RecorderTest, TearDownClosesTheRecording) {
  Activate();
  StartRecording();
  Offer({'q'});
  ASSERT_TRUE(host_->files.IsOpen(u"nagranie1.txt"));
  EXPECT_EQ(0, PluginHandshake(nullptr, nullptr));
  EXPECT_FALSE(host_->files.IsOpen(u"nagranie1.txt"));
  EXPECT_EQ("q", host_->Content("nagranie1.txt"));
}

TEST_F(RecorderTest, SettingsNameAnotherHotKeyAndRememberTheFolder) {
  host_->profile[sim::Settings::Name("ZapisKlawiszy", "Klawisz")] = "ALT_X";
  host_->profile[sim::Settings::Name("ZapisKlawiszy", "Pytaj")] = "1";
  Activate();
  EXPECT_EQ("#", Offer({kCtrlF11})) << "Ctrl+F11 is an ordinary key now";
  host_->forms.push_back({kConfirmed, "dane\\zapis.txt"});
  host_->files.Add(u"dane\\nagranie1.txt", "");
  Offer({0x2D00});
  Offer({'k', 0x2D00});
  EXPECT_EQ("k", host_->Content("dane\\zapis.txt"));
  EXPECT_EQ("dane\\", host_->profile[sim::Settings::Name("ZapisKlawiszy", "Folder")]);
  host_->forms.push_back({0x5002, nullptr});
  Offer({0x2D00});
  EXPECT_EQ("dane\\nagranie2.txt", host_->offered.back()) << "the folder of the last recording";
}

TEST_F(RecorderTest, AnUnknownHotKeyNameFallsBackToCtrlF11WithAMessage) {
  host_->profile[sim::Settings::Name("ZapisKlawiszy", "Klawisz")] = "NIE_MA";
  Activate();
  ASSERT_FALSE(host_->asked.empty());
  EXPECT_NE(std::string::npos, host_->asked[0].find("Klawisza 'NIE_MA'"));
  EXPECT_NE(std::string::npos, host_->notices.at(0).find("klawisz Ctrl+F11"));
  EXPECT_EQ("-", Offer({kCtrlF11}));
  EXPECT_EQ(1u, host_->offered.size());
}

}  // namespace
