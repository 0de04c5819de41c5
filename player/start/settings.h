// The player's settings in the host's store and the one-time notice.  The
// settings call itself is shared: plugin/settings/settings_call.h.
#pragma once

#include <stdint.h>

#include "plugin/contract/host_text.h"
#include "plugin/settings/settings_call.h"

// Settings section "MacroFormFile" and its three keys.
inline constexpr auto kSettingsSection = ToHostText("MacroFormFile");
inline constexpr auto kSettingsNoticeKey = ToHostText("Pytaj");  // notice answer, 16-bit signed
inline constexpr auto kSettingsFileKey = ToHostText("File");     // macro file name, host text
inline constexpr auto kSettingsDelayKey = ToHostText("Delay");   // key delay, milliseconds

// Reads "Pytaj", "File" and "Delay" into the start-form record and shows the
// notice while it has not been answered, then hands the key delay to the
// player.  Returns 0.
int32_t LoadSettings();
