// Helpers shared by the scenarios of the recording test host.
#include <stdio.h>

#include "host/exports/host_backend.h"
#include "tests/wine/check.h"
#include "tests/wine/scenario.h"

int g_hostOwnFilterCalls = 0;

int32_t __cdecl ScenarioQuery(int32_t what, int32_t value) {
  auto *host = static_cast<RecordingHost *>(GetHostBackend());
  host->Note("ScenarioQuery(" + std::to_string(what) + ", " + std::to_string(value) + ")");
  return what == 1 && value == 1 ? host->queryMask : 0;
}

uint32_t __stdcall HostOwnFilter(uint32_t key) {
  ++g_hostOwnFilterCalls;
  return key;
}

std::vector<std::string> CallsSince(const RecordingHost &host, size_t from) {
  return std::vector<std::string>(host.calls.begin() + static_cast<ptrdiff_t>(from),
                                  host.calls.end());
}

std::string ReadBytes(const std::wstring &path) {
  std::string bytes;
  FILE *file = _wfopen(path.c_str(), L"rb");
  if (file == nullptr) return "<missing>";
  char chunk[4096];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
  fclose(file);
  return bytes;
}

bool WriteBytes(const std::wstring &path, const std::string &bytes) {
  FILE *file = _wfopen(path.c_str(), L"wb");
  if (file == nullptr) return false;
  bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return fclose(file) == 0 && ok;
}

std::string DataFile(const ScenarioContext &context, const wchar_t *name) {
  return ReadBytes(ModuleFolder(context.self) + L"data\\" + name);
}

std::wstring CurrentFolder() {
  wchar_t folder[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, folder);
  return folder;
}

int RunKeyLoop(RecordingHost &host, std::deque<uint32_t> userKeys, int maxSteps) {
  int filterCalls = 0;
  int steps = 0;
  bool heldLast = false;  // the key offered last was given back
  DWORD heldSince = 0;    // when the key given back was first offered
  while (host.installedFilter != nullptr) {
    uint32_t key = 0xFFFF;
    if (!host.input.empty()) {
      key = host.input.front();
      host.input.pop_front();
      if (!heldLast && host.slowHostMs != 0) Sleep(host.slowHostMs);
    }
    if (!heldLast && ++steps > maxSteps) {
      printf("     the key loop stops after %d steps: the player does not stop\n", maxSteps);
      break;
    }
    RecordingHost::FilterCall call;
    call.offered = key;
    call.callsBefore = host.calls.size();
    size_t before = host.callCount;
    int delaysBefore = host.delayKeyCalls;
    call.tickBefore = GetTickCount();
    uint32_t result = host.installedFilter(key) & 0xFFFF;
    call.tickAfter = GetTickCount();
    ++filterCalls;
    if (result != 0xFFFF) host.processed.push_back(result);
    bool held = !host.input.empty() && host.delayKeyCalls > delaysBefore;
    call.result = result;
    call.held = held;
    call.callsAfter = host.calls.size();
    if (!host.quiet) host.filterLog.push_back(call);
    if (held) {
      if (!heldLast) heldSince = call.tickBefore;
      if (call.tickAfter - heldSince > kLongestHoldMs) {
        printf("     the key loop stops: key 0x%X has been held for %lu ms\n", key,
               static_cast<unsigned long>(call.tickAfter - heldSince));
        break;
      }
      Sleep(1);  // the pause runs: offer the held key again shortly
    }
    heldLast = held;
    if (key == 0xFFFF && host.callCount == before && host.input.empty()) {
      if (userKeys.empty()) break;
      host.input.push_back(userKeys.front());
      userKeys.pop_front();
    }
  }
  return filterCalls;
}

size_t FilterCallMaking(const RecordingHost &host, const std::string &call, int nth) {
  for (size_t i = 0; i < host.filterLog.size(); ++i) {
    const RecordingHost::FilterCall &filterCall = host.filterLog[i];
    for (size_t c = filterCall.callsBefore; c < filterCall.callsAfter; ++c)
      if (host.calls[c] == call && --nth == 0) return i;
  }
  return host.filterLog.size();
}

void CheckPauseHolds(const RecordingHost &host, size_t arm, uint32_t pauseMs, uint32_t key,
                     const std::string &what) {
  if (arm >= host.filterLog.size()) {
    printf("     no filter call armed the pause\n");
    Check(false, what);
    return;
  }
  const RecordingHost::FilterCall &armed = host.filterLog[arm];
  int holds = 0;
  int lateHolds = 0;
  for (size_t i = arm + 1; i < host.filterLog.size(); ++i) {
    const RecordingHost::FilterCall &offer = host.filterLog[i];
    if (offer.offered == 0xFFFF) continue;  // a no-key call never meets the pause
    if (offer.held) {
      ++holds;
      uint32_t sinceArmed = offer.tickBefore - armed.tickAfter;
      if (sinceArmed >= pauseMs && lateHolds++ == 0)
        printf("     key 0x%X held in a call that began %lu ms after the pause was armed\n",
               offer.offered, static_cast<unsigned long>(sinceArmed));
      continue;
    }
    uint32_t sinceArming = offer.tickAfter - armed.tickBefore;
    printf("     0x%X held %d times (%d of them late), let through %lu ms after the pause was "
           "armed\n",
           offer.offered, holds, lateHolds, static_cast<unsigned long>(sinceArming));
    if (offer.offered != key) printf("     the key expected first was 0x%X\n", key);
    Check(offer.offered == key && lateHolds == 0 && sinceArming >= pauseMs, what);
    return;
  }
  printf("     no key was let through after the pause\n");
  Check(false, what);
}
