// Where the bytes of a file the tools read come from: a named file, standard
// input ("-"), or a string (tests, and text already in memory).  Every file
// a tool reads is opened here, so that a name with Polish letters opens the
// same file on Windows as everywhere else (through its wide name there).
#pragma once

#include <stddef.h>
#include <stdio.h>

#include <string>

namespace reader {

// Hands out a file's bytes in chunks, front to back.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to `size` bytes; 0 at the end, or after a failed read (`failed`).
  virtual size_t Read(char *buffer, size_t size) = 0;
  bool failed = false;
};

// The bytes of a string the caller keeps alive.
class StringSource : public ByteSource {
 public:
  explicit StringSource(const std::string &bytes) : bytes_(bytes) {}
  size_t Read(char *buffer, size_t size) override;

 private:
  const std::string &bytes_;
  size_t at_ = 0;
};

// A file opened for reading, or standard input for the name "-".
class FileSource : public ByteSource {
 public:
  FileSource() = default;
  ~FileSource() override;
  FileSource(const FileSource &) = delete;
  FileSource &operator=(const FileSource &) = delete;

  // Opens `utf8Path` ("-": standard input, in binary mode); false with
  // errno's value in `error` (a folder is EISDIR).
  bool Open(const std::string &utf8Path, int *error);
  size_t Read(char *buffer, size_t size) override;
  // The size of an open regular file, 0 for anything else (a pipe, standard
  // input): room for the whole file can then be made at once.
  size_t SizeHint() const;

 private:
  FILE *file_ = nullptr;
  bool standardInput_ = false;
};

// The name standard input goes by on the command line.
inline bool IsStandardInput(const std::string &path) { return path == "-"; }

// A whole file's bytes, as they are (the key definitions, the host's
// settings, a macro to play): false with errno's value in `error` (EIO for a
// failed read).  `limit` bounds what is kept: a longer file fails with
// EFBIG rather than taking all memory.
bool ReadAllBytes(const std::string &utf8Path, std::string *bytes, int *error,
                  size_t limit = static_cast<size_t>(-1));

}  // namespace reader
