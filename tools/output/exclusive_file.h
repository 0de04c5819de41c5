// A file that must never be replaced nor emptied, such as the log the
// player appends to: made only when no file has its name (never through a
// temporary file renamed into place), or added to at its end.
#pragma once

#include <string>

namespace output {

enum class Made { kMade, kExists, kFailed };

// Makes `path` as a new file holding `bytes`.  kExists when a file of that
// name stands (it is not touched); kFailed with the system's reason in
// `error`, and a file it made but could not fill is removed again.
Made CreateExclusive(const std::string &path, const std::string &bytes, std::string *error);

// Adds `bytes` at the end of the file `path`; false with the reason.
bool AppendToFile(const std::string &path, const std::string &bytes, std::string *error);

}  // namespace output
