#include "sim/sim_files.h"

#include <string.h>

#include <algorithm>

#include "plugin/platform/platform.h"
#include "sim/sim_text.h"

namespace sim {

void Files::Add(const std::u16string &path, const std::string &content, bool textMode) {
  auto file = std::make_shared<File>();
  file->content = content;
  file->textMode = textMode;
  files_[path] = std::move(file);
}

void Files::AddBorrowed(const std::u16string &path, const std::string &content, bool textMode) {
  auto file = std::make_shared<File>();
  file->borrowed = &content;
  file->textMode = textMode;
  files_[path] = std::move(file);
}

void Files::SetContent(const std::u16string &path, const std::string &content) {
  auto it = files_.find(path);
  if (it == files_.end())
    Add(path, content);
  else
    it->second->Own() = content;
}

void Files::Remove(const std::u16string &path) {
  auto it = files_.find(path);
  if (it == files_.end()) return;
  it->second->content.clear();
  it->second->borrowed = nullptr;
  files_.erase(it);
}

bool Files::Exists(const std::u16string &path) const { return files_.count(path) != 0; }

const std::string *Files::Content(const std::u16string &path) const {
  auto it = files_.find(path);
  return it == files_.end() ? nullptr : &it->second->Bytes();
}

std::string Files::Written(const std::u16string &path) const {
  auto it = files_.find(path);
  return it == files_.end() ? std::string() : it->second->written;
}

HostFile Files::Open(const std::u16string &path, const std::u16string &mode, HostFile at) {
  // "w..." makes the file afresh and "a..." makes a missing one, as the
  // runtime does; "r..." never creates.
  bool creates = !mode.empty() && (mode[0] == u'w' || mode[0] == u'a');
  if (creates && !failCreate && (mode[0] == u'w' || files_.count(path) == 0))
    Add(path, std::string(), mode.find(u'b') == std::u16string::npos);
  auto it = files_.find(path);
  if (it == files_.end()) {
    errno = openErrno;
    _doserrno = openDosErrno;
    return 0;
  }
  HostFile handle = at != 0 ? at : static_cast<HostFile>(handles_.size() + 1);
  if (handles_.size() < handle) handles_.resize(handle);
  Handle &open = handles_[handle - 1];
  open.file = it->second;
  open.path = path;
  open.mode = Narrow(mode);
  open.position = !mode.empty() && mode[0] == u'a' ? it->second->Bytes().size() : 0;
  open.writable = creates || mode.find(u'+') != std::u16string::npos;
  return handle;
}

Files::Handle *Files::Find(HostFile handle) {
  if (handle == 0 || handle > handles_.size()) return nullptr;
  Handle &open = handles_[handle - 1];
  return open.file ? &open : nullptr;
}

bool Files::IsOpen(HostFile handle) const {
  return handle != 0 && handle <= handles_.size() && handles_[handle - 1].file != nullptr;
}

const Files::Handle *Files::LastOn(const std::u16string &path) const {
  for (auto it = handles_.rbegin(); it != handles_.rend(); ++it)
    if (it->path == path && !it->mode.empty()) return &*it;
  return nullptr;
}

bool Files::IsOpen(const std::u16string &path) const {
  for (const Handle &open : handles_)
    if (open.file && open.path == path) return true;
  return false;
}

std::string Files::Mode(const std::u16string &path) const {
  const Handle *open = LastOn(path);
  return open ? open->mode : std::string();
}

size_t Files::Position(const std::u16string &path) const {
  const Handle *open = LastOn(path);
  return open ? open->position : 0;
}

// The next byte as the reader sees it: in text mode a carriage return right
// before a line feed is not seen.
int32_t Files::ReadByte(Handle &open, int64_t &offset) {
  const std::string &content = open.file->Bytes();
  if (open.position >= content.size()) {
    offset = static_cast<int64_t>(content.size());
    return -1;
  }
  if (open.file->textMode && content[open.position] == '\r' &&
      open.position + 1 < content.size() && content[open.position + 1] == '\n')
    ++open.position;
  offset = static_cast<int64_t>(open.position);
  return static_cast<uint8_t>(content[open.position++]);
}

int32_t Files::Getc(HostFile handle, int64_t *offset) {
  Handle *open = Find(handle);
  if (open == nullptr) return -1;
  int64_t at = 0;
  int32_t byte = ReadByte(*open, at);
  if (offset != nullptr) *offset = at;
  return byte;
}

char *Files::Gets(char *buffer, int32_t size, HostFile handle, int64_t *start, size_t *stored) {
  Handle *open = Find(handle);
  if (open == nullptr || buffer == nullptr || size <= 0) return nullptr;
  if (open->position >= open->file->Bytes().size()) return nullptr;
  if (start != nullptr) *start = static_cast<int64_t>(open->position);
  const std::string &content = open->file->Bytes();
  int32_t n = 0;
  if (!open->file->textMode) {
    // A binary file: the bytes through the line feed at once.
    size_t room = std::min(static_cast<size_t>(size - 1), content.size() - open->position);
    const char *from = content.data() + open->position;
    const void *lineFeed = memchr(from, '\n', room);
    n = static_cast<int32_t>(lineFeed ? static_cast<const char *>(lineFeed) - from + 1 : room);
    memcpy(buffer, from, static_cast<size_t>(n));
    open->position += static_cast<size_t>(n);
  } else {
    while (n < size - 1) {
      int64_t offset = 0;
      int32_t byte = ReadByte(*open, offset);
      if (byte < 0) break;
      buffer[n++] = static_cast<char>(byte);
      if (byte == '\n') break;
    }
  }
  buffer[n] = 0;
  if (stored != nullptr) *stored = static_cast<size_t>(n);
  return buffer;
}

int32_t Files::Seek(HostFile handle, int32_t offset, int32_t origin) {
  Handle *open = Find(handle);
  if (open == nullptr) return -1;
  int64_t base = origin == 2   ? static_cast<int64_t>(open->file->Bytes().size())
                 : origin == 1 ? static_cast<int64_t>(open->position)
                               : 0;
  int64_t target = base + offset;
  if (target < 0) return -1;
  open->position = static_cast<size_t>(target);
  return 0;
}

int32_t Files::Rewind(HostFile handle) { return Seek(handle, 0, 0); }

int32_t Files::Write(HostFile handle, const std::string &text) {
  Handle *open = Find(handle);
  if (open == nullptr || !open->writable || failWrites) return -1;
  std::string bytes;
  bytes.reserve(text.size());
  for (char c : text) {
    if (c == '\n' && open->file->textMode) bytes += '\r';
    bytes += c;
  }
  std::string &content = open->file->Own();
  if (open->position > content.size()) content.resize(open->position, '\0');
  content.replace(open->position, bytes.size(), bytes);
  open->position += bytes.size();
  open->file->written += bytes;
  return static_cast<int32_t>(text.size());
}

int32_t Files::Flush(HostFile handle) const {
  if (!IsOpen(handle)) return -1;
  return failWrites ? -1 : 0;
}

int32_t Files::Close(HostFile handle) {
  Handle *open = Find(handle);
  if (open == nullptr) return -1;
  open->file.reset();
  return 0;
}

}  // namespace sim
