// Where the merged macro goes: standard output, or a file that is written
// whole or not at all (a new file beside it, then renamed into its place).
//
// A file that exists is replaced only when the user allows it (--force),
// keeps its permissions, and is refused when it is read-only or no regular
// file (a pipe, a device, a folder); a symbolic link keeps pointing where it
// did and its target is replaced.
#pragma once

#include <stdio.h>

#include <string>

namespace merge {

struct OutputTarget {
  std::string path;       // the file to replace: the link's target for a link
  bool replaces = false;  // the file exists
};

// Whether the merge may write `path`; false with a message naming the
// reason.  Nothing is touched.
bool CheckOutput(const std::string &path, bool force, OutputTarget *target, std::string *error);

// A new file beside the target, open for writing.
class TemporaryOutput {
 public:
  ~TemporaryOutput();
  bool Open(const OutputTarget &target, std::string *error);
  FILE *file() const { return file_; }
  // Closes the file and renames it into the target's place (with the
  // target's permissions); false with a message, the target untouched.
  bool Commit(std::string *error);
  // Closes and removes the file.
  void Discard();

 private:
  OutputTarget target_;
  std::string temporary_;
  FILE *file_ = nullptr;
};

}  // namespace merge
