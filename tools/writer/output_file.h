// The one way the tools write a file.  A new file is written beside its
// target under a temporary name, flushed, synced to the disk and only then
// renamed into the target's place: the target is whole or untouched, never
// half written.  The temporary file is removed on a write error (a full
// disk), when the job gives up, and when the tool is stopped (Ctrl+C,
// SIGINT, SIGTERM, SIGHUP; on Windows also the console's break and close
// events and a killed process), so that no such names pile up.
//
// The rules of a target: a file that exists is replaced only when the user
// allows it (--force), keeps its permissions, and is refused when it is
// read-only or no regular file (a pipe, a device, a folder); a symbolic
// link keeps pointing where it did and its target is replaced.  A name
// Windows keeps for a device (NUL, CON, aux.txt ...) is refused everywhere.
// Names are UTF-8; on Windows they are opened as wide text, so that Polish
// letters reach the file system whatever the ANSI code page.
//
// Output meant for standard output goes through a scratch file in the
// system's temporary folder (OpenScratch), which is copied out (CopyTo)
// once the tool knows it is good: nothing reaches standard output before.
// A file that must never be replaced, such as a log the player appends to,
// is made by CreateExclusive instead, and added to by AppendExisting.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace writer {

// What went wrong, for the tool to say in its own words.
enum class Fault : uint8_t {
  kNone,
  kDevice,        // the name is one Windows keeps for a device
  kFolder,        // the target is a folder
  kNotRegular,    // the target is a pipe, a device, a socket
  kExists,        // the target exists and may not be replaced
  kReadOnly,      // the target is read-only
  kDanglingLink,  // the target is a link to nothing
  kCreate,        // the new file cannot be made (`error` says why)
  kWrite,         // writing, flushing or syncing failed (`error` says why)
  kPlace,         // the new file cannot take the target's place
};

struct Problem {
  Fault fault = Fault::kNone;
  int error = 0;  // the system's reason as an errno value (ENOSPC ...), 0 when none
};

// Whether `error` means the disk (or the file-size limit) is full.
bool DiskFull(int error);

// Where a file will be written.
struct Target {
  std::string path;       // the file to replace or make: the link's target for a link
  bool replaces = false;  // the file exists (and --force allows replacing it)
};

// Whether `path` may be written (replacing a file there only when
// `replace`); false with the fault.  Nothing is touched.
bool CheckTarget(const std::string &path, bool replace, Target *target, Problem *problem);

// Whether two names are one file: compared by the file's identity (its
// device and index, through links), so that a hard link, a symbolic link,
// another spelling or, on Windows, another letter case is the same file.
// False when either does not exist.  "-" is a name like any other here.
bool SameFile(const std::string &a, const std::string &b);

// An output of the run that is one of its inputs: the names as given.
struct Clash {
  std::string output;
  std::string input;
};

// Whether any of `outputs` (every file the run will write, made or added
// to) is one of `inputs` (every file it reads; "-" is standard input, which
// shares a file's identity when redirected from it), by SameFile's rule;
// the first such pair in `clash`.  Empty names are passed over.  Asked
// before any work, so that no input is ever written.
bool FindClash(const std::vector<std::string> &outputs, const std::vector<std::string> &inputs, Clash *clash);

// Sets up the process for writing before anything is written: a stop
// signal removes the temporary file, and a file-size limit or a closed pipe
// (`| head`) is a write error (EFBIG, EPIPE) like any other, never the end
// of the tool.
void PrepareProcess();

// Whether this process has put any file in place (Commit, CreateExclusive,
// AppendExisting): exit status 2 says nothing was written, so text lost on
// standard output afterwards only warns.
bool WroteAny();

// Makes `path` as a new file holding `bytes`, synced; never replaces or
// empties a file of that name (kExists).  A file it made but could not
// fill is removed again.
bool CreateExclusive(const std::string &path, std::string_view bytes, Problem *problem);

// Adds `bytes` at the end of the ordinary file `path`, which exists, and
// syncs it; never makes, empties or replaces a file.  A failed write may
// leave part of the bytes behind (the file's earlier bytes stay as they
// were).  Refused like a target (a device, a folder, a pipe, read-only).
bool AppendExisting(const std::string &path, std::string_view bytes, Problem *problem);

// One output file being written.  Its bytes are kept in blocks of kBlock
// and handed to the system a block at a time; a write error is kept and
// ends every later write (Commit then reports it).
class Writer {
 public:
  static constexpr size_t kBlock = 1 << 20;

  Writer();
  ~Writer();  // an unfinished file is removed
  Writer(const Writer &) = delete;
  Writer &operator=(const Writer &) = delete;

  // A temporary file beside `target`, to take its place at Commit.
  bool Open(const Target &target, Problem *problem);
  // A scratch file in the system's temporary folder, for CopyTo.
  bool OpenScratch(Problem *problem);
  bool is_open() const;

  // Appends bytes; false once a write has failed.
  bool Write(const char *bytes, size_t size);
  bool Write(std::string_view bytes) { return Write(bytes.data(), bytes.size()); }
  bool ok() const { return problem_.fault == Fault::kNone; }
  const Problem &problem() const { return problem_; }

  // Flushes, syncs and renames the file into the target's place (with the
  // target's permissions); false with the fault, the target untouched and
  // the temporary file removed.
  bool Commit(Problem *problem);
  // A scratch file's bytes written to `stream` (as os::Write does: to a
  // Windows console as wide text), then the file removed.  False with
  // kWrite when the file or the stream failed.
  bool CopyTo(FILE *stream, Problem *problem);
  // Closes and removes the file.
  void Discard();

 private:
  bool Flush();
  bool Fail(Fault fault, int error);

  struct File;
  std::unique_ptr<File> file_;
  std::unique_ptr<char[]> block_;
  size_t used_ = 0;
  Target target_;
  Problem problem_;
};

}  // namespace writer
