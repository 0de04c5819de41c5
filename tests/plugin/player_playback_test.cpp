// The playback step: characters, line breaks, bracketed words and their
// limits, and the pause after a word.
#include <gtest/gtest.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "player/playback/playback.h"
#include "plugin/contract/host_values.h"
#include "player/playback/commands.h"
#include "tests/plugin/player_test_support.h"

namespace {

using Keys = std::vector<uint32_t>;
using Texts = std::vector<std::string>;

class PlaybackTest : public PlayerTest {
 protected:
  // Plays until the macro ends (at most `limit` no-key calls).
  void PlayToTheEnd(int limit = 200) {
    for (int i = 0; i < limit && !Idle(); ++i) NoKey();
    ASSERT_TRUE(Idle());
  }
};

TEST_F(PlaybackTest, LineBreaksFeedNothing) {
  OpenMacro("ab\r\ncd\r\n\r\n\ne\n");
  PlayToTheEnd();
  EXPECT_EQ((Keys{'a', 'b', 'c', 'd', 'e'}), host.postedKeys);

  host.Install();
  OpenMacro("abcde");
  PlayToTheEnd();
  EXPECT_EQ((Keys{'a', 'b', 'c', 'd', 'e'}), host.postedKeys);
}

TEST_F(PlaybackTest, OneCallFeedsOneCharacterAndAnEmptyLineNothing) {
  OpenMacro("a\r\n\r\nb");
  NoKey();
  EXPECT_EQ(Keys{'a'}, host.postedKeys);
  NoKey();
  EXPECT_EQ((Keys{'a', 'b'}), host.postedKeys);
  EXPECT_FALSE(Idle());
  NoKey();
  EXPECT_TRUE(Idle());
}

TEST_F(PlaybackTest, EachByteIsConvertedByTheHostAndItsLowByteFed) {
  OpenMacro("\xA4x");
  host.convertChar[0xA4] = 0x12345E;
  NoKey();
  EXPECT_EQ("HostFileGetc(0x1)\nHostConvertChar(164, 3, 1)\nHostKeyPending()\n",
            host.Trace({"HostFileGetc", "HostConvertChar", "HostKeyPending"}));
  EXPECT_EQ(Keys{0x5E}, host.postedKeys);
}

TEST_F(PlaybackTest, AByteConvertingToZeroIsDropped) {
  OpenMacro("\x7Fz");
  host.convertChar[0x7F] = 0;
  NoKey();
  EXPECT_TRUE(host.postedKeys.empty());
  EXPECT_EQ(0, g_player.pendingKey);
  EXPECT_EQ("", Log());
  NoKey();
  EXPECT_EQ(Keys{'z'}, host.postedKeys);
}

TEST_F(PlaybackTest, PlainCharactersLogOneLineEachAndArmNoPause) {
  OpenMacro("a\x07");
  standin::SetTickCount(500);
  NoKey();
  NoKey();
  EXPECT_EQ(Stamped({"{CHAR: a}\n", "{CHAR: \x07}\n"}), Log());
  EXPECT_EQ(0u, g_player.pauseLength);
  EXPECT_EQ(0u, g_player.pauseStart);
}

TEST_F(PlaybackTest, AKeyNamePostsItsCodeLogsItsNameAndArmsThePause) {
  LoadKeys(kSmallKeys);
  OpenMacro("[HOME]x");
  SetKeyDelay(250);
  standin::SetTickCount(4000);
  NoKey();
  EXPECT_EQ(Keys{0x4700}, host.postedKeys);
  EXPECT_EQ(Stamped({"[HOME]\n"}), Log());
  EXPECT_EQ(250u, g_player.pauseLength);
  EXPECT_EQ(4000u, g_player.pauseStart);
  EXPECT_TRUE(host.typedTexts.empty());

  // The posted key comes back and is held; the next character is not.
  standin::AdvanceTicks(249);
  EXPECT_EQ(host::kNoKey, PluginKeyFilter(0x4700));
  standin::AdvanceTicks(1);
  EXPECT_EQ(0x4700u, PluginKeyFilter(0x4700));
}

TEST_F(PlaybackTest, AKeyDelayOfZeroHoldsNothing) {
  LoadKeys(kSmallKeys);
  OpenMacro("[TAB]");
  SetKeyDelay(0);
  NoKey();
  EXPECT_EQ(9u, PluginKeyFilter(9));
  EXPECT_TRUE(host.delayedKeys.empty());
}

struct WordCase {
  const char *what;
  std::string macro;
  bool keyPending;  // HostKeyPending answers something other than 0xFFFF
  Keys posted;      // over the whole playback
  Texts typed;
};

TEST_F(PlaybackTest, BracketedWords) {
  const std::string nineteen = "ABCDEFGHIJKLMNOPQRS";
  const WordCase cases[] = {
      {"a key name", "[ENTER]", false, {13}, {}},
      {"an unknown word is typed without its brackets", "[nowhere]", false, {}, {"nowhere"}},
      {"an empty word is typed as an empty text", "[]a", false, {'a'}, {""}},
      {"'[' as the last byte", "a[", false, {'a'}, {""}},
      {"the end of the file inside a word", "[ENT", false, {}, {"ENT"}},
      {"bytes of a word are taken as they stand", "[A\r\nB]", false, {}, {"A\r\nB"}},
      {"no nesting", "[[ENTER]", false, {}, {"[ENTER"}},
      {"names are case-sensitive", "[enter]", false, {}, {"enter"}},
      {"a blank before ']' counts", "[ENTER ]", false, {}, {"ENTER "}},
      {"19 characters and ']' are one word", "[" + nineteen + "]z", false, {'z'}, {nineteen}},
      {"when the host has a key pending, '[' is a character",
       "[TAB]",
       true,
       {'[', 'T', 'A', 'B', ']'},
       {}},
  };
  for (const WordCase &c : cases) {
    SCOPED_TRACE(c.what);
    host.Install();
    LoadKeys(kSmallKeys);
    if (c.keyPending) host.keyPending = 0x1C0D;
    OpenMacro(c.macro);
    PlayToTheEnd();
    EXPECT_EQ(c.posted, host.postedKeys);
    EXPECT_EQ(c.typed, host.typedTexts);
    ReleaseKeyNameTable();
  }
}

TEST_F(PlaybackTest, AWordOfTwentyCharactersIsTypedAndTheRestReadAsText) {
  // The 19 characters that fit are typed; the 20th byte is fed as an
  // ordinary character by the next call; what follows, ']' included, is
  // ordinary text.
  OpenMacro("[ABCDEFGHIJKLMNOPQRSTU]x");
  NoKey();
  EXPECT_EQ(Texts{"ABCDEFGHIJKLMNOPQRS"}, host.typedTexts);
  EXPECT_TRUE(host.postedKeys.empty());
  EXPECT_EQ(0u, g_player.pauseLength);
  size_t reads = host.Count("HostFileGetc");
  EXPECT_EQ(21u, reads);  // '[', 19 characters, 'T'

  NoKey();  // 'T' goes without reading
  EXPECT_EQ(reads, host.Count("HostFileGetc"));
  PlayToTheEnd();
  EXPECT_EQ((Keys{'T', 'U', ']', 'x'}), host.postedKeys);
  EXPECT_EQ(Stamped({"{NAPIS: ABCDEFGHIJKLMNOPQRS}\n", "{CHAR: T}\n", "{CHAR: U}\n", "{CHAR: ]}\n",
                     "{CHAR: x}\n",
                     "{KOMUNIKAT: Zako\xA4"
                     "czono prac\x91 makra z pliku.}\n"}),
            Log());
}

TEST_F(PlaybackTest, TheByteBehindATooLongWordIsFedAsAnOrdinaryCharacter) {
  struct Case {
    const char *what;
    std::string twentieth;
    Keys posted;
  };
  const Case cases[] = {
      {"a line feed is skipped", "\n", {'y'}},
      {"a carriage return is skipped", "\r", {'y'}},
      {"a byte converting to zero is dropped", "\x01", {'y'}},
      {"'[' is a character here", "[", {'[', 'y'}},
      {"a converted byte", "\xA4", {0x3F, 'y'}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    host.Install();
    host.convertChar[1] = 0;
    host.convertChar[0xA4] = 0x3F;
    OpenMacro("[ABCDEFGHIJKLMNOPQRS" + c.twentieth + "y");
    PlayToTheEnd();
    EXPECT_EQ(Texts{"ABCDEFGHIJKLMNOPQRS"}, host.typedTexts);
    EXPECT_EQ(c.posted, host.postedKeys);
  }
}

TEST_F(PlaybackTest, AnUnknownWordPostsNothingAndArmsNoPause) {
  OpenMacro("[nothing]", "");
  standin::SetTickCount(10);
  NoKey();
  EXPECT_TRUE(host.postedKeys.empty());
  EXPECT_EQ(0u, g_player.pauseLength);
  EXPECT_EQ(0, g_player.pendingKey);
  EXPECT_EQ(Stamped({"{NAPIS: nothing}\n"}), Log());
  EXPECT_EQ("HostTypeText(\"nothing\")\n", host.Trace({"HostTypeText"}));
}

TEST_F(PlaybackTest, TheEndOfTheFileInsideAWordTypesItThenEndsTheMacro) {
  OpenMacro("[HAL", "");
  NoKey();
  EXPECT_TRUE(Idle());
  EXPECT_EQ(Stamped({"{NAPIS: HAL}\n",
                     "{KOMUNIKAT: Zako\xA4"
                     "czono prac\x91 makra z pliku.}\n"}),
            Log());
  std::vector<std::string> order;
  for (const std::string &name : host.Names())
    if (name == "HostTypeText" || name == "HostFileClose" || name == "HostAsk")
      order.push_back(name);
  EXPECT_EQ((std::vector<std::string>{"HostTypeText", "HostFileClose", "HostFileClose", "HostAsk"}),
            order);
}

TEST_F(PlaybackTest, ACommandPostsTheNoKeyCodeAfterItsOwnLines) {
  OpenMacro("[RESTART]", "");
  standin::SetTickCount(77);
  NoKey();
  EXPECT_EQ(Keys{0xFFFFFFFFu}, host.postedKeys);
  EXPECT_EQ(Stamped({"[RESTART]\n", "{KSHORT: 0xFFFF}\n"}), Log());
  EXPECT_EQ(100u, g_player.pauseLength);  // the key delay
  EXPECT_EQ(77u, g_player.pauseStart);
}

TEST_F(PlaybackTest, DelayKeepsItsOwnPauseOfTwoSeconds) {
  SetKeyDelay(100);
  OpenMacro("[DELAY]ab");
  standin::SetTickCount(1000);
  NoKey();
  EXPECT_EQ(2000u, g_player.pauseLength);
  EXPECT_EQ(1000u, g_player.pauseStart);

  // The keys posted after it come back and are held for the two seconds.
  standin::SetTickCount(2999);
  NoKey();
  EXPECT_EQ(host::kNoKey, PluginKeyFilter('a'));
  standin::SetTickCount(3000);
  EXPECT_EQ(uint32_t{'a'}, PluginKeyFilter('a'));
  EXPECT_EQ(Keys{'a'}, host.delayedKeys);
}

TEST_F(PlaybackTest, TheSf11CommandPostsShiftF11WhichThenAsksTheStopQuestion) {
  LoadKeys(kSmallKeys);
  OpenMacro("[SF11]a", "");
  SetKeyDelay(0);
  NoKey();
  EXPECT_EQ(Keys{0xFFFF8700u}, host.postedKeys);
  EXPECT_EQ(Stamped({"[SF11]\n", "[SHIFT_F11]\n"}), Log());
  host.askAnswers = {host::kAnswerYes};
  EXPECT_EQ(host::kNoKey, PluginKeyFilter(host::kKeyShiftF11));
  EXPECT_TRUE(Idle());
}

TEST_F(PlaybackTest, ARestartAtTheEndPlaysOverAndOverUntilStopped) {
  OpenMacro("ab[RESTART]");
  SetKeyDelay(0);
  for (int i = 0; i < 9; ++i) NoKey();
  EXPECT_EQ((Keys{'a', 'b', 0xFFFFFFFFu, 'a', 'b', 0xFFFFFFFFu, 'a', 'b', 0xFFFFFFFFu}),
            host.postedKeys);
  EXPECT_FALSE(Idle());
  host.askAnswers = {host::kAnswerYes};
  PluginKeyFilter(host::kKeyShiftF11);
  EXPECT_TRUE(Idle());
}

TEST_F(PlaybackTest, WaitsHoldThePlaybackUntilTheirKey) {
  OpenMacro("[WAIT]a[HALT]b");
  SetKeyDelay(0);
  NoKey();
  EXPECT_EQ(kWaitingForEnter, g_player.waitMode);
  NoKey();
  EXPECT_EQ(0, g_player.pendingKey);
  EXPECT_EQ(Keys{0xFFFFFFFFu}, host.postedKeys);
  EXPECT_EQ(host::kNoKey, PluginKeyFilter(13));  // consumed, and 'a' fed in the same call
  EXPECT_EQ((Keys{0xFFFFFFFFu, 'a'}), host.postedKeys);
  NoKey();
  EXPECT_EQ(kHalted, g_player.waitMode);
  EXPECT_EQ(13u, PluginKeyFilter(13));  // Enter does not end a halt
  EXPECT_EQ(kHalted, g_player.waitMode);
  EXPECT_EQ(host::kNoKey, PluginKeyFilter(host::kKeyShiftF11));
  EXPECT_EQ((Keys{0xFFFFFFFFu, 'a', 0xFFFFFFFFu, 'b'}), host.postedKeys);
  EXPECT_TRUE(host.questions.size() == 1);  // only the halt notice, no stop question
}

}  // namespace
