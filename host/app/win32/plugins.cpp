#include "host/app/win32/plugins.h"

#include <algorithm>

namespace volmar {

namespace {
typedef int32_t(__stdcall *HandshakeFn)(HostQueryFn query, char *description);
typedef int32_t(__stdcall *ActivateFn)(int32_t mode);

constexpr WORD kHandshakeOrdinal = 30001;
constexpr WORD kActivateOrdinal = 30008;

template <typename Fn>
Fn ExportByOrdinal(HMODULE module, WORD ordinal) {
  return reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}
}  // namespace

void Plugins::LoadAll(const std::wstring &folder, HostQueryFn query) {
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*.dll").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  std::sort(files.begin(), files.end());

  for (const std::wstring &file : files) {
    PluginRecord record;
    record.file = file;
    record.module = LoadLibraryW((folder + L"\\" + file).c_str());
    if (record.module == nullptr) {
      record.error = GetLastError();
      records_.push_back(record);
      continue;
    }
    auto handshake = ExportByOrdinal<HandshakeFn>(record.module, kHandshakeOrdinal);
    auto activate = ExportByOrdinal<ActivateFn>(record.module, kActivateOrdinal);
    if (handshake == nullptr) {
      record.state = PluginRecord::State::kNotPlugin;
      FreeLibrary(record.module);
      record.module = nullptr;
      records_.push_back(record);
      continue;
    }
    std::vector<char> description(kDescriptionRoom, 0);
    int32_t verdict = handshake(query, description.data());
    description.back() = 0;
    record.description = description.data();
    // Recorded before activation runs, so that what activation shows can
    // already name the plug-in.
    record.state = verdict == 0 ? PluginRecord::State::kActive : PluginRecord::State::kRefused;
    records_.push_back(record);
    if (verdict == 0) {
      if (activate != nullptr) activate(0);
    } else {
      if (activate != nullptr) activate(1);
      FreeLibrary(record.module);
      records_.back().module = nullptr;
    }
  }
}

void Plugins::TearDown() {
  for (PluginRecord &record : records_) {
    if (record.state != PluginRecord::State::kActive || record.module == nullptr) continue;
    if (auto handshake = ExportByOrdinal<HandshakeFn>(record.module, kHandshakeOrdinal))
      handshake(nullptr, nullptr);
  }
}

size_t Plugins::ActiveCount() const {
  return static_cast<size_t>(std::count_if(records_.begin(), records_.end(), [](const PluginRecord &r) {
    return r.state == PluginRecord::State::kActive;
  }));
}

const char *StateName(PluginRecord::State state) {
  switch (state) {
    case PluginRecord::State::kActive: return "aktywna";
    case PluginRecord::State::kRefused: return "odrzuciła program";
    case PluginRecord::State::kNotPlugin: return "to nie jest wtyczka";
    case PluginRecord::State::kLoadFailed: return "nie dała się załadować";
  }
  return "";
}

}  // namespace volmar
