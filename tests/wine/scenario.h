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
// The recorder beside the player (scenario_recorder.cpp).
void RunRecorderBesidePlayer(ScenarioContext &context);
void RunRecorderLacking(ScenarioContext &context);

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
// ends when none is left.  A key that the filter gives back with
// HostDelayKey is offered again 1 ms later.  Keys that the filter lets
// through are appended to host.processed, and each call is logged in
// host.filterLog.  Returns the number of key filter calls.
//
// How fast the machine is changes only how often a held key is offered
// again, so the two guards that end a player that never stops leave those
// offers aside: `maxSteps` counts the other filter calls, and a key held
// for longer than kLongestHoldMs by the host's clock (ten times the longest
// pause of these scenarios) ends the loop as a pause that never runs out.
inline constexpr uint32_t kLongestHoldMs = 20000;
int RunKeyLoop(RecordingHost &host, std::deque<uint32_t> userKeys, int maxSteps = 100000);

// The pause armed in the key loop's call `arm` (an index into
// host.filterLog) for `pauseMs`, judged by the host's clock readings around
// each call, between which the player's own readings lie:
//   - a key held in a later call was held while the pause might still run:
//     its call began less than pauseMs after the arming call ended;
//   - the first key let through after it came once the pause might have run
//     out: its call ended at least pauseMs after the arming call began.
// Neither depends on how fast the machine is or when it was busy.  Checks
// the calls after `arm` up to the first real key that was not held, which
// must be `key`, and prints how often the key was held.
void CheckPauseHolds(const RecordingHost &host, size_t arm, uint32_t pauseMs, uint32_t key,
                     const std::string &what);
// The index in host.filterLog of the filter call in which the host call
// `call` (as recorded) was made for the `nth` time (from 1), or
// host.filterLog.size() when none was.
size_t FilterCallMaking(const RecordingHost &host, const std::string &call, int nth = 1);
