// The host's state word, as HostGetFlags reads it and HostSetFlags changes it.
#pragma once

#include <stdint.h>

namespace sim {

// HostSetFlags: sets `bits` in `word` when `on`, clears them otherwise.
inline int32_t SetStateBits(uint32_t &word, uint32_t bits, int32_t on) {
  word = on ? word | bits : word & ~bits;
  return 0;
}

}  // namespace sim
