// Files made exclusively, or added to at their end.
#include "tools/output/exclusive_file.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "tools/lang/console.h"

namespace output {

namespace {

// Writes and closes `file`; false with the reason.
bool WriteAndClose(FILE *file, const std::string &bytes, std::string *error) {
  const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                       fflush(file) == 0;
  const int reason = errno;
  const bool closed = fclose(file) == 0;
  if (written && closed) return true;
  *error = strerror(written ? errno : reason);
  return false;
}

}  // namespace

Made CreateExclusive(const std::string &path, const std::string &bytes, std::string *error) {
  FILE *file = lang::CreateNewFile(path);
  if (file == nullptr) {
    if (errno == EEXIST) return Made::kExists;
    *error = strerror(errno);
    return Made::kFailed;
  }
  if (WriteAndClose(file, bytes, error)) return Made::kMade;
  remove(path.c_str());
  return Made::kFailed;
}

bool AppendToFile(const std::string &path, const std::string &bytes, std::string *error) {
  FILE *file = lang::OpenFile(path, "ab");
  if (file == nullptr) {
    *error = strerror(errno);
    return false;
  }
  return WriteAndClose(file, bytes, error);
}

}  // namespace output
