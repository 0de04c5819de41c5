// The writer's system calls on Windows, through the wide API.
#if defined(_WIN32)

#include <errno.h>
#include <string.h>
#include <windows.h>

#include "tools/writer/file_system.h"

namespace writer::sys {

namespace {

HANDLE Native(Handle file) { return reinterpret_cast<HANDLE>(file); }

std::wstring Wide(const std::string &utf8) {
  if (utf8.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
  return wide;
}

// The errno value the tools name a Windows error by.
int Errno(DWORD error) {
  switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return EACCES;
    default:
      return EIO;
  }
}

bool Failed(int *error) {
  *error = Errno(GetLastError());
  return false;
}

// Marks the file to be removed when its last handle closes (or clears the
// mark).  Unlike FILE_FLAG_DELETE_ON_CLOSE this can be taken back.
bool SetDeletion(HANDLE file, bool remove) {
  FILE_DISPOSITION_INFO disposition;
  disposition.DeleteFile = remove ? TRUE : FALSE;
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

}  // namespace

Handle CreateNew(const std::string &path, bool temporary, int *error) {
  // Shared for deletion only: MoveFileExW renames it while it is open.
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_DELETE,
                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Failed(error);
    return kNoHandle;
  }
  // Gone with the process whatever ends it: Ctrl+C, Ctrl+Break, the console
  // window closed, the process killed.  The console's handler runs on a
  // thread of its own; with the mark set, nothing there needs doing.
  if (temporary) SetDeletion(file, true);
  return reinterpret_cast<Handle>(file);
}

Handle OpenToAppend(const std::string &path, int *error) {
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Failed(error);
    return kNoHandle;
  }
  LARGE_INTEGER end = {};
  if (GetFileType(file) != FILE_TYPE_DISK || !SetFilePointerEx(file, end, nullptr, FILE_END)) {
    *error = EINVAL;
    CloseHandle(file);
    return kNoHandle;
  }
  return reinterpret_cast<Handle>(file);
}

bool WriteAll(Handle file, const char *bytes, size_t size, int *error) {
  while (size > 0) {
    const DWORD piece = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(Native(file), bytes, piece, &written, nullptr) || written == 0) return Failed(error);
    bytes += written;
    size -= written;
  }
  return true;
}

bool ReadSome(Handle file, char *bytes, size_t size, size_t *got, int *error) {
  DWORD read = 0;
  const DWORD piece = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
  *got = 0;
  if (!ReadFile(Native(file), bytes, piece, &read, nullptr)) return Failed(error);
  *got = read;
  return true;
}

bool Rewind(Handle file, int *error) {
  LARGE_INTEGER start = {};
  return SetFilePointerEx(Native(file), start, nullptr, FILE_BEGIN) != 0 || Failed(error);
}

bool Sync(Handle file, int *error) { return FlushFileBuffers(Native(file)) != 0 || Failed(error); }

bool Keep(Handle file, int *error) { return SetDeletion(Native(file), false) || Failed(error); }

bool TakeMode(Handle, const std::string &, int *) { return true; }

bool Close(Handle file, int *error) { return CloseHandle(Native(file)) != 0 || Failed(error); }

bool Place(const std::string &from, const std::string &to, bool replace, int *error) {
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), flags) != 0 || Failed(error);
}

void Remove(const std::string &path) { DeleteFileW(Wide(path).c_str()); }

namespace {

// The volume's serial number and the file's index.  FileIdInfo first (its
// 128-bit index, which ReFS needs; and Wine answers it for a standard input
// redirected from a file, where GetFileInformationByHandle fails), else
// GetFileInformationByHandle (Windows 7, some file systems).  The two
// number a volume differently, so the way is part of the identity.
bool IdentityOfHandle(HANDLE file, FileId *id) {
  if (GetFileType(file) != FILE_TYPE_DISK) return false;
  FILE_ID_INFO ids;
  if (GetFileInformationByHandleEx(file, FileIdInfo, &ids, sizeof ids)) {
    uint64_t low = 0, high = 0;
    memcpy(&low, ids.FileId.Identifier, 8);
    memcpy(&high, ids.FileId.Identifier + 8, 8);
    id->device = ids.VolumeSerialNumber;
    id->index = low ^ (high * 0x9E3779B97F4A7C15ull);  // NTFS: high is 0
    id->way = 1;
    return true;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return false;
  id->device = info.dwVolumeSerialNumber;
  id->index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  id->way = 2;
  return true;
}

}  // namespace

bool IdentityOf(const std::string &path, FileId *id) {
  if (path.empty()) return false;
  // No access asked, shared every way: only the file's information is read.
  // A folder needs the backup flag; a symbolic link is followed.
  HANDLE file = CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = IdentityOfHandle(file, id);
  CloseHandle(file);
  return known;
}

bool IdentityOfStandardInput(FileId *id) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  return input != nullptr && input != INVALID_HANDLE_VALUE && IdentityOfHandle(input, id);
}

std::string TemporaryFolder() {
  wchar_t folder[MAX_PATH + 2];
  const DWORD n = GetTempPathW(MAX_PATH + 2, folder);
  if (n == 0 || n > MAX_PATH + 1) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, folder, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, folder, static_cast<int>(n), &utf8[0], size, nullptr, nullptr);
  return utf8;
}

unsigned long ProcessId() { return GetCurrentProcessId(); }

void Guard(const std::string &) {}
void Unguard(const std::string &) {}

}  // namespace writer::sys

#endif  // _WIN32
