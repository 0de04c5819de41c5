// The key writer's two ways to the host, used by the recording and by the
// record-and-play fuzz target, so that both write keys exactly alike.
#pragma once

#include <stdint.h>

// The code the player gives a bracketed word: a command first (0: never a
// key), then the shared key-name table.
uint32_t PlayedCode(const char *word);

// One host-text byte as a wide character, through the host's own text
// conversion; false when the host gives none.
bool HostByteToWideChar(uint8_t byte, char16_t *wide);
