// The system's side of the writer: one set of calls with a POSIX body
// (file_posix.cpp) and a Windows one (file_win32.cpp).  Errors come back as
// errno values on both, so that the tools name them one way.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

namespace writer::sys {

// An open file: a descriptor, or a Windows handle.
using Handle = intptr_t;
inline constexpr Handle kNoHandle = -1;

// Creates `path` as a new file (never over one), readable and writable by
// its owner only.  With `temporary` it is gone when the process ends before
// Keep: on Windows its delete disposition is set, so that the system
// removes it whatever ends the process; elsewhere Guard removes it on a
// stop signal.
Handle CreateNew(const std::string &path, bool temporary, int *error);
// Opens an ordinary file that exists to write at its end; never makes one.
Handle OpenToAppend(const std::string &path, int *error);
bool WriteAll(Handle file, const char *bytes, size_t size, int *error);
// Reads up to `size` bytes; *got 0 at the end.
bool ReadSome(Handle file, char *bytes, size_t size, size_t *got, int *error);
bool Rewind(Handle file, int *error);
// Flushes the file to the disk.
bool Sync(Handle file, int *error);
// Lets a temporary file outlive the process (clears its delete disposition).
bool Keep(Handle file, int *error);
// Gives the file the permissions of `like` (an existing file), or of a new
// file when `like` is empty.  Nothing on Windows, where the folder's apply.
bool TakeMode(Handle file, const std::string &like, int *error);
bool Close(Handle file, int *error);
// Renames `from` to `to`, replacing a file there only when `replace`
// (else kept: EEXIST), and syncs the folder.
bool Place(const std::string &from, const std::string &to, bool replace, int *error);
void Remove(const std::string &path);

// Who a file is, whatever its name: the device and the index of the file
// on it (on POSIX st_dev and st_ino; on Windows the volume's serial number
// and the file index), so that a hard link, a symbolic link or another
// spelling of a name is seen to be the same file.
struct FileId {
  uint64_t device = 0;
  uint64_t index = 0;
  int way = 0;  // how Windows told them (file_win32.cpp); 0 elsewhere
  // On Windows a volume numbered 0 is one Windows could not name (Wine's
  // standard input redirected from a file): its index alone decides, which
  // errs on the side of refusing a write.
  bool operator==(const FileId &other) const {
    const bool unnamed = way != 0 && (device == 0 || other.device == 0);
    return (device == other.device || unnamed) && index == other.index && way == other.way;
  }
};
// The identity of the file `path` names, through links; false when it
// names none (or cannot be looked at).
bool IdentityOf(const std::string &path, FileId *id);
// The identity of the file standard input reads from; false for a pipe, a
// terminal or a console (which no name can share).
bool IdentityOfStandardInput(FileId *id);

// The system's folder for temporary files, with a trailing separator.
std::string TemporaryFolder();
unsigned long ProcessId();

// A temporary file removed if a stop signal (SIGINT, SIGTERM, SIGHUP)
// ends the tool before Unguard; a file-size limit and a closed pipe turn
// into write errors (EFBIG, EPIPE) instead of ending the tool.  An empty
// `path` only sets that up.  Nothing on Windows (see CreateNew).
void Guard(const std::string &path);
void Unguard(const std::string &path);

}  // namespace writer::sys
