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

// Sorts host-text file names as a Polish reader looks them up: letter case
// aside, each Polish letter right after its base letter (a ą b c ć … l ł …
// z ź ż), digits and signs before letters; names equal but for case keep a
// fixed order.
void SortFileNames(std::vector<std::string> &names);
bool FileNameBefore(const std::string &a, const std::string &b);

// `names` in host text, in the order shown.  Returns the index of the name
// chosen, or -1.
int32_t RunFilePicker(Ui &ui, const std::vector<std::string> &names, const std::string &pattern);

}  // namespace volmar
