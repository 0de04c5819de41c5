// The key filter: the host's way into the player, for every key.
#pragma once

#include <stdint.h>

#include "plugin/contract/host_api.h"

// [key filter] Installed through HostSetKeyFilter at activation; the host
// calls it for every key before it processes it, and with the no-key code
// 0xFFFF when it has none.  Answers the key the host is to process, or 0xFFFF.
extern "C" uint32_t HOST_STDCALL PluginKeyFilter(uint32_t key);
