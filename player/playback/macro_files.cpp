#include "player/playback/macro_files.h"

#include <string.h>

#include "plugin/contract/host_text.h"
#include "plugin/contract/host_values.h"
#include "plugin/platform/platform.h"
#include "player/playback/player_state.h"

namespace {

constexpr auto kOpenFailed =
    ToHostText("Błąd %d (systemowy %d) przy ładowaniu makra z pliku '%s'\n\n");

// The log lines go after what the log holds: a log that cannot be put at
// its end would have its earlier lines overwritten, so it is not used.
void OpenLogBeside(const HostWideChar *macroPath) {
  // "rt+" opens only a log the user has created beside the macro.  A host
  // that leaves the path as it was (no room for the extension) would have
  // the macro itself taken for its log and written into: then no log.
  HostWideChar path[host::kPathChars];
  memcpy(path, macroPath, sizeof path);
  HostPathAddExtensionW(path, host::kPathChars, u".log");
  path[host::kPathChars - 1] = 0;
  if (memcmp(path, macroPath, sizeof path) == 0) return;
  g_player.logFile = HostFileOpenW(path, u"rt+", host::kOpenShare, 0, -1);
  if (g_player.logFile != 0 && HostFileSeek(g_player.logFile, 0, host::kSeekEnd) < 0)
    CloseHostFile(&g_player.logFile);
}

}  // namespace

bool OpenMacroAndLog(const char *fileName) {
  // Zeroed first: a host that cannot convert leaves an empty path.
  HostWideChar path[host::kPathChars];
  memset(path, 0, sizeof path);
  HostConvertText(path, sizeof path, fileName, -1, host::kEncodingHostText, host::kEncodingWide);
  path[host::kPathChars - 1] = 0;

  g_player.macroFile = HostFileOpenW(path, u"rt", host::kOpenShare, 0, -1);
  if (g_player.macroFile == 0) {
    int error = errno;
    int systemError = _doserrno;
    HostErrorMessageF(error, systemError, kOpenFailed.c_str(), path, host::kErrorStyle);
    return false;
  }
  OpenLogBeside(path);
  return true;
}

int32_t CloseHostFile(HostFile *field) {
  if (*field == 0) return 0;
  int32_t result = HostFileClose(*field);
  *field = 0;
  return result;
}

void CloseMacroAndLog() {
  CloseHostFile(&g_player.macroFile);
  CloseHostFile(&g_player.logFile);
}
