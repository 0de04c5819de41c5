// The files the host opens for plug-ins, over the C runtime.  Handles are
// small numbers never given out twice, so a stale or made-up handle finds
// no file instead of another one.
#pragma once

#include <stdio.h>

#include <utility>
#include <vector>

#include "plugin/contract/host_api.h"

namespace volmar {

class HostFiles {
 public:
  ~HostFiles();
  // HostFileOpenW: _wfsopen with the mode and the share flag (0x40 lets
  // others read and write).  Mode "rt+" opens only a file that exists.  On
  // failure returns 0 with errno and _doserrno as the runtime left them.
  HostFile Open(const wchar_t *path, const wchar_t *mode, int32_t share);
  // Inline: a macro's file is looked up for every byte it plays.
  FILE *Get(HostFile file) const {
    for (const auto &entry : files_)
      if (entry.first == file) return entry.second;
    return nullptr;
  }
  // Closes the file and forgets the handle; -1 for an unknown handle.
  int32_t Close(HostFile file);
  size_t OpenCount() const { return files_.size(); }
  // Files opened to be written from scratch or appended to (a mode beginning
  // with 'w' or 'a'): what a recording plug-in holds.  A macro ("rt") and its
  // log ("rt+") are not among them.
  size_t WritingCount() const { return writing_.size(); }

 private:
  // The open files in the order they were opened (so by handle).  A
  // plug-in holds two or three at a time and reads one of them for every
  // key it plays: a short list searched from the front beats a tree.
  std::vector<std::pair<HostFile, FILE *>> files_;
  std::vector<HostFile> writing_;
  HostFile next_ = 1;
};

}  // namespace volmar
