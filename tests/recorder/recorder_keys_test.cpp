// The recorder's keys and what they write: the hot key and the command key
// from the settings (named as people write keys, refused with a notice),
// the command list, and a key without a name offered a name in keys.h.
#include <stdio.h>

#include <string>

#include "recorder/session/key_naming.h"
#include "tests/recorder/recorder_fixture.h"

namespace recorder_test {
namespace {

constexpr uint32_t kCtrlF12 = 0x8A00;
constexpr uint32_t kAltF11 = 0x8B00;
constexpr uint32_t kWaitEnterAnswer = 0x5010;

const char *const kSettingKeys =
    "#define ENTER 13\n#define LITERA_A 0x61\n#define F1 0x3B00\n#define F10 0x4400\n"
    "#define SHIFT_F11 0x8700\n#define CTRL_F11 0x8900\n#define CTRL_F12 0x8A00\n"
    "#define ALT_F11 0x8B00\n#define ALT_F12 0x8C00\n#define ALT_BKSP 0x0E00\n";

std::string &Setting(RecorderHost &host, const char *key) {
  return host.profile[sim::Settings::Name("ZapisKlawiszy", key)];
}

TEST_F(RecorderTest, TheKeysAreNamedAsPeopleWriteThemAndTheDescriptionNamesNone) {
  host_->AddKeysFile(kSettingKeys);
  Setting(*host_, "Klawisz") = "ALT_F11";
  Setting(*host_, "KlawiszPolecenia") = "ALT_BKSP";
  Activate();
  EXPECT_EQ(std::string::npos, description_.find("Ctrl+F11")) << description_;
  EXPECT_EQ(std::string::npos, description_.find("klawisz Ctrl")) << description_;
  ASSERT_EQ(1u, host_->notices.size());
  EXPECT_NE(std::string::npos, host_->notices[0].find("klawisz Alt+F11\n")) << host_->notices[0];
  EXPECT_NE(std::string::npos, host_->notices[0].find("klawisz Alt+Backspace otwiera")) << host_->notices[0];
  EXPECT_TRUE(host_->asked.empty());
  const std::string form(reinterpret_cast<const char *>(RecorderFormTemplate()), RecorderFormTemplateSize());
  EXPECT_NE(std::string::npos, form.find("klawisz Alt+F11      ")) << "the form's note";
  EXPECT_NE(std::string::npos, form.find("klawisz Alt+Backspace"));
  host_->forms.push_back({kConfirmed, nullptr});
  EXPECT_EQ("-", Offer({kAltF11}));
  Offer({'k', kAltF11});
  ASSERT_EQ(1u, host_->asked.size());
  EXPECT_NE(std::string::npos, host_->asked[0].find("Nowe nagranie: klawisz Alt+F11.")) << host_->asked[0];
}

// Each refused value: a Polish notice naming it and why, and the default.
TEST_F(RecorderTest, KeySettingsThatCannotWorkAreRefusedWithANotice) {
  struct Case {
    const char *hotKey, *commandKey;
    const char *says;
    uint32_t hot, command;
  } cases[] = {
      {"NIE_MA", nullptr, "Klawisz=NIE_MA w sekcji [ZapisKlawiszy] pominięto:\ntakiego klawisza nie ma",
       kCtrlF11, kCtrlF12},
      {"LITERA_A", nullptr, "ten klawisz wpisuje znak", kCtrlF11, kCtrlF12},
      {"ENTER", nullptr, "Enter, Tab, Esc lub Backspace", kCtrlF11, kCtrlF12},
      {"SHIFT_F11", nullptr, "Shift+F11 uruchamia i zatrzymuje makra.\nNagrywanie włącza i wyłącza klawisz Ctrl+F11.",
       kCtrlF11, kCtrlF12},
      {"F1", nullptr, "używa sam VOLMAR", kCtrlF11, kCtrlF12},
      {nullptr, "F10", "KlawiszPolecenia=F10", kCtrlF11, kCtrlF12},
      {nullptr, "SHIFT_F11", "Listę poleceń otwiera klawisz Ctrl+F12.", kCtrlF11, kCtrlF12},
      {"CTRL_F12", nullptr, "ma już drugie zadanie", kCtrlF11, kCtrlF12},
      {nullptr, "CTRL_F11", "KlawiszPolecenia=CTRL_F11", kCtrlF11, kCtrlF12},
      {"ALT_F11", "ALT_F11", "KlawiszPolecenia=ALT_F11", kAltF11, kCtrlF12},
      {"CTRL_F12", "CTRL_F12", "Klawisz=CTRL_F12", kCtrlF11, kCtrlF12},
  };
  for (const Case &c : cases) {
    host_ = &RecorderHost::Start();
    host_->AddKeysFile(kSettingKeys);
    if (c.hotKey) Setting(*host_, "Klawisz") = c.hotKey;
    if (c.commandKey) Setting(*host_, "KlawiszPolecenia") = c.commandKey;
    Activate();
    std::string all;
    for (const std::string &text : host_->asked) all += text + "|";
    EXPECT_NE(std::string::npos, all.find(c.says)) << all;
    EXPECT_EQ(c.hot, g_recorder.hotKey) << all;
    EXPECT_EQ(c.command, g_recorder.commandKey) << all;
    EXPECT_EQ(0u, host_->unheldBoxes);
  }
}

TEST_F(RecorderTest, TheCommandKeyWritesTheChosenCommandAndIsNeverRecorded) {
  Activate();
  EXPECT_EQ("#", Offer({kCtrlF12})) << "outside a recording the key passes untouched";
  EXPECT_EQ(0u, host_->commandLists);
  StartRecording();
  host_->commandAnswers = {kWaitEnterAnswer};
  EXPECT_EQ("abc-", Offer({'a', 'b', 'c', kCtrlF12}));
  EXPECT_EQ("-x", Offer({kCtrlF12, 'x'})) << "Esc writes nothing";
  host_->flags = host::kFlagPluginWorking;
  EXPECT_EQ("#", Offer({kCtrlF12})) << "typed into another plug-in's form: not ours";
  host_->flags = 0;
  EXPECT_EQ(2u, host_->commandLists);
  // Every command of the table, in its order.
  for (uint32_t answer = kWaitEnterAnswer; answer < kWaitEnterAnswer + 6; ++answer)
    host_->commandAnswers.push_back(answer);
  for (int i = 0; i < 6; ++i) Offer({kCtrlF12});
  Offer({kCtrlF11});
  EXPECT_EQ("abc[WAITENTER]x[WAITENTER][WAIT][HALT][RESTART][DELAY][SF11]", host_->Content("nagranie1.txt"));
}

TEST(RecorderCommandForm, ListsTheCommandsWithTheirPolishDescriptions) {
  const std::string form(reinterpret_cast<const char *>(kCommandFormTemplate), kCommandFormTemplateSize);
  std::string utf8 = RecorderHost::Utf8Of(form);
#define EXPECT_COMMAND_ROW(Id, name, english, polish)                   \
  EXPECT_NE(std::string::npos, utf8.find(std::string(name) + '\0')) << name; \
  EXPECT_NE(std::string::npos, utf8.find(polish)) << polish;
  MACRO_COMMAND_TABLE(EXPECT_COMMAND_ROW)
#undef EXPECT_COMMAND_ROW
  EXPECT_EQ(0, CommandOfAnswer(kWaitEnterAnswer));
  EXPECT_EQ(-1, CommandOfAnswer(0x5002)) << "Esc";
  EXPECT_EQ(-1, CommandOfAnswer(kWaitEnterAnswer + 6));
}

// "Tak": one line at the end under a comment, in the file's line ends; the
// key is written by that name from then on, asked once.  The question says
// the key as people write it and offers the name people would look for,
// KLAWISZ_XXXX where that name cannot be had.
TEST_F(RecorderTest, AKeyWithoutANameIsNamedInTheKeyFileOnYes) {
  constexpr char kComment[] = "// Nazwa nadana przy nagrywaniu (wtyczka Zapis klawiszy)";
  struct Case {
    const char *what;
    uint32_t key;
    const char *before, *ends, *name, *asks, *listed;
  } cases[] = {
      {"Alt+P, LF, ending in a line end", 0x1900, "#define ENTER 13\n", "\n", "ALT_P",
       "Klawisz Alt+P (kod 0x1900) nie ma nazwy", "\nALT_P (Alt+P)\n"},
      {"CR LF, no last line end", kAltF11, "#define ENTER 13\r\n#define X 1", "\r\n", "ALT_F11",
       "Klawisz Alt+F11 (kod 0x8B00)", "\nALT_F11 (Alt+F11)\n"},
      {"13 characters fit", 0x0E00, "#define ENTER 13\n", "\n", "ALT_BACKSPACE",
       "Klawisz Alt+Backspace (kod 0x0E00)", "\nALT_BACKSPACE (Alt+Backspace)\n"},
      {"ALT_P held for another code", 0x1900, "#define ALT_P 0x1234\n", "\n", "KLAWISZ_1900",
       "Klawisz Alt+P (kod 0x1900)", "\nKLAWISZ_1900 (Alt+P)\n"},
      {"a longer name cut to ALT_BACKSPACE in the table", 0x0E00, "#define ALT_BACKSPACEX 0x1234\n", "\n",
       "KLAWISZ_0E00", "Alt+Backspace", "\nKLAWISZ_0E00 (Alt+Backspace)\n"},
      {"ALT_P and KLAWISZ_1900 held for other codes", 0x1900,
       "#define ALT_P 0x1234\n#define KLAWISZ_1900 0x1234\n#define KLAWISZ_19002 0x99\n", "\n", "KLAWISZ_19003",
       "Alt+P (kod 0x1900)", "\nKLAWISZ_19003 (Alt+P)\n"},
      {"Ctrl+Backspace: CTRL_BACKSPACE is over 13 characters", 0x7F, "#define ENTER 13\n", "\n",
       "KLAWISZ_007F", "Klawisz Ctrl+Backspace (kod 0x007F)", "\nKLAWISZ_007F (Ctrl+Backspace)\n"},
      {"no name as people write it: the code alone", 0x3900, "#define ENTER 13\n", "\n", "KLAWISZ_3900",
       "Klawisz o kodzie 0x3900 nie ma nazwy", "\nKLAWISZ_3900 (kod 0x3900)\n"},
  };
  for (const Case &c : cases) {
    host_ = &RecorderHost::Start();
    host_->files.Add(u"wtyczki\\keys.h", c.before);
    Activate();
    StartRecording();
    host_->askAnswers = {kYes};
    const std::string passed(2, c.key < 0x80 ? char(c.key) : '#');
    EXPECT_EQ("a" + passed + "b", Offer({'a', c.key, c.key, 'b'})) << c.what;
    Offer({kCtrlF11});
    std::string before = c.before;
    char define[64];
    snprintf(define, sizeof define, "#define %s 0x%04X", c.name, c.key);
    std::string added = (before.back() == '\n' ? "" : c.ends) + std::string(kComment) + c.ends + define + c.ends;
    EXPECT_EQ(before + added, host_->Content("wtyczki\\keys.h")) << c.what;
    EXPECT_EQ(std::string("a[") + c.name + "][" + c.name + "]b", host_->Content("nagranie1.txt")) << c.what;
    ASSERT_EQ(2u, host_->asked.size()) << c.what << ": one question, the stop notice";
    const std::string &question = host_->asked[0], &notice = host_->asked[1];
    EXPECT_NE(std::string::npos, question.find(c.asks)) << question;
    EXPECT_NE(std::string::npos, question.find(std::string("nazwę ") + c.name + " i nagrywać")) << question;
    EXPECT_NE(std::string::npos, notice.find(std::string("Nowe nazwy klawiszy w pliku wtyczki\\keys.h: 1.") +
                                             c.listed + "Przed odtworzeniem"))
        << notice;
    EXPECT_NE(std::string::npos, notice.find("uruchom VOLMAR ponownie")) << notice;
  }
}

// The stop notice lists the first five names with their keys and says
// that there are more.
TEST_F(RecorderTest, TheStopNoticeListsTheNewNamesWithTheirKeys) {
  Activate();
  StartRecording();
  // Alt+Q, Alt+W, ... Alt+Y: six keys, six names.
  const uint32_t keys[] = {0x1000, 0x1100, 0x1200, 0x1300, 0x1400, 0x1500};
  for (uint32_t key : keys) {
    host_->askAnswers = {kYes};
    Offer({key});
  }
  Offer({kCtrlF11});
  EXPECT_EQ("[ALT_Q][ALT_W][ALT_E][ALT_R][ALT_T][ALT_Y]", host_->Content("nagranie1.txt"));
  ASSERT_EQ(7u, host_->asked.size());
  EXPECT_NE(std::string::npos,
            host_->asked.back().find("Nowe nazwy klawiszy w pliku wtyczki\\keys.h: 6.\nALT_Q (Alt+Q)\nALT_W (Alt+W)\n"
                                     "ALT_E (Alt+E)\nALT_R (Alt+R)\nALT_T (Alt+T)\n(i inne)\nPrzed odtworzeniem"))
      << host_->asked.back();
}

// The name people would look for: upper-cased, '+' as '_', a key name of
// at most 13 characters that does not play as a command.
TEST(RecorderKeyName, IsMadeFromTheKeyAsPeopleWriteIt) {
  struct Case {
    const char *peoples, *name;
  } cases[] = {
      {"Alt+P", "ALT_P"},           {"Alt+1", "ALT_1"},       {"F11", "F11"},
      {"Shift+F11", "SHIFT_F11"},  {"Alt+Backspace", "ALT_BACKSPACE"},
      {"Ctrl+Backspace", ""},     // 14 characters
      {"1", ""},                    // not a name
      {"Ctrl+Ä", ""},               // not ASCII
      {"Halt", ""},                 // plays as the command
      {"", ""},
  };
  for (const Case &c : cases) {
    KeyFileName name = "junk";
    EXPECT_EQ(c.name[0] != 0, KeyNameOfPeoplesName(c.peoples, name)) << c.peoples;
    EXPECT_STREQ(c.name, name) << c.peoples;
  }
}

// "Nie", or a file that cannot take the line: the key is left out and
// counted, the file unchanged, the question asked once per key.
TEST_F(RecorderTest, AKeyWithoutANameIsLeftOutOnNoOrAFullKeyFile) {
  std::string full;
  for (int i = 1; i <= 300; ++i) full += "#define K" + std::to_string(i) + " " + std::to_string(i) + "\n";
  struct Case {
    const char *what;
    std::string keys;
    uint32_t answer;
    bool reported;
  } cases[] = {
      {"no", kKeys, kNo, false},
      {"a file with the 300 definitions the plug-ins read", full, kYes, true},
  };
  for (const Case &c : cases) {
    host_ = &RecorderHost::Start();
    host_->files.Add(u"wtyczki\\keys.h", c.keys);
    Activate();
    StartRecording();
    host_->askAnswers = {c.answer};
    EXPECT_EQ("a##b", Offer({'a', 0x9900, 0x9900, 'b'})) << c.what;
    Offer({kCtrlF11});
    EXPECT_EQ(c.keys, host_->Content("wtyczki\\keys.h")) << c.what;
    EXPECT_EQ("ab", host_->Content("nagranie1.txt")) << c.what;
    ASSERT_EQ(c.reported ? 3u : 2u, host_->asked.size()) << c.what;
    if (c.reported) {
      EXPECT_NE(std::string::npos, host_->asked[1].find("ma już 300 nazw")) << host_->asked[1];
    }
    const std::string &notice = host_->asked.back();
    EXPECT_NE(std::string::npos, notice.find("Klawisze bez nazwy (nie zapisane): 2.")) << notice;
    EXPECT_NE(std::string::npos, notice.find("#define ALT_PGUP 0x9900")) << notice;
  }
}

}  // namespace
}  // namespace recorder_test
