// Does the plug-in accept the host it was loaded into?
#pragma once

#include <stdint.h>

// Feature bits the host lacks; all ones until the check first runs.
extern uint32_t g_unsupportedFeatures;

// 0 when the plug-in accepts the host, -1 when it refuses it.
int32_t CheckCompatibility();
