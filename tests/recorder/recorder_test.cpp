// The recorder as the host drives it: activation and its notice, the filter's
// decisions (hot key, the state bit, Shift+F11, no-key calls, keys another
// filter holds back), the start form and its file (offered name, existing
// file: ask; "yes": back to the form, "no": append), a failed write and a
// file that cannot be made (held messages), and the stop notice.
#include <string.h>

#include <string>

#include "tests/recorder/recorder_fixture.h"

namespace recorder_test {
namespace {

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
  ASSERT_EQ(2u, host_->asked.size()) << "the naming question (no), the stop notice";
  EXPECT_NE(std::string::npos, host_->asked[0].find("nazwę ALT_F11 i nagrywać")) << host_->asked[0];
  const std::string &notice = host_->asked[1];
  EXPECT_NE(std::string::npos, notice.find("Plik: nagranie1.txt")) << notice;
  EXPECT_NE(std::string::npos, notice.find("Zapisane klawisze: 4")) << notice;
  EXPECT_NE(std::string::npos, notice.find("Klawisze bez nazwy (nie zapisane): 1")) << notice;
  EXPECT_NE(std::string::npos, notice.find("#define ALT_F11 0x8B00")) << notice;
  EXPECT_NE(std::string::npos, notice.find("uruchom VOLMAR ponownie")) << notice;
  EXPECT_NE(std::string::npos, notice.find("Nowe nagranie: klawisz Ctrl+F11.")) << notice;
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
  g_recorderBusy = 1;
  EXPECT_EQ(host::kKeyShiftF11, RecorderKeyFilter(host::kKeyShiftF11));
  EXPECT_EQ(0u, g_heldCount);
  g_recorderBusy = 0;
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
  // The user types the existing name over the offered one: asked, "yes"
  // (another name, the focused answer) goes back to the form.
  host_->askAnswers.push_back(kYes);
  host_->forms.push_back({kConfirmed, "nagranie1.txt"});
  host_->forms.push_back({kConfirmed, "nagranie3.txt"});
  Offer({kCtrlF11});
  ASSERT_EQ(2u, host_->offered.size());
  EXPECT_EQ("nagranie3.txt", host_->offered[0]);
  EXPECT_EQ("nagranie1.txt", host_->offered[1]) << "back in the form with the name given";
  ASSERT_EQ(1u, host_->asked.size());
  EXPECT_NE(std::string::npos, host_->asked[0].find("Plik 'nagranie1.txt' już istnieje.\nWybrać inną nazwę?"));
  Offer({'x', kCtrlF11});
  EXPECT_EQ("stare[ENTER]", host_->Content("nagranie1.txt"));
  EXPECT_EQ("x", host_->Content("nagranie3.txt"));
}

TEST_F(RecorderTest, NoAppendsToTheExistingFile) {
  Activate();
  host_->files.Add(u"nagranie1.txt", "stare");
  host_->askAnswers.push_back(kNo);
  StartRecording("nagranie1.txt");
  Offer({'!', kCtrlF11});
  EXPECT_EQ("stare!", host_->Content("nagranie1.txt"));
}

// A macro plays while the disk fills: the write-failure box is held, so the
// player (the previous filter) is not asked for keys while it is up, and the
// macro's text goes on whole after it.
TEST_F(RecorderTest, AFailedWriteClosesTheRecordingWithAHeldMessageAndTheMacroWaits) {
  static const char *macro = nullptr;
  macro = "Hurtownia";
  auto player = [](uint32_t key) HOST_STDCALL -> uint32_t {
    if ((key & 0xFFFF) != host::kNoKey || *macro == 0) return key;
    return static_cast<uint8_t>(*macro++);
  };
  Activate(player);
  StartRecording();
  EXPECT_EQ("H", Offer({host::kNoKey}));
  host_->files.failWrites = true;
  std::string typedWhileUp;
  host_->whileBoxUp = [&] {
    for (int i = 0; i < 4; ++i) typedWhileUp += Offer({host::kNoKey});
  };
  EXPECT_EQ("u", Offer({host::kNoKey})) << "the key still reaches the host";
  host_->whileBoxUp = nullptr;
  EXPECT_EQ("----", typedWhileUp) << "no macro key answers the box";
  EXPECT_EQ(0u, g_recorder.file);
  ASSERT_EQ(1u, host_->errors.size());
  const std::string &error = host_->errors[0];
  for (const char *part : {"Nagrywanie zostało przerwane", "'nagranie1.txt'", "Zapisane klawisze: 1",
                           "Klawisze zapisane wcześniej zostały w pliku."})
    EXPECT_NE(std::string::npos, error.find(part)) << part << " in " << error;
  host_->files.failWrites = false;
  EXPECT_EQ("rtownia", Offer({host::kNoKey, host::kNoKey, host::kNoKey, host::kNoKey, host::kNoKey,
                              host::kNoKey, host::kNoKey}));
  EXPECT_EQ("H", host_->Content("nagranie1.txt"));
}

// What happened and what to do, for the errors a user meets; no empty lines.
TEST_F(RecorderTest, AFileThatCannotBeMadeIsExplainedAndTheFormComesBack) {
  struct Case {
    int error, systemError;
    const char *says;
  } cases[] = {
      {13, 5, "Brak prawa zapisu w tym folderze"}, {28, 112, "Dysk jest pełny."},
      {2, 3, "Nie ma takiego folderu."},          {22, 123, "Ta nazwa pliku jest niedozwolona."},
      {13, 32, "Plik jest otwarty w innym programie."}, {5, 1117, "Sprawdź nazwę pliku"},
  };
  for (const Case &c : cases) {
    host_ = &RecorderHost::Start();
    host_->AddKeysFile(kKeys);
    Activate();
    host_->files.failCreate = true;
    host_->files.openErrno = c.error;
    host_->files.openDosErrno = c.systemError;
    host_->forms.push_back({kConfirmed, nullptr});
    Offer({kCtrlF11});
    ASSERT_EQ(1u, host_->errors.size());
    const std::string &error = host_->errors[0];
    EXPECT_EQ(0u, error.find("Nie można zapisywać do pliku nagrania 'nagranie1.txt'.\n")) << error;
    EXPECT_NE(std::string::npos, error.find(c.says)) << error;
    EXPECT_NE(std::string::npos,
              error.find("(błąd " + std::to_string(c.error) + ", systemowy " + std::to_string(c.systemError) + ")"))
        << error;
    EXPECT_EQ(std::string::npos, error.find("\n\n")) << error;
    EXPECT_EQ(2u, host_->offered.size()) << "back in the form";
    EXPECT_EQ(0u, g_recorder.file);
    EXPECT_EQ(0u, host_->unheldBoxes);
  }
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

}  // namespace
}  // namespace recorder_test
