#include "tests/plugin/fake_host.h"

#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <sstream>
#include <type_traits>

#include "plugin/diagnostics/compatibility.h"
#include "plugin/platform/platform.h"
#include "plugin/platform/win_standin_control.h"
#include "plugin/entry/key_filter.h"
#include "plugin/state/player_state.h"
#include "plugin/player/key_names.h"
#include "plugin/binding/host_imports.h"
#include "plugin/contract/mazovia.h"
#include "plugin/entry/exports.h"
#include "plugin/state/plugin_identity.h"
#include "plugin/start/start_form.h"

// ---------------------------------------------------------------------------
// Text helpers
// ---------------------------------------------------------------------------
std::u16string Wide(const std::string &ascii) {
  std::u16string wide;
  for (unsigned char c : ascii) wide += MazoviaToUnicode(c);
  return wide;
}

std::string Narrow(const std::u16string &wide) {
  std::string text;
  for (char16_t c : wide) {
    int byte = UnicodeToMazovia(c);
    text += static_cast<char>(byte < 0 ? '?' : byte);
  }
  return text;
}

std::string Escaped(const std::string &bytes) {
  std::string out;
  char hex[8];
  for (unsigned char c : bytes) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

static std::u16string WideOf(const HostWideChar *text) {
  std::u16string out;
  while (text != nullptr && *text != 0) out += *text++;
  return out;
}

// ---------------------------------------------------------------------------
// Argument formatting for the call record
// ---------------------------------------------------------------------------
namespace {

std::string ArgText(const char *text) {
  return text == nullptr ? "null" : "\"" + Escaped(text) + "\"";
}
std::string ArgText(char *) { return "buf"; }
std::string ArgText(const HostWideChar *text) {
  return text == nullptr ? "null" : "u\"" + Escaped(Narrow(WideOf(text))) + "\"";
}
std::string ArgText(HostWideChar *) { return "wbuf"; }
std::string ArgText(KeyFilter f) { return f == nullptr ? "null" : "filter"; }
std::string ArgText(FieldCallback f) { return f == nullptr ? "null" : "callback"; }

template <typename T>
std::string ArgText(T value) {
  if constexpr (std::is_pointer_v<T>) {
    return value == nullptr ? "null" : "ptr";
  } else if constexpr (std::is_signed_v<T>) {
    return std::to_string(static_cast<long long>(value));
  } else {
    char text[16];
    snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
  }
}

std::string JoinArgs() { return ""; }
template <typename First, typename... Rest>
std::string JoinArgs(First first, Rest... rest) {
  std::string text = ArgText(first);
  if constexpr (sizeof...(rest) > 0) text += ", " + JoinArgs(rest...);
  return text;
}

FakeHost &H() { return FakeHost::Get(); }

// The 5 functions the plug-in binds and never calls.
#define FAKE_UNUSED(ordinal)                          \
  int32_t HOST_CDECL Fake##ordinal() {                \
    H().Record("HostOrdinal" #ordinal, "");           \
    return 0;                                         \
  }
FAKE_UNUSED(40008)
FAKE_UNUSED(41611)
FAKE_UNUSED(41613)
FAKE_UNUSED(30005)
FAKE_UNUSED(38417)

FakeFile *FileOf(HostFile handle) {
  if (handle == 0 || handle > H().handles.size()) return nullptr;
  FakeFile *file = H().handles[handle - 1];
  return file != nullptr && file->open ? file : nullptr;
}

std::string FormatV(const char *format, va_list values) {
  va_list copy;
  va_copy(copy, values);
  int length = vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(length > 0 ? length : 0, '\0');
  if (length > 0) vsnprintf(text.data(), length + 1, format, values);
  return text;
}

uint32_t DateNumber(const char *date) {
  static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char month[4] = {0};
  int day = 0, year = 0;
  if (sscanf(date, "%3s %d %d", month, &day, &year) != 3) return 0x7FFFFFFF;
  for (int m = 0; m < 12; ++m)
    if (strcmp(months[m], month) == 0) return year * 10000 + (m + 1) * 100 + day;
  return 0x7FFFFFFF;
}

// ---- The fakes, in table order --------------------------------------------
#define RECORD(name, ...) H().Record(#name, JoinArgs(__VA_ARGS__))
#define HANDLE(name, ...) \
  if (H().handlers.name) return H().handlers.name(__VA_ARGS__)

int32_t HOST_CDECL FakeCheckPlugin(HostInstance instance, char *buffer, int32_t size) {
  RECORD(HostCheckPlugin, instance, buffer, size);
  HANDLE(HostCheckPlugin, instance, buffer, size);
  if (H().checkPluginResult != 0 && buffer != nullptr && !H().checkPluginText.empty())
    memcpy(buffer, H().checkPluginText.data(),
           H().checkPluginText.size() < static_cast<size_t>(size) ? H().checkPluginText.size()
                                                                   : static_cast<size_t>(size));
  return H().checkPluginResult;
}

int32_t HOST_CDECL FakeMessageF(int32_t id, const char *title, const char *format, uint32_t style,
                                uint32_t style2, ...) {
  va_list values;
  va_start(values, style2);
  std::string text = FormatV(format, values);
  va_end(values);
  H().Record("HostMessageF", JoinArgs(id, title, format, style, style2) + ", \"" +
                                 Escaped(text) + "\"");
  H().formattedMessages.push_back(text);
  if (H().handlers.HostMessageF)
    return H().handlers.HostMessageF(id, title, format, style, style2, text);
  return 0;
}

int32_t HOST_CDECL FakeFileFlush(HostFile file) {
  RECORD(HostFileFlush, file);
  HANDLE(HostFileFlush, file);
  return FileOf(file) ? 0 : -1;
}

uint32_t HOST_CDECL FakeDateNumber(const char *date) {
  RECORD(HostDateNumber, date);
  HANDLE(HostDateNumber, date);
  return date == nullptr ? H().hostDateNumber : DateNumber(date);
}

int32_t HOST_CDECL FakeConvertText(void *target, int32_t targetBytes, const void *source,
                                   int32_t length, int32_t from, int32_t to) {
  RECORD(HostConvertText, target == source ? "in place" : "to buffer", targetBytes, length, from,
         to);
  HANDLE(HostConvertText, target, targetBytes, source, length, from, to);
  const char *text = static_cast<const char *>(source);
  size_t size = length < 0 ? strlen(text) : static_cast<size_t>(length);
  if (from == 1 && to == 5) {
    HostWideChar *wide = static_cast<HostWideChar *>(target);
    size_t capacity = static_cast<size_t>(targetBytes) / 2;
    size_t i = 0;
    for (; i < size && i + 1 < capacity; ++i)
      wide[i] = MazoviaToUnicode(static_cast<unsigned char>(text[i]));
    if (capacity > 0) wide[i] = 0;
    return static_cast<int32_t>(i);
  }
  // 1 -> 6: the log's encoding is the host text itself in this fake.
  if (target != source) {
    size_t n = size < static_cast<size_t>(targetBytes) ? size : static_cast<size_t>(targetBytes) - 1;
    memmove(target, source, n);
    static_cast<char *>(target)[n] = 0;
  }
  return static_cast<int32_t>(size);
}

uint32_t HOST_CDECL FakeGetFlags() {
  RECORD(HostGetFlags);
  HANDLE(HostGetFlags);
  return H().flags;
}

char *HOST_CDECL FakeFileGets(char *buffer, int32_t size, HostFile handle) {
  RECORD(HostFileGets, buffer, size, handle);
  HANDLE(HostFileGets, buffer, size, handle);
  FakeFile *file = FileOf(handle);
  if (file == nullptr || size <= 0 || file->position >= file->content.size()) return nullptr;
  int32_t n = 0;
  while (n < size - 1 && file->position < file->content.size()) {
    char c = file->content[file->position++];
    buffer[n++] = c;
    if (c == '\n') break;
  }
  buffer[n] = 0;
  return buffer;
}

int32_t HOST_CDECL FakeFileClose(HostFile handle) {
  RECORD(HostFileClose, handle);
  HANDLE(HostFileClose, handle);
  FakeFile *file = FileOf(handle);
  if (file == nullptr) return -1;
  file->open = false;
  return 0;
}

int32_t HOST_CDECL FakePathAddExtensionW(HostWideChar *path, int32_t capacity,
                                         const HostWideChar *extension) {
  RECORD(HostPathAddExtensionW, static_cast<const HostWideChar *>(path), capacity, extension);
  HANDLE(HostPathAddExtensionW, path, capacity, extension);
  // The extension replaces the name's own, if it has one.
  std::u16string text = WideOf(path);
  size_t slash = text.find_last_of(u"\\/");
  size_t dot = text.find_last_of(u'.');
  if (dot != std::u16string::npos && (slash == std::u16string::npos || dot > slash))
    text.resize(dot);
  text += WideOf(extension);
  if (text.size() + 1 > static_cast<size_t>(capacity)) return -1;
  for (size_t i = 0; i <= text.size(); ++i) path[i] = i < text.size() ? text[i] : 0;
  return 0;
}

int32_t HOST_CDECL FakeDelayKey(uint32_t key, int32_t zero) {
  RECORD(HostDelayKey, key, zero);
  H().delayedKeys.push_back(key);
  HANDLE(HostDelayKey, key, zero);
  return 0;
}

KeyFilter HOST_STDCALL FakeSetKeyFilter(KeyFilter filter) {
  RECORD(HostSetKeyFilter, filter);
  HANDLE(HostSetKeyFilter, filter);
  KeyFilter previous = H().installedFilter != nullptr ? H().installedFilter : H().previousFilter;
  H().installedFilter = filter;
  return previous;
}

int32_t HOST_CDECL FakeFormRefreshField(int32_t fieldId) {
  RECORD(HostFormRefreshField, fieldId);
  HANDLE(HostFormRefreshField, fieldId);
  return 0;
}

int32_t HOST_CDECL FakeSetFlags(uint32_t bits, int32_t on) {
  RECORD(HostSetFlags, bits, on);
  HANDLE(HostSetFlags, bits, on);
  if (on)
    H().flags |= bits;
  else
    H().flags &= ~bits;
  return 0;
}

int32_t HOST_CDECL FakeFileGetc(HostFile handle) {
  RECORD(HostFileGetc, handle);
  HANDLE(HostFileGetc, handle);
  FakeFile *file = FileOf(handle);
  if (file == nullptr || file->position >= file->content.size()) return -1;
  return static_cast<unsigned char>(file->content[file->position++]);
}

int32_t HOST_CDECL FakePrepareText(char *text, int32_t size) {
  RECORD(HostPrepareText, static_cast<const char *>(text), size);
  HANDLE(HostPrepareText, text, size);
  return 0;
}

int32_t HOST_CDECL FakeDateTimeText(char *date, char *time, int32_t flags) {
  RECORD(HostDateTimeText, date, time, flags);
  HANDLE(HostDateTimeText, date, time, flags);
  snprintf(date, 12, "%s", H().dateText.c_str());
  snprintf(time, 12, "%s", H().timeText.c_str());
  return 0;
}

int32_t HOST_CDECL FakeRunForm(const void *formTemplate, int32_t mode, void *record,
                               FieldCallback callback) {
  RECORD(HostRunForm, formTemplate, mode, record, callback);
  HANDLE(HostRunForm, formTemplate, mode, record, callback);
  return 0;
}

int32_t HOST_CDECL FakeTypeText(const char *text) {
  RECORD(HostTypeText, text);
  H().typedTexts.push_back(text != nullptr ? text : "");
  HANDLE(HostTypeText, text);
  return 1;
}

void *HOST_CDECL FakeRealloc(void *block, uint32_t size) {
  RECORD(HostRealloc, block, size);
  HANDLE(HostRealloc, block, size);
  if (H().failRealloc) return nullptr;
  return realloc(block, size);
}

int32_t HOST_CDECL FakeShowNotice(int32_t id, int16_t *answer, int32_t zero, const char *text) {
  RECORD(HostShowNotice, id, answer, zero, text);
  H().notices.push_back(text != nullptr ? text : "");
  HANDLE(HostShowNotice, id, answer, zero, text);
  if (answer != nullptr) *answer = H().noticeAnswer;
  return 0;
}

int32_t HOST_CDECL FakeFileSeek(HostFile handle, int32_t offset, int32_t origin) {
  RECORD(HostFileSeek, handle, offset, origin);
  HANDLE(HostFileSeek, handle, offset, origin);
  FakeFile *file = FileOf(handle);
  if (file == nullptr) return -1;
  size_t base = origin == 2 ? file->content.size() : origin == 1 ? file->position : 0;
  file->position = base + offset;
  return 0;
}

int32_t HOST_CDECL FakeApiLevel() {
  RECORD(HostApiLevel);
  HANDLE(HostApiLevel);
  return H().apiLevel;
}

uint32_t HOST_CDECL FakeKeyPending() {
  RECORD(HostKeyPending);
  HANDLE(HostKeyPending);
  return H().keyPending;
}

int32_t HOST_CDECL FakeMessage(int32_t id, const char *title, const char *text, uint32_t style) {
  RECORD(HostMessage, id, title, text, style);
  H().messageTitles.push_back(title != nullptr ? title : "");
  H().messages.push_back(text != nullptr ? text : "");
  HANDLE(HostMessage, id, title, text, style);
  return 0;
}

int32_t HOST_CDECL FakeWaitScreen() {
  RECORD(HostWaitScreen);
  HANDLE(HostWaitScreen);
  return 0;
}

int32_t HOST_CDECL FakeFileRewind(HostFile handle) {
  RECORD(HostFileRewind, handle);
  HANDLE(HostFileRewind, handle);
  FakeFile *file = FileOf(handle);
  if (file == nullptr) return -1;
  file->position = 0;
  return 0;
}

uint32_t HOST_CDECL FakeConvertChar(int32_t byte, int32_t three, int32_t one) {
  RECORD(HostConvertChar, byte, three, one);
  HANDLE(HostConvertChar, byte, three, one);
  auto it = H().convertChar.find(byte);
  return it != H().convertChar.end() ? it->second : static_cast<uint32_t>(byte);
}

int32_t HOST_CDECL FakeAsk(const char *title, const char *text, uint32_t flags) {
  RECORD(HostAsk, title, text, flags);
  H().questions.push_back(text != nullptr ? text : "");
  HANDLE(HostAsk, title, text, flags);
  if (H().askAnswers.empty()) return 0;
  int32_t answer = H().askAnswers.front();
  H().askAnswers.pop_front();
  return answer;
}

int32_t HOST_CDECL FakeMakePathW(HostWideChar *buffer, int32_t capacity,
                                 const HostWideChar *relative) {
  RECORD(HostMakePathW, buffer, capacity, relative);
  HANDLE(HostMakePathW, buffer, capacity, relative);
  std::u16string text = H().hostFolder + WideOf(relative);
  if (text.size() + 1 > static_cast<size_t>(capacity)) return -1;
  for (size_t i = 0; i <= text.size(); ++i) buffer[i] = i < text.size() ? text[i] : 0;
  return 0;
}

int32_t HOST_CDECL FakePostKey(uint32_t key) {
  RECORD(HostPostKey, key);
  H().postedKeys.push_back(key);
  HANDLE(HostPostKey, key);
  if (H().postResults.empty()) return 1;
  int32_t result = H().postResults.front();
  H().postResults.pop_front();
  return result;
}

void HOST_CDECL FakeFree(void *block) {
  RECORD(HostFree, block);
  if (block != nullptr) --H().liveBlocks;
  if (H().handlers.HostFree) {
    H().handlers.HostFree(block);
    return;
  }
  free(block);
}

HostFile HOST_CDECL FakeFileOpenW(const HostWideChar *path, const HostWideChar *mode,
                                  int32_t share, int32_t zero, int32_t minusOne) {
  RECORD(HostFileOpenW, path, mode, share, zero, minusOne);
  HANDLE(HostFileOpenW, path, mode, share, zero, minusOne);
  // "rt" and "rt+" open only a file that exists; neither creates one.
  auto it = H().files.find(WideOf(path));
  if (it == H().files.end()) {
    errno = H().openErrno;
    _doserrno = H().openDosErrno;
    return 0;
  }
  FakeFile &file = it->second;
  file.open = true;
  file.position = 0;
  file.path = WideOf(path);
  file.mode = Narrow(WideOf(mode));
  H().handles.push_back(&file);
  return static_cast<HostFile>(H().handles.size());
}

char *HOST_CDECL FakeCopyText(char *destination, const char *source, int32_t maxChars) {
  RECORD(HostCopyText, destination, source, maxChars);
  HANDLE(HostCopyText, destination, source, maxChars);
  int32_t i = 0;
  for (; source[i] != 0 && i < maxChars; ++i) destination[i] = source[i];
  destination[i] = 0;
  return destination;
}

int32_t HOST_CDECL FakeErrorMessageF(int32_t err, int32_t systemErr, const char *format,
                                     const HostWideChar *argument, uint32_t style) {
  RECORD(HostErrorMessageF, err, systemErr, format, argument, style);
  std::string wide = Narrow(WideOf(argument));
  char text[4096];
  snprintf(text, sizeof text, format, err, systemErr, wide.c_str());
  H().errorMessages.push_back(text);
  HANDLE(HostErrorMessageF, err, systemErr, format, argument, style);
  return 0;
}

int32_t HOST_CDECL FakeProfile(int32_t operation, const char *section, const char *key,
                               const char *format, va_list values) {
  RECORD(HostProfile, operation, section, key, format);
  if (H().handlers.HostProfile) {
    va_list copy;
    va_copy(copy, values);
    int32_t result = H().handlers.HostProfile(operation, section, key, format, copy);
    va_end(copy);
    return result;
  }
  std::string name = std::string(section) + "/" + key;
  auto it = H().profile.find(name);
  bool integer = strcmp(format, "%d") == 0;
  if (operation == 1 || operation == 8) {
    if (it == H().profile.end()) return 1;
    if (integer) {
      int16_t *target = va_arg(values, int16_t *);
      *target = static_cast<int16_t>(atoi(it->second.c_str()));
    } else {
      int width = va_arg(values, int);
      char *target = va_arg(values, char *);
      snprintf(target, static_cast<size_t>(width) + 1, "%s", it->second.c_str());
    }
    return 0;
  }
  if (integer)
    H().profile[name] = std::to_string(va_arg(values, int));
  else
    H().profile[name] = va_arg(values, const char *);
  return 0;
}

int32_t HOST_CDECL FakePickFile(int32_t kind, char *buffer, const char *pattern, int32_t one) {
  RECORD(HostPickFile, kind, buffer, pattern, one);
  HANDLE(HostPickFile, kind, buffer, pattern, one);
  if (H().pickResult != -1) snprintf(buffer, 258, "%s", H().pickName.c_str());
  return H().pickResult;
}

void *HOST_CDECL FakeCalloc(uint32_t count, uint32_t size) {
  RECORD(HostCalloc, count, size);
  HANDLE(HostCalloc, count, size);
  if (H().failCalloc) return nullptr;
  ++H().liveBlocks;
  return calloc(count, size);
}

char *HOST_CDECL FakeFormFieldBuffer(int32_t fieldId) {
  RECORD(HostFormFieldBuffer, fieldId);
  HANDLE(HostFormFieldBuffer, fieldId);
  return H().fieldBuffer;
}

int32_t HOST_CDECL FakeFilePrintf(HostFile handle, const char *format, ...) {
  va_list values;
  va_start(values, format);
  std::string text = FormatV(format, values);
  va_end(values);
  H().Record("HostFilePrintf", JoinArgs(handle, format) + ", \"" + Escaped(text) + "\"");
  if (H().handlers.HostFilePrintf) return H().handlers.HostFilePrintf(handle, text);
  FakeFile *file = FileOf(handle);
  if (file == nullptr) return -1;
  file->content.replace(file->position, text.size(), text);
  file->position += text.size();
  return static_cast<int32_t>(text.size());
}

#undef RECORD
#undef HANDLE

const HostImportSlots kFakeSlots = {
    FakeCheckPlugin,  FakeMessageF,      Fake40008,        Fake41611,
    Fake41613,        Fake30005,         Fake38417,        FakeFileFlush,
    FakeDateNumber,   FakeConvertText,   FakeGetFlags,     FakeFileGets,
    FakeFileClose,    FakePathAddExtensionW, FakeDelayKey, FakeSetKeyFilter,
    FakeFormRefreshField, FakeSetFlags,  FakeFileGetc,     FakePrepareText,
    FakeDateTimeText, FakeRunForm,       FakeTypeText,     FakeRealloc,
    FakeShowNotice,   FakeFileSeek,      FakeApiLevel,     FakeKeyPending,
    FakeMessage,      FakeWaitScreen,    FakeFileRewind,   FakeConvertChar,
    FakeAsk,          FakeMakePathW,     FakePostKey,      FakeFree,
    FakeFileOpenW,    FakeCopyText,      FakeErrorMessageF, FakeProfile,
    FakePickFile,     FakeCalloc,        FakeFormFieldBuffer, FakeFilePrintf,
};

}  // namespace

int32_t HOST_CDECL FakeHostQuery(int32_t what, int32_t value) {
  H().Record("HostQuery", JoinArgs(what, value));
  if (H().handlers.HostQuery) return H().handlers.HostQuery(what, value);
  return H().queryAnswer;
}

// ---------------------------------------------------------------------------
// FakeHost
// ---------------------------------------------------------------------------
FakeHost &FakeHost::Get() {
  static FakeHost host;
  return host;
}

void FakeHost::Record(const char *name, std::string args) {
  calls.push_back(HostCall{name, std::move(args)});
}

void FakeHost::Reset() {
  // A key-name table that the last test left loaded goes back to the fake
  // allocator (and is recorded in the state about to be replaced).
  if (g_hostSlots.HostFree == &FakeFree) ReleaseKeyNameTable();
  FakeHost fresh;
  *this = fresh;
  ResetPluginForTest();
}

void FakeHost::Install() {
  Reset();
  g_hostSlots = kFakeSlots;
  g_plugin.hostQuery = &FakeHostQuery;
}

void FakeHost::RemoveFunction(uint16_t ordinal) {
  for (const HostImportEntry &entry : kHostImportTable)
    if (entry.ordinal == ordinal) *entry.slot = nullptr;
}

std::string FakeHost::FileContent(const std::u16string &path) const {
  auto it = files.find(path);
  return it == files.end() ? "<missing>" : it->second.content;
}

std::string FakeHost::Trace(const std::vector<std::string> &only) const {
  std::string text;
  for (const HostCall &call : calls) {
    bool wanted = only.empty();
    for (const std::string &name : only) wanted = wanted || name == call.name;
    if (wanted) text += call.Text() + "\n";
  }
  return text;
}

std::vector<std::string> FakeHost::Names() const {
  std::vector<std::string> names;
  for (const HostCall &call : calls) names.push_back(call.name);
  return names;
}

size_t FakeHost::Count(const std::string &name) const {
  size_t count = 0;
  for (const HostCall &call : calls) count += call.name == name;
  return count;
}

void ResetPluginForTest() {
  standin::Reset();
  ResetHostImports();
  ResetPluginIdentity();
  memset(&g_player, 0, sizeof g_player);
  memset(&g_startForm, 0, sizeof g_startForm);
  ResetKeyNameTable();
  g_unsupportedFeatures = 0xFFFFFFFFu;
}
