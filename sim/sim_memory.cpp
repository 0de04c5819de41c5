#include "sim/sim_memory.h"

#include <stdlib.h>

namespace sim {

void *Memory::Calloc(uint32_t count, uint32_t size) {
  if (failCalloc) return nullptr;
  void *block = calloc(count, size);
  if (block != nullptr) live_.insert(block);
  return block;
}

void *Memory::Realloc(void *block, uint32_t size) {
  if (failRealloc || (block != nullptr && !Owns(block))) return nullptr;
  if (size == 0) {  // as the C runtime: the block is freed
    Free(block);
    return nullptr;
  }
  void *moved = realloc(block, size);
  if (moved == nullptr) return nullptr;
  live_.erase(block);
  live_.insert(moved);
  return moved;
}

bool Memory::Free(void *block) {
  if (block == nullptr || live_.erase(block) == 0) return false;
  free(block);
  return true;
}

void Memory::FreeAll() {
  for (void *block : live_) free(block);
  live_.clear();
}

}  // namespace sim
