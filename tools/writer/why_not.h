// Why a file could not be written, in the user's words: one text for each
// of the writer's faults and the system's reasons, said the same way by
// both tools ("cannot write X: <why>").
#pragma once

#include <string>

#include "tools/writer/output_file.h"

namespace writer {

// The reason of `problem`: the target's fault (a folder, a device name
// ...), else the system's error (a full disk, a closed pipe, a missing
// folder, no permission, else the system's own words), wrapped in "cannot
// put the new file in place" when the last rename failed.
std::string WhyNot(const Problem &problem);

}  // namespace writer
