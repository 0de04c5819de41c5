// The writer's system calls on POSIX systems.
#if !defined(_WIN32)

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/writer/file_system.h"

namespace writer::sys {

namespace {

int Descriptor(Handle file) { return static_cast<int>(file); }

std::string FolderOf(const std::string &path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncFolder(const std::string &path) {
  const int folder = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
  if (folder < 0) return;
  fsync(folder);  // the rename itself on the disk; a failure changes nothing said
  close(folder);
}

}  // namespace

Handle CreateNew(const std::string &path, bool temporary, int *error) {
  if (temporary) Guard(std::string());  // the handlers, before the file exists
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) *error = errno;
  return fd < 0 ? kNoHandle : fd;
}

Handle OpenToAppend(const std::string &path, int *error) {
  // Without waiting: a pipe of that name made meanwhile cannot hold the tool.
  const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *error = errno;
    return kNoHandle;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    *error = EINVAL;
    close(fd);
    return kNoHandle;
  }
  return fd;
}

bool WriteAll(Handle file, const char *bytes, size_t size, int *error) {
  while (size > 0) {
    const ssize_t n = write(Descriptor(file), bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      *error = n < 0 ? errno : EIO;
      return false;
    }
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool ReadSome(Handle file, char *bytes, size_t size, size_t *got, int *error) {
  ssize_t n;
  do n = read(Descriptor(file), bytes, size);
  while (n < 0 && errno == EINTR);
  if (n < 0) *error = errno;
  *got = n < 0 ? 0 : static_cast<size_t>(n);
  return n >= 0;
}

bool Rewind(Handle file, int *error) {
  if (lseek(Descriptor(file), 0, SEEK_SET) == 0) return true;
  *error = errno;
  return false;
}

bool Sync(Handle file, int *error) {
  if (fsync(Descriptor(file)) == 0) return true;
  *error = errno;
  return false;
}

bool Keep(Handle, int *) { return true; }

bool TakeMode(Handle file, const std::string &like, int *error) {
  struct stat st;
  mode_t mode;
  if (!like.empty() && stat(like.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  if (fchmod(Descriptor(file), mode) == 0) return true;
  *error = errno;
  return false;
}

bool Close(Handle file, int *error) {
  if (close(Descriptor(file)) == 0) return true;
  *error = errno;
  return false;
}

bool Place(const std::string &from, const std::string &to, bool replace, int *error) {
  if (!replace) {
    // A link fails when a file of that name appeared meanwhile; a file
    // system without links (FAT) takes the rename after a last look.
    if (link(from.c_str(), to.c_str()) == 0) {
      unlink(from.c_str());
      SyncFolder(to);
      return true;
    }
    if (errno == EEXIST || access(to.c_str(), F_OK) == 0) {
      *error = EEXIST;
      return false;
    }
  }
  if (rename(from.c_str(), to.c_str()) != 0) {
    *error = errno;
    return false;
  }
  SyncFolder(to);
  return true;
}

void Remove(const std::string &path) { unlink(path.c_str()); }

bool IdentityOf(const std::string &path, FileId *id) {
  struct stat st;
  if (path.empty() || stat(path.c_str(), &st) != 0) return false;
  *id = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  return true;
}

bool IdentityOfStandardInput(FileId *id) {
  struct stat st;
  if (fstat(STDIN_FILENO, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  *id = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  return true;
}

std::string TemporaryFolder() {
  const char *folder = getenv("TMPDIR");
  std::string path = folder != nullptr && folder[0] != 0 ? folder : "/tmp";
  if (path.back() != '/') path += '/';
  return path;
}

unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }

// The files to remove on a stop signal.  The handler reads them while the
// tool may be changing them, so a slot is filled before it is marked used
// and unmarked before it is emptied, with the signals held meanwhile.
namespace {

struct Slot {
  volatile sig_atomic_t used;
  char path[PATH_MAX];
};
Slot g_slots[4];
const int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

void RemoveAndStop(int signal) {
  for (Slot &slot : g_slots)
    if (slot.used) unlink(slot.path);
  // Ended by the signal, as without the handler (the status says so).
  struct sigaction plain = {};
  plain.sa_handler = SIG_DFL;
  sigaction(signal, &plain, nullptr);
  raise(signal);
}

void InstallHandlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  for (int signal : kStopSignals) {
    struct sigaction old = {};
    sigaction(signal, nullptr, &old);
    if (old.sa_handler == SIG_IGN) continue;  // ignored on purpose (nohup, a background job)
    struct sigaction handler = {};
    handler.sa_handler = RemoveAndStop;
    sigfillset(&handler.sa_mask);
    sigaction(signal, &handler, nullptr);
  }
  // Past a file-size limit the system would end the tool with SIGXFSZ and
  // leave the file; into a pipe whose reader has gone (`| head`), with
  // SIGPIPE.  Ignored, the write fails with EFBIG or EPIPE and is reported,
  // and the temporary file is removed as on any write error.
  for (int signal : {SIGXFSZ, SIGPIPE}) {
    struct sigaction old = {};
    sigaction(signal, nullptr, &old);
    if (old.sa_handler == SIG_DFL) ::signal(signal, SIG_IGN);
  }
}

// Runs `change` with the stop signals held.
template <typename Change>
void Held(Change change) {
  sigset_t stops, before;
  sigemptyset(&stops);
  for (int signal : kStopSignals) sigaddset(&stops, signal);
  sigprocmask(SIG_BLOCK, &stops, &before);
  change();
  sigprocmask(SIG_SETMASK, &before, nullptr);
}

}  // namespace

void Guard(const std::string &path) {
  InstallHandlers();
  if (path.empty() || path.size() >= PATH_MAX) return;
  Held([&] {
    for (Slot &slot : g_slots) {
      if (slot.used) continue;
      memcpy(slot.path, path.c_str(), path.size() + 1);
      slot.used = 1;
      return;
    }
  });
}

void Unguard(const std::string &path) {
  Held([&] {
    for (Slot &slot : g_slots)
      if (slot.used && path == slot.path) slot.used = 0;
  });
}

}  // namespace writer::sys

#endif  // !_WIN32
