#include "tools/os/console.h"

#include <ctype.h>
#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#else
#include <unistd.h>
#endif

namespace os {

namespace {

// A console write that failed, for Flush: such a write leaves no error on
// the C library's stream.
bool g_lost[2] = {false, false};

bool Lost(FILE *stream) {
  if (stream == stdout) g_lost[0] = true;
  if (stream == stderr) g_lost[1] = true;
  return false;
}

}  // namespace

bool Flush(FILE *stream) {
  const bool lost = (stream == stdout && g_lost[0]) || (stream == stderr && g_lost[1]);
  return fflush(stream) == 0 && ferror(stream) == 0 && !lost;
}

#if defined(_WIN32)

namespace {

std::wstring Wide(const std::string &utf8) {
  if (utf8.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
  return wide;
}

std::string Narrow(const wchar_t *wide) {
  int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string utf8(static_cast<size_t>(n - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, &utf8[0], n, nullptr, nullptr);
  return utf8;
}

HANDLE HandleOf(FILE *stream) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode) != 0;
}

// The consoles whose mode was changed, to be put back at exit.
struct SavedMode {
  HANDLE handle = nullptr;
  DWORD mode = 0;
};
SavedMode g_saved[2];

void RestoreModes() {
  for (SavedMode &saved : g_saved)
    if (saved.handle != nullptr) SetConsoleMode(saved.handle, saved.mode);
}

// Whether `stream` is a console; asked once for stdout and stderr (a dry
// run writes a line for each row).
bool StreamIsConsole(FILE *stream) {
  static int known[2] = {-1, -1};
  int *cached = stream == stdout ? &known[0] : stream == stderr ? &known[1] : nullptr;
  if (cached != nullptr && *cached >= 0) return *cached != 0;
  const bool console = IsConsole(HandleOf(stream));
  if (cached != nullptr) *cached = console ? 1 : 0;
  return console;
}

}  // namespace

bool Write(FILE *stream, const std::string &utf8) {
  if (!StreamIsConsole(stream))
    return fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size() || Lost(stream);
  HANDLE handle = HandleOf(stream);
  fflush(stream);
  const std::wstring wide = Wide(utf8);
  // In pieces: old consoles refuse very long writes.
  for (size_t at = 0; at < wide.size();) {
    DWORD piece = static_cast<DWORD>(wide.size() - at < 8192 ? wide.size() - at : 8192);
    DWORD written = 0;
    if (!WriteConsoleW(handle, wide.data() + at, piece, &written, nullptr) || written == 0)
      return Lost(stream);
    at += written;
  }
  return true;
}

bool TakesColor(FILE *stream) {
  if (!StreamIsConsole(stream)) return false;
  HANDLE handle = HandleOf(stream);
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr || !GetConsoleMode(handle, &mode))
    return false;
  const DWORD kVirtualTerminal = 0x0004;  // ENABLE_VIRTUAL_TERMINAL_PROCESSING
  if (mode & kVirtualTerminal) return true;
  if (!SetConsoleMode(handle, mode | kVirtualTerminal)) return false;
  // A console that accepts the mode but does not keep it takes no escapes.
  DWORD now = 0;
  if (!GetConsoleMode(handle, &now) || !(now & kVirtualTerminal)) {
    SetConsoleMode(handle, mode);
    return false;
  }
  SavedMode &saved = g_saved[stream == stderr ? 1 : 0];
  if (saved.handle == nullptr) {
    saved.handle = handle;
    saved.mode = mode;
    atexit(RestoreModes);
  }
  return true;
}

bool OwnConsoleWindow() {
  // Only this process on the console, and the user at it: a command window
  // would be a second process, a script's pipes no console.
  DWORD processes[4];
  return GetConsoleProcessList(processes, 4) == 1 && IsConsole(GetStdHandle(STD_OUTPUT_HANDLE)) &&
         IsConsole(GetStdHandle(STD_INPUT_HANDLE));
}

std::string ReadAnswer(const std::string &prompt) {
  Write(stdout, prompt);
  fflush(stdout);
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  std::string answer;
  if (IsConsole(input)) {
    FlushConsoleInputBuffer(input);
    wchar_t line[256];
    DWORD read = 0;
    if (ReadConsoleW(input, line, 255, &read, nullptr)) {
      line[read] = 0;
      answer = Narrow(line);
    }
  } else {
    for (int c = getchar(); c != EOF && c != '\n'; c = getchar()) answer += static_cast<char>(c);
  }
  while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) answer.pop_back();
  return answer;
}

std::string CurrentFolder() {
  wchar_t path[MAX_PATH * 2];
  const DWORD n = GetCurrentDirectoryW(MAX_PATH * 2, path);
  if (n == 0 || n >= MAX_PATH * 2) return std::string();
  std::string utf8 = Narrow(path);
  return utf8.back() == '\\' || utf8.back() == '/' ? utf8 : utf8 + "\\";
}

std::string ProgramFolder() {
  wchar_t path[MAX_PATH * 2];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  if (n == 0 || n >= MAX_PATH * 2) return std::string();
  std::string utf8 = Narrow(path);
  size_t slash = utf8.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : utf8.substr(0, slash + 1);
}

std::vector<std::string> ExpandWildcard(const std::string &name) {
  if (name.find_first_of("*?") == std::string::npos) return {name};
  const size_t slash = name.find_last_of("/\\:");
  const std::string folder = slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
  std::vector<std::string> found;
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW(Wide(name).c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        found.push_back(folder + Narrow(entry.cFileName));
    } while (FindNextFileW(search, &entry));
    FindClose(search);
  }
  if (found.empty()) return {name};
  std::sort(found.begin(), found.end());
  return found;
}

// Whether a name's bytes are UTF-8 (ASCII included).
static bool IsUtf8(const std::string &text) {
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                             nullptr, 0) > 0 ||
         text.empty();
}

FILE *OpenFile(const std::string &path, const char *mode) {
  if (!IsUtf8(path)) return fopen(path.c_str(), mode);
  return _wfopen(Wide(path).c_str(), Wide(mode).c_str());
}

bool FileExists(const std::string &path) {
  if (!IsUtf8(path)) return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

#else

bool Write(FILE *stream, const std::string &utf8) {
  return fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size() || Lost(stream);
}

bool TakesColor(FILE *stream) { return isatty(fileno(stream)) != 0; }

bool OwnConsoleWindow() { return false; }

std::string ReadAnswer(const std::string &prompt) {
  Write(stdout, prompt);
  fflush(stdout);
  std::string answer;
  for (int c = getchar(); c != EOF && c != '\n'; c = getchar()) answer += static_cast<char>(c);
  if (!answer.empty() && answer.back() == '\r') answer.pop_back();
  return answer;
}

std::string CurrentFolder() {
  char path[4096];
  if (getcwd(path, sizeof path) == nullptr) return std::string();
  const std::string folder = path;
  return folder.back() == '/' ? folder : folder + "/";
}

std::string ProgramFolder() {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return std::string();
  std::string folder(path, static_cast<size_t>(n));
  size_t slash = folder.find_last_of('/');
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

std::vector<std::string> ExpandWildcard(const std::string &name) { return {name}; }

FILE *OpenFile(const std::string &utf8Path, const char *mode) { return fopen(utf8Path.c_str(), mode); }

bool FileExists(const std::string &path) { return access(path.c_str(), F_OK) == 0; }

#endif

std::filesystem::path Utf8Path(const std::string &utf8Path) {
  return std::filesystem::path(std::u8string(utf8Path.begin(), utf8Path.end()));
}

void WaitForEnter(const std::string &prompt) { ReadAnswer(prompt); }

bool AskYes(const std::string &prompt) {
  const std::string answer = ReadAnswer(prompt);
  const char first = answer.empty() ? 0 : static_cast<char>(tolower(static_cast<unsigned char>(answer[0])));
  return first == 't' || first == 'y';  // "tak" or "yes"
}

namespace {

#if defined(_WIN32)
constexpr char kSeparator = '\\';
constexpr char kPathListSeparator = ';';
constexpr bool kCurrentFolderSearched = true;
constexpr char kProgramSuffix[] = ".exe";
#else
constexpr char kSeparator = '/';
constexpr char kPathListSeparator = ':';
constexpr bool kCurrentFolderSearched = false;
constexpr char kProgramSuffix[] = "";
#endif

// A folder's name compared as the system does (Windows: any letter case,
// either separator), with its trailing separator.
std::string FolderKey(std::string folder) {
  if (folder.empty()) return folder;
  for (char &c : folder) {
    if (c == '/' || c == '\\') c = kSeparator;
#if defined(_WIN32)
    c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
#endif
  }
  if (folder.back() != kSeparator) folder += kSeparator;
  return folder;
}

bool OnPath(const std::string &folder) {
  const char *path = getenv("PATH");
  const std::string list = path != nullptr ? path : "";
  for (size_t at = 0; at <= list.size();) {
    size_t end = list.find(kPathListSeparator, at);
    if (end == std::string::npos) end = list.size();
    if (end > at && FolderKey(list.substr(at, end - at)) == FolderKey(folder)) return true;
    at = end + 1;
  }
  return false;
}

}  // namespace

std::string ToolCommand(const std::string &tool) {
  const std::string folder = ProgramFolder(), current = CurrentFolder();
  std::string command;
  if (folder.empty() || OnPath(folder)) command = tool;
  else if (FolderKey(folder) == FolderKey(current))
    command = kCurrentFolderSearched ? tool : "./" + tool;
  else if (!current.empty() && FolderKey(folder).compare(0, FolderKey(current).size(), FolderKey(current)) == 0)
    command = folder.substr(current.size()) + tool + kProgramSuffix;
  else
    command = folder + tool + kProgramSuffix;
  return command.find(' ') != std::string::npos ? "\"" + command + "\"" : command;
}

std::string HostFolderOfProgram() {
  const std::string folder = ProgramFolder();
  if (folder.empty() || FileExists(folder + "wtyczki/keys.h")) return folder;
  const size_t parent = folder.find_last_of("/\\", folder.size() - 2);
  if (parent != std::string::npos && FileExists(folder.substr(0, parent + 1) + "wtyczki/keys.h"))
    return folder.substr(0, parent + 1);
  return folder;
}

}  // namespace os
