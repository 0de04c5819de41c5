// Calls a function through the stack the way the i386 contract lays it out,
// and measures what the call did to the stack pointer.
#pragma once

#include <stdint.h>

// Pushes `count` 32-bit `args` (the last first), calls `function`, and stores
// in `*espShift` how far the stack pointer moved across the call: 0 when the
// callee removed exactly its arguments (stdcall) or had none, 4 * count when
// it left them for the caller (cdecl).  The stack is put right afterwards
// whatever the callee did.  Returns the callee's 32-bit result.
extern "C" int32_t __cdecl CallAndMeasure(const void *function, const int32_t *args,
                                          int32_t count, int32_t *espShift);
