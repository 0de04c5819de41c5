#include "host/app/win32/key_loop_probe.h"

#include <windows.h>

#include <string.h>

#include <algorithm>

#include "host/app/core/key_codes.h"

namespace volmar {

namespace {

int64_t Ticks() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

// How much of the stack below the caller is painted: more than any call
// of the filters may use, so a figure at this size says "at least".
constexpr size_t kPaintedBytes = 128 * 1024;
constexpr unsigned char kPaint = 0xA5;

// The lowest painted address, kept as a number: the area is below every
// live frame when it is read.
uintptr_t g_paintedLow = 0;
int g_depth = 0;                        // nesting of filter calls
size_t g_deepestNoKey = 0;
size_t g_deepestKey = 0;

// Its frame lies just below the caller's: the area it paints is where the
// filter's frames will go.  The compiler's stack probe commits the pages.
[[gnu::noinline]] void Paint() {
  unsigned char area[kPaintedBytes];
  memset(area, kPaint, sizeof area);
  g_paintedLow = reinterpret_cast<uintptr_t>(area);
  asm volatile("" : : "r"(area) : "memory");  // the painting stays
}

// The lowest address the call wrote: from the bottom of the painted area up
// to the first byte that lost its paint.
[[gnu::noinline]] const unsigned char *LowestTouched() {
  const volatile unsigned char *p = reinterpret_cast<const unsigned char *>(g_paintedLow);
  const volatile unsigned char *end = p + kPaintedBytes;
  while (p < end && *p == kPaint) ++p;
  return const_cast<const unsigned char *>(p);
}

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
  unsigned char here;
  const unsigned char *top = &here;
  Paint();
  ++g_depth;
  uint32_t result = filter(key);
  --g_depth;
  size_t used = static_cast<size_t>(top - LowestTouched());
  size_t &deepest = (key & 0xFFFF) == kKeyNone ? g_deepestNoKey : g_deepestKey;
  if (used > deepest) deepest = used;
  return result;
}

std::string PaintedStackReport() {
  return "stos filtra: " + std::to_string(g_deepestNoKey) + " B bez klawisza, " +
         std::to_string(g_deepestKey) + " B z klawiszem\n";
}

}  // namespace volmar
