#include "tools/reader/source.h"

#include <errno.h>
#include <string.h>
#include <sys/stat.h>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include "tools/os/console.h"

namespace reader {

size_t StringSource::Read(char *buffer, size_t size) {
  const size_t n = bytes_.size() - at_ < size ? bytes_.size() - at_ : size;
  memcpy(buffer, bytes_.data() + at_, n);
  at_ += n;
  return n;
}

FileSource::~FileSource() {
  if (file_ != nullptr && !standardInput_) fclose(file_);
}

bool FileSource::Open(const std::string &utf8Path, int *error) {
  if (IsStandardInput(utf8Path)) {
#if defined(_WIN32)
    _setmode(_fileno(stdin), _O_BINARY);  // no CR LF translation, no Ctrl+Z end
#endif
    file_ = stdin;
    standardInput_ = true;
    return true;
  }
  file_ = os::OpenFile(utf8Path, "rb");
  if (file_ == nullptr) {
    *error = errno;
    return false;
  }
  // fopen opens a folder on some systems; its first read would fail.
  struct stat status;
  if (fstat(fileno(file_), &status) == 0 && S_ISDIR(status.st_mode)) {
    fclose(file_);
    file_ = nullptr;
    *error = EISDIR;
    return false;
  }
  return true;
}

size_t FileSource::Read(char *buffer, size_t size) {
  if (file_ == nullptr || failed) return 0;
  const size_t n = fread(buffer, 1, size, file_);
  if (n == 0 && ferror(file_)) failed = true;
  return n;
}

size_t FileSource::SizeHint() const {
  struct stat status;
  if (file_ == nullptr || standardInput_ || fstat(fileno(file_), &status) != 0 ||
      !S_ISREG(status.st_mode) || status.st_size <= 0)
    return 0;
  return static_cast<size_t>(status.st_size);
}

bool ReadAllBytes(const std::string &utf8Path, std::string *bytes, int *error, size_t limit) {
  bytes->clear();
  FileSource source;
  if (!source.Open(utf8Path, error)) return false;
  // Room for the whole file at once: a large macro is not copied as it grows.
  const size_t size = source.SizeHint();
  if (size > 0 && size <= limit) bytes->reserve(size);
  char buffer[64 * 1024];
  for (size_t n; (n = source.Read(buffer, sizeof buffer)) > 0;) {
    if (n > limit - bytes->size()) {
      bytes->clear();
      *error = EFBIG;
      return false;
    }
    bytes->append(buffer, n);
  }
  if (source.failed) {
    bytes->clear();
    *error = EIO;
    return false;
  }
  return true;
}

}  // namespace reader
