// The simulated host's allocator: calloc, realloc and free that keep count
// of the blocks the plug-in holds, and can be told to fail.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <set>

namespace sim {

class Memory {
 public:
  // A null result from then on; the block given to a failed realloc stays.
  bool failCalloc = false;
  bool failRealloc = false;

  void *Calloc(uint32_t count, uint32_t size);
  void *Realloc(void *block, uint32_t size);
  // False (and nothing freed) for a block that is not the host's.
  bool Free(void *block);

  size_t Live() const { return live_.size(); }
  bool Owns(void *block) const { return live_.count(block) != 0; }
  // Gives back every block still held.
  void FreeAll();

 private:
  std::set<void *> live_;
};

}  // namespace sim
