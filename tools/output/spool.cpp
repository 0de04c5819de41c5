#include "tools/output/spool.h"

#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <string.h>

#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

#include "tools/lang/console.h"

namespace output {

namespace {

// How many bytes at the end of `bytes` start a UTF-8 character that goes on
// in the next piece (a console shows a character cut in two as two marks).
size_t CutCharacter(const char *bytes, size_t size) {
  for (size_t back = 1; back <= 3 && back <= size; ++back) {
    const uint8_t byte = static_cast<uint8_t>(bytes[size - back]);
    if ((byte & 0xC0) == 0x80) continue;
    const size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return length > back ? back : 0;
  }
  return 0;
}

}  // namespace

Spool::~Spool() {
  if (file_ != nullptr) fclose(file_);
}

bool Spool::Open(std::string *error) {
  std::error_code failed;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(failed);
  if (failed) {
    *error = failed.message();
    return false;
  }
#if defined(_WIN32)
  // _O_TEMPORARY: Windows deletes the file when its last handle closes,
  // the process's end included.
  for (int n = 0; n < 1000 && file_ == nullptr; ++n) {
    const std::wstring name = (folder / ("tastiro-merge-" + std::to_string(_getpid()) + "-" +
                                         std::to_string(n) + ".tmp")).wstring();
    const int fd = _wopen(name.c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_TEMPORARY,
                          _S_IREAD | _S_IWRITE);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) break;
    file_ = _fdopen(fd, "w+b");
    if (file_ == nullptr) _close(fd);
  }
#else
  std::string name = (folder / "tastiro-merge-XXXXXX").string();
  const int fd = mkstemp(&name[0]);
  if (fd >= 0) {
    unlink(name.c_str());  // the open file stays until it is closed
    file_ = fdopen(fd, "w+b");
    if (file_ == nullptr) close(fd);
  }
#endif
  if (file_ == nullptr) *error = strerror(errno);
  return file_ != nullptr;
}

bool Spool::CopyTo(FILE *out) {
  if (file_ == nullptr || fflush(file_) != 0 || fseek(file_, 0, SEEK_SET) != 0) return false;
  static char buffer[64 * 1024 + 4];
  size_t held = 0;
  for (size_t n; (n = fread(buffer + held, 1, sizeof buffer - 4 - held, file_)) > 0;) {
    const size_t size = held + n;
    const size_t cut = CutCharacter(buffer, size);
    if (!lang::Write(out, std::string(buffer, size - cut))) return false;
    memmove(buffer, buffer + size - cut, cut);
    held = cut;
  }
  if (ferror(file_)) return false;
  return held == 0 || lang::Write(out, std::string(buffer, held));
}

}  // namespace output
