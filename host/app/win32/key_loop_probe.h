// Measurements of the host's key loop for the benchmarks (--time-keys,
// --paint-stack): the loop's time and keys, and the deepest stack one
// outer call of the key filters touched, host functions and C runtime
// included.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "plugin/contract/host_api.h"

namespace volmar {

// The loop's whole time, and the time of every run of kChunkKeys keys: on a
// shared machine the shorter runs are the ones nothing else interrupted.
class KeyLoopClock {
 public:
  static constexpr uint64_t kChunkKeys = 10000;

  void Start();
  void Stop();
  void CountKey() {
    if (++keys_ % kChunkKeys == 0) EndChunk();
  }
  // "pętla klawiszy: <microseconds> us, <keys> klawiszy\n", then when there
  // were whole runs of kChunkKeys keys: "odcinki po 10000 klawiszy: <n>,
  // najkrótszy <us> us, dolny kwartyl <us> us, mediana <us> us\n"
  std::string Report() const;

 private:
  void EndChunk();

  int64_t start_ = 0;
  int64_t elapsed_ = 0;
  int64_t chunkStart_ = 0;
  uint64_t keys_ = 0;
  std::vector<int64_t> chunks_;  // ticks of each whole run
};

// Keyboard::filterCall for --paint-stack: paints the stack below the caller
// before every outer filter call and finds afterwards how deep the call went.
uint32_t PaintedFilterCall(KeyFilter filter, uint32_t key);
// "stos filtra: <bytes> B bez klawisza, <bytes> B z klawiszem\n": the
// deepest no-key call (playback steps) and the deepest call with a key
// (Shift+F11, the start form and the questions included).
std::string PaintedStackReport();

}  // namespace volmar
