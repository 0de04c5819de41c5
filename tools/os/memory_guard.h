// What a tool does when memory runs out: one clear message in the user's
// language and exit status 2, in place of the C++ runtime's "terminate
// called ... std::bad_alloc" and its status 3.
#pragma once

#include <string>

namespace os {

// From now on a failed allocation (or a size no container can hold) writes
// `message` and a line break to standard error and ends the tool with
// status 2.  Called once the language is chosen, with the message in it.
void GuardAllocation(const std::string &message);

}  // namespace os
