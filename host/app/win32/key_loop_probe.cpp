#include "host/app/win32/key_loop_probe.h"

#include <windows.h>


#include <algorithm>

#include "host/app/core/key_codes.h"
#include "host/app/core/stack_paint.h"

namespace volmar {

namespace {

int64_t Ticks() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

// More than any call of the filters may use, so a figure at this size
// says "at least".
using FilterStackPaint = StackPaint<128 * 1024>;
int g_depth = 0;                        // nesting of filter calls
size_t g_deepestNoKey = 0;
size_t g_deepestKey = 0;

}  // namespace

void KeyLoopClock::Start() { start_ = chunkStart_ = Ticks(); }

void KeyLoopClock::Stop() { elapsed_ += Ticks() - start_; }

void KeyLoopClock::EndChunk() {
  int64_t now = Ticks();
  chunks_.push_back(now - chunkStart_);
  chunkStart_ = now;
}

std::string KeyLoopClock::Report() const {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  int64_t perSecond = frequency.QuadPart > 0 ? frequency.QuadPart : 1;
  auto us = [perSecond](int64_t ticks) { return std::to_string(ticks * 1000000 / perSecond); };
  std::string report = "pętla klawiszy: " + us(elapsed_) + " us, " + std::to_string(keys_) +
                       " klawiszy\n";
  if (chunks_.empty()) return report;
  std::vector<int64_t> sorted = chunks_;
  std::sort(sorted.begin(), sorted.end());
  return report + "odcinki po " + std::to_string(kChunkKeys) + " klawiszy: " +
         std::to_string(sorted.size()) + ", najkrótszy " + us(sorted.front()) +
         " us, dolny kwartyl " + us(sorted[sorted.size() / 4]) + " us, mediana " +
         us(sorted[sorted.size() / 2]) + " us\n";
}

uint32_t PaintedFilterCall(KeyFilter filter, uint32_t key) {
  if (g_depth > 0) {  // an inner call: the outer one measures it all
    ++g_depth;
    uint32_t result = filter(key);
    --g_depth;
    return result;
  }
  uint32_t result = 0;
  size_t used = FilterStackPaint::Measure([&] {
    ++g_depth;
    result = filter(key);
    --g_depth;
  });
  size_t &deepest = (key & 0xFFFF) == kKeyNone ? g_deepestNoKey : g_deepestKey;
  if (used > deepest) deepest = used;
  return result;
}

std::string PaintedStackReport() {
  return "stos filtra: " + std::to_string(g_deepestNoKey) + " B bez klawisza, " +
         std::to_string(g_deepestKey) + " B z klawiszem\n";
}

}  // namespace volmar
