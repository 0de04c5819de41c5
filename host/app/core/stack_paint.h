// The deepest stack a call reaches, its callees and the C runtime included:
// the stack below the caller is painted with a byte pattern, the call runs,
// and the lowest byte that lost its paint tells how deep it went.  Used by
// the host's --paint-stack and by the benchmarks' native stack figures.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <string.h>

namespace volmar {

// `kBytes` is more than any measured call may use, so a figure of that
// size says "at least".
template <size_t kBytes>
class StackPaint {
 public:
  // Bytes of stack below this function's frame that `work` wrote.
  template <typename Work>
  [[gnu::noinline]] static size_t Measure(Work work) {
    volatile unsigned char here = 0;
    uintptr_t top = reinterpret_cast<uintptr_t>(&here);
    Paint();
    work();
    return static_cast<size_t>(top - LowestTouched());
  }

 private:
  static constexpr unsigned char kPaint = 0xA5;
  // Kept as a number: the area lies below every live frame when it is read.
  static inline uintptr_t paintedLow_ = 0;

  // Its frame lies just below the caller's, where the measured call's frames
  // will go.  The compiler's stack probe commits the pages.
  [[gnu::noinline]] static void Paint() {
    unsigned char area[kBytes];
    memset(area, kPaint, sizeof area);
    paintedLow_ = reinterpret_cast<uintptr_t>(area);
    asm volatile("" : : "r"(area) : "memory");  // the painting stays
  }

  // From the bottom of the painted area up to the first byte that lost its paint.
  [[gnu::noinline]] static uintptr_t LowestTouched() {
    const volatile unsigned char *p = reinterpret_cast<const unsigned char *>(paintedLow_);
    const volatile unsigned char *end = p + kBytes;
    while (p < end && *p == kPaint) ++p;
    return reinterpret_cast<uintptr_t>(p);
  }
};

}  // namespace volmar
