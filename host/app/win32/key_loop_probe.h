// Measurements of the host's key loop for the benchmarks (--time-keys,
// --paint-stack): the loop's time and keys, and the deepest stack one
// outer call of the key filters touched, host functions and C runtime
// included.
#pragma once

#include <stdint.h>

#include <string>

#include "plugin/contract/host_api.h"

namespace volmar {

class KeyLoopClock {
 public:
  void Start();
  void Stop();
  void CountKey() { ++keys_; }
  // "pętla klawiszy: <microseconds> us, <keys> klawiszy\n"
  std::string Report() const;

 private:
  int64_t start_ = 0;
  int64_t elapsed_ = 0;
  uint64_t keys_ = 0;
};

// Keyboard::filterCall for --paint-stack: paints the stack below the caller
// before every outer filter call and finds afterwards how deep the call went.
uint32_t PaintedFilterCall(KeyFilter filter, uint32_t key);
// "stos filtra: <bytes> B bez klawisza, <bytes> B z klawiszem\n": the
// deepest no-key call (playback steps) and the deepest call with a key
// (Shift+F11, the start form and the questions included).
std::string PaintedStackReport();

}  // namespace volmar
