// The player's three values in the host's settings store, and the one-time
// notice with the player's description.
#include "player/start/settings.h"

#include "plugin/binding/host_calls.h"
#include "plugin/contract/host_values.h"
#include "plugin/identity/plugin_definition.h"
#include "plugin/platform/platform.h"
#include "player/playback/playback.h"
#include "player/start/start_form_record.h"

namespace {

bool Failed(int32_t result) { return SettingsCallFailed(result); }

// Used when "Delay" has never been stored.
constexpr uint16_t kDefaultKeyDelay = 100;

}  // namespace

// [activation] Runs each time the host activates the plug-in, right after
// the key filter is installed, so the start form always shows what was
// stored last.
int32_t LoadSettings() {
  // The host writes a 16-bit number for "%d"; the variable is 32 bits wide
  // and zeroed first, and only its low 16 bits count.
  int32_t answer = 0;
  if (Failed(SettingsCall(host::kProfileReadNumber, kSettingsSection.c_str(), kSettingsNoticeKey.c_str(),
                          "%d", &answer)))
    answer = 0;

  if (Failed(SettingsCall(host::kProfileReadText, kSettingsSection.c_str(), kSettingsFileKey.c_str(),
                          "%*s", static_cast<int>(sizeof g_startForm.fileName - 1),
                          g_startForm.fileName)))
    g_startForm.fileName[0] = 0;
  // The host stores at most 257 characters; the last byte stays a terminator.
  g_startForm.fileName[sizeof g_startForm.fileName - 1] = 0;

  if (Failed(SettingsCall(host::kProfileReadNumber, kSettingsSection.c_str(), kSettingsDelayKey.c_str(),
                          "%d", &g_startForm.keyDelay)))
    g_startForm.keyDelay = kDefaultKeyDelay;
  SetKeyDelay(g_startForm.keyDelay);

  // Any nonzero answer, negative ones included, means the notice was seen.
  if (static_cast<int16_t>(answer & 0xFFFF) != 0) return 0;

  // wsprintfA never writes more than 1024 bytes.
  char notice[1024];
  wsprintfA(notice, "%s", kPluginDefinition.description);
  // x86 is little-endian: the host's 16-bit answer lands in the low half.
  HostShowNotice(host::kFirstRunNoticeId, reinterpret_cast<int16_t *>(&answer), 0, notice);

  int16_t given = static_cast<int16_t>(answer & 0xFFFF);
  if (given != 0)
    SettingsCall(host::kProfileWriteNumber, kSettingsSection.c_str(), kSettingsNoticeKey.c_str(), "%d",
                 static_cast<int32_t>(given));
  return 0;
}
