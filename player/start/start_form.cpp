// The start branch: Shift+F11 with no macro open shows the start form,
// stores what the user changed, and opens the macro and its log.
#include "player/start/start_form.h"

#include <string.h>

#include "plugin/binding/host_calls.h"
#include "plugin/contract/host_text.h"
#include "plugin/contract/host_values.h"
#include "plugin/keys/key_names.h"
#include "player/playback/macro_files.h"
#include "player/playback/playback.h"
#include "player/start/settings.h"

StartFormRecord g_startForm;

namespace {

constexpr auto kMacroPattern = ToHostText("*.txt");

}  // namespace

// [key filter, Shift+F11 while no macro is open]
void RunStartBranch() {
  HostPrepareText(g_startForm.fileName, sizeof g_startForm.fileName);
  g_startForm.fileName[sizeof g_startForm.fileName - 1] = 0;

  // Taken after HostPrepareText, so what the host tidied is not a change.
  StartFormRecord snapshot;
  memcpy(&snapshot, &g_startForm, sizeof snapshot);

  int32_t result = HostRunForm(kStartFormTemplate, host::kFormModeEdit, &g_startForm, &StartFormFieldCallback);
  if ((static_cast<uint32_t>(result) & host::kKeyCodeMask) != host::kFormConfirmed) return;
  g_startForm.fileName[sizeof g_startForm.fileName - 1] = 0;

  // Stored before the open, so a name that cannot be opened still comes
  // back in the next form.  Byte comparison: a change of case is a change.
  if (strcmp(g_startForm.fileName, snapshot.fileName) != 0)
    SettingsCall(host::kProfileWrite, kSettingsSection.c_str(), kSettingsFileKey.c_str(), "%s",
                 g_startForm.fileName);
  if (g_startForm.keyDelay != snapshot.keyDelay)
    SettingsCall(host::kProfileWrite, kSettingsSection.c_str(), kSettingsDelayKey.c_str(), "%d",
                 static_cast<uint32_t>(g_startForm.keyDelay));

  SetKeyDelay(g_startForm.keyDelay);

  // Loads once; a missing keys.h is reported there and the macro still opens.
  LoadKeyNameTable();
  OpenMacroAndLog(g_startForm.fileName);
}

// [host form engine] Called for the file button (or F3) and other form
// events; only the file button pressed (0x3D00, 1) is ours.
extern "C" int32_t HOST_STDCALL StartFormFieldCallback(uint32_t code, uint32_t event) {
  if ((code & host::kKeyCodeMask) != host::kFileButton ||
      (event & host::kKeyCodeMask) != host::kFieldEventPressed)
    return host::kCallbackNotHandled;

  // The picker starts with an empty name, not with the field's text.
  char picked[258];
  memset(picked, 0, sizeof picked);
  char pattern[sizeof kMacroPattern.bytes];
  memcpy(pattern, kMacroPattern.c_str(), sizeof pattern);
  if (HostPickFile(host::kPickFileKind, picked, pattern, host::kPickFileOne) == -1) return host::kCallbackHandled;
  picked[sizeof picked - 1] = 0;

  char *field = HostFormFieldBuffer(host::kFileNameField);
  if (field != nullptr) memcpy(field, picked, strlen(picked) + 1);
  HostFormRefreshField(host::kFileNameField);
  return host::kCallbackHandled;
}
