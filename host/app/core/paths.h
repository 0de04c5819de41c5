// Paths as the host builds them for plug-ins (wide text, UTF-16).
#pragma once

#include <stdint.h>

#include <string>

namespace volmar {

// HostMakePathW: the full path of `relative` under the host's folder
// (`hostFolder`, without a trailing separator).  A path that is already
// absolute (a drive letter, or a leading '\' or '/') is taken as it is.
// Returns 0; -1 when it does not fit in `capacity` units with the zero, or
// an argument is missing, and the buffer then holds an empty text.
int32_t MakePath(char16_t *buffer, int32_t capacity, const std::u16string &hostFolder,
                 const char16_t *relative);

// HostPathAddExtensionW: puts `extension` (".log") in place of the file
// name's extension, or behind a name that has none ("macro.txt" becomes
// "macro.log", "macro" becomes "macro.log").  When that would give the path
// itself back ("notes.log" with ".log"), the extension is added behind the
// whole name ("notes.log.log"), so that a log never is the file it logs.
// Returns 0; -1 when the result does not fit in `capacity` units with the
// zero or an argument is missing, and the buffer then holds an empty text,
// so that no file is opened under a wrong name.
int32_t AddExtension(char16_t *path, int32_t capacity, const char16_t *extension);

}  // namespace volmar
