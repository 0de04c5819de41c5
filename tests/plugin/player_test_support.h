// Shared set-up for the player's unit tests: a macro opened as the start
// branch opens it, a key definition file, and the log's exact bytes.
#pragma once

#include <gtest/gtest.h>
#include <stdint.h>

#include <deque>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <sstream>
#include <string>

#include "player/playback/playback.h"
#include "plugin/platform/win_standin_control.h"
#include "player/entry/key_filter.h"
#include "player/playback/player_state.h"
#include "player/playback/player_texts.h"
#include "plugin/keys/key_names.h"
#include "player/start/start_form.h"
#include "tests/plugin/fake_host.h"

inline const std::u16string kMacroPath = u"C:\\makra\\test.txt";
inline const std::u16string kLogPath = u"C:\\makra\\test.log";
inline const std::u16string kKeysPath = u"C:\\VOLMAR\\" + std::u16string(kKeyFileRelativePath);

// What the fake host's HostDateTimeText gives, as it stands before each entry.
inline const std::string kStamp = "2026-12-07=10:11:12 ";

// The log bytes of the given entry bodies, each behind its stamp.
inline std::string Stamped(std::initializer_list<std::string> bodies) {
  std::string text;
  for (const std::string &body : bodies) text += kStamp + body;
  return text;
}

// The bytes of a file of tests/data/.
inline std::string ReadDataFile(const char *name) {
  const std::string path = std::string(TASTIRO_TEST_DATA) + "/" + name;
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

// A host that processes the keys the player posts later, in order: every
// posted key but the no-key code joins `queue`.
inline void QueuePostedKeys(FakeHost &host, std::deque<uint32_t> &queue) {
  host.handlers.HostPostKey = [&queue](uint32_t key) {
    if ((key & 0xFFFF) != 0xFFFF) queue.push_back(key & 0xFFFF);
    return 1;
  };
}

// The user's answer to the stop question comes from `answer`; every other
// question of the player is a notice, answered 0.
inline void AnswerStopQuestion(FakeHost &host, std::function<int32_t()> answer) {
  host.handlers.HostAsk = [answer](const char *, const char *text, uint32_t) {
    return std::string(text) == kStopQuestion.c_str() ? answer() : 0;
  };
}

class PlayerTest : public ::testing::Test {
 protected:
  FakeHost &host = FakeHost::Get();

  void SetUp() override {
    host.Install();
    SetKeyDelay(100);
  }
  // A loaded table goes back to the fake host's allocator.
  void TearDown() override { ReleaseKeyNameTable(); }

  // Opens `content` as the macro, and its log when `log` is not null (the
  // log's earlier content), as the start branch does; then forgets the calls.
  void OpenMacro(const std::string &content, const char *log = "") {
    host.AddFile(kMacroPath, content);
    g_player.macroFile = HostFileOpenW(kMacroPath.c_str(), u"rt", 0x40, 0, -1);
    ASSERT_NE(0u, g_player.macroFile);
    if (log != nullptr) {
      host.AddFile(kLogPath, log);
      g_player.logFile = HostFileOpenW(kLogPath.c_str(), u"rt+", 0x40, 0, -1);
      ASSERT_NE(0u, g_player.logFile);
      HostFileSeek(g_player.logFile, 0, 2);
    }
    host.ClearCalls();
  }

  // Loads the key-name table from `definitions`; then forgets the calls.
  void LoadKeys(const std::string &definitions) {
    host.AddFile(kKeysPath, definitions);
    ASSERT_EQ(0, LoadKeyNameTable());
    host.ClearCalls();
  }

  uint32_t NoKey() { return PluginKeyFilter(0xFFFF); }
  std::string Log() const { return host.FileContent(kLogPath); }
  bool Idle() const { return g_player.macroFile == 0; }
};

// A small keys.h for the player tests.
inline const char kSmallKeys[] =
    "#define ENTER 13\n"
    "#define TAB 9\n"
    "#define F2 0x3C00\n"
    "#define HOME 0x4700\n"
    "#define SHIFT_F11 0x8700\n";
