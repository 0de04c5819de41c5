// The shared sample macro (tests/data/shared_macro.txt with tests/data/keys.h)
// played from start to stop against the fake host, which here behaves like
// the host program: it queues the keys the player posts and hands them back
// through the key filter, takes held keys back later, and a user presses
// Enter or Shift+F11 when the macro waits.
//
// The macro uses every command and ends in RESTART, so it plays over and
// over: the SF11 command's Shift+F11 asks the stop question, answered "no"
// in the first round and "yes" in the second.
//
// The key delay is 0 here.  With a key delay, the keys posted after a key
// name come back and are held while no-key calls go on playing, so how far
// the playback runs ahead of the held keys (and whether a held Enter comes
// back while the macro waits for Enter) depends on the host's timing.  With
// 0, only DELAY holds keys, up to the next bracketed word, and the keys,
// log lines and questions below follow from the macro alone.
#include <gtest/gtest.h>
#include <stdint.h>

#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "player/playback/playback.h"
#include "plugin/contract/host_values.h"
#include "player/playback/player_texts.h"
#include "tests/plugin/player_test_support.h"

namespace {

using Keys = std::vector<uint32_t>;
using Lines = std::vector<std::string>;

Keys Chars(const std::string &text) { return Keys(text.begin(), text.end()); }
Lines CharLines(const std::string &text) {
  Lines lines;
  for (char c : text) lines.push_back(std::string("{CHAR: ") + c + "}\n");
  return lines;
}
template <typename T>
void Append(std::vector<T> &to, const std::vector<T> &from) {
  to.insert(to.end(), from.begin(), from.end());
}

constexpr uint32_t kCommandKey = 0xFFFFFFFFu;

class SharedMacroTest : public PlayerTest {
 protected:
  std::deque<uint32_t> queue;  // keys the host has yet to process
  Keys delayed;                // keys held back by the filter in this round
  Keys processed;              // keys the host processed, in order
  std::deque<int32_t> stopAnswers;

  void SetUp() override {
    PlayerTest::SetUp();
    QueuePostedKeys(host, queue);
    host.handlers.HostDelayKey = [this](uint32_t key, int32_t) {
      delayed.push_back(key);
      return 0;
    };
    AnswerStopQuestion(host, [this] {
      if (stopAnswers.empty()) return 0;
      int32_t answer = stopAnswers.front();
      stopAnswers.pop_front();
      return answer;
    });
  }

  void Present(uint32_t key) {
    uint32_t result = PluginKeyFilter(key) & 0xFFFF;
    if (result != 0xFFFF) processed.push_back(result);
  }

  // One round of the host's loop, 10 ms: the queued keys, then a key of the
  // user when the macro waits and nothing is queued, else a no-key call.
  void Round() {
    standin::AdvanceTicks(10);
    std::deque<uint32_t> now;
    now.swap(queue);
    for (uint32_t key : now) Present(key);
    queue.insert(queue.begin(), delayed.begin(), delayed.end());
    delayed.clear();
    if (!Idle() && g_player.waitMode != kNotWaiting && queue.empty())
      Present(g_player.waitMode == kWaitingForEnter ? 13 : host::kKeyShiftF11);
    else
      Present(0xFFFF);
  }
};

TEST_F(SharedMacroTest, PlaysToTheConfirmedStop) {
  host.AddFile(kKeysPath, ReadDataFile("keys.h"));
  ASSERT_EQ(0, LoadKeyNameTable());
  std::string macro = ReadDataFile("shared_macro.txt");
  ASSERT_NE(std::string::npos, macro.find("\r\n"));
  OpenMacro(macro, "Poprzedni przebieg\r\n");
  SetKeyDelay(0);
  standin::SetTickCount(5000000);
  stopAnswers = {0, host::kAnswerYes};

  int rounds = 0;
  while ((!Idle() || !queue.empty()) && rounds < 5000) {
    Round();
    ++rounds;
  }
  ASSERT_TRUE(Idle());

  // One round, up to SF11, whose Shift+F11 asks the stop question at once.
  Keys round;
  Append(round, Chars("Dzien dobry,"));
  round.push_back(9);
  Append(round, Chars("swiecie!"));
  round.push_back(13);
  round.push_back(0x4700);
  Append(round, Chars("Wiersz 2"));
  Append(round, Keys{0x5000, 0x4F00, 13, 0x1900, kCommandKey});  // ... [ALT_P][DELAY]
  Append(round, Chars("ok"));
  round.push_back(kCommandKey);  // WAITENTER
  Append(round, Chars("dalej"));
  Append(round, Keys{kCommandKey, kCommandKey, 'x', 0xFFFF8700u});  // WAIT HALT x SF11
  Keys posted = round;
  Append(posted, Keys{kCommandKey, 'y', 13, kCommandKey});  // WAIT y [ENTER] RESTART
  Append(posted, round);
  EXPECT_EQ(posted, host.postedKeys);

  // The host processed every key it was handed but the two Shift+F11, which
  // asked the question; the user's Enter and Shift+F11 ended the waits.
  Keys expectedProcessed;
  for (uint32_t key : posted)
    if (key != kCommandKey && key != 0xFFFF8700u) expectedProcessed.push_back(key);
  EXPECT_EQ(expectedProcessed, processed);

  const std::string waitNotice =
      "{KOMUNIKAT: Naci\x9Enij klawisz ENTER, gdy sko\xA4"
      "czysz\naby kontynuowa\x8D makro}\n";
  const std::string haltNotice =
      "{KOMUNIKAT: Makro zosta\x92o zatrzymane. Ponowne uruchomienie Shift+F11}\n";
  Lines roundLines = CharLines("Dzien dobry,");
  roundLines.push_back("[TAB]\n");
  Append(roundLines, CharLines("swiecie!"));
  Append(roundLines, Lines{"[ENTER]\n", "[HOME]\n"});
  Append(roundLines, CharLines("Wiersz 2"));
  Append(roundLines, Lines{"[DOWN]\n", "[END]\n", "[ENTER]\n", "{NAPIS: nieznane}\n",
                           "{NAPIS: wait}\n", "[ALT_P]\n", "[DELAY]\n", "{KSHORT: 0xFFFF}\n"});
  Append(roundLines, CharLines("ok"));
  Append(roundLines, Lines{waitNotice, "{KSHORT: 0xFFFF}\n"});
  Append(roundLines, CharLines("dalej"));
  Append(roundLines, Lines{"{KSHORT: 0xFFFF}\n", haltNotice, "{KSHORT: 0xFFFF}\n", "{CHAR: x}\n",
                           "[SF11]\n", "[SHIFT_F11]\n"});
  Lines lines = roundLines;
  Append(lines, Lines{"{KSHORT: 0xFFFF}\n", "{CHAR: y}\n", "[ENTER]\n", "[RESTART]\n",
                      "{KSHORT: 0xFFFF}\n"});
  Append(lines, roundLines);
  lines.push_back(
      "{KOMUNIKAT: Zako\xA4"
      "czono prac\x91 makra z pliku}\n");
  std::string expectedLog = "Poprzedni przebieg\r\n";
  for (const std::string &line : lines) expectedLog += kStamp + line;
  EXPECT_EQ(expectedLog, Log());

  EXPECT_EQ((std::vector<std::string>{"nieznane", "wait", "nieznane", "wait"}), host.typedTexts);
  const std::string stopQuestion = kStopQuestion.c_str();
  const std::string waitText = kWaitEnterNotice.c_str();
  const std::string haltText = kHaltNotice.c_str();
  EXPECT_EQ((std::vector<std::string>{waitText, haltText, stopQuestion, waitText, haltText,
                                      stopQuestion, kStoppedText.c_str()}),
            host.questions);
  EXPECT_EQ((std::vector<uint32_t>{1000, 1000}), standin::Sleeps());
  EXPECT_EQ(2u, host.Count("HostWaitScreen"));
  EXPECT_EQ(1u, host.Count("HostFileRewind"));
  EXPECT_EQ(0u, g_player.logFile);
  EXPECT_EQ(kNotWaiting, g_player.waitMode);
  EXPECT_EQ(0, g_player.pendingKey);
  EXPECT_EQ(0u, host.flags);
}

TEST_F(SharedMacroTest, TheKeyDefinitionFileGivesTheHostsKeyCodes) {
  host.AddFile(kKeysPath, ReadDataFile("keys.h"));
  ASSERT_EQ(0, LoadKeyNameTable());
  EXPECT_EQ(66u, KeyNameCount());
  struct Case {
    const char *name;
    uint32_t code;
  };
  const Case cases[] = {
      {"BACKSPACE", 8},      {"TAB", 9},        {"ENTER", 13},   {"ESC", 27},
      {"F1", 0x3B00},        {"F10", 0x4400},   {"F11", 0x8500}, {"F12", host::kKeyF12},
      {"SHIFT_F11", host::kKeyShiftF11}, {"HOME", 0x4700},  {"UP", 0x4800},  {"PGUP", 0x4900},
      {"LEFT", 0x4B00},      {"RIGHT", 0x4D00}, {"END", 0x4F00}, {"DOWN", 0x5000},
      {"PGDN", 0x5100},      {"INS", 0x5200},   {"DEL", 0x5300}, {"ALT_P", 0x1900},
      {"CTRL_PGUP", 0x8400}, {"ALT_M", 0x3200},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(c.code, FindKeyCode(c.name)) << c.name;
    EXPECT_STREQ(c.name, FindKeyName(c.code)) << c.name;
  }
  EXPECT_EQ(0u, FindKeyCode("KEYS_H"));
}

}  // namespace
