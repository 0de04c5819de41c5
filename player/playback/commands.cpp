// The six playback commands of the macro file, and the typing of a text.
#include "player/playback/commands.h"

#include <string.h>

#include "plugin/binding/host_calls.h"
#include "plugin/contract/host_values.h"
#include "plugin/keys/key_names.h"
#include "plugin/platform/platform.h"
#include "plugin/contract/macro_commands.h"
#include "player/playback/macro_log.h"
#include "player/playback/player_state.h"
#include "player/playback/player_texts.h"

namespace {

// The wait-for-Enter notice stays on screen this long before the host redraws.
constexpr uint32_t kWaitEnterSleep = 1000;
// DELAY holds the following keys this long.
constexpr uint32_t kDelayPause = 2000;

constexpr auto kEmptyTitle = ToHostText("");

void RunWaitEnter() {
  g_player.waitMode = kWaitingForEnter;
  WriteLogLine(kLogNoticeFormat, kWaitEnterNotice.c_str());
  HostAsk(kEmptyTitle.c_str(), kWaitEnterNotice.c_str(), host::kAskWaitNotice);
  Sleep(kWaitEnterSleep);
  HostWaitScreen();
}

void RunWait() { g_player.waitMode = kWaitingForEnter; }

void RunHalt() {
  g_player.waitMode = kHalted;
  WriteLogLine(kLogNoticeFormat, kHaltNotice.c_str());
  HostAsk(kNoticeTitle.c_str(), kHaltNotice.c_str(), host::kAskNotice);
}

void RunRestart() {
  // Only the macro file starts over: the log, the wait mode, the pause and
  // the pending key stay as they are.
  WriteLogLine(kLogNameFormat, "RESTART");
  HostFileRewind(g_player.macroFile);
}

void RunDelay() {
  WriteLogLine(kLogNameFormat, "DELAY");
  g_player.pauseLength = kDelayPause;
  g_player.pauseStart = GetTickCount();
}

// [SF11] hands Shift+F11 to the host (the key filter's own Shift+F11
// handling is RunShiftF11Key in key_filter.cpp).
void RunSf11() { WriteLogLine(kLogNameFormat, "SF11"); }

struct MacroCommand {
  const char *name;   // compared byte for byte, case-sensitive, whole word
  void (*run)();      // carries the command out
  int32_t key;        // what the player then posts
  bool armsOwnPause;  // the command sets the pause itself: no key delay after it
};

// The names, spelled once in macro_commands.h: kWaitEnterName, ...
#define MACRO_COMMAND_NAME(Id, name, ...) constexpr char k##Id##Name[] = name;
MACRO_COMMAND_TABLE(MACRO_COMMAND_NAME)
#undef MACRO_COMMAND_NAME

// Searched in this order, before the key-name table.
// clang-format off
constexpr MacroCommand kMacroCommands[] = {
    // name          carried out by  then posts        arms its own pause
    {kWaitEnterName, RunWaitEnter,   kCommandDoneKey,  false},
    {kWaitName,      RunWait,        kCommandDoneKey,  false},
    {kHaltName,      RunHalt,        kCommandDoneKey,  false},
    {kRestartName,   RunRestart,     kCommandDoneKey,  false},
    {kDelayName,     RunDelay,       kCommandDoneKey,  true},
    {kSf11Name,      RunSf11,        kSf11CommandKey,  false},
};
// clang-format on

#define MACRO_COMMAND_NAME_ROW(Id, name, ...) k##Id##Name,
constexpr const char *kTableOrder[] = {MACRO_COMMAND_TABLE(MACRO_COMMAND_NAME_ROW)};
#undef MACRO_COMMAND_NAME_ROW

constexpr bool InTableOrder() {
  for (int i = 0; i < kMacroCommandCount; ++i)
    if (kMacroCommands[i].name != kTableOrder[i]) return false;
  return true;
}
static_assert(sizeof kMacroCommands / sizeof kMacroCommands[0] == kMacroCommandCount &&
                  InTableOrder(),
              "every command of macro_commands.h, in its order");

}  // namespace

WordOutcome RunMacroWord(const char *word) {
  for (const MacroCommand &command : kMacroCommands) {
    if (strcmp(word, command.name) != 0) continue;
    command.run();
    return {WordKind::kCommand, !command.armsOwnPause, command.key};
  }
  // A key name with a code of 0 is not one: the word is then text.
  int32_t code = static_cast<int32_t>(FindKeyCode(word));
  if (code == 0) return {WordKind::kText, false, 0};
  return {WordKind::kKeyName, true, code};
}

int32_t TypeMacroText(const char *text) {
  WriteLogLine(kLogTextFormat, text);
  return HostTypeText(text);
}
