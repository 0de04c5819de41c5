// The start branch: Shift+F11 with no macro open shows the start form,
// stores what the user changed, and opens the macro and its log.
#include "plugin/start/start_form.h"

#include <string.h>

#include "plugin/platform/platform.h"
#include "plugin/player/key_filter.h"
#include "plugin/player/key_names.h"
#include "plugin/contract/host_text.h"
#include "plugin/start/settings.h"

StartFormRecord g_startForm;

namespace {

// Element ids and keys of the template (form_template.cpp).
constexpr uint32_t kFileButton = 0x3D00;  // also its key, F3
constexpr int32_t kFileNameField = 0x4101;
constexpr int32_t kFormConfirmed = 0x5001;  // the OK button (F12) closed the form

constexpr int32_t kCallbackHandled = -2;
constexpr int32_t kCallbackNotHandled = 0;

constexpr auto kMacroPattern = ToHostText("*.txt");
constexpr auto kOpenFailed =
    ToHostText("Błąd %d (systemowy %d) przy ładowaniu makra z pliku '%s'\n\n");

// Wide path capacity, in wide characters.
constexpr int32_t kPathChars = 260;

// The host's file-open arguments beside path and mode.
constexpr int32_t kOpenShare = 0x40;
constexpr int32_t kSeekEnd = 2;

constexpr uint32_t kErrorStyle = 0xE001;

}  // namespace

// [key filter, Shift+F11 while no macro is open]
void RunStartBranch() {
  HostPrepareText(g_startForm.fileName, sizeof g_startForm.fileName);
  g_startForm.fileName[sizeof g_startForm.fileName - 1] = 0;

  // Taken after HostPrepareText, so what the host tidied is not a change.
  StartFormRecord snapshot;
  memcpy(&snapshot, &g_startForm, sizeof snapshot);

  int32_t result = HostRunForm(kStartFormTemplate, 1, &g_startForm, &StartFormFieldCallback);
  if ((result & 0xFFFF) != kFormConfirmed) return;
  g_startForm.fileName[sizeof g_startForm.fileName - 1] = 0;

  // Stored before the open, so a name that cannot be opened still comes
  // back in the next form.  Byte comparison: a change of case is a change.
  if (strcmp(g_startForm.fileName, snapshot.fileName) != 0)
    SettingsCall(kSettingsWrite, kSettingsSection.c_str(), kSettingsFileKey.c_str(), "%s",
                 g_startForm.fileName);
  if (g_startForm.keyDelay != snapshot.keyDelay)
    SettingsCall(kSettingsWrite, kSettingsSection.c_str(), kSettingsDelayKey.c_str(), "%d",
                 static_cast<uint32_t>(g_startForm.keyDelay));

  // Loads once; a missing keys.h is reported there and the macro still opens.
  LoadKeyNameTable();

  // Zeroed first: a host that cannot convert leaves an empty path.
  HostWideChar path[kPathChars];
  memset(path, 0, sizeof path);
  HostConvertText(path, sizeof path, g_startForm.fileName, -1, 1, 5);
  path[kPathChars - 1] = 0;

  g_player.macroFile = HostFileOpenW(path, u"rt", kOpenShare, 0, -1);
  if (g_player.macroFile == 0) {
    int error = errno;
    int systemError = _doserrno;
    HostErrorMessageF(error, systemError, kOpenFailed.c_str(), path, kErrorStyle);
    return;
  }

  // "rt+" opens only a log the user has created beside the macro.  A host
  // that leaves the path as it was (no room for the extension) would have
  // the macro itself taken for its log and written into: then no log.
  HostWideChar macroPath[kPathChars];
  memcpy(macroPath, path, sizeof macroPath);
  HostPathAddExtensionW(path, kPathChars, u".log");
  path[kPathChars - 1] = 0;
  if (memcmp(path, macroPath, sizeof path) == 0) return;
  g_player.logFile = HostFileOpenW(path, u"rt+", kOpenShare, 0, -1);
  // The lines go after what the log holds: a log that cannot be put at its
  // end would have its earlier lines overwritten, so it is not used.
  if (g_player.logFile != 0 && HostFileSeek(g_player.logFile, 0, kSeekEnd) < 0)
    CloseHostFile(&g_player.logFile);
}

// [host form engine] Called for the file button (or F3) and other form
// events; only (0x3D00, 1) is ours.
extern "C" int32_t HOST_STDCALL StartFormFieldCallback(uint32_t code, uint32_t event) {
  if ((code & 0xFFFF) != kFileButton || (event & 0xFFFF) != 1) return kCallbackNotHandled;

  // The picker starts with an empty name, not with the field's text.
  char picked[258];
  memset(picked, 0, sizeof picked);
  char pattern[sizeof kMacroPattern.bytes];
  memcpy(pattern, kMacroPattern.c_str(), sizeof pattern);
  if (HostPickFile(0x39, picked, pattern, 1) == -1) return kCallbackHandled;
  picked[sizeof picked - 1] = 0;

  char *field = HostFormFieldBuffer(kFileNameField);
  if (field != nullptr) memcpy(field, picked, strlen(picked) + 1);
  HostFormRefreshField(kFileNameField);
  return kCallbackHandled;
}
