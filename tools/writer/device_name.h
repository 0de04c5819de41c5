// Names Windows keeps for its devices.  "NUL", "CON", "AUX", "PRN",
// "COM1"-"COM9" and "LPT1"-"LPT9" name a device in every folder, in any
// letter case and whatever extension follows ("aux.txt", "Nul.csv"):
// writing there types into the console, prints, or throws the bytes away,
// and the user finds no file.  The tools refuse such a name as an output
// on every system, since their files are made for a Windows host.
#pragma once

#include <string_view>

namespace writer {

// Whether the last component of `path` names a device.
bool IsDeviceName(std::string_view path);

}  // namespace writer
