// The key filter: its state table, the pause, the busy flag, the state bit,
// chaining, refused keys, the stop question and the end of the macro.
#include <gtest/gtest.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "plugin/contract/host_values.h"
#include "player/playback/macro_files.h"
#include "player/playback/playback.h"
#include "player/playback/player_texts.h"
#include "tests/plugin/player_test_support.h"

namespace {

constexpr uint32_t kNoKeyCode = 0xFFFF;
constexpr uint32_t kEnterKey = 13;
constexpr uint32_t kShiftF11Key = host::kKeyShiftF11;
constexpr int32_t kYes = host::kAnswerYes;

// A pause of `length` ms armed at tick `armedAt`, the clock now at `now`.
void PauseArmedAt(uint32_t length, uint32_t armedAt, uint32_t now) {
  g_player.pauseLength = length;
  g_player.pauseStart = armedAt;
  standin::SetTickCount(now);
}

enum class State { Idle, Playing, WaitingForEnter, Halted };

const char *Name(State state) {
  switch (state) {
    case State::Idle:
      return "Idle";
    case State::Playing:
      return "Playing";
    case State::WaitingForEnter:
      return "WaitingForEnter";
    case State::Halted:
      return "Halted";
  }
  return "?";
}

State Current() {
  if (g_player.macroFile == 0) return State::Idle;
  switch (g_player.waitMode) {
    case 0:
      return State::Playing;
    case 1:
      return State::WaitingForEnter;
    default:
      return State::Halted;
  }
}

struct TransitionCase {
  State from;
  uint32_t key;
  int32_t stopAnswer;  // answer to the stop question, if one is asked
  uint32_t result;     // what the host gets back
  bool stepRuns;       // a playback step ran: 'a' was posted
  bool asks;           // the stop question was asked
  bool startBranch;    // the start form ran
  State to;
};

class TransitionTest : public PlayerTest {};

TEST_F(TransitionTest, FollowsTheStateTable) {
  const TransitionCase cases[] = {
      // from, key, answer, result, step, asks, start, to
      {State::Idle, kShiftF11Key, 0, kNoKeyCode, false, false, true, State::Idle},
      {State::Idle, 'x', 0, 'x', false, false, false, State::Idle},
      {State::Idle, kEnterKey, 0, kEnterKey, false, false, false, State::Idle},
      {State::Idle, kNoKeyCode, 0, kNoKeyCode, false, false, false, State::Idle},
      {State::Playing, kNoKeyCode, 0, kNoKeyCode, true, false, false, State::Playing},
      {State::Playing, kShiftF11Key, 0, kNoKeyCode, false, true, false, State::Playing},
      {State::Playing, kShiftF11Key, kYes, kNoKeyCode, false, true, false, State::Idle},
      {State::Playing, 'x', 0, 'x', false, false, false, State::Playing},
      {State::Playing, kEnterKey, 0, kEnterKey, false, false, false, State::Playing},
      {State::WaitingForEnter, kEnterKey, 0, kNoKeyCode, true, false, false, State::Playing},
      {State::WaitingForEnter, kShiftF11Key, 0, kNoKeyCode, false, true, false,
       State::WaitingForEnter},
      {State::WaitingForEnter, kShiftF11Key, kYes, kNoKeyCode, false, true, false, State::Idle},
      {State::WaitingForEnter, kNoKeyCode, 0, kNoKeyCode, false, false, false,
       State::WaitingForEnter},
      {State::WaitingForEnter, 'x', 0, 'x', false, false, false, State::WaitingForEnter},
      {State::Halted, kShiftF11Key, 0, kNoKeyCode, true, false, false, State::Playing},
      {State::Halted, kNoKeyCode, 0, kNoKeyCode, false, false, false, State::Halted},
      {State::Halted, kEnterKey, 0, kEnterKey, false, false, false, State::Halted},
      {State::Halted, 'x', 0, 'x', false, false, false, State::Halted},
  };
  for (const TransitionCase &c : cases) {
    SCOPED_TRACE(testing::Message()
                 << Name(c.from) << " key 0x" << std::hex << c.key << " answer 0x" << c.stopAnswer);
    host.Install();
    if (c.from != State::Idle) {
      OpenMacro("ab");
      g_player.waitMode = c.from == State::WaitingForEnter ? kWaitingForEnter
                       : c.from == State::Halted        ? kHalted
                                                        : kNotWaiting;
    }
    host.askAnswers = {c.stopAnswer};

    EXPECT_EQ(c.result, PluginKeyFilter(c.key) & 0xFFFF);

    EXPECT_EQ(c.stepRuns, host.postedKeys == std::vector<uint32_t>{'a'});
    EXPECT_EQ(c.stepRuns, host.Count("HostFileGetc") > 0);
    bool asked = !host.questions.empty() && host.questions[0] == kStopQuestion.c_str();
    EXPECT_EQ(c.asks, asked);
    EXPECT_EQ(c.startBranch, host.Count("HostRunForm") == 1);
    EXPECT_EQ(c.to, Current()) << Name(Current());
    EXPECT_EQ(0, g_player.busy);
  }
}

TEST_F(PlayerTest, IdleKeysPassWithoutAnyHostCall) {
  for (uint32_t key : {uint32_t{'a'}, kEnterKey, kNoKeyCode, uint32_t{host::kKeyF3}, uint32_t{host::kKeyF12}})
    EXPECT_EQ(key, PluginKeyFilter(key));
  EXPECT_TRUE(host.calls.empty()) << host.Trace();
}

TEST_F(PlayerTest, OnlyTheLowSixteenBitsOfTheKeyCount) {
  EXPECT_EQ(0x41u, PluginKeyFilter(0x12340041));
  OpenMacro("ab");
  EXPECT_EQ(kNoKeyCode, PluginKeyFilter(0xABCDFFFF));
  EXPECT_EQ(std::vector<uint32_t>{'a'}, host.postedKeys);
}

TEST_F(PlayerTest, EndOfTheFileEndsTheMacroWithAFullStop) {
  OpenMacro("a", "");
  NoKey();
  host.ClearCalls();
  g_player.pauseLength = 100;
  g_player.pauseStart = 5;

  EXPECT_EQ(kNoKeyCode, NoKey());

  EXPECT_TRUE(Idle());
  EXPECT_EQ(0u, g_player.logFile);
  EXPECT_EQ(0, g_player.pendingKey);
  EXPECT_EQ(Stamped({"{CHAR: a}\n",
                     "{KOMUNIKAT: Zako\xA4"
                     "czono prac\x91 makra z pliku.}\n"}),
            Log());
  EXPECT_EQ(
      "HostFileClose(0x1)\n"
      "HostFileClose(0x2)\n"
      "HostAsk(\"uwaga\", \"Zako\\xA4"
      "czono prac\\x91 makra z pliku.\", 0x1)\n",
      host.Trace({"HostFileClose", "HostAsk"}));
  // The pause is not the macro's: it runs on.
  EXPECT_EQ(100u, g_player.pauseLength);
  EXPECT_EQ(5u, g_player.pauseStart);
}

TEST_F(PlayerTest, WithoutALogTheMacroEndsClosingOnlyTheMacroFile) {
  OpenMacro("", nullptr);
  NoKey();
  EXPECT_TRUE(Idle());
  EXPECT_EQ("HostFileClose(0x1)\n", host.Trace({"HostFileClose"}));
  EXPECT_EQ(0u, host.Count("HostFilePrintf"));
  EXPECT_EQ(1u, host.Count("HostAsk"));
}

// ---- The pause ------------------------------------------------------------

TEST_F(PlayerTest, AKeyWithinThePauseGoesBackToTheHost) {
  PauseArmedAt(100, 1000, 1099);
  EXPECT_EQ(kNoKeyCode, PluginKeyFilter('x'));
  EXPECT_EQ("HostDelayKey(0x78, 0)\n", host.Trace());
  EXPECT_EQ(100u, g_player.pauseLength);

  // The first key after the pause has run out ends it and passes.
  standin::SetTickCount(1100);
  EXPECT_EQ(uint32_t{'x'}, PluginKeyFilter('x'));
  EXPECT_EQ(0u, g_player.pauseLength);
  EXPECT_EQ(0u, g_player.pauseStart);
  EXPECT_EQ(1u, host.Count("HostDelayKey"));
}

TEST_F(PlayerTest, ThePauseIsMeasuredAcrossTheWrapOfTheTickCount) {
  // Armed 256 ms before the wrap, now 16 ms after it: 272 ms have passed.
  g_player.pauseStart = 0xFFFFFF00u;
  standin::SetTickCount(16);
  g_player.pauseLength = 273;
  EXPECT_EQ(kNoKeyCode, PluginKeyFilter('x'));
  g_player.pauseLength = 272;
  EXPECT_EQ(uint32_t{'x'}, PluginKeyFilter('x'));
  EXPECT_EQ(std::vector<uint32_t>{'x'}, host.delayedKeys);
}

TEST_F(PlayerTest, NoKeyCallsAreNeverHeldAndPlayOn) {
  OpenMacro("ab");
  PauseArmedAt(5000, 1, 2);
  EXPECT_EQ(kNoKeyCode, NoKey());
  EXPECT_EQ(std::vector<uint32_t>{'a'}, host.postedKeys);
  EXPECT_TRUE(host.delayedKeys.empty());
}

TEST_F(PlayerTest, EnterWithinThePauseDoesNotEndTheWaitAndAfterItDoes) {
  OpenMacro("ab");
  g_player.waitMode = kWaitingForEnter;
  PauseArmedAt(100, 50, 60);
  EXPECT_EQ(kNoKeyCode, PluginKeyFilter(kEnterKey));
  EXPECT_EQ(kWaitingForEnter, g_player.waitMode);
  EXPECT_TRUE(host.postedKeys.empty());

  standin::SetTickCount(150);
  EXPECT_EQ(kNoKeyCode, PluginKeyFilter(kEnterKey));
  EXPECT_EQ(kNotWaiting, g_player.waitMode);
  EXPECT_EQ(std::vector<uint32_t>{'a'}, host.postedKeys);
}

TEST_F(PlayerTest, ShiftF11WithinThePauseIsHeldNotAsked) {
  OpenMacro("ab");
  PauseArmedAt(100, 50, 60);
  EXPECT_EQ(kNoKeyCode, PluginKeyFilter(kShiftF11Key));
  EXPECT_TRUE(host.questions.empty());
  EXPECT_EQ(std::vector<uint32_t>{kShiftF11Key}, host.delayedKeys);
}

// ---- Busy, re-entry and the state bit --------------------------------------

TEST_F(PlayerTest, InnerCallsWhileBusyPassTheirKeysUnchanged) {
  OpenMacro("ab");
  std::vector<uint32_t> inner;
  host.handlers.HostAsk = [&](const char *, const char *, uint32_t) {
    EXPECT_EQ(1, g_player.busy);
    inner.push_back(PluginKeyFilter(kShiftF11Key));  // no second question
    inner.push_back(PluginKeyFilter(kNoKeyCode));    // no playback step
    inner.push_back(PluginKeyFilter(kEnterKey));
    return 0;
  };
  g_player.waitMode = kWaitingForEnter;
  EXPECT_EQ(kNoKeyCode, PluginKeyFilter(kShiftF11Key));

  EXPECT_EQ((std::vector<uint32_t>{kShiftF11Key, kNoKeyCode, kEnterKey}), inner);
  EXPECT_EQ(1u, host.Count("HostAsk"));
  EXPECT_EQ(0u, host.Count("HostFileGetc"));
  EXPECT_EQ(kWaitingForEnter, g_player.waitMode);  // an inner Enter never ends a wait
  EXPECT_EQ(0, g_player.busy);
}

TEST_F(PlayerTest, InnerCallsWhileTheStartFormRunsPassShiftF11ToTheForm) {
  uint32_t inner = 0;
  host.handlers.HostRunForm = [&](const void *, int32_t, void *, FieldCallback) {
    inner = PluginKeyFilter(kShiftF11Key);
    return 0;
  };
  EXPECT_EQ(kNoKeyCode, PluginKeyFilter(kShiftF11Key));
  EXPECT_EQ(kShiftF11Key, inner);
  EXPECT_EQ(1u, host.Count("HostRunForm"));
}

TEST_F(PlayerTest, InnerCallsDuringTypingAreStillHeldByThePause) {
  OpenMacro("[unknown]");
  PauseArmedAt(100, 1, 2);
  uint32_t inner = 0;
  host.handlers.HostTypeText = [&](const char *) {
    inner = PluginKeyFilter('u');
    return 1;
  };
  NoKey();
  EXPECT_EQ(kNoKeyCode, inner);
  EXPECT_EQ(std::vector<uint32_t>{'u'}, host.delayedKeys);
}

TEST_F(PlayerTest, TheStateBitIsSetAroundTheWorkWhenItWasClear) {
  OpenMacro("ab");
  host.handlers.HostPostKey = [&](uint32_t) {
    EXPECT_EQ(0x8000u, host.flags & 0x8000);
    EXPECT_EQ(1, g_player.busy);
    return 1;
  };
  NoKey();
  EXPECT_EQ("HostGetFlags()\nHostSetFlags(0x8000, 1)\nHostSetFlags(0x8000, 0)\n",
            host.Trace({"HostGetFlags", "HostSetFlags"}));
  EXPECT_EQ(0u, host.flags);
}

TEST_F(PlayerTest, TheStateBitIsLeftAloneWhenItWasAlreadySet) {
  OpenMacro("ab");
  host.flags = 0x8001;
  NoKey();
  PluginKeyFilter(kShiftF11Key);
  EXPECT_EQ("HostGetFlags()\nHostGetFlags()\n", host.Trace({"HostGetFlags", "HostSetFlags"}));
  EXPECT_EQ(0x8001u, host.flags);
}

TEST_F(PlayerTest, TheBracketClosesOnEveryWayOut) {
  struct Case {
    const char *what;
    const char *macro;
    uint32_t key;
    int32_t answer;
  };
  const Case cases[] = {
      {"end of the file", "", kNoKeyCode, 0},
      {"end of the file inside a word", "[ab", kNoKeyCode, 0},
      {"a dropped byte", "\x01", kNoKeyCode, 0},
      {"a word typed as text", "[ab]", kNoKeyCode, 0},
      {"stop question, no", "a", kShiftF11Key, 0},
      {"stop question, yes", "a", kShiftF11Key, kYes},
      {"start branch", nullptr, kShiftF11Key, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    host.Install();
    host.convertChar[1] = 0x100;  // low byte 0: dropped
    if (c.macro != nullptr) OpenMacro(c.macro);
    host.askAnswers = {c.answer};
    EXPECT_EQ(kNoKeyCode, PluginKeyFilter(c.key));
    EXPECT_EQ(0, g_player.busy);
    EXPECT_EQ(0u, host.flags);
    EXPECT_EQ(2u, host.Count("HostSetFlags"));
  }
}

// ---- Chaining --------------------------------------------------------------

std::vector<uint32_t> g_chainedKeys;
uint32_t g_chainAnswer;
uint32_t HOST_STDCALL ChainedFilter(uint32_t key) {
  g_chainedKeys.push_back(key);
  return g_chainAnswer;
}

class ChainingTest : public PlayerTest {
 protected:
  void SetUp() override {
    PlayerTest::SetUp();
    g_chainedKeys.clear();
    g_player.previousFilter = &ChainedFilter;
  }
};

TEST_F(ChainingTest, ThePreviousFilterGetsTheArgumentAsReceivedAndItsAnswerCounts) {
  g_chainAnswer = 0xABCD0062;  // 'b' in the low 16 bits
  EXPECT_EQ(uint32_t{'b'}, PluginKeyFilter(0x12340061));
  EXPECT_EQ(std::vector<uint32_t>{0x12340061}, g_chainedKeys);
  EXPECT_TRUE(host.calls.empty()) << host.Trace();
}

TEST_F(ChainingTest, APreviousFilterAnsweringNoKeyMakesANoKeyCall) {
  OpenMacro("ab");
  g_chainAnswer = 0x1234FFFF;
  EXPECT_EQ(kNoKeyCode, PluginKeyFilter('x'));
  EXPECT_EQ(std::vector<uint32_t>{'a'}, host.postedKeys);
}

TEST_F(ChainingTest, APreviousFilterTurningAKeyIntoShiftF11StartsTheForm) {
  g_chainAnswer = kShiftF11Key;
  EXPECT_EQ(kNoKeyCode, PluginKeyFilter('x'));
  EXPECT_EQ(1u, host.Count("HostRunForm"));
}

TEST_F(ChainingTest, ThePreviousFilterRunsBeforeTheHoldAndWhileBusy) {
  g_chainAnswer = 'y';
  PauseArmedAt(100, 1, 2);
  EXPECT_EQ(kNoKeyCode, PluginKeyFilter('x'));
  EXPECT_EQ(std::vector<uint32_t>{'y'}, host.delayedKeys);

  g_player.busy = 1;
  g_player.pauseLength = 0;
  EXPECT_EQ(uint32_t{'y'}, PluginKeyFilter('x'));
  EXPECT_EQ((std::vector<uint32_t>{'x', 'x'}), g_chainedKeys);
}

// ---- Refused keys ------------------------------------------------------------

TEST_F(PlayerTest, ARefusedKeyIsPostedAndLoggedAgainWithoutReadingTheFile) {
  LoadKeys(kSmallKeys);
  OpenMacro("[ENTER]b");
  host.postResults = {0, 0, 1};
  standin::SetTickCount(1000);
  NoKey();
  EXPECT_EQ(13, g_player.pendingKey);
  EXPECT_EQ(1000u, g_player.pauseStart);
  size_t reads = host.Count("HostFileGetc");

  standin::SetTickCount(1010);
  NoKey();
  standin::SetTickCount(1020);
  NoKey();
  EXPECT_EQ(reads, host.Count("HostFileGetc"));
  EXPECT_EQ(1000u, g_player.pauseStart);  // the pause is not armed again
  EXPECT_EQ(0, g_player.pendingKey);

  NoKey();
  EXPECT_EQ((std::vector<uint32_t>{13, 13, 13, 'b'}), host.postedKeys);
  EXPECT_EQ(Stamped({"[ENTER]\n", "[ENTER]\n", "[ENTER]\n", "{CHAR: b}\n"}), Log());
}

// ---- The stop question ---------------------------------------------------------

TEST_F(PlayerTest, YesStopsTheMacroWithoutAFullStop) {
  OpenMacro("ab", "old\n");
  g_player.waitMode = kWaitingForEnter;
  host.askAnswers = {0x7FFF5009};  // only the low 16 bits count
  EXPECT_EQ(kNoKeyCode, PluginKeyFilter(kShiftF11Key));
  EXPECT_EQ(
      "HostAsk(\"uwaga\", \"Czy chcesz zatrzyma\\x8D aktualne makro?\", 0x26006)\n"
      "HostFileClose(0x1)\n"
      "HostFileClose(0x2)\n"
      "HostAsk(\"uwaga\", \"Zako\\xA4"
      "czono prac\\x91 makra z pliku\", 0x1)\n",
      host.Trace({"HostAsk", "HostFileClose"}));
  EXPECT_EQ("old\n" + Stamped({"{KOMUNIKAT: Zako\xA4"
                               "czono prac\x91 makra z pliku}\n"}),
            Log());
  EXPECT_TRUE(Idle());
  EXPECT_EQ(0u, g_player.logFile);
  EXPECT_EQ(kNotWaiting, g_player.waitMode);
}

TEST_F(PlayerTest, AnyOtherAnswerKeepsTheMacroTheLogAndTheWait) {
  for (int32_t answer : {0, 0x5008, 0x5001, -1}) {
    host.Install();
    OpenMacro("ab");
    g_player.waitMode = kWaitingForEnter;
    host.askAnswers = {answer};
    PluginKeyFilter(kShiftF11Key);
    EXPECT_EQ(1u, host.Count("HostAsk")) << answer;
    EXPECT_NE(0u, g_player.macroFile);
    EXPECT_NE(0u, g_player.logFile);
    EXPECT_EQ(kWaitingForEnter, g_player.waitMode);
    EXPECT_EQ("", Log());
  }
}

TEST_F(PlayerTest, AKeyStillPendingIsDroppedWhenTheUserStops) {
  OpenMacro("ab");
  host.postResults = {0};
  NoKey();
  ASSERT_EQ('a', g_player.pendingKey);
  host.askAnswers = {kYes};
  PluginKeyFilter(kShiftF11Key);
  EXPECT_EQ(0, g_player.pendingKey);

  // The next macro starts with its own first character.
  host.AddFile(u"C:\\next.txt", "z");
  g_player.macroFile = HostFileOpenW(u"C:\\next.txt", u"rt", 0x40, 0, -1);
  NoKey();
  EXPECT_EQ((std::vector<uint32_t>{'a', 'z'}), host.postedKeys);
}

// ---- The helpers ---------------------------------------------------------------

TEST_F(PlayerTest, PostMacroKeyLogsFirstThenPostsTheWholeValue) {
  OpenMacro("");
  host.postResults = {0};
  EXPECT_EQ(0, PostMacroKey(-1));
  EXPECT_EQ(7, [&] {
    host.handlers.HostPostKey = [](uint32_t) { return 7; };
    return PostMacroKey(static_cast<int32_t>(0xFFFF8700u));
  }());
  std::vector<std::string> names = host.Names();
  std::vector<std::string> order;
  for (const std::string &name : names)
    if (name == "HostFilePrintf" || name == "HostPostKey") order.push_back(name);
  EXPECT_EQ(
      (std::vector<std::string>{"HostFilePrintf", "HostPostKey", "HostFilePrintf", "HostPostKey"}),
      order);
  EXPECT_EQ((std::vector<uint32_t>{0xFFFFFFFFu, 0xFFFF8700u}), host.postedKeys);
}

TEST_F(PlayerTest, CloseHostFileClosesOnlyAnOpenFile) {
  OpenMacro("");
  HostFile none = 0;
  EXPECT_EQ(0, CloseHostFile(&none));
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(0, CloseHostFile(&g_player.macroFile));
  EXPECT_EQ(0u, g_player.macroFile);
  EXPECT_EQ("HostFileClose(0x1)\n", host.Trace());
  HostFile stale = 9;
  EXPECT_EQ(-1, CloseHostFile(&stale));  // the host's result, as it came
  EXPECT_EQ(0u, stale);
}

}  // namespace
