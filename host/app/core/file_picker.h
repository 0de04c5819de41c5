// HostPickFile: a list of file names to choose from.
//
// Up, Down, PgUp, PgDn, Home, End move; typing letters jumps to the first
// name that starts with what was typed; Enter chooses; Esc gives up.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "host/app/core/ui.h"

namespace volmar {

// `names` in host text, in the order shown.  Returns the index of the name
// chosen, or -1.
int32_t RunFilePicker(Ui &ui, const std::vector<std::string> &names, const std::string &pattern);

}  // namespace volmar
