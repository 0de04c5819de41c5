// Placeholder until the player lands.
#include "player/key_filter.h"
#include "player/key_names.h"
PlayerState g_player;
extern "C" uint32_t HOST_STDCALL PluginKeyFilter(uint32_t key) {
  if (g_player.previousFilter) key = g_player.previousFilter(key) & 0xFFFF;
  return key;
}
int LoadKeyNameTable() { return 1; }
void ReleaseKeyNameTable() {}
const char *FindKeyName(uint32_t) { return nullptr; }
uint32_t FindKeyCode(const char *) { return 0; }
void ResetKeyNameTable() {}
