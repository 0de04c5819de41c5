// Whether a target may be written: the rules of output_file.h, looked at
// before any work is done.
#include <errno.h>

#include <filesystem>
#include <system_error>

#include "tools/writer/device_name.h"
#include "tools/writer/file_system.h"
#include "tools/writer/output_file.h"

namespace writer {

namespace fs = std::filesystem;

namespace {

// UTF-8 names as the file system's own (wide text on Windows).
fs::path PathOf(const std::string &utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string Utf8Of(const fs::path &path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

bool Refuse(Fault fault, Problem *problem) {
  problem->fault = fault;
  problem->error = 0;
  return false;
}

}  // namespace

bool DiskFull(int error) { return error == ENOSPC || error == EFBIG; }

bool SameFile(const std::string &a, const std::string &b) {
  sys::FileId first, second;
  return sys::IdentityOf(a, &first) && sys::IdentityOf(b, &second) && first == second;
}

bool FindClash(const std::vector<std::string> &outputs, const std::vector<std::string> &inputs, Clash *clash) {
  for (const std::string &output : outputs) {
    sys::FileId written;
    if (!sys::IdentityOf(output, &written)) continue;  // made new: no input can be it
    for (const std::string &input : inputs) {
      sys::FileId read;
      const bool known = input == "-" ? sys::IdentityOfStandardInput(&read) : sys::IdentityOf(input, &read);
      if (!known || !(read == written)) continue;
      *clash = {output, input};
      return true;
    }
  }
  return false;
}

void PrepareProcess() { sys::Guard(std::string()); }

bool CheckTarget(const std::string &path, bool replace, Target *target, Problem *problem) {
  *target = Target();
  *problem = Problem();
  target->path = path;
  if (IsDeviceName(path)) return Refuse(Fault::kDevice, problem);
  std::error_code code;
  const fs::path name = PathOf(path);
  if (fs::is_symlink(fs::symlink_status(name, code))) {
    const fs::path resolved = fs::canonical(name, code);
    if (code) return Refuse(Fault::kDanglingLink, problem);
    target->path = Utf8Of(resolved);
    if (IsDeviceName(target->path)) return Refuse(Fault::kDevice, problem);
  }
  const fs::file_status status = fs::status(PathOf(target->path), code);
  if (!fs::exists(status)) return true;
  if (fs::is_directory(status)) return Refuse(Fault::kFolder, problem);
  if (!fs::is_regular_file(status)) return Refuse(Fault::kNotRegular, problem);
  if (!replace) return Refuse(Fault::kExists, problem);
  if ((status.permissions() & fs::perms::owner_write) == fs::perms::none)
    return Refuse(Fault::kReadOnly, problem);
  target->replaces = true;
  return true;
}

}  // namespace writer
