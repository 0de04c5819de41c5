// The simulated host (see sim_host.h).
#include "tools/check/sim_host.h"

#include <stdarg.h>
#include <stdio.h>

#include "host/app/core/paths.h"
#include "host/app/core/text_codec.h"
#include "plugin/contract/host_values.h"
#include "plugin/contract/macro_bytes.h"
#include "plugin/keys/key_names.h"
#include "sim/sim_files.h"
#include "sim/sim_memory.h"
#include "sim/sim_settings.h"
#include "sim/sim_state_word.h"
#include "sim/sim_text.h"

namespace check {

const std::u16string kSimKeyFileName = kKeyFileRelativePath;

namespace {

// ---------------------------------------------------------------------------
// State
// ---------------------------------------------------------------------------

using sim::FormatV;
using sim::WideText;

struct SimState {
  sim::Files files;
  sim::Memory memory;
  sim::Settings settings;
  std::vector<HostEvent> events;
  uint32_t flags = 0;
  KeyFilter filter = nullptr;
  AskPolicy ask;
  StampSource stamp;
  host::MacroByteDecoder decoder;  // the stand-in host's own
  int64_t sequenceStart = -1;     // offset of the first byte of the decoder's character
  int64_t lastByteOffset = -1;    // offset of the byte HostFileGetc gave last
  const char *getsBuffer = nullptr;  // the buffer HostFileGets filled last
  size_t getsLength = 0;
};

SimState &S() {
  static SimState state;
  return state;
}

HostEvent &Record(HostEventKind kind) {
  HostEvent event;
  event.kind = kind;
  S().events.push_back(event);
  return S().events.back();
}

// ---------------------------------------------------------------------------
// The 44 host functions, in table order
// ---------------------------------------------------------------------------

int32_t HOST_CDECL SimCheckPlugin(HostInstance, char *, int32_t) { return 0; }

int32_t HOST_CDECL SimMessageF(int32_t, const char *, const char *format, uint32_t,
                               uint32_t style2, ...) {
  va_list values;
  va_start(values, style2);
  HostEvent &event = Record(HostEventKind::kMessage);
  event.text = FormatV(format, values);
  va_end(values);
  return 0;
}

int32_t HOST_CDECL SimUnused() { return 0; }

int32_t HOST_CDECL SimFileFlush(HostFile handle) { return S().files.Flush(handle); }

uint32_t HOST_CDECL SimDateNumber(const char *) { return host::kUnreadableDate; }

// As the host converts: host text to wide text (paths), host text to the
// log's encoding (UTF-8).
int32_t HOST_CDECL SimConvertText(void *target, int32_t targetBytes, const void *source,
                                  int32_t length, int32_t from, int32_t to) {
  return volmar::ConvertText(target, targetBytes, source, length, from, to);
}

uint32_t HOST_CDECL SimGetFlags() { return S().flags; }

char *HOST_CDECL SimFileGets(char *buffer, int32_t size, HostFile handle) {
  int64_t start = 0;
  size_t stored = 0;
  if (S().files.Gets(buffer, size, handle, &start, &stored) == nullptr) return nullptr;
  HostEvent &event = Record(HostEventKind::kGets);
  event.file = handle;
  event.offset = start;
  event.text.assign(buffer, stored);
  S().getsBuffer = buffer;
  S().getsLength = stored;
  return buffer;
}

int32_t HOST_CDECL SimFileClose(HostFile handle) {
  return S().files.Close(handle);
}

int32_t HOST_CDECL SimPathAddExtensionW(HostWideChar *path, int32_t capacity,
                                        const HostWideChar *extension) {
  return volmar::AddExtension(path, capacity, extension);
}

int32_t HOST_CDECL SimDelayKey(uint32_t key, int32_t) {
  Record(HostEventKind::kDelayKey).value = static_cast<int32_t>(key);
  return 1;
}

KeyFilter HOST_STDCALL SimSetKeyFilter(KeyFilter filter) {
  KeyFilter previous = S().filter;
  S().filter = filter;
  return previous;
}

int32_t HOST_CDECL SimFormRefreshField(int32_t) { return 0; }

int32_t HOST_CDECL SimSetFlags(uint32_t bits, int32_t on) {
  return sim::SetStateBits(S().flags, bits, on);
}

int32_t HOST_CDECL SimFileGetc(HostFile handle) {
  HostEvent &event = Record(HostEventKind::kGetc);
  event.file = handle;
  event.value = S().files.Getc(handle, &event.offset);
  if (event.value >= 0) S().lastByteOffset = event.offset;
  return event.value;
}

int32_t HOST_CDECL SimPrepareText(char *, int32_t) { return 0; }

int32_t HOST_CDECL SimDateTimeText(char *date, char *time, int32_t) {
  if (date != nullptr) date[0] = 0;
  if (time != nullptr) time[0] = 0;
  if (S().stamp && date != nullptr && time != nullptr) S().stamp(date, time);
  return 0;
}

int32_t HOST_CDECL SimRunForm(const void *, int32_t, void *, FieldCallback) { return 0; }

int32_t HOST_CDECL SimTypeText(const char *text) {
  Record(HostEventKind::kTypeText).text = text != nullptr ? text : "";
  return 1;
}

void *HOST_CDECL SimRealloc(void *block, uint32_t size) {
  return S().memory.Realloc(block, size);
}

int32_t HOST_CDECL SimShowNotice(int32_t, int16_t *, int32_t, const char *) { return 0; }

int32_t HOST_CDECL SimFileSeek(HostFile handle, int32_t offset, int32_t origin) {
  return S().files.Seek(handle, offset, origin);
}

int32_t HOST_CDECL SimApiLevel() { return 0; }

uint32_t HOST_CDECL SimKeyPending() {
  Record(HostEventKind::kKeyPending).result = host::kNoKey;
  return host::kNoKey;
}

int32_t HOST_CDECL SimMessage(int32_t, const char *, const char *text, uint32_t) {
  Record(HostEventKind::kMessage).text = text != nullptr ? text : "";
  return 0;
}

int32_t HOST_CDECL SimWaitScreen() { return 0; }

int32_t HOST_CDECL SimFileRewind(HostFile handle) {
  Record(HostEventKind::kRewind).file = handle;
  if (S().files.Rewind(handle) != 0) return -1;
  S().decoder.Reset();
  return 0;
}

uint32_t HOST_CDECL SimConvertChar(int32_t byte, int32_t mode, int32_t) {
  HostEvent &event = Record(HostEventKind::kConvertChar);
  event.value = byte;
  if (mode != host::kConvertCharMode) {
    event.result = static_cast<uint32_t>(byte & 0xFF);
    return event.result;
  }
  host::MacroByteDecoder &decoder = S().decoder;
  event.result = decoder.Feed(static_cast<uint8_t>(byte));
  // A character of several bytes stands where its first byte stands.
  if (!decoder.Continued()) S().sequenceStart = S().lastByteOffset;
  event.offset = S().sequenceStart;
  event.note = decoder.Dropped();
  event.codePoint = decoder.CodePoint();
  return event.result;
}

int32_t HOST_CDECL SimAsk(const char *title, const char *text, uint32_t flags) {
  HostEvent &event = Record(HostEventKind::kAsk);
  event.title = title != nullptr ? title : "";
  event.text = text != nullptr ? text : "";
  event.value = static_cast<int32_t>(flags);
  int32_t answer = S().ask ? S().ask(event.title, event.text, flags) : 0;
  // The policy may have recorded nothing, but `event` may have moved.
  S().events.back().result = static_cast<uint32_t>(answer);
  return answer;
}

int32_t HOST_CDECL SimMakePathW(HostWideChar *buffer, int32_t capacity, const HostWideChar *relative) {
  // Files are known by the names the plug-in asks for: no host folder.
  return volmar::MakePath(buffer, capacity, std::u16string(), relative);
}

int32_t HOST_CDECL SimPostKey(uint32_t key) {
  Record(HostEventKind::kPostKey).value = static_cast<int32_t>(key);
  return 1;
}

void HOST_CDECL SimFree(void *block) {
  S().memory.Free(block);
}

// Opens only a file that exists; else 0 with errno ENOENT and _doserrno 2,
// as the C runtime reports a file that does not exist.
HostFile HOST_CDECL SimFileOpenW(const HostWideChar *path, const HostWideChar *mode, int32_t,
                                 int32_t, int32_t) {
  return S().files.Open(WideText(path), WideText(mode));
}

char *HOST_CDECL SimCopyText(char *destination, const char *source, int32_t maxChars) {
  HostEvent &event = Record(HostEventKind::kCopyText);
  event.text = source != nullptr ? source : "";
  if (source != nullptr && S().getsBuffer != nullptr && source >= S().getsBuffer &&
      source <= S().getsBuffer + S().getsLength)
    event.column = static_cast<int32_t>(source - S().getsBuffer);
  if (sim::CopyText(destination, source, maxChars) != nullptr) event.copied = destination;
  return destination;
}

int32_t HOST_CDECL SimErrorMessageF(int32_t err, int32_t systemErr, const char *format,
                                    const HostWideChar *argument, uint32_t) {
  std::string name = sim::Narrow(WideText(argument));
  char text[1024];
  snprintf(text, sizeof text, format, static_cast<int>(err), static_cast<int>(systemErr),
           name.c_str());
  Record(HostEventKind::kMessage).text = text;
  return 0;
}

int32_t HOST_CDECL SimProfile(int32_t operation, const char *section, const char *key,
                              const char *format, va_list values) {
  return S().settings.Profile(operation, section, key, format, values);
}

int32_t HOST_CDECL SimPickFile(int32_t, char *, const char *, int32_t) { return -1; }

void *HOST_CDECL SimCalloc(uint32_t count, uint32_t size) {
  return S().memory.Calloc(count, size);
}

char *HOST_CDECL SimFormFieldBuffer(int32_t) { return nullptr; }

int32_t HOST_CDECL SimFilePrintf(HostFile handle, const char *format, ...) {
  va_list values;
  va_start(values, format);
  std::string text = FormatV(format, values);
  va_end(values);
  return S().files.Write(handle, text);
}

const HostImportSlots kSimSlots = {
    SimCheckPlugin,   SimMessageF,       SimUnused,        SimUnused,
    SimUnused,        SimUnused,         SimUnused,        SimFileFlush,
    SimDateNumber,    SimConvertText,    SimGetFlags,      SimFileGets,
    SimFileClose,     SimPathAddExtensionW, SimDelayKey,   SimSetKeyFilter,
    SimFormRefreshField, SimSetFlags,    SimFileGetc,      SimPrepareText,
    SimDateTimeText,  SimRunForm,        SimTypeText,      SimRealloc,
    SimShowNotice,    SimFileSeek,       SimApiLevel,      SimKeyPending,
    SimMessage,       SimWaitScreen,     SimFileRewind,    SimConvertChar,
    SimAsk,           SimMakePathW,      SimPostKey,       SimFree,
    SimFileOpenW,     SimCopyText,       SimErrorMessageF, SimProfile,
    SimPickFile,      SimCalloc,         SimFormFieldBuffer, SimFilePrintf,
};

}  // namespace

void InstallSimHost() {
  // Blocks the plug-in still holds stay the host's, to be given back.
  sim::Memory memory = std::move(S().memory);
  S() = SimState();
  S().memory = std::move(memory);
  g_hostSlots = kSimSlots;
}

void AddSimFile(const std::u16string &name, const std::string &content, bool textMode) {
  S().files.Add(name, content, textMode);
}

void RemoveSimFile(const std::u16string &name) { S().files.Remove(name); }

std::string SimFileWritten(const std::u16string &name) { return S().files.Written(name); }

const std::vector<HostEvent> &SimEvents() { return S().events; }
void ClearSimEvents() { S().events.clear(); }
void SetAskPolicy(AskPolicy policy) { S().ask = std::move(policy); }
void SetStampSource(StampSource source) { S().stamp = std::move(source); }
void ResetCharDecoder() { S().decoder = host::MacroByteDecoder(); }

}  // namespace check
