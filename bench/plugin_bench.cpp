// Wall-clock benchmarks of the plug-in's hot paths against the quick fake
// host, with a count of heap allocations made while each one runs: the
// key filter's path must not touch the heap.
#include <benchmark/benchmark.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <new>

#include "bench/bench_host.h"
#include "player/entry/key_filter.h"
#include "player/playback/player_state.h"
#include "plugin/keys/key_names.h"
#include "player/playback/macro_log.h"
#include "player/playback/player_texts.h"

// ---- Allocation counting ---------------------------------------------------
// Every malloc, calloc, realloc and operator new of the process goes through
// here; the benchmarks read the count around their timed loop.

extern "C" void *__libc_malloc(size_t size);
extern "C" void *__libc_calloc(size_t count, size_t size);
extern "C" void *__libc_realloc(void *block, size_t size);
extern "C" void __libc_free(void *block);

namespace {
uint64_t g_allocations = 0;
}

extern "C" void *malloc(size_t size) {
  ++g_allocations;
  return __libc_malloc(size);
}
extern "C" void *calloc(size_t count, size_t size) {
  ++g_allocations;
  return __libc_calloc(count, size);
}
extern "C" void *realloc(void *block, size_t size) {
  ++g_allocations;
  return __libc_realloc(block, size);
}
extern "C" void free(void *block) { __libc_free(block); }

void *operator new(size_t size) {
  ++g_allocations;
  if (void *block = __libc_malloc(size == 0 ? 1 : size)) return block;
  abort();
}
void *operator new[](size_t size) { return operator new(size); }
void operator delete(void *block) noexcept { __libc_free(block); }
void operator delete[](void *block) noexcept { __libc_free(block); }
void operator delete(void *block, size_t) noexcept { __libc_free(block); }
void operator delete[](void *block, size_t) noexcept { __libc_free(block); }

namespace {

// Reports the allocations per iteration made between construction and Stop.
class AllocationCounter {
 public:
  explicit AllocationCounter(benchmark::State &state) : state_(state), start_(g_allocations) {}
  void Stop() {
    uint64_t made = g_allocations - start_;
    state_.counters["allocs_per_iter"] = benchmark::Counter(
        static_cast<double>(made) / static_cast<double>(state_.iterations()));
  }

 private:
  benchmark::State &state_;
  uint64_t start_;
};

const char kTenCharacters[] = "abcdefghij";

void BM_PassThrough(benchmark::State &state) {
  bench::InstallHost();
  AllocationCounter allocations(state);
  for (auto _ : state) benchmark::DoNotOptimize(PluginKeyFilter('x'));
  allocations.Stop();
}
BENCHMARK(BM_PassThrough);

// Playback steps of the benchmark's macro, with or without its log open;
// a macro that ended before the last step would time nothing of worth.
void PlaybackSteps(benchmark::State &state, bool logged) {
  bench::InstallHost();
  if (!bench::LoadKeys()) state.SkipWithError("key table not loaded");
  bench::OpenMacro(logged);
  AllocationCounter allocations(state);
  for (auto _ : state) benchmark::DoNotOptimize(PluginKeyFilter(0xFFFF));
  allocations.Stop();
  if (g_player.macroFile == 0) state.SkipWithError("the macro ended");
}

void BM_PlaybackStep(benchmark::State &state) { PlaybackSteps(state, false); }
BENCHMARK(BM_PlaybackStep);

// The same step with a log open: the key line is written into the sink.
void BM_PlaybackStepLogged(benchmark::State &state) { PlaybackSteps(state, true); }
BENCHMARK(BM_PlaybackStepLogged);

// Looks up every key of the loaded table in turn: `keys` gives what is
// looked up (the codes or the names), `lookup` looks one up.
template <typename Keys, typename Lookup>
void LookUpEveryKey(benchmark::State &state, Keys keys, Lookup lookup) {
  bench::InstallHost();
  if (!bench::LoadKeys()) state.SkipWithError("key table not loaded");
  const auto *all = keys();
  int i = 0;
  AllocationCounter allocations(state);
  for (auto _ : state) {
    benchmark::DoNotOptimize(lookup(all[i]));
    if (++i == bench::kKeyCount) i = 0;
  }
  allocations.Stop();
}

void BM_FindKeyName(benchmark::State &state) {
  LookUpEveryKey(state, bench::KeyCodes, [](uint16_t code) { return FindKeyName(code); });
}
BENCHMARK(BM_FindKeyName);

void BM_FindKeyCode(benchmark::State &state) {
  LookUpEveryKey(state, bench::KeyNames, [](const char *name) { return FindKeyCode(name); });
}
BENCHMARK(BM_FindKeyCode);

void BM_LoadKeyNameTable(benchmark::State &state) {
  bench::InstallHost();
  AllocationCounter allocations(state);
  for (auto _ : state) {
    ReleaseKeyNameTable();
    benchmark::DoNotOptimize(LoadKeyNameTable());
  }
  allocations.Stop();
  if (KeyNameCount() != bench::kKeyCount) state.SkipWithError("key table not loaded");
}
BENCHMARK(BM_LoadKeyNameTable);

void BM_WriteLogLine(benchmark::State &state) {
  bench::InstallHost();
  bench::OpenMacro(true);
  AllocationCounter allocations(state);
  for (auto _ : state) WriteLogLine(kLogTextFormat, kTenCharacters);
  allocations.Stop();
}
BENCHMARK(BM_WriteLogLine);

}  // namespace

BENCHMARK_MAIN();
