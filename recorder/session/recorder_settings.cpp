// The recorder's settings, read at activation: the hot key and the command
// key (each checked, a refused one reported and replaced by its default),
// the folder of the last recording, and the one-time notice.
#include <string.h>

#include "plugin/binding/host_calls.h"
#include "plugin/contract/bounded_format.h"
#include "plugin/contract/host_values.h"
#include "plugin/contract/key_rows.h"
#include "plugin/keys/key_names.h"
#include "plugin/settings/settings_call.h"
#include "recorder/session/recorder_boxes.h"
#include "recorder/session/recorder_texts.h"
#include "recorder/session/recording.h"

namespace {

constexpr auto kNoticeKey = ToHostText("Pytaj");
constexpr auto kFolderKey = ToHostText("Folder");
constexpr auto kHotKeyKey = ToHostText("Klawisz");
constexpr auto kCommandKeyKey = ToHostText("KlawiszPolecenia");

constexpr size_t kTextSize = 258;
// The stand-in host's own keys: help and the end of the program.
constexpr uint16_t kKeyF1 = 0x3B00;
constexpr uint16_t kKeyF10 = 0x4400;

// A key setting: its name in the settings, its default, where the result goes.
struct KeySetting {
  const char *key;
  uint16_t fallback;
  const char *usedText;  // "Nagrywanie włącza i wyłącza klawisz"
  uint16_t *code;
  char *name;            // the key as people write it
};

// Why `code` cannot be one of the recorder's keys; null when it can.
const char *RefusalOf(uint32_t code, uint16_t other) {
  if (code == 0) return kNotInKeysFileText.c_str();
  if ((code & 0xFF) != 0) return kTypesTextText.c_str();
  if (code == host::kKeyShiftF11) return kPlayerKeyText.c_str();
  if (code == kKeyF1 || code == kKeyF10) return kHostKeyText.c_str();
  if (code == other) return kSameKeyText.c_str();
  return nullptr;
}

void NameKey(uint16_t code, const char *keysName, char *name) {
  if (!host::WriteKeyRowName(code, name, kKeyNameTextSize))
    FormatBounded(name, kKeyNameTextSize, "%s", keysName[0] != 0 ? keysName : "?");
}

// Reads one key setting; a refused one is reported and its default used.
void ReadKeySetting(const KeySetting &setting, uint16_t other) {
  char keysName[kTextSize] = {};
  if (SettingsCallFailed(SettingsCall(host::kProfileReadText, kSettingsSection.c_str(), setting.key,
                                      "%*s", static_cast<int>(kTextSize - 1), keysName)))
    keysName[0] = 0;
  keysName[kTextSize - 1] = 0;
  *setting.code = setting.fallback;
  if (keysName[0] != 0) {
    {
      BusyBracket held;  // a failed load shows the shared layers' message
      LoadKeyNameTable();
    }
    uint32_t code = FindKeyCode(keysName);
    const char *refusal = RefusalOf(code, other);
    if (refusal == nullptr) {
      *setting.code = static_cast<uint16_t>(code);
    } else {
      char fallback[kKeyNameTextSize];
      NameKey(setting.fallback, "", fallback);
      char text[1024];
      FormatBounded(text, sizeof text, kRefusedKeyFormat.c_str(), setting.key, keysName, refusal,
                    setting.usedText, fallback);
      RecorderNotice(text);
      keysName[0] = 0;
    }
  }
  NameKey(*setting.code, keysName, setting.name);
}

void ReadKeys() {
  KeySetting hot = {kHotKeyKey.c_str(), kDefaultHotKey, kHotKeyUsedText.c_str(), &g_recorder.hotKey,
                    g_recorder.hotKeyName};
  KeySetting command = {kCommandKeyKey.c_str(), kDefaultCommandKey, kCommandKeyUsedText.c_str(),
                        &g_recorder.commandKey, g_recorder.commandKeyName};
  // The hot key may not be the command key's default, unless the command
  // key is set to another; the command key may not be the hot key.
  char commandSet[kTextSize] = {};
  bool commandGiven = !SettingsCallFailed(SettingsCall(host::kProfileReadText, kSettingsSection.c_str(),
                                                       command.key, "%*s",
                                                       static_cast<int>(kTextSize - 1), commandSet)) &&
                      commandSet[0] != 0;
  ReadKeySetting(hot, commandGiven ? 0 : kDefaultCommandKey);
  ReadKeySetting(command, g_recorder.hotKey);
  // Both set to the command key's default: the hot key gives way.
  if (g_recorder.commandKey == g_recorder.hotKey) ReadKeySetting(hot, g_recorder.commandKey);
  RecorderFormKeys(g_recorder.hotKeyName, g_recorder.commandKeyName);
}

}  // namespace

void LoadRecorderSettings() {
  ReadKeys();
  int16_t answer = 0;
  if (SettingsCallFailed(SettingsCall(host::kProfileReadNumber, kSettingsSection.c_str(),
                                      kNoticeKey.c_str(), "%d", &answer)))
    answer = 0;
  if (SettingsCallFailed(SettingsCall(host::kProfileReadText, kSettingsSection.c_str(), kFolderKey.c_str(),
                                      "%*s", static_cast<int>(sizeof g_recorder.folder - 1),
                                      g_recorder.folder)))
    g_recorder.folder[0] = 0;
  g_recorder.folder[sizeof g_recorder.folder - 1] = 0;
  if (answer != 0) return;

  char text[1024];
  FormatBounded(text, sizeof text, kNoticeFormat.c_str(), g_recorder.hotKeyName, g_recorder.commandKeyName);
  int16_t given = RecorderFirstRunNotice(text);
  if (given != 0)
    SettingsCall(host::kProfileWriteNumber, kSettingsSection.c_str(), kNoticeKey.c_str(), "%d",
                 static_cast<int32_t>(given));
}
