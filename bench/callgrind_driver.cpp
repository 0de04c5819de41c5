// Runs one measured operation a given number of times, for instruction
// counts under callgrind:
//
//   valgrind --tool=callgrind --collect-atstart=no
//            --toggle-collect=<the operation's function>
//            --toggle-collect=BenchHost* plugin_callgrind_driver <op> <count>
//
// Collection is on only inside the plug-in function and off again inside
// every function of the fake host, so the count is the plug-in's own.
// scripts/bench.sh runs two counts and divides the difference by the
// difference of the counts, which also leaves out every one-time cost.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "bench/bench_host.h"
#include "plugin/contract/host_values.h"
#include "player/entry/key_filter.h"
#include "player/playback/player_state.h"
#include "plugin/keys/key_names.h"
#include "player/playback/macro_log.h"
#include "player/playback/player_texts.h"

namespace {

// The body of the log line: "{NAPIS: " + 10 characters + "}\n", 20 in all.
const char kTenCharacters[] = "abcdefghij";

volatile uintptr_t g_sink;

int Fail(const char *what) {
  fprintf(stderr, "plugin_callgrind_driver: %s\n", what);
  return 2;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3) return Fail("usage: plugin_callgrind_driver <op> <count>");
  const char *op = argv[1];
  long count = strtol(argv[2], nullptr, 10);
  if (count < 0) return Fail("bad count");

  bench::InstallHost();
  if (strcmp(op, "passthrough") == 0) {
    // PluginKeyFilter: a typed key with no macro open.
    for (long i = 0; i < count; ++i) g_sink = PluginKeyFilter('x');
  } else if (strcmp(op, "step") == 0) {
    // PluginKeyFilter: a no-key call that plays one 'a', no log; the key
    // table is loaded, as it is after every macro start.
    if (!bench::LoadKeys()) return Fail("key table");
    bench::OpenMacro(false);
    for (long i = 0; i < count; ++i) g_sink = PluginKeyFilter(0xFFFF);
    if (g_player.macroFile == 0 || g_player.pendingKey != 0) return Fail("step");
  } else if (strcmp(op, "played") == 0 || strcmp(op, "playedlogged") == 0) {
    // One played key as the host's loop makes it: the no-key call that
    // plays an 'a', then the posted 'a' coming back through the filter.
    bool log = strcmp(op, "playedlogged") == 0;
    if (!bench::LoadKeys()) return Fail("key table");
    bench::OpenMacro(log);
    for (long i = 0; i < count; ++i) {
      g_sink = PluginKeyFilter(host::kNoKey);
      g_sink = PluginKeyFilter('a');
    }
    if (g_player.macroFile == 0 || g_sink != 'a') return Fail("played");
    if (log && bench::SinkLines() != static_cast<uint64_t>(count)) return Fail("playedlogged");
  } else if (strcmp(op, "steplogged") == 0) {
    // The same step with a log open: the key line goes into the sink.
    if (!bench::LoadKeys()) return Fail("key table");
    bench::OpenMacro(true);
    for (long i = 0; i < count; ++i) g_sink = PluginKeyFilter(0xFFFF);
    if (bench::SinkLines() != static_cast<uint64_t>(count)) return Fail("steplogged");
  } else if (strcmp(op, "findname") == 0) {
    if (!bench::LoadKeys()) return Fail("key table");
    const uint16_t *codes = bench::KeyCodes();
    for (long i = 0; i < count; ++i) {
      const char *name = FindKeyName(codes[i % bench::kKeyCount]);
      if (name == nullptr) return Fail("findname");
      g_sink = reinterpret_cast<uintptr_t>(name);
    }
  } else if (strcmp(op, "findcode") == 0) {
    if (!bench::LoadKeys()) return Fail("key table");
    const char *const *names = bench::KeyNames();
    for (long i = 0; i < count; ++i) {
      uint32_t code = FindKeyCode(names[i % bench::kKeyCount]);
      if (code == 0) return Fail("findcode");
      g_sink = code;
    }
  } else if (strcmp(op, "load") == 0) {
    for (long i = 0; i < count; ++i) {
      ReleaseKeyNameTable();
      if (LoadKeyNameTable() != 0 || KeyNameCount() != bench::kKeyCount) return Fail("load");
    }
  } else if (strcmp(op, "logline") == 0) {
    bench::OpenMacro(true);
    for (long i = 0; i < count; ++i) WriteLogLine(kLogTextFormat, kTenCharacters);
    if (bench::SinkLines() != static_cast<uint64_t>(count)) return Fail("logline");
  } else {
    return Fail("unknown op");
  }
  return 0;
}
