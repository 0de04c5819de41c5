// The macro log: its exact bytes, the host calls of one line, the cut of a
// line too long, and the three forms of the key line.
#include "plugin/contract/host_values.h"
#include "player/playback/macro_files.h"
#include "player/playback/playback.h"
#include "player/playback/macro_log.h"

#include <gtest/gtest.h>
#include <stdint.h>

#include <string>

#include "player/playback/commands.h"
#include "tests/plugin/player_test_support.h"

namespace {

class MacroLogTest : public PlayerTest {};

TEST_F(MacroLogTest, WithoutALogNothingIsFormattedOrCalled) {
  OpenMacro("", nullptr);
  WriteLogLine("[%s]\n", "ENTER");
  WriteKeyLine(13);
  EXPECT_TRUE(host.calls.empty()) << host.Trace();
}

TEST_F(MacroLogTest, OneLineIsStampedConvertedWrittenAndFlushed) {
  OpenMacro("", "");
  WriteLogLine("[%s]\n", "ENTER");
  EXPECT_EQ(
      "HostDateTimeText(buf, buf, 48)\n"
      "HostConvertText(\"in place\", 3078, 28, 1, 6)\n"
      "HostFilePrintf(0x2, \"%s\", \"2026-12-07=10:11:12 [ENTER]\\n\")\n"
      "HostFileFlush(0x2)\n",
      host.Trace());
}

TEST_F(MacroLogTest, EntriesGoBehindWhatTheLogHeld) {
  OpenMacro("", "earlier run\n");
  WriteLogLine("[%s]\n", "DELAY");
  WriteLogLine("{NAPIS: %s}\n", "abc");
  EXPECT_EQ("earlier run\n" + Stamped({"[DELAY]\n", "{NAPIS: abc}\n"}), Log());
}

TEST_F(MacroLogTest, TheWaitForEnterEntrySpansTwoLinesWithOneStamp) {
  OpenMacro("", "");
  RunMacroWord("WAITENTER");
  EXPECT_EQ(
      "2026-12-07=10:11:12 {KOMUNIKAT: Naci\x9Enij klawisz ENTER, gdy sko\xA4"
      "czysz\n"
      "aby kontynuowa\x8D makro}\n",
      Log());
}

TEST_F(MacroLogTest, TheLogGetsTheTextAsTheHostConvertedIt) {
  OpenMacro("", "");
  host.handlers.HostConvertText = [](void *target, int32_t, const void *, int32_t length, int32_t,
                                     int32_t) {
    char *text = static_cast<char *>(target);
    for (int32_t i = 0; i < length; ++i)
      if (text[i] == 'a') text[i] = 'A';
    return length;
  };
  WriteLogLine("{NAPIS: %s}\n", "abc");
  EXPECT_EQ("2026-12-07=10:11:12 {NAPIS: Abc}\n", Log());
}

TEST_F(MacroLogTest, APercentInATextStaysLiteral) {
  OpenMacro("", "");
  TypeMacroText("50%s %d%%");
  EXPECT_EQ(Stamped({"{NAPIS: 50%s %d%%}\n"}), Log());
}

TEST_F(MacroLogTest, ALineTooLongIsCutAt3077Characters) {
  OpenMacro("", "");
  const size_t room = 3077 - kStamp.size();
  // Just fits: the line feed is kept.
  std::string fits(room - 1, 'a');
  WriteLogLine("%s\n", fits.c_str());
  EXPECT_EQ(kStamp + fits + "\n", Log());
  EXPECT_EQ("HostConvertText(\"in place\", 3078, 3077, 1, 6)", host.calls[1].Text());

  // One character more: cut at 3077, and the line feed is lost.
  host.Install();
  OpenMacro("", "");
  std::string text(room, 'b');
  WriteLogLine("{NAPIS: %s}\n", text.c_str());
  std::string expected = kStamp + "{NAPIS: " + text;
  expected.resize(3077);
  EXPECT_EQ(expected, Log());
}

TEST_F(MacroLogTest, AStampTextWithoutTerminatorIsCutAt11Characters) {
  OpenMacro("", "");
  host.handlers.HostDateTimeText = [](char *date, char *time, int32_t) {
    memset(date, 'D', 12);
    memset(time, 'T', 12);
    return 0;
  };
  WriteLogLine("x\n");
  EXPECT_EQ("DDDDDDDDDDD=TTTTTTTTTTT x\n", Log());
}

struct KeyLineCase {
  int32_t key;
  const char *body;
};

TEST_F(MacroLogTest, TheKeyLineNamesTheKeyElseShowsItsByteOrCode) {
  LoadKeys(kSmallKeys);
  const KeyLineCase named[] = {
      {13, "[ENTER]\n"},
      {0x4700, "[HOME]\n"},
      {host::kKeyShiftF11, "[SHIFT_F11]\n"},
      {static_cast<int32_t>(0xFFFF8700u), "[SHIFT_F11]\n"},
      {'a', "{CHAR: a}\n"},
      {7, "{CHAR: \x07}\n"},
      {0xA4, "{CHAR: \xA4}\n"},
      {0xFF, "{CHAR: \xFF}\n"},
      {0x100, "{KSHORT: 0x0100}\n"},
      {0x3B00, "{KSHORT: 0x3B00}\n"},
      {0xABCD, "{KSHORT: 0xABCD}\n"},
      {-1, "{KSHORT: 0xFFFF}\n"},
  };
  for (const KeyLineCase &c : named) {
    host.files.SetContent(kLogPath, "");
    OpenMacro("", "");
    WriteKeyLine(c.key);
    EXPECT_EQ(kStamp + c.body, Log()) << std::hex << c.key;
    CloseHostFile(&g_player.logFile);
    CloseHostFile(&g_player.macroFile);
  }

  // Without the table every key of 256 and above shows its code.
  ReleaseKeyNameTable();
  host.files.SetContent(kLogPath, "");
  OpenMacro("", "");
  WriteKeyLine(13);
  WriteKeyLine(host::kKeyShiftF11);
  EXPECT_EQ(Stamped({"{CHAR: \r}\n", "{KSHORT: 0x8700}\n"}), Log());
}

}  // namespace
