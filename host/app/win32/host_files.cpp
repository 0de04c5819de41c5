#include "host/app/win32/host_files.h"

#include <errno.h>
#include <share.h>
#include <stdlib.h>
#include <wchar.h>

#include <algorithm>

namespace volmar {

HostFiles::~HostFiles() {
  for (auto &entry : files_) fclose(entry.second);
}

// The modes the runtime takes: r, w or a, then any of + b t.
static bool IsValidMode(const wchar_t *mode) {
  if (mode == nullptr || (mode[0] != L'r' && mode[0] != L'w' && mode[0] != L'a')) return false;
  size_t length = wcslen(mode);
  if (length > 4) return false;
  for (size_t i = 1; i < length; ++i)
    if (wcschr(L"+bt", mode[i]) == nullptr) return false;
  return true;
}

HostFile HostFiles::Open(const wchar_t *path, const wchar_t *mode, int32_t share) {
  if (path == nullptr || !IsValidMode(mode)) {
    errno = EINVAL;
    _doserrno = 0;
    return 0;
  }
  if (share != _SH_DENYRW && share != _SH_DENYWR && share != _SH_DENYRD && share != _SH_DENYNO)
    share = _SH_DENYNO;
  FILE *file = _wfsopen(path, mode, share);
  if (file == nullptr) return 0;  // errno and _doserrno untouched from here on
  try {
    if (mode[0] != L'r') writing_.push_back(next_);
    files_.emplace_back(next_, file);
  } catch (...) {  // no exception may reach the plug-in
    writing_.erase(std::remove(writing_.begin(), writing_.end(), next_), writing_.end());
    fclose(file);
    errno = ENOMEM;
    _doserrno = 0;
    return 0;
  }
  return next_++;
}

int32_t HostFiles::Close(HostFile file) {
  auto found = std::find_if(files_.begin(), files_.end(),
                            [file](const auto &entry) { return entry.first == file; });
  if (found == files_.end()) return -1;
  int result = fclose(found->second);
  files_.erase(found);
  writing_.erase(std::remove(writing_.begin(), writing_.end(), file), writing_.end());
  return result;
}

}  // namespace volmar
