// Withdrawing exports from a loaded module at run time, so that one host
// build can play a host that lacks chosen functions.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Blanks the export-address-table entries of `ordinals` in `module` (a
// loaded PE image), so GetProcAddress no longer finds them.  Returns how many
// entries were blanked.
size_t WithdrawExports(void *module, const uint16_t *ordinals, size_t count);
