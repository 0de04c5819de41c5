// A scratch file for output that must not reach its target before it is
// checked: the merge's macro for standard output is written here, checked,
// and only then copied out, so that nothing reaches standard output when the
// check fails.  The file has no name while it is used (deleted at once
// elsewhere, opened delete-on-close on Windows), so nothing is left behind
// however the tool ends.
#pragma once

#include <stdio.h>

#include <string>

namespace output {

class Spool {
 public:
  Spool() = default;
  ~Spool();
  Spool(const Spool &) = delete;
  Spool &operator=(const Spool &) = delete;

  // Creates the file in the system's folder for temporary files; false with
  // the reason.
  bool Open(std::string *error);
  FILE *file() const { return file_; }
  // Everything written so far, copied to `out` (to a Windows console as
  // wide text, whole characters at a time); false on a read or write error.
  bool CopyTo(FILE *out);

 private:
  FILE *file_ = nullptr;
};

}  // namespace output
