// The deepest stack the key filter's paths touch, C library included: the
// stack below the caller is painted with a byte pattern before each filter
// call, and afterwards the lowest byte that lost its paint tells how deep
// the call went (the plug-in's frames, the C library's formatter and the
// quick fake host's few bytes).
//
//   plugin_stack_paint     prints "<bytes> <path>" for each path
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "bench/bench_host.h"
#include "host/app/core/stack_paint.h"
#include "plugin/contract/host_values.h"
#include "player/entry/key_filter.h"
#include "player/playback/player_state.h"
#include "player/playback/macro_log.h"
#include "player/playback/player_texts.h"

namespace {

// More than any path may use: a figure this large means "at least".
template <typename Work>
size_t Painted(Work work) {
  return volmar::StackPaint<64 * 1024>::Measure(work);
}

// A macro with every kind of item: characters, line breaks, key names,
// commands, a word that is neither (typed as text, so logged as text) and
// a word too long for any.
const char kMacro[] =
    "Ala ma kota\r\n[ENTER][F1][SHIFT_KP1]x[DELAY]yz[NIEZNANE]"
    "[ABCDEFGHIJKLMNOPQRSTUVWXYZ]q[RESTART]";

// The deepest of `calls` no-key calls of the filter with the macro open.
size_t PlaybackSteps(bool log, int calls) {
  bench::InstallHost();
  if (!bench::LoadKeys()) return 0;
  bench::SetMacroText(kMacro);
  bench::OpenMacro(log);
  size_t deepest = 0;
  for (int i = 0; i < calls; ++i) {
    size_t used = Painted([] { PluginKeyFilter(host::kNoKey); });
    if (used > deepest) deepest = used;
  }
  bench::SetMacroText(nullptr);
  return deepest;
}

}  // namespace

int main() {
  struct Row {
    const char *path;
    size_t bytes;
  };
  Row rows[5];
  bench::InstallHost();
  rows[0] = {"key passing, no macro", Painted([] { PluginKeyFilter('x'); })};
  rows[1] = {"playback steps, no log", PlaybackSteps(false, 200)};
  rows[2] = {"playback steps, logged", PlaybackSteps(true, 200)};
  bench::InstallHost();
  bench::OpenMacro(true);
  rows[3] = {"log line, longest text",
             Painted([] { WriteLogLine(kLogTextFormat, "ABCDEFGHIJKLMNOPQRS"); })};
  bench::InstallHost();
  bench::ServeStartBranch();
  rows[4] = {"Shift+F11: the start branch", Painted([] { PluginKeyFilter(host::kKeyShiftF11); })};
  for (const Row &row : rows) printf("%zu %s\n", row.bytes, row.path);
  return 0;
}
