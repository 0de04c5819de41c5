// The simulated host's files: in memory, known by their wide path, opened
// through handles as the host's C runtime opens them.
//
// Open creates a file only for a mode beginning with 'w' (afresh) or 'a'
// (when missing; writes go to the end), as the recorder opens its file; the
// player's "rt" and "rt+" never create.  A failed open gives handle 0 with
// errno / _doserrno set as the runtime sets them.  Each
// handle has its own position.  A file in text mode reads CR LF as LF and
// writes LF as CR LF; a binary file keeps every byte.  Writing replaces the
// bytes at the handle's position (a file opened "rt+" and sought to its end
// appends) and needs a mode with '+'.
#pragma once

#include <errno.h>
#include <stdint.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "plugin/contract/host_api.h"

namespace sim {

class Files {
 public:
  // ---- The files ------------------------------------------------------------
  // Adds or replaces the file at `path` (handles open on an old file keep it).
  void Add(const std::u16string &path, const std::string &content, bool textMode = false);
  // The same without a copy: the file reads `content` itself, which the
  // caller keeps unchanged until the file is removed (a write to the file
  // first takes a copy of its own).  For a large macro played once.
  void AddBorrowed(const std::u16string &path, const std::string &content, bool textMode = false);
  // Sets the bytes of an existing file in place, for handles open on it too.
  void SetContent(const std::u16string &path, const std::string &content);
  // Forgets a file; a handle still open on it reads nothing from then on.
  void Remove(const std::u16string &path);
  bool Exists(const std::u16string &path) const;
  // The bytes of a file as they stand on disk, or null when there is none.
  const std::string *Content(const std::u16string &path) const;
  // Everything written to a file through handles, as it went to disk.
  std::string Written(const std::u16string &path) const;

  // ---- Handles ----------------------------------------------------------------
  // Opens `path`; the handle, or 0 with errno and _doserrno set.  With `at`
  // the handle is that number (a host of fixed handles); otherwise the next
  // one (handles given out that way are never given out twice).
  HostFile Open(const std::u16string &path, const std::u16string &mode, HostFile at = 0);
  bool IsOpen(HostFile handle) const;
  // Whether a handle is open on `path`; the mode and position of the last
  // handle opened on it.
  bool IsOpen(const std::u16string &path) const;
  std::string Mode(const std::u16string &path) const;
  size_t Position(const std::u16string &path) const;

  // fgetc: the byte or -1; `offset` (when given) gets where it stood.
  int32_t Getc(HostFile handle, int64_t *offset = nullptr);
  // fgets: at most size - 1 bytes, through the line feed, and a zero; null
  // at the end.  `start` (when given) gets where the line began, `stored`
  // how many bytes went into the buffer (a line may hold zero bytes).
  char *Gets(char *buffer, int32_t size, HostFile handle, int64_t *start = nullptr,
             size_t *stored = nullptr);
  // fseek with origin 0, 1 or 2; -1 for a closed handle or a place before 0.
  int32_t Seek(HostFile handle, int32_t offset, int32_t origin);
  int32_t Rewind(HostFile handle);
  // Writes `text`; its length, or -1 on a closed or read-only handle.
  int32_t Write(HostFile handle, const std::string &text);
  int32_t Flush(HostFile handle) const;
  int32_t Close(HostFile handle);

  // A disk that takes nothing more: every write and flush fails.
  bool failWrites = false;
  // A folder where no file can be made: "w" and "a" opens of a missing file fail.
  bool failCreate = false;

  // errno and _doserrno after a failed open.
  int openErrno = ENOENT;
  int openDosErrno = 2;

 private:
  struct File {
    std::string content;
    const std::string *borrowed = nullptr;  // read in place of `content` (AddBorrowed)
    std::string written;
    bool textMode = false;
    const std::string &Bytes() const { return borrowed != nullptr ? *borrowed : content; }
    std::string &Own() {
      if (borrowed != nullptr) content = *borrowed;
      borrowed = nullptr;
      return content;
    }
  };
  struct Handle {
    std::shared_ptr<File> file;  // null when closed
    std::u16string path;
    std::string mode;
    size_t position = 0;
    bool writable = false;
  };
  Handle *Find(HostFile handle);
  const Handle *LastOn(const std::u16string &path) const;
  int32_t ReadByte(Handle &open, int64_t &offset);

  std::map<std::u16string, std::shared_ptr<File>> files_;
  std::vector<Handle> handles_;  // handle h is handles_[h - 1]
};

}  // namespace sim
