#include "tools/writer/output_file.h"

#include <errno.h>
#include <string.h>

#include "tools/os/console.h"
#include "tools/writer/device_name.h"
#include "tools/writer/file_system.h"

namespace writer {

// The file open now: its name, and whether it is a scratch file.
struct Writer::File {
  sys::Handle handle = sys::kNoHandle;
  std::string name;
  bool scratch = false;
};

namespace {

// Tries names from `stem` + "0.tmp" on until one is free.  An earlier
// tool's file left by a power cut only moves the name on.
sys::Handle CreateTemporary(const std::string &stem, std::string *name, int *error) {
  for (int n = 0; n < 100; ++n) {
    *name = stem + std::to_string(n) + ".tmp";
    sys::Handle handle = sys::CreateNew(*name, true, error);
    if (handle != sys::kNoHandle || *error != EEXIST) return handle;
  }
  return sys::kNoHandle;
}

bool g_wroteAny = false;

}  // namespace

bool WroteAny() { return g_wroteAny; }

Writer::Writer() = default;

Writer::~Writer() { Discard(); }

bool Writer::is_open() const { return file_ != nullptr; }

bool Writer::Open(const Target &target, Problem *problem) {
  Discard();
  target_ = target;
  problem_ = Problem();
  auto file = std::make_unique<File>();
  int error = 0;
  file->handle = CreateTemporary(target.path + ".tastiro-", &file->name, &error);
  if (file->handle == sys::kNoHandle) {
    *problem = {Fault::kCreate, error};
    return false;
  }
  sys::Guard(file->name);
  file_ = std::move(file);
  block_ = std::make_unique<char[]>(kBlock);
  used_ = 0;
  return true;
}

bool Writer::OpenScratch(Problem *problem) {
  Discard();
  target_ = Target();
  problem_ = Problem();
  auto file = std::make_unique<File>();
  file->scratch = true;
  int error = 0;
  const std::string stem = sys::TemporaryFolder() + "tastiro-" + std::to_string(sys::ProcessId()) + "-";
  file->handle = CreateTemporary(stem, &file->name, &error);
  if (file->handle == sys::kNoHandle) {
    *problem = {Fault::kCreate, error};
    return false;
  }
  // Read back through the open file only: on POSIX its name goes at once,
  // on Windows with the last handle.
#if !defined(_WIN32)
  sys::Remove(file->name);
#endif
  file_ = std::move(file);
  block_ = std::make_unique<char[]>(kBlock);
  used_ = 0;
  return true;
}

bool Writer::Fail(Fault fault, int error) {
  if (problem_.fault == Fault::kNone) problem_ = {fault, error};
  return false;
}

bool Writer::Flush() {
  if (!ok() || used_ == 0) return ok();
  int error = 0;
  const bool written = sys::WriteAll(file_->handle, block_.get(), used_, &error);
  used_ = 0;
  return written || Fail(Fault::kWrite, error);
}

bool Writer::Write(const char *bytes, size_t size) {
  if (file_ == nullptr || !ok()) return false;
  if (used_ + size <= kBlock) {
    memcpy(block_.get() + used_, bytes, size);
    used_ += size;
    return true;
  }
  if (!Flush()) return false;
  if (size >= kBlock) {
    // A long run goes to the system as it is, not through the block.
    int error = 0;
    return sys::WriteAll(file_->handle, bytes, size, &error) || Fail(Fault::kWrite, error);
  }
  memcpy(block_.get(), bytes, size);
  used_ = size;
  return true;
}

bool Writer::Commit(Problem *problem) {
  int error = 0;
  if (file_ == nullptr || file_->scratch) Fail(Fault::kWrite, EBADF);
  if (Flush() && !sys::Sync(file_->handle, &error)) Fail(Fault::kWrite, error);
  if (ok() && !sys::TakeMode(file_->handle, target_.replaces ? target_.path : std::string(), &error))
    Fail(Fault::kWrite, error);
  if (ok() && !sys::Keep(file_->handle, &error)) Fail(Fault::kPlace, error);
  // Renamed while still open: on Windows the file is never without its
  // delete mark and closed, and a close that fails is a write that failed.
  if (ok() && !sys::Place(file_->name, target_.path, target_.replaces, &error))
    Fail(error == EEXIST ? Fault::kExists : Fault::kPlace, error);
  const bool placed = ok();
  if (!sys::Close(file_->handle, &error) && placed) Fail(Fault::kWrite, error);
  file_->handle = sys::kNoHandle;
  if (placed) {
    sys::Unguard(file_->name);
    file_.reset();
    g_wroteAny = true;
  }
  *problem = problem_;
  if (ok()) return true;
  Discard();
  return false;
}

void Writer::Discard() {
  block_.reset();
  used_ = 0;
  if (file_ == nullptr) return;
  int ignored = 0;
  if (file_->handle != sys::kNoHandle) sys::Close(file_->handle, &ignored);
  sys::Remove(file_->name);
  sys::Unguard(file_->name);
  file_.reset();
}

bool Writer::CopyTo(FILE *stream, Problem *problem) {
  int error = 0;
  if (file_ == nullptr || !file_->scratch) Fail(Fault::kWrite, EBADF);
  if (Flush() && !sys::Rewind(file_->handle, &error)) Fail(Fault::kWrite, error);
  std::string carry;  // a line's start, kept for the next piece
  for (size_t got = 1; ok() && got > 0;) {
    if (!sys::ReadSome(file_->handle, block_.get(), kBlock, &got, &error)) {
      Fail(Fault::kWrite, error);
      break;
    }
    // Whole lines at a time, so that a console's wide text never splits a
    // letter (but never more than a block kept).
    const std::string_view piece(block_.get(), got);
    size_t end = piece.rfind('\n') + 1;  // 0 without a line break
    if (end == 0 && carry.size() + got > kBlock) end = got;
    carry.append(piece.substr(0, end));
    errno = 0;
    if (end > 0 && !os::Write(stream, carry)) Fail(Fault::kWrite, errno != 0 ? errno : EIO);
    if (end > 0) carry.clear();
    carry.append(piece.substr(end));
  }
  errno = 0;
  if (ok() && !carry.empty() && !os::Write(stream, carry)) Fail(Fault::kWrite, errno != 0 ? errno : EIO);
  errno = 0;
  if (fflush(stream) != 0 || ferror(stream)) Fail(Fault::kWrite, errno != 0 ? errno : EIO);
  *problem = problem_;
  const bool copied = ok();
  Discard();
  return copied;
}

bool CreateExclusive(const std::string &path, std::string_view bytes, Problem *problem) {
  *problem = Problem();
  if (IsDeviceName(path)) {
    problem->fault = Fault::kDevice;
    return false;
  }
  int error = 0;
  sys::Handle file = sys::CreateNew(path, false, &error);
  if (file == sys::kNoHandle) {
    *problem = {error == EEXIST ? Fault::kExists : Fault::kCreate, error};
    return false;
  }
  bool ok = sys::WriteAll(file, bytes.data(), bytes.size(), &error) && sys::Sync(file, &error) &&
            sys::TakeMode(file, std::string(), &error);
  ok = sys::Close(file, &error) && ok;
  g_wroteAny = g_wroteAny || ok;
  if (ok) return true;
  // Ours, and holding only part of its bytes: made again by the next run.
  sys::Remove(path);
  *problem = {Fault::kWrite, error};
  return false;
}

bool AppendExisting(const std::string &path, std::string_view bytes, Problem *problem) {
  Target target;
  if (!CheckTarget(path, true, &target, problem)) {
    if (problem->fault == Fault::kReadOnly) problem->error = EACCES;
    if (problem->fault == Fault::kFolder) problem->error = EISDIR;
    return false;
  }
  int error = 0;
  sys::Handle file = sys::OpenToAppend(target.path, &error);
  if (file == sys::kNoHandle) {
    *problem = {Fault::kCreate, error};
    return false;
  }
  bool ok = sys::WriteAll(file, bytes.data(), bytes.size(), &error) && sys::Sync(file, &error);
  ok = sys::Close(file, &error) && ok;
  g_wroteAny = g_wroteAny || ok;
  if (!ok) *problem = {Fault::kWrite, error};
  return ok;
}

}  // namespace writer
