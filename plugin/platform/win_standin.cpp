// Native stand-in of the Windows layer (see win_standin_control.h).
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "plugin/platform/win_standin_control.h"

int g_standinDosErrno;

namespace {

struct Module {
  std::string name;
  std::string path;
  std::map<uint16_t, void *> ordinals;
  std::map<std::string, void *> names;
};

struct StandinState {
  uint32_t ticks = 0;
  bool debugger = false;
  std::vector<uint32_t> sleeps;
  std::vector<std::string> debugOutput;
  std::vector<uint32_t> lookups;
  std::vector<Module *> modules;
  Module mainProgram;
};

StandinState &State() {
  static StandinState state;
  return state;
}

Module *FindModule(HMODULE handle) {
  if (handle == nullptr) return &State().mainProgram;
  for (Module *module : State().modules)
    if (module == handle) return module;
  return nullptr;
}

}  // namespace

namespace standin {

void Reset() {
  StandinState &state = State();
  for (Module *module : state.modules) delete module;
  state.modules.clear();
  state.mainProgram = Module();
  state.ticks = 0;
  state.debugger = false;
  state.sleeps.clear();
  state.debugOutput.clear();
  state.lookups.clear();
  g_standinDosErrno = 0;
}

void SetTickCount(uint32_t ticks) { State().ticks = ticks; }
void AdvanceTicks(uint32_t milliseconds) { State().ticks += milliseconds; }
const std::vector<uint32_t> &Sleeps() { return State().sleeps; }
void SetDebuggerPresent(bool present) { State().debugger = present; }
const std::vector<std::string> &DebugOutput() { return State().debugOutput; }

HMODULE AddModule(const char *name, const char *path) {
  Module *module = new Module;
  module->name = name;
  module->path = path;
  State().modules.push_back(module);
  return module;
}

void AddExport(HMODULE handle, uint16_t ordinal, void *function) {
  if (Module *module = FindModule(handle)) module->ordinals[ordinal] = function;
}

void AddNamedExport(HMODULE handle, const char *name, void *function) {
  if (Module *module = FindModule(handle)) module->names[name] = function;
}

const std::vector<uint32_t> &ProcLookups() { return State().lookups; }

}  // namespace standin

HMODULE GetModuleHandleA(LPCSTR name) {
  if (name == nullptr) return nullptr;
  std::string wanted = name;
  if (wanted.find('.') == std::string::npos) wanted += ".dll";
  for (Module *module : State().modules) {
    std::string candidate = module->name;
    if (candidate.find('.') == std::string::npos) candidate += ".dll";
    if (strcasecmp(candidate.c_str(), wanted.c_str()) == 0) return module;
  }
  return nullptr;
}

DWORD GetModuleFileNameA(HMODULE handle, LPSTR path, DWORD size) {
  Module *module = FindModule(handle);
  if (module == nullptr || size == 0) return 0;
  const std::string &text = module->path;
  DWORD length = static_cast<DWORD>(text.size()) < size - 1 ? static_cast<DWORD>(text.size())
                                                            : size - 1;
  memcpy(path, text.data(), length);
  path[length] = 0;
  return length;
}

FARPROC GetProcAddress(HMODULE handle, LPCSTR nameOrOrdinal) {
  uintptr_t value = reinterpret_cast<uintptr_t>(nameOrOrdinal);
  State().lookups.push_back(value > 0xFFFF ? 0 : static_cast<uint32_t>(value));
  Module *module = FindModule(handle);
  if (module == nullptr) return nullptr;
  void *found = nullptr;
  if (value > 0xFFFF) {
    auto it = module->names.find(nameOrOrdinal);
    if (it != module->names.end()) found = it->second;
  } else {
    auto it = module->ordinals.find(static_cast<uint16_t>(value));
    if (it != module->ordinals.end()) found = it->second;
  }
  return reinterpret_cast<FARPROC>(found);
}

DWORD GetTickCount(void) { return State().ticks; }

void Sleep(DWORD milliseconds) {
  State().sleeps.push_back(milliseconds);
  State().ticks += milliseconds;
}

int wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  // wsprintfA writes at most 1024 bytes, terminator included.
  va_list values;
  va_start(values, format);
  int written = vsnprintf(buffer, 1024, format, values);
  va_end(values);
  if (written > 1023) written = 1023;
  return written < 0 ? 0 : written;
}

BOOL IsDebuggerPresent(void) { return State().debugger ? TRUE : FALSE; }

void OutputDebugStringA(LPCSTR text) { State().debugOutput.push_back(text ? text : ""); }
