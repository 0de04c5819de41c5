// The six commands: their effects, host calls and log lines in order, and
// the resolution of a word (commands first, then key names).
#include <gtest/gtest.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "player/playback/commands.h"
#include "tests/plugin/player_test_support.h"

namespace {

// The calls a command makes that the log does not show.
const std::vector<std::string> kVisible = {"HostAsk",      "HostWaitScreen", "HostFileRewind",
                                           "HostTypeText", "HostFilePrintf", "HostPostKey"};

struct CommandCase {
  const char *word;
  int32_t result;
  int32_t waitMode;  // a WaitMode
  std::string trace;  // visible host calls, in order
  std::string log;
  std::vector<uint32_t> sleeps;
};

class CommandTest : public PlayerTest {};

TEST_F(CommandTest, EachCommandMakesItsCallsAndLinesInOrder) {
  const std::string waitText =
      "Naci\x9Enij klawisz ENTER, gdy sko\xA4"
      "czysz\naby kontynuowa\x8D makro";
  const std::string haltText = "Makro zosta\x92o zatrzymane. Ponowne uruchomienie Shift+F11";
  const CommandCase cases[] = {
      {"WAITENTER",
       -1,
       1,
       "HostFilePrintf(0x2, \"%s\", \"" + Escaped(kStamp + "{KOMUNIKAT: " + waitText + "}\n") +
           "\")\n"
           "HostAsk(\"\", \"" +
           Escaped(waitText) +
           "\", 0x200)\n"
           "HostWaitScreen()\n",
       Stamped({"{KOMUNIKAT: " + waitText + "}\n"}),
       {1000}},
      {"WAIT", -1, 1, "", "", {}},
      {"HALT",
       -1,
       2,
       "HostFilePrintf(0x2, \"%s\", \"" + Escaped(kStamp + "{KOMUNIKAT: " + haltText + "}\n") +
           "\")\n"
           "HostAsk(\"uwaga\", \"" +
           Escaped(haltText) + "\", 0x1)\n",
       Stamped({"{KOMUNIKAT: " + haltText + "}\n"}),
       {}},
      {"RESTART",
       -1,
       0,
       "HostFilePrintf(0x2, \"%s\", \"" + Escaped(kStamp) +
           "[RESTART]\\n\")\n"
           "HostFileRewind(0x1)\n",
       Stamped({"[RESTART]\n"}),
       {}},
      {"DELAY",
       -1,
       0,
       "HostFilePrintf(0x2, \"%s\", \"" + Escaped(kStamp) + "[DELAY]\\n\")\n",
       Stamped({"[DELAY]\n"}),
       {}},
      {"SF11",
       static_cast<int32_t>(0xFFFF8700u),
       0,
       "HostFilePrintf(0x2, \"%s\", \"" + Escaped(kStamp) + "[SF11]\\n\")\n",
       Stamped({"[SF11]\n"}),
       {}},
  };
  for (const CommandCase &c : cases) {
    SCOPED_TRACE(c.word);
    host.Install();
    OpenMacro("0123456789", "");
    WordOutcome outcome = RunMacroWord(c.word);
    EXPECT_EQ(WordKind::kCommand, outcome.kind);
    EXPECT_EQ(c.result, outcome.key);
    // DELAY arms its own pause: the key delay does not replace it.
    EXPECT_EQ(std::string(c.word) != "DELAY", outcome.armsKeyDelay);
    EXPECT_EQ(c.waitMode, g_player.waitMode);
    EXPECT_EQ(c.trace, host.Trace(kVisible));
    EXPECT_EQ(c.log, Log());
    EXPECT_EQ(c.sleeps, standin::Sleeps());
    EXPECT_EQ(0u, host.Count("HostPostKey"));  // posting is the player's
  }
}

TEST_F(CommandTest, WaitEnterSleepsBetweenItsNoticeAndTheScreenWait) {
  OpenMacro("", nullptr);
  std::vector<std::string> order;
  host.handlers.HostAsk = [&](const char *, const char *, uint32_t) {
    order.push_back("ask, sleeps " + std::to_string(standin::Sleeps().size()));
    return 0;
  };
  host.handlers.HostWaitScreen = [&] {
    order.push_back("wait screen, sleeps " + std::to_string(standin::Sleeps().size()));
    return 0;
  };
  RunMacroWord("WAITENTER");
  EXPECT_EQ((std::vector<std::string>{"ask, sleeps 0", "wait screen, sleeps 1"}), order);
}

TEST_F(CommandTest, WaitEnterSetsTheWaitBeforeItsNoticeRunsTheHostLoop) {
  OpenMacro("", nullptr);
  int32_t seen = -1;
  host.handlers.HostAsk = [&](const char *, const char *, uint32_t) {
    seen = g_player.waitMode;
    return 0;
  };
  RunMacroWord("WAITENTER");
  EXPECT_EQ(kWaitingForEnter, seen);
}

TEST_F(CommandTest, RestartTouchesNothingButTheMacroFile) {
  OpenMacro("abc", nullptr);
  HostFileGetc(g_player.macroFile);
  g_player.waitMode = kNotWaiting;
  g_player.pendingKey = 'q';
  g_player.pauseLength = 55;
  g_player.pauseStart = 66;
  EXPECT_EQ(-1, RunMacroWord("RESTART").key);
  EXPECT_EQ('a', HostFileGetc(g_player.macroFile));
  EXPECT_EQ('q', g_player.pendingKey);
  EXPECT_EQ(55u, g_player.pauseLength);
  EXPECT_EQ(66u, g_player.pauseStart);
}

struct ResolveCase {
  const char *word;
  int32_t result;
};

TEST_F(CommandTest, WordsResolveToCommandsFirstThenKeyNames) {
  LoadKeys(
      "#define ENTER 13\n"
      "#define WAIT 65\n"  // spelled like a command: never reached by name
      "#define wait 66\n"  // a different name: case counts
      "#define SF11 0x8700\n"
      "#define ZERO 0x10000\n");  // a code of 0: no match
  OpenMacro("", nullptr);
  const ResolveCase cases[] = {
      {"ENTER", 13}, {"WAIT", -1}, {"wait", 66},      {"SF11", static_cast<int32_t>(0xFFFF8700u)},
      {"ZERO", 0},   {"enter", 0}, {"ENTER ", 0},     {" ENTER", 0},
      {"", 0},       {"WAITE", 0}, {"WAITENTERX", 0}, {"Halt", 0},
  };
  for (const ResolveCase &c : cases) {
    g_player.waitMode = kNotWaiting;
    WordOutcome outcome = RunMacroWord(c.word);
    EXPECT_EQ(c.result, outcome.key) << '"' << c.word << '"';
    // A key name's code, or a command's key, arms the key delay; text does not.
    EXPECT_EQ(c.result != 0, outcome.armsKeyDelay) << '"' << c.word << '"';
    EXPECT_EQ(c.result == 0, outcome.kind == WordKind::kText) << '"' << c.word << '"';
  }
  // The table still names the code of a name spelled like a command.
  EXPECT_STREQ("WAIT", FindKeyName(65));
}

TEST_F(CommandTest, WithoutKeyNamesEveryOtherWordIsText) {
  OpenMacro("", nullptr);
  EXPECT_EQ(WordKind::kText, RunMacroWord("ENTER").kind);
  EXPECT_EQ(0, RunMacroWord("ENTER").key);
  EXPECT_EQ(-1, RunMacroWord("HALT").key);
}

TEST_F(CommandTest, TypeMacroTextLogsThenTypesAndGivesTheHostsResult) {
  OpenMacro("", "");
  host.handlers.HostTypeText = [](const char *) { return 42; };
  EXPECT_EQ(42, TypeMacroText("100% pewne"));
  EXPECT_EQ(Stamped({"{NAPIS: 100% pewne}\n"}), Log());
  std::vector<std::string> order;
  for (const std::string &name : host.Names())
    if (name == "HostFilePrintf" || name == "HostTypeText") order.push_back(name);
  EXPECT_EQ((std::vector<std::string>{"HostFilePrintf", "HostTypeText"}), order);
}

}  // namespace
