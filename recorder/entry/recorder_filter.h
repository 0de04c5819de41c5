// The recorder's key filter.
#pragma once

#include <stdint.h>

#include "plugin/contract/host_api.h"

extern "C" uint32_t HOST_STDCALL RecorderKeyFilter(uint32_t key);
