// What every scenario of the recording test host gets, and the helpers
// they share.
#pragma once

#include <stdint.h>

#include <deque>
#include <string>
#include <vector>

#include "tests/wine/plugin_exports.h"
#include "tests/wine/recording_host.h"

struct ScenarioContext {
  RecordingHost &host;
  PluginExports plugin;  // loaded from wtyczki\tastiromatika.dll beside the host
  HMODULE self;          // the test host, VOLMAR.dll
  std::vector<uint16_t> lacking;  // the host ordinals withdrawn before the load
};

typedef void (*ScenarioFn)(ScenarioContext &context);

struct Scenario {
  const char *name;
  const char *lacking;  // host ordinals withdrawn before the plug-in loads, or null
  ScenarioFn run;
};

// The scenarios of each file.
void RunExports(ScenarioContext &context);
void RunHandshake(ScenarioContext &context);
void RunActivation(ScenarioContext &context);
void RunExplanation(ScenarioContext &context);
void RunWithoutQuery(ScenarioContext &context);
void RunMissingOne(ScenarioContext &context);
void RunMissingThree(ScenarioContext &context);
void RunMissingTen(ScenarioContext &context);
void RunMissingAll(ScenarioContext &context);
void RunFormMacro(ScenarioContext &context);
void RunEveryCommand(ScenarioContext &context);
void RunSharedMacro(ScenarioContext &context);
void RunSharedMacroDryRun(ScenarioContext &context);
void RunOpenErrors(ScenarioContext &context);
void RunLackingOne(ScenarioContext &context);
void RunCallocNull(ScenarioContext &context);
void RunReallocNull(ScenarioContext &context);
void RunOpenFailKeys(ScenarioContext &context);
void RunOpenFailMacro(ScenarioContext &context);
void RunOpenFailLog(ScenarioContext &context);
void RunRefusedPosts(ScenarioContext &context);
void RunLogWriteFails(ScenarioContext &context);
void RunMegabyteMacro(ScenarioContext &context);
void RunRandomMacro(ScenarioContext &context);

// Not a scenario of one host but a driver: runs "VOLMAR.exe lacking-one"
// once with nothing withdrawn and once for each of the 44 host functions,
// each in a process and work folder of its own, and checks that every run
// ends cleanly with all its checks passed.  `only` limits the runs to the
// listed ordinals.  Returns the process exit code.
int RunLackingEach(const std::vector<uint16_t> &only);

// The query function that scenarios hand over in the handshake; its calls
// are recorded as "ScenarioQuery(what, value)" and it answers like HostQuery.
int32_t __cdecl ScenarioQuery(int32_t what, int32_t value);

// A key filter of the host's own, in place before the plug-in's: it lets
// every key through and counts its calls.
uint32_t __stdcall HostOwnFilter(uint32_t key);
extern int g_hostOwnFilterCalls;

// The module base name that the plug-in finds for itself.
inline constexpr char kPluginBaseName[] = "tastiromatika.dll";

// The recorded calls from `from` on.
std::vector<std::string> CallsSince(const RecordingHost &host, size_t from);

// Files of the current folder, byte for byte.
std::string ReadBytes(const std::wstring &path);
bool WriteBytes(const std::wstring &path, const std::string &bytes);
// A file of data\ beside the test host (data\shared\ holds tests/data).
std::string DataFile(const ScenarioContext &context, const wchar_t *name);
std::wstring CurrentFolder();

// The host's key loop: offers queued keys to the key filter, else asks it
// with no key; when a no-key call makes no host call at all (the player is
// idle or waits for the user), the next of `userKeys` is typed, and the loop
// ends when none is left.  Keys that the filter lets through are appended
// to host.processed.  Returns the number of key filter calls.  `limitMs`
// ends a player that never stops; the default leaves room for the
// one-second sleeps of WAITENTER and the 2000 ms pause of DELAY.
int RunKeyLoop(RecordingHost &host, std::deque<uint32_t> userKeys, DWORD limitMs = 30000);
