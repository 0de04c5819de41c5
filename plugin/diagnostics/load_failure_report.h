// The one message that explains why the host could not activate the plug-in.
#pragma once

#include <stdint.h>

// Shows exactly one message box naming the first cause found.
void ShowLoadFailureReport();

// Writes the missing-import message into `buffer` (3072 bytes) and returns
// the count of failed host functions; 0 leaves the buffer empty.
uint32_t DescribeMissingImports(char *buffer);
