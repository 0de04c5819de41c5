// One macro played through the player's key filter on the simulated host.
#pragma once

#include <stdint.h>
#include <time.h>

#include <functional>
#include <string>

#include "tools/macro/check_model.h"

namespace checker {

struct PlayOptions {
  uint16_t keyDelay = 100;  // the start form's pause after a bracketed word
  bool keepLog = false;     // collect the log the player writes
  time_t logStart = 0;      // the wall-clock time playback starts at (log stamps)
  // What grows with the macro is kept only when asked for: the check itself
  // keeps no more than its findings, whatever the macro's length.
  bool keepStream = false;      // collect the dry run's stream
  bool keepPostedKeys = false;  // collect every posted key (macro::MacroReport::postedKeys)
  // When set, each item of the dry run's stream is handed over as it is
  // made, in place of being kept (a dry run printed as it goes).
  std::function<void(const macro::StreamItem &)> onItem;
  // Characters typed one after the other from one line are one stream
  // item, `text` holding their host bytes (a long text costs one item).
  bool characterRuns = false;
};

// Plays `content` as the player does, from its first byte to its end (or, for
// a macro that restarts, through a second pass and then a stop by the user):
// the player's key filter is called with the no-key code as the host calls
// it, a wait is answered with Enter or Shift+F11 as the user would, the
// Shift+F11 that SF11 hands to the host comes back and its stop question is
// answered "no".  The simulated host must be installed and the key-name
// table loaded (CheckKeyFile); `keys` supplies what the hints say about it.
macro::MacroReport PlayMacro(const std::string &path, const std::string &content,
                      const macro::KeyFileReport &keys, const PlayOptions &options);

}  // namespace checker
