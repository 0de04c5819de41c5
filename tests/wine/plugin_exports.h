// The plug-in's exported entry points as the host reaches them: by ordinal,
// with the contract's calling conventions.
#pragma once

#include <stdint.h>

#include <windows.h>

#include <string>

#include "plugin/contract/host_api.h"

typedef int32_t(__stdcall *PluginHandshakeFn)(HostQueryFn query, char *description);  // 30001
typedef int32_t(__stdcall *PluginActivateFn)(int32_t mode);                            // 30008
typedef int32_t(__cdecl *PluginAnswerZeroFn)(void);                                    // 30009
typedef int32_t(__stdcall *PluginAnswerMagicFn)(int32_t unused);                       // 30010

struct PluginExports {
  HMODULE module = nullptr;
  PluginHandshakeFn handshake = nullptr;
  PluginActivateFn activate = nullptr;
  PluginAnswerZeroFn answerZero = nullptr;
  PluginAnswerMagicFn answerMagic = nullptr;
};

// GetProcAddress by ordinal, as a plain address.
inline void *ExportByOrdinal(HMODULE module, int ordinal) {
  return reinterpret_cast<void *>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal)));
}

// Looks up the four entry points; false when one is missing.
inline bool FindPluginExports(HMODULE module, PluginExports *exports) {
  exports->module = module;
  exports->handshake = reinterpret_cast<PluginHandshakeFn>(ExportByOrdinal(module, 30001));
  exports->activate = reinterpret_cast<PluginActivateFn>(ExportByOrdinal(module, 30008));
  exports->answerZero = reinterpret_cast<PluginAnswerZeroFn>(ExportByOrdinal(module, 30009));
  exports->answerMagic = reinterpret_cast<PluginAnswerMagicFn>(ExportByOrdinal(module, 30010));
  return exports->handshake && exports->activate && exports->answerZero && exports->answerMagic;
}

// The folder of a loaded module, with its closing backslash.
inline std::wstring ModuleFolder(HMODULE module) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  std::wstring folder = path;
  size_t slash = folder.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"" : folder.substr(0, slash + 1);
}

// The plug-in as the host keeps it: wtyczki\tastiromatika.dll beside the module.
inline std::wstring PluginPathBeside(HMODULE module) {
  return ModuleFolder(module) + L"wtyczki\\tastiromatika.dll";
}
