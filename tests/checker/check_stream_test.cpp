// The dry run: the key stream, the user's actions, the time and the log, held
// against what the player does when a host plays the same macro.
#include <gtest/gtest.h>
#include <stdint.h>
#include <time.h>

#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "player/playback/playback.h"
#include "player/playback/commands.h"
#include "player/entry/key_filter.h"
#include "player/playback/player_state.h"
#include "plugin/keys/key_names.h"
#include "player/playback/player_texts.h"
#include "plugin/contract/mazovia.h"
#include "tests/plugin/player_test_support.h"
#include "tools/checker/checker.h"
#include "tools/checker/report.h"
#include "tests/checker/printed_report.h"
#include "tools/macro/suggest.h"

namespace {

using macro::StreamKind;

checker::FileText Text(const std::string &name, const std::string &content) {
  checker::FileText file;
  file.name = name;
  file.readable = true;
  file.content = content;
  return file;
}

macro::MacroReport DryRun(const std::string &keys, const std::string &macro, uint16_t delay = 100,
                       bool log = false, time_t start = 0) {
  checker::PlayOptions options;
  options.keyDelay = delay;
  options.keepLog = log;
  options.logStart = start;
  options.keepStream = true;
  options.keepPostedKeys = true;
  checker::CheckResult result = checker::RunCheck(Text("keys.h", keys), {Text("m.txt", macro)}, options);
  return result.macros.at(0);
}

// The player against the unit tests' fake host, driven like the stand-in
// host drives it: posted keys come back through the filter, held keys are
// offered again 10 ms later, the filter is asked for a key only when none
// waits, the user answers each wait and every stop question "no" — until
// playback has been sent back to the start a second time, when the user
// presses Shift+F11 and answers "yes".
class RealPlayer : public PlayerTest {
 protected:
  std::deque<uint32_t> waiting;
  bool userStops = false;

  void SetUp() override {
    PlayerTest::SetUp();
    InstallHost();
  }

  // A fresh fake host (its Install forgets the handlers) that behaves as above.
  void InstallHost() {
    host.Install();
    SetKeyDelay(100);
    waiting.clear();
    userStops = false;
    QueuePostedKeys(host, waiting);
    host.handlers.HostDelayKey = [this](uint32_t key, int32_t) {
      waiting.push_back(key);
      return 1;
    };
    AnswerStopQuestion(host, [this] { return userStops ? 0x5009 : 0; });
  }

  void Play(const std::string &keys, const std::string &macro) {
    host.AddFile(kKeysPath, keys);
    ASSERT_EQ(0, LoadKeyNameTable());
    OpenMacro(macro, "");
    standin::SetTickCount(100000);
    for (int round = 0; round < 20000 && !Idle(); ++round) {
      standin::AdvanceTicks(10);
      if (!waiting.empty()) {
        uint32_t key = waiting.front();
        waiting.pop_front();
        PluginKeyFilter(key);
      } else if (g_player.waitMode == kWaitingForEnter) {
        PluginKeyFilter(13);
      } else if (g_player.waitMode == kHalted) {
        PluginKeyFilter(0x8700);
      } else if (host.Count("HostFileRewind") >= 2 && !userStops) {
        userStops = true;
        PluginKeyFilter(0x8700);
      } else {
        PluginKeyFilter(0xFFFF);
      }
    }
    ASSERT_TRUE(Idle());
  }
};

// The log's lines without their stamps, in host text with LF line ends.
std::vector<std::string> LogBodies(const std::string &log, bool utf8) {
  std::vector<std::string> bodies;
  std::string text;
  for (size_t i = 0; i < log.size(); ++i) {
    if (log[i] == '\r' && i + 1 < log.size() && log[i + 1] == '\n') continue;
    text += log[i];
  }
  if (utf8) {
    // Back to host text: every character of the log is one Mazovia byte.
    std::string host;
    for (size_t i = 0; i < text.size();) {
      unsigned char lead = static_cast<unsigned char>(text[i]);
      char32_t c = lead;
      size_t extra = lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
      if (extra > 0) c = lead & (extra == 2 ? 0x0F : 0x1F);
      for (size_t k = 1; k <= extra; ++k) c = (c << 6) | (text[i + k] & 0x3F);
      host += static_cast<char>(UnicodeToMazovia(c));
      i += 1 + extra;
    }
    text = host;
  }
  // Each entry: "<date>=<time> <body>"; the wait-for-Enter body goes on to
  // a second line of its own, which carries no stamp.
  size_t at = 0;
  while (at < text.size()) {
    size_t space = text.find(' ', at);
    size_t end = text.find('\n', space);
    if (text.compare(space + 1, 12, "{KOMUNIKAT: ") == 0 && text.find('}', space) > end)
      end = text.find('\n', end + 1);
    bodies.push_back(text.substr(space + 1, end + 1 - (space + 1)));
    at = end + 1;
  }
  return bodies;
}

TEST_F(RealPlayer, TheDryRunAndThePlayerAgreeKeyForKeyOnTheSharedMacro) {
  const std::string keys = ReadDataFile("keys.h");
  const std::string macro = ReadDataFile("shared_macro.txt");
  macro::MacroReport dry = DryRun(keys, macro, 100, true, 0);

  InstallHost();
  Play(keys, macro);

  ASSERT_FALSE(host.postedKeys.empty());
  EXPECT_EQ(host.postedKeys, dry.postedKeys);
  // Two passes of 46 keys each, the no-key code of the commands not counted.
  EXPECT_EQ(92u, dry.keysPosted);
  EXPECT_EQ(46u, dry.keysFirstPass);
  EXPECT_TRUE(dry.restarts);
  EXPECT_FALSE(dry.endless);

  std::vector<std::string> typed;
  for (const macro::StreamItem &item : dry.stream)
    if (item.kind == StreamKind::kText) typed.push_back(item.text);
  EXPECT_EQ(host.typedTexts, typed);

  EXPECT_EQ(LogBodies(Log(), false), LogBodies(dry.log, true));
}

TEST_F(RealPlayer, TheDryRunAndThePlayerAgreeOnAMacroThatEndsAndOnOneCutShort) {
  const std::string keys = ReadDataFile("keys.h");
  const char *const macros[] = {
      "ab[TAB]c[ENTER][WAITENTER]d[HALT]e[DELAY]f[SF11]g[nieznane]\r\nh",
      "[ABCDEFGHIJKLMNOPQRSTUVWXYZ]x[HOME",
      // A line break inside a word: LF alone, as the host's text-mode read
      // hands over CR LF (this fake host reads bytes as they stand).
      "[HOME\n]q[HOME]",
  };
  for (const char *macro : macros) {
    SCOPED_TRACE(macro);
    macro::MacroReport dry = DryRun(keys, macro);
    InstallHost();
    Play(keys, macro);
    EXPECT_EQ(host.postedKeys, dry.postedKeys);
    std::vector<std::string> typed;
    for (const macro::StreamItem &item : dry.stream)
      if (item.kind == StreamKind::kText) typed.push_back(item.text);
    EXPECT_EQ(host.typedTexts, typed);
    ReleaseKeyNameTable();
  }
}

TEST(DryRun, ReadsTheMacroAsTheHostOpensIt_InTextMode) {
  // CR LF reaches the player as LF: inside a word too.
  macro::MacroReport dry = DryRun("#define HOME 0x4700\n", "[HOME\r\n]");
  ASSERT_FALSE(dry.stream.empty());
  EXPECT_EQ(StreamKind::kText, dry.stream[0].kind);
  EXPECT_EQ("HOME\n", dry.stream[0].text);
}

TEST(CommandNames, AreThePlayersCommands) {
  FakeHost &host = FakeHost::Get();
  host.Install();
  for (const std::string &name : macro::kCommandNames) {
    EXPECT_NE(0, RunMacroWord(name.c_str()).key) << name;
    std::string lower = name;
    for (char &c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(0, RunMacroWord(lower.c_str()).key) << lower;
  }
  // And nothing else is one: a word one letter longer or shorter is not.
  for (const std::string &name : macro::kCommandNames) {
    EXPECT_EQ(0, RunMacroWord((name + "S").c_str()).key) << name;
    EXPECT_EQ(0, RunMacroWord(name.substr(1).c_str()).key) << name;
  }
}

struct ItemExpectation {
  StreamKind kind;
  int line;
  int column;
  uint32_t code;
  const char *nameOrText;
};

TEST(DryRun, ListsEachItemWithItsPlaceAndTheUsersActions) {
  const std::string keys = "#define ENTER 13\n#define HOME 0x4700\n";
  macro::MacroReport dry = DryRun(keys, "a\xC5\x84[HOME]\r\n[x][WAITENTER]b[HALT][SF11][ENTER");
  const std::vector<ItemExpectation> expected = {
      {StreamKind::kCharacter, 1, 1, 'a', ""},
      {StreamKind::kCharacter, 1, 2, 0xA4, ""},  // UTF-8 'ń' becomes the host's 0xA4
      {StreamKind::kKey, 1, 3, 0x4700, "HOME"},
      {StreamKind::kText, 2, 1, 0, "x"},
      {StreamKind::kCommand, 2, 4, 0xFFFF, "WAITENTER"},
      {StreamKind::kUserEnter, 2, 4, 13, ""},
      {StreamKind::kCharacter, 2, 15, 'b', ""},
      {StreamKind::kCommand, 2, 16, 0xFFFF, "HALT"},
      {StreamKind::kUserShiftF11, 2, 16, 0x8700, ""},
      {StreamKind::kCommand, 2, 22, 0x8700, "SF11"},
      {StreamKind::kQuestion, 2, 22, 0, "answered no: the macro goes on"},
      {StreamKind::kText, 2, 28, 0, "ENTER"},
      {StreamKind::kEnd, 2, 34, 0, ""},
  };
  ASSERT_EQ(expected.size(), dry.stream.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    const ItemExpectation &e = expected[i];
    const macro::StreamItem &item = dry.stream[i];
    EXPECT_EQ(e.kind, item.kind);
    EXPECT_EQ(e.line, item.position.line);
    EXPECT_EQ(e.column, item.position.column);
    EXPECT_EQ(e.code, item.code);
    if (e.kind == StreamKind::kKey || e.kind == StreamKind::kCommand) {
      EXPECT_EQ(e.nameOrText, item.name);
    } else if (e.kind == StreamKind::kText || e.kind == StreamKind::kQuestion) {
      EXPECT_EQ(e.nameOrText, item.text);
    }
  }
  EXPECT_EQ(5u, dry.keysPosted);  // a, ń, HOME, b, Shift+F11
  EXPECT_EQ(3u, dry.userActions);
}

TEST(DryRun, TypedCharactersOfALineShowAsOneText) {
  const std::string keys = "#define ENTER 13\n#define HOME 0x4700\n";
  macro::MacroReport dry = DryRun(keys, "a\xC5\x84[HOME]b\tc\r\nxy\r\n[ENTER]");
  EXPECT_EQ((std::vector<std::string>{
                "  1:1       characters \"a\xC5\x84\"",
                "  1:3       key        [HOME] 0x4700",
                "  1:9       characters \"b\\tc\"",
                "  2:1       characters \"xy\"",
                "  3:1       key        [ENTER] 0x000D",
                "  3:8       end        the end of the file ends the macro",
            }),
            checker::StreamLines(dry.stream, false, false));
  // Behind the option, each character on a line of its own.
  std::vector<std::string> each = checker::StreamLines(dry.stream, true, false);
  ASSERT_EQ(dry.stream.size(), each.size());
  EXPECT_EQ("  1:2       character  '\xC5\x84'", each[1]);
}

TEST(DryRun, TheLeastTimeCountsPausesDelaysAndWaitNotices) {
  const std::string keys = "#define ENTER 13\n";
  struct Case {
    const char *macro;
    uint16_t delay;
    uint64_t milliseconds;
  } cases[] = {
      {"abc", 100, 0},                          // characters arm no pause
      {"[ENTER]a[ENTER]", 250, 500},            // one pause per key name
      {"[nieznane]x", 100, 0},                  // a word typed as text arms none
      {"[DELAY]x", 100, 2000},                  // DELAY's own pause replaces the key delay
      {"[WAITENTER]", 100, 1100},               // the notice's second, then the pause
      {"[WAIT][HALT][ENTER]", 0, 0},            // a key delay of 0 arms nothing
      {"[ENTER][DELAY][WAITENTER]", 0, 3000},
      {"[ENTER][RESTART]", 100, 400},           // two passes of two pauses
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.macro);
    EXPECT_EQ(c.milliseconds, DryRun(keys, c.macro, c.delay).leastMilliseconds);
  }
  macro::MacroReport looped = DryRun(keys, "[ENTER][RESTART]", 100);
  EXPECT_EQ(200u, looped.leastFirstPass);
  EXPECT_EQ(1u, looped.keysFirstPass);
}

TEST(DryRun, TheLogIsThePlayersWithStampsThatMoveWithThePlayback) {
  struct tm civil = {};
  civil.tm_year = 2026 - 1900;
  civil.tm_mon = 11;
  civil.tm_mday = 7;
  civil.tm_hour = 10;
  civil.tm_min = 11;
  civil.tm_sec = 12;
  civil.tm_isdst = -1;
  macro::MacroReport dry = DryRun("#define ENTER 13\n", "\xC5\x84[ENTER][DELAY]x[WAITENTER]", 100, true,
                               mktime(&civil));
  EXPECT_EQ(
      "2026-12-07=10:11:12 {CHAR: \xC5\x84}\r\n"
      "2026-12-07=10:11:12 [ENTER]\r\n"
      "2026-12-07=10:11:12 [DELAY]\r\n"
      "2026-12-07=10:11:12 {KSHORT: 0xFFFF}\r\n"
      "2026-12-07=10:11:14 {CHAR: x}\r\n"
      "2026-12-07=10:11:14 {KOMUNIKAT: Naci\xC5\x9Bnij klawisz ENTER, gdy sko\xC5\x84" "czysz\r\n"
      "aby kontynuowa\xC4\x87 makro}\r\n"
      "2026-12-07=10:11:15 {KSHORT: 0xFFFF}\r\n"
      "2026-12-07=10:11:15 {KOMUNIKAT: Zako\xC5\x84" "czono prac\xC4\x99 makra z pliku.}\r\n",
      dry.log);
}

}  // namespace

// What a report prints, with the dry run from `source` or as kept.
std::string PrintedDryRun(const checker::CheckResult &result, bool json, const checker::StreamSource &source) {
  checker::OutputOptions options;
  options.dryRun = true;
  return PrintedReport(result, json, options, source);
}

// The check keeps nothing for each byte of a macro (no stream, no posted
// keys), and the dry run played again item by item prints what the kept
// stream prints, in text and JSON.
TEST(Streaming, TheCheckKeepsNothingPerByteAndTheReplayPrintsTheSame) {
  std::string macro;
  for (int i = 0; i < 300; ++i) macro += "ab\xC5\x84[ENTER][nieznane]\r\n";
  const std::vector<checker::FileText> files = {Text("m.txt", macro)};
  const checker::FileText keys = Text("keys.h", "#define ENTER 13\n");

  checker::PlayOptions plain;
  const checker::CheckResult checked = checker::RunCheck(keys, files, plain);
  EXPECT_TRUE(checked.macros[0].stream.empty());
  EXPECT_TRUE(checked.macros[0].postedKeys.empty());
  // Words are kept only where a finding of the key definitions could be
  // about them: this key file has none.
  EXPECT_TRUE(checked.macros[0].words.empty());

  checker::PlayOptions keep;
  keep.keepStream = true;
  const checker::CheckResult kept = checker::RunCheck(keys, files, keep);
  ASSERT_EQ(300u * 5, kept.macros[0].stream.size() - 1);  // 3 characters, 2 words; the end

  const checker::StreamSource replay = checker::ReplayStreams(keys, files, plain);
  for (bool json : {false, true}) {
    SCOPED_TRACE(json ? "json" : "text");
    EXPECT_EQ(PrintedDryRun(kept, json, nullptr), PrintedDryRun(checked, json, replay));
  }
}
