#include "tests/plugin/fake_host.h"

#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "plugin/diagnostics/compatibility.h"
#include "plugin/platform/platform.h"
#include "plugin/platform/win_standin_control.h"
#include "player/entry/key_filter.h"
#include "player/playback/player_state.h"
#include "plugin/keys/key_names.h"
#include "plugin/binding/host_imports.h"
#include "host/app/core/paths.h"
#include "host/app/core/text_codec.h"
#include "plugin/handshake/handshake.h"
#include "plugin/identity/plugin_identity.h"
#include "player/start/start_form.h"

namespace {

using sim::FormatV;
using sim::JoinArgs;
using sim::WideText;

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

uint32_t DateNumber(const char *date) {
  static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char month[4] = {0};
  int day = 0, year = 0;
  if (sscanf(date, "%3s %d %d", month, &day, &year) != 3) return host::kUnreadableDate;
  for (int m = 0; m < 12; ++m)
    if (strcmp(months[m], month) == 0) return year * 10000 + (m + 1) * 100 + day;
  return host::kUnreadableDate;
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
  return H().files.Flush(file);
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
  if (to == host::kEncodingWide) return volmar::ConvertText(target, targetBytes, source, length, from, to);
  const char *text = static_cast<const char *>(source);
  size_t size = length < 0 ? strlen(text) : static_cast<size_t>(length);
  // Host text -> log: the log's encoding is the host text itself in this
  // fake, so that tests read the bytes the plug-in wrote.
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
  return H().files.Gets(buffer, size, handle);
}

int32_t HOST_CDECL FakeFileClose(HostFile handle) {
  RECORD(HostFileClose, handle);
  HANDLE(HostFileClose, handle);
  return H().files.Close(handle);
}

int32_t HOST_CDECL FakePathAddExtensionW(HostWideChar *path, int32_t capacity,
                                         const HostWideChar *extension) {
  RECORD(HostPathAddExtensionW, static_cast<const HostWideChar *>(path), capacity, extension);
  HANDLE(HostPathAddExtensionW, path, capacity, extension);
  return volmar::AddExtension(path, capacity, extension);
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
  return sim::SetStateBits(H().flags, bits, on);
}

int32_t HOST_CDECL FakeFileGetc(HostFile handle) {
  RECORD(HostFileGetc, handle);
  HANDLE(HostFileGetc, handle);
  return H().files.Getc(handle);
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
  return H().memory.Realloc(block, size);
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
  return H().files.Seek(handle, offset, origin);
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
  return H().files.Rewind(handle);
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
  return volmar::MakePath(buffer, capacity, H().hostFolder, relative);
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
  if (H().handlers.HostFree) {
    H().handlers.HostFree(block);
    return;
  }
  H().memory.Free(block);
}

HostFile HOST_CDECL FakeFileOpenW(const HostWideChar *path, const HostWideChar *mode,
                                  int32_t share, int32_t zero, int32_t minusOne) {
  RECORD(HostFileOpenW, path, mode, share, zero, minusOne);
  HANDLE(HostFileOpenW, path, mode, share, zero, minusOne);
  return H().files.Open(WideText(path), WideText(mode));
}

char *HOST_CDECL FakeCopyText(char *destination, const char *source, int32_t maxChars) {
  RECORD(HostCopyText, destination, source, maxChars);
  HANDLE(HostCopyText, destination, source, maxChars);
  return sim::CopyText(destination, source, maxChars);
}

int32_t HOST_CDECL FakeErrorMessageF(int32_t err, int32_t systemErr, const char *format,
                                     const HostWideChar *argument, uint32_t style) {
  RECORD(HostErrorMessageF, err, systemErr, format, argument, style);
  std::string wide = Narrow(WideText(argument));
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
  return H().profile.Profile(operation, section, key, format, values);
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
  return H().memory.Calloc(count, size);
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
  return H().files.Write(handle, text);
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

void FakeHost::Reset() {
  // A key-name table that the last test left loaded goes back to the fake
  // allocator (and is recorded in the state about to be replaced).
  if (g_hostSlots.HostFree == &FakeFree) ReleaseKeyNameTable();
  memory.FreeAll();
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
  const std::string *content = files.Content(path);
  return content == nullptr ? "<missing>" : *content;
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
