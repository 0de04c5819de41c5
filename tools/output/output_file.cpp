#include "tools/output/output_file.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>

#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "tools/texts/merge_texts.h"

namespace merge {

namespace fs = std::filesystem;

namespace {

bool ReadOnly(const std::string &path) {
#if defined(_WIN32)
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
#else
  struct stat st;
  return stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) == 0;
#endif
}

}  // namespace

bool CheckOutput(const std::string &path, bool force, OutputTarget *target, std::string *error) {
  *target = OutputTarget();
  target->path = path;
  std::error_code code;
  const fs::file_status link = fs::symlink_status(path, code);
  if (fs::is_symlink(link)) {
    fs::path resolved = fs::canonical(path, code);
    if (code) {
      *error = Format(msg::kOutputDanglingLink, path.c_str());
      return false;
    }
    target->path = resolved.string();
  }
  const fs::file_status status = fs::status(target->path, code);
  if (!fs::exists(status)) return true;
  if (fs::is_directory(status)) {
    *error = Format(msg::kOutputFolder, path.c_str());
    return false;
  }
  if (!fs::is_regular_file(status)) {
    *error = Format(msg::kOutputNotRegular, path.c_str());
    return false;
  }
  if (!force) {
    *error = Format(msg::kOutputExists, path.c_str());
    return false;
  }
  if (ReadOnly(target->path)) {
    *error = Format(msg::kOutputReadOnly, path.c_str());
    return false;
  }
  target->replaces = true;
  return true;
}

TemporaryOutput::~TemporaryOutput() { Discard(); }

bool TemporaryOutput::Open(const OutputTarget &target, std::string *error) {
  target_ = target;
  int fd = -1;
  for (int n = 0; n < 100 && fd < 0; ++n) {
    temporary_ = target.path + ".tastiro-merge-" + std::to_string(n) + ".tmp";
    // Readable by the owner only until it takes the target's place.
#if defined(_WIN32)
    fd = _open(temporary_.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    fd = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
#endif
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    *error = strerror(errno);
    temporary_.clear();
    return false;
  }
  file_ = fdopen(fd, "wb");
  if (file_ == nullptr) {
    *error = strerror(errno);
#if defined(_WIN32)
    _close(fd);
#else
    close(fd);
#endif
    Discard();
    return false;
  }
  return true;
}

bool TemporaryOutput::Commit(std::string *error) {
  bool ok = file_ != nullptr && fflush(file_) == 0 && !ferror(file_);
#if !defined(_WIN32)
  ok = ok && fsync(fileno(file_)) == 0;
#endif
  if (file_ != nullptr) ok = fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (!ok) {
    *error = lang::Str(msg::kWriteError);
    Discard();
    return false;
  }
  std::error_code code;
#if defined(_WIN32)
  (void)code;
  // The new file takes the old one's place in one step, its attributes kept.
  if (!MoveFileExA(temporary_.c_str(), target_.path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    *error = Format(msg::kRenameFailed, static_cast<unsigned long>(GetLastError()));
    Discard();
    return false;
  }
#else
  mode_t mode = 0666;
  struct stat st;
  if (target_.replaces && stat(target_.path.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = umask(0);
    umask(mask);
    mode &= ~mask;
  }
  if (chmod(temporary_.c_str(), mode) != 0) {
    *error = strerror(errno);
    Discard();
    return false;
  }
  fs::rename(temporary_, target_.path, code);
  if (code) {
    *error = code.message();
    Discard();
    return false;
  }
#endif
  temporary_.clear();
  return true;
}

void TemporaryOutput::Discard() {
  if (file_ != nullptr) fclose(file_);
  file_ = nullptr;
  if (temporary_.empty()) return;
  std::error_code ignored;
  fs::remove(temporary_, ignored);
  temporary_.clear();
}

}  // namespace merge
