// Helpers shared by the scenarios of the recording test host.
#include <stdio.h>

#include "host/exports/host_backend.h"
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

int RunKeyLoop(RecordingHost &host, std::deque<uint32_t> userKeys, DWORD limitMs) {
  DWORD start = GetTickCount();
  int filterCalls = 0;
  while (GetTickCount() - start < limitMs && host.installedFilter != nullptr) {
    uint32_t key = 0xFFFF;
    if (!host.input.empty()) {
      key = host.input.front();
      host.input.pop_front();
    }
    size_t before = host.callCount;
    int delaysBefore = host.delayKeyCalls;
    uint32_t result = host.installedFilter(key) & 0xFFFF;
    ++filterCalls;
    if (result != 0xFFFF) host.processed.push_back(result);
    bool held = !host.input.empty() && host.delayKeyCalls > delaysBefore;
    if (held) Sleep(1);  // the pause runs: offer the held key again shortly
    if (key == 0xFFFF && host.callCount == before && host.input.empty()) {
      if (userKeys.empty()) break;
      host.input.push_back(userKeys.front());
      userKeys.pop_front();
    }
  }
  return filterCalls;
}
