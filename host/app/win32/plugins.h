// The plug-ins in the host's wtyczki folder: loading, the handshake, the
// activation (or the explanation of a refusal), and the tear-down at exit.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "plugin/contract/host_api.h"

namespace volmar {

struct PluginRecord {
  enum class State { kActive, kRefused, kNotPlugin, kLoadFailed };
  std::wstring file;        // the DLL's file name
  State state = State::kLoadFailed;
  std::string description;  // host text, as the handshake gave it
  DWORD error = 0;          // LoadLibrary's error when the load failed
  HMODULE module = nullptr;
};

class Plugins {
 public:
  // Loads every *.dll of `folder`, in name order: handshake (export 30001
  // with `query` and a description buffer), then export 30008 with 0 when
  // the plug-in accepted the host, or with 1 (the plug-in explains the
  // failure) when it refused.  A refused plug-in is unloaded again.
  void LoadAll(const std::wstring &folder, HostQueryFn query);
  // Export 30001 with null for every active plug-in.
  void TearDown();

  const std::vector<PluginRecord> &records() const { return records_; }
  size_t ActiveCount() const;

  static constexpr size_t kDescriptionRoom = 1024;

 private:
  std::vector<PluginRecord> records_;
};

const char *StateName(PluginRecord::State state);  // Polish, UTF-8

}  // namespace volmar
