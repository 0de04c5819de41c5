// The simulated host (see sim_host.h).
#include "tools/check/sim_host.h"

#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <memory>

#include "plugin/platform/platform.h"
#include "plugin/contract/macro_bytes.h"
#include "plugin/contract/mazovia.h"
#include "tools/check/text_util.h"

namespace check {

const std::u16string kSimKeyFileName = u"wtyczki\\keys.h";

namespace {

// ---------------------------------------------------------------------------
// State
// ---------------------------------------------------------------------------

struct SimFile {
  std::string content;
  bool textMode = true;
  std::string written;  // what HostFilePrintf wrote, line ends as on disk
};

struct OpenFile {
  std::shared_ptr<SimFile> file;  // null once closed
  size_t position = 0;
  bool writable = false;
};

struct SimState {
  std::map<std::u16string, std::shared_ptr<SimFile>> files;
  std::vector<OpenFile> handles;  // handle h is handles[h - 1]
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

OpenFile *Open(HostFile handle) {
  if (handle == 0 || handle > S().handles.size()) return nullptr;
  OpenFile &open = S().handles[handle - 1];
  return open.file ? &open : nullptr;
}

HostEvent &Record(HostEventKind kind) {
  HostEvent event;
  event.kind = kind;
  S().events.push_back(event);
  return S().events.back();
}

std::u16string WideText(const HostWideChar *text) {
  std::u16string out;
  while (text != nullptr && *text != 0) out += *text++;
  return out;
}

std::string FormatV(const char *format, va_list values) {
  va_list copy;
  va_copy(copy, values);
  int length = vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length), '\0');
  vsnprintf(text.data(), text.size() + 1, format, values);
  return text;
}

// The host text of a wide text; '?' for what host text cannot hold.
std::string HostTextOf(const std::u16string &wide) {
  std::string text;
  for (char16_t c : wide) {
    int byte = UnicodeToMazovia(c);
    text += static_cast<char>(byte < 0 ? '?' : byte);
  }
  return text;
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

int32_t HOST_CDECL SimFileFlush(HostFile handle) { return Open(handle) ? 0 : -1; }

uint32_t HOST_CDECL SimDateNumber(const char *) { return 0x7FFFFFFFu; }

int32_t HOST_CDECL SimConvertText(void *target, int32_t targetBytes, const void *source,
                                  int32_t length, int32_t from, int32_t to) {
  if (target == nullptr || targetBytes <= 0) return -1;
  const char *text = static_cast<const char *>(source);
  size_t size = source == nullptr ? 0 : length < 0 ? strlen(text) : static_cast<size_t>(length);
  std::string converted;
  if (from == 1 && to == 5) {
    // Host text to wide text (paths).
    auto *wide = static_cast<HostWideChar *>(target);
    size_t room = static_cast<size_t>(targetBytes) / 2;
    if (room == 0) return -1;
    size_t i = 0;
    for (; i < size && i + 1 < room; ++i) wide[i] = MazoviaToUnicode(static_cast<uint8_t>(text[i]));
    wide[i] = 0;
    return static_cast<int32_t>(i);
  }
  if (from == 1 && to == 6) {
    converted = HostToUtf8(std::string(text, size));
  } else if (from == to && (from == 1 || from == 6)) {
    converted.assign(text, size);
  } else {
    static_cast<char *>(target)[0] = 0;
    return -1;
  }
  // Cut at a whole character when it does not fit.
  size_t room = static_cast<size_t>(targetBytes) - 1;
  if (converted.size() > room) {
    size_t cut = room;
    while (cut > 0 && (static_cast<uint8_t>(converted[cut]) & 0xC0) == 0x80) --cut;
    converted.resize(cut);
  }
  memmove(target, converted.data(), converted.size());
  static_cast<char *>(target)[converted.size()] = 0;
  return static_cast<int32_t>(converted.size());
}

uint32_t HOST_CDECL SimGetFlags() { return S().flags; }

// The next byte of an open file as a text-mode reader gives it: a carriage
// return right before a line feed is not seen.  Sets `offset` to where the
// byte stood; -1 at the end.
int32_t ReadByte(OpenFile &open, int64_t &offset) {
  const std::string &content = open.file->content;
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

char *HOST_CDECL SimFileGets(char *buffer, int32_t size, HostFile handle) {
  OpenFile *open = Open(handle);
  if (open == nullptr || buffer == nullptr || size <= 0) return nullptr;
  if (open->position >= open->file->content.size()) return nullptr;
  HostEvent &event = Record(HostEventKind::kGets);
  event.file = handle;
  event.offset = static_cast<int64_t>(open->position);
  int32_t n = 0;
  while (n < size - 1) {
    int64_t offset = 0;
    int32_t byte = ReadByte(*open, offset);
    if (byte < 0) break;
    buffer[n++] = static_cast<char>(byte);
    if (byte == '\n') break;
  }
  buffer[n] = 0;
  event.text.assign(buffer, static_cast<size_t>(n));
  S().getsBuffer = buffer;
  S().getsLength = static_cast<size_t>(n);
  return buffer;
}

int32_t HOST_CDECL SimFileClose(HostFile handle) {
  OpenFile *open = Open(handle);
  if (open == nullptr) return -1;
  open->file.reset();
  return 0;
}

int32_t HOST_CDECL SimPathAddExtensionW(HostWideChar *path, int32_t capacity,
                                        const HostWideChar *extension) {
  // The extension replaces the name's own, if it has one.
  std::u16string text = WideText(path);
  size_t slash = text.find_last_of(u"\\/");
  size_t dot = text.find_last_of(u'.');
  if (dot != std::u16string::npos && (slash == std::u16string::npos || dot > slash)) text.resize(dot);
  text += WideText(extension);
  if (capacity <= 0 || text.size() + 1 > static_cast<size_t>(capacity)) return -1;
  for (size_t i = 0; i <= text.size(); ++i) path[i] = i < text.size() ? text[i] : 0;
  return 0;
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
  if (on)
    S().flags |= bits;
  else
    S().flags &= ~bits;
  return 0;
}

int32_t HOST_CDECL SimFileGetc(HostFile handle) {
  OpenFile *open = Open(handle);
  HostEvent &event = Record(HostEventKind::kGetc);
  event.file = handle;
  if (open == nullptr) {
    event.value = -1;
    return -1;
  }
  int64_t offset = 0;
  event.value = ReadByte(*open, offset);
  event.offset = offset;
  if (event.value >= 0) S().lastByteOffset = offset;
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

void *HOST_CDECL SimRealloc(void *block, uint32_t size) { return realloc(block, size); }

int32_t HOST_CDECL SimShowNotice(int32_t, int16_t *, int32_t, const char *) { return 0; }

int32_t HOST_CDECL SimFileSeek(HostFile handle, int32_t offset, int32_t origin) {
  OpenFile *open = Open(handle);
  if (open == nullptr) return -1;
  int64_t base = origin == 2   ? static_cast<int64_t>(open->file->content.size())
                 : origin == 1 ? static_cast<int64_t>(open->position)
                               : 0;
  int64_t target = base + offset;
  if (target < 0) return -1;
  open->position = static_cast<size_t>(target);
  return 0;
}

int32_t HOST_CDECL SimApiLevel() { return 0; }

uint32_t HOST_CDECL SimKeyPending() {
  Record(HostEventKind::kKeyPending).result = 0xFFFF;
  return 0xFFFF;
}

int32_t HOST_CDECL SimMessage(int32_t, const char *, const char *text, uint32_t) {
  Record(HostEventKind::kMessage).text = text != nullptr ? text : "";
  return 0;
}

int32_t HOST_CDECL SimWaitScreen() { return 0; }

int32_t HOST_CDECL SimFileRewind(HostFile handle) {
  Record(HostEventKind::kRewind).file = handle;
  OpenFile *open = Open(handle);
  if (open == nullptr) return -1;
  open->position = 0;
  S().decoder.Reset();
  return 0;
}

uint32_t HOST_CDECL SimConvertChar(int32_t byte, int32_t mode, int32_t) {
  HostEvent &event = Record(HostEventKind::kConvertChar);
  event.value = byte;
  if (mode != 3) {
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
  // Files are known by the names the plug-in asks for.
  std::u16string text = WideText(relative);
  if (buffer == nullptr || capacity <= 0 || text.size() + 1 > static_cast<size_t>(capacity)) return -1;
  for (size_t i = 0; i <= text.size(); ++i) buffer[i] = i < text.size() ? text[i] : 0;
  return 0;
}

int32_t HOST_CDECL SimPostKey(uint32_t key) {
  Record(HostEventKind::kPostKey).value = static_cast<int32_t>(key);
  return 1;
}

void HOST_CDECL SimFree(void *block) { free(block); }

HostFile HOST_CDECL SimFileOpenW(const HostWideChar *path, const HostWideChar *mode, int32_t,
                                 int32_t, int32_t) {
  auto it = S().files.find(WideText(path));
  if (it == S().files.end()) {
    // As the C runtime reports a file that does not exist.
    errno = ENOENT;
    _doserrno = 2;
    return 0;
  }
  OpenFile open;
  open.file = it->second;
  open.writable = WideText(mode).find(u'+') != std::u16string::npos;
  S().handles.push_back(open);
  return static_cast<HostFile>(S().handles.size());
}

char *HOST_CDECL SimCopyText(char *destination, const char *source, int32_t maxChars) {
  HostEvent &event = Record(HostEventKind::kCopyText);
  event.text = source != nullptr ? source : "";
  if (source != nullptr && S().getsBuffer != nullptr && source >= S().getsBuffer &&
      source <= S().getsBuffer + S().getsLength)
    event.column = static_cast<int32_t>(source - S().getsBuffer);
  if (destination == nullptr) return destination;
  int32_t i = 0;
  for (; source != nullptr && source[i] != 0 && i < maxChars; ++i) destination[i] = source[i];
  destination[i] = 0;
  event.copied.assign(destination, static_cast<size_t>(i));
  return destination;
}

int32_t HOST_CDECL SimErrorMessageF(int32_t err, int32_t systemErr, const char *format,
                                    const HostWideChar *argument, uint32_t) {
  std::string name = HostTextOf(WideText(argument));
  char text[1024];
  snprintf(text, sizeof text, format, static_cast<int>(err), static_cast<int>(systemErr),
           name.c_str());
  Record(HostEventKind::kMessage).text = text;
  return 0;
}

int32_t HOST_CDECL SimProfile(int32_t, const char *, const char *, const char *, va_list) {
  return 1;  // an empty settings store: nothing found, nothing kept
}

int32_t HOST_CDECL SimPickFile(int32_t, char *, const char *, int32_t) { return -1; }

void *HOST_CDECL SimCalloc(uint32_t count, uint32_t size) { return calloc(count, size); }

char *HOST_CDECL SimFormFieldBuffer(int32_t) { return nullptr; }

int32_t HOST_CDECL SimFilePrintf(HostFile handle, const char *format, ...) {
  OpenFile *open = Open(handle);
  if (open == nullptr || !open->writable) return -1;
  va_list values;
  va_start(values, format);
  std::string text = FormatV(format, values);
  va_end(values);
  for (char c : text) {
    if (c == '\n' && open->file->textMode) open->file->written += '\r';
    open->file->written += c;
  }
  return static_cast<int32_t>(text.size());
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
  S() = SimState();
  g_hostSlots = kSimSlots;
}

void AddSimFile(const std::u16string &name, const std::string &content, bool textMode) {
  auto file = std::make_shared<SimFile>();
  file->content = content;
  file->textMode = textMode;
  S().files[name] = file;
}

void RemoveSimFile(const std::u16string &name) {
  auto it = S().files.find(name);
  if (it == S().files.end()) return;
  // Handles that still point at it read the end of the file from now on.
  it->second->content.clear();
  S().files.erase(it);
}

std::string SimFileWritten(const std::u16string &name) {
  auto it = S().files.find(name);
  return it == S().files.end() ? std::string() : it->second->written;
}

const std::vector<HostEvent> &SimEvents() { return S().events; }
void ClearSimEvents() { S().events.clear(); }
void SetAskPolicy(AskPolicy policy) { S().ask = std::move(policy); }
void SetStampSource(StampSource source) { S().stamp = std::move(source); }
void ResetCharDecoder() { S().decoder = host::MacroByteDecoder(); }

}  // namespace check
