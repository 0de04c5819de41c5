// The six playback commands of the macro file, and the typing of a text.
#include "player/playback/commands.h"

#include <string.h>

#include "plugin/platform/platform.h"
#include "plugin/keys/key_names.h"
#include "player/playback/macro_log.h"
#include "player/playback/player_texts.h"
#include "plugin/binding/host_calls.h"
#include "plugin/contract/host_values.h"
#include "player/playback/player_state.h"

namespace {

// The wait-for-Enter notice stays on screen this long before the host redraws.
constexpr uint32_t kWaitEnterSleep = 1000;
// DELAY holds the following keys this long.
constexpr uint32_t kDelayPause = 2000;

constexpr auto kEmptyTitle = ToHostText("");

int32_t RunWaitEnter() {
  g_player.waitMode = kWaitingForEnter;
  WriteLogLine(kLogNoticeFormat, kWaitEnterNotice.c_str());
  HostAsk(kEmptyTitle.c_str(), kWaitEnterNotice.c_str(), host::kAskWaitNotice);
  Sleep(kWaitEnterSleep);
  HostWaitScreen();
  return kCommandDone;
}

int32_t RunWait() {
  g_player.waitMode = kWaitingForEnter;
  return kCommandDone;
}

int32_t RunHalt() {
  g_player.waitMode = kHalted;
  WriteLogLine(kLogNoticeFormat, kHaltNotice.c_str());
  HostAsk(kNoticeTitle.c_str(), kHaltNotice.c_str(), host::kAskNotice);
  return kCommandDone;
}

int32_t RunRestart() {
  // Only the macro file starts over: the log, the wait mode, the pause and
  // the pending key stay as they are.
  WriteLogLine(kLogNameFormat, "RESTART");
  HostFileRewind(g_player.macroFile);
  return kCommandDone;
}

int32_t RunDelay() {
  WriteLogLine(kLogNameFormat, "DELAY");
  g_player.pauseLength = kDelayPause;
  g_player.pauseStart = GetTickCount();
  return kCommandDone;
}

int32_t RunShiftF11() {
  WriteLogLine(kLogNameFormat, "SF11");
  return kShiftF11Command;
}

struct MacroCommand {
  const char *name;   // compared byte for byte, case-sensitive, whole word
  int32_t (*run)();   // carries the command out; its result
  bool armsOwnPause;  // the command sets the pause itself
};

// Searched in this order, before the key-name table: a key name spelled
// like a command is never reached by name.
// clang-format off
constexpr MacroCommand kMacroCommands[] = {
    // name         carried out by   arms its own pause
    {"WAITENTER",   RunWaitEnter,    false},
    {"WAIT",        RunWait,         false},
    {"HALT",        RunHalt,         false},
    {"RESTART",     RunRestart,      false},
    {"DELAY",       RunDelay,        true},
    {"SF11",        RunShiftF11,     false},
};
// clang-format on

}  // namespace

int32_t RunMacroWord(const char *word, bool *armedOwnPause) {
  if (armedOwnPause != nullptr) *armedOwnPause = false;
  for (const MacroCommand &command : kMacroCommands) {
    if (strcmp(word, command.name) != 0) continue;
    if (armedOwnPause != nullptr) *armedOwnPause = command.armsOwnPause;
    return command.run();
  }
  // A key name with a code of 0 gives 0 here too: the word is then text.
  return static_cast<int32_t>(FindKeyCode(word));
}

int32_t TypeMacroText(const char *text) {
  WriteLogLine(kLogTextFormat, text);
  return HostTypeText(text);
}
