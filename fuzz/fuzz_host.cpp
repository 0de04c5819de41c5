// The fuzz targets' host.  See fuzz_host.h.
#include "fuzz/fuzz_host.h"

#include <errno.h>
#include <stdarg.h>
#include <string.h>


#include "host/app/core/paths.h"
#include "plugin/contract/host_values.h"
#include "plugin/platform/platform.h"
#include "plugin/platform/win_standin_control.h"
#include "player/entry/key_filter.h"
#include "player/playback/player_state.h"
#include "plugin/keys/key_names.h"
#include "plugin/binding/host_imports.h"
#include "player/start/start_form.h"
#include "sim/sim_slots.h"
#include "sim/sim_state_word.h"
#include "sim/sim_text.h"

namespace fuzz {
namespace {

// The three files, each at its fixed handle in the simulated host's files.
const std::u16string kMacroPath = u"M:\\makra\\m.txt";
const std::u16string kLogPath = u"M:\\makra\\m.log";
const std::u16string kKeysPath = u"K:\\VOLMAR\\" + std::u16string(kKeyFileRelativePath);
const std::u16string kHostFolder = u"K:\\VOLMAR\\";

FuzzHost g_defaultHost;
FuzzHost *g_active = &g_defaultHost;  // the host InstallHost installed

FuzzHost &Host() { return *g_active; }
FuzzInput g_noAnswers;

FuzzInput &Answers() { return Host().conduct.answers ? *Host().conduct.answers : g_noAnswers; }

// ---- Re-entry: the host's key loop calls the filter back -------------------

uint32_t ChooseKey() {
  switch (Answers().Byte() % 6) {
    case 0: return host::kNoKey;
    case 1: return host::kKeyEnter;
    case 2: return host::kKeyShiftF11;
    case 3: return 'x';
    case 4: return host::kKeyF3;
    default: return Answers().U32();
  }
}

void InnerFilterCall(uint32_t key) {
  FUZZ_CHECK(g_player.busy == 1, "the host's loop runs inside our work, busy must be set");
  FUZZ_CHECK(g_player.macroFile != 0 || g_player.waitMode == kNotWaiting,
             "waiting with no macro open, seen from the host's loop");
  const PlayerState before = g_player;
  ++Host().depth;
  ++Host().record.innerCalls;
  Host().previousFilterAnswer = key;
  uint32_t result = PluginKeyFilter(key) & host::kKeyCodeMask;
  --Host().depth;
  // An inner call only passes its key on (after the previous filter) or
  // holds it for the pause; it never starts, stops or resumes anything.
  uint32_t passed = Host().previousFilterAnswer & host::kKeyCodeMask;
  FUZZ_CHECK(result == passed || result == host::kNoKey, "inner call gave %#x for %#x", result, passed);
  FUZZ_CHECK(g_player.busy == 1, "an inner call cleared the busy flag");
  FUZZ_CHECK(g_player.macroFile == before.macroFile && g_player.logFile == before.logFile &&
                 g_player.waitMode == before.waitMode && g_player.pendingKey == before.pendingKey,
             "an inner call changed the playback");
}

// Called by the host functions that run the host's key loop.
void MaybeReenter() {
  if (!Host().conduct.reenter || Host().depth != 1) return;
  int calls = Answers().Byte() / 64;  // none for the quiet answers below 64
  for (int i = 0; i < calls; ++i) InnerFilterCall(ChooseKey());
}

uint32_t HOST_STDCALL PreviousFilter(uint32_t key) {
  // Mostly the key as it came; sometimes another one, or none.
  uint32_t answer = Answers().OneIn(4) ? ChooseKey() : key;
  Host().previousFilterAnswer = answer;
  return answer;
}

// ---- Files -----------------------------------------------------------------

void CheckOpen(HostFile handle, const char *what) {
  FUZZ_CHECK(Host().files.IsOpen(handle), "%s on handle %u, which is not open", what, handle);
}

size_t WideLength(const HostWideChar *text, size_t capacity) {
  size_t length = 0;
  while (length < capacity && text[length] != 0) ++length;
  FUZZ_CHECK(length < capacity, "a wide path without its terminator");
  return length;
}

bool EndsWith(const HostWideChar *path, const std::u16string &end) {
  size_t length = WideLength(path, 260);
  return length >= end.size() && std::u16string(path + length - end.size(), end.size()) == end;
}

}  // namespace

int32_t FuzzHost::HostFileFlush(HostFile file) {
  FUZZ_CHECK(file == kLogHandle, "flush of a file other than the log");
  CheckOpen(file, "HostFileFlush");
  return files.Flush(file);
}

int32_t FuzzHost::HostFileGetc(HostFile file) {
  FUZZ_CHECK(file == kMacroHandle, "HostFileGetc on a file other than the macro");
  CheckOpen(file, "HostFileGetc");
  return files.Getc(file);
}

int32_t FuzzHost::HostFileRewind(HostFile file) {
  FUZZ_CHECK(file == kMacroHandle, "HostFileRewind on a file other than the macro");
  CheckOpen(file, "HostFileRewind");
  return files.Rewind(file);
}

char *FuzzHost::HostFileGets(char *buffer, int32_t size, HostFile file) {
  FUZZ_CHECK(file == kKeysHandle, "HostFileGets on a file other than keys.h");
  FUZZ_CHECK(size == 256, "HostFileGets with %d bytes", size);
  CheckOpen(file, "HostFileGets");
  return files.Gets(buffer, size, file);
}

int32_t FuzzHost::HostFileClose(HostFile file) {
  CheckOpen(file, "HostFileClose");
  return files.Close(file);
}

int32_t FuzzHost::HostFileSeek(HostFile file, int32_t offset, int32_t origin) {
  FUZZ_CHECK(file == kLogHandle && offset == 0 && origin == host::kSeekEnd,
             "a seek other than the log's end");
  CheckOpen(file, "HostFileSeek");
  return files.Seek(file, offset, origin);
}

HostFile FuzzHost::HostFileOpenW(const HostWideChar *path, const HostWideChar *mode,
                                 int32_t share, int32_t zero, int32_t minusOne) {
  FUZZ_CHECK(share == host::kOpenShare && zero == 0 && minusOne == -1,
             "open with other arguments");
  size_t modeLength = WideLength(mode, 4);
  bool update = modeLength == 3;  // "rt+"
  const std::u16string *name = nullptr;
  HostFile handle = 0;
  bool exists = false;
  if (path[0] == 0) {
    exists = false;  // no path, no file
  } else if (EndsWith(path, u"keys.h")) {
    name = &kKeysPath, handle = kKeysHandle, exists = exist.keysExist;
  } else if (EndsWith(path, u".log")) {
    FUZZ_CHECK(update, "the log opened without \"rt+\"");
    name = &kLogPath, handle = kLogHandle, exists = exist.logExists;
  } else {
    FUZZ_CHECK(!update, "a file other than the log opened for writing");
    name = &kMacroPath, handle = kMacroHandle, exists = exist.macroExists;
  }
  if (!exists || Answers().OneIn(32)) {
    errno = ENOENT;
    _doserrno = 2;
    return 0;
  }
  // (Without HostFileClose the plug-in cannot close what it opened.)
  FUZZ_CHECK(!files.IsOpen(handle) || g_hostSlots.HostFileClose == nullptr,
             "file %u opened again while open", handle);
  return files.Open(*name, std::u16string(mode, modeLength), handle);
}

int32_t FuzzHost::HostPathAddExtensionW(HostWideChar *path, int32_t capacity,
                                        const HostWideChar *extension) {
  FUZZ_CHECK(capacity == host::kPathChars, "HostPathAddExtensionW with capacity %d", capacity);
  WideLength(path, static_cast<size_t>(capacity));
  WideLength(extension, 8);
  // As the host: the extension replaces the name's own; without room, no
  // path at all.
  return volmar::AddExtension(path, capacity, extension);
}

int32_t FuzzHost::HostMakePathW(HostWideChar *buffer, int32_t capacity,
                                const HostWideChar *relative) {
  FUZZ_CHECK(capacity == host::kPathChars, "HostMakePathW with capacity %d", capacity);
  return volmar::MakePath(buffer, capacity, kHostFolder, relative);
}

// ---- Texts -------------------------------------------------------------------

int32_t FuzzHost::HostConvertText(void *target, int32_t targetBytes, const void *source,
                                  int32_t length, int32_t from, int32_t to) {
  FUZZ_CHECK(targetBytes > 0, "HostConvertText into %d bytes", targetBytes);
  if (from == host::kEncodingHostText && to == host::kEncodingLog) {
    // A log line, in place.
    FUZZ_CHECK(target == source && targetBytes == 3078, "log line conversion out of place");
    FUZZ_CHECK(length >= 0 && static_cast<size_t>(length) <= kLogLineChars,
               "log line of %d characters", length);
    record.lineConverted = false;
    if (conduct.hostile && Answers().OneIn(8)) {
      memset(target, 'X', static_cast<size_t>(targetBytes));  // no terminator left
      record.lineConverted = true;
    }
    return length;
  }
  FUZZ_CHECK(from == host::kEncodingHostText && to == host::kEncodingWide && length == -1,
             "conversion %d -> %d", from, to);
  FUZZ_CHECK(targetBytes == host::kPathChars * 2, "macro path into %d bytes", targetBytes);
  // The macro's wide path; a hostile host fills the buffer to its end.
  HostWideChar *path = static_cast<HostWideChar *>(target);
  if (conduct.hostile && Answers().OneIn(8)) {
    for (int32_t i = 0; i < targetBytes / 2; ++i) path[i] = u'M';
  } else {
    memcpy(path, kMacroPath.c_str(), (kMacroPath.size() + 1) * sizeof(HostWideChar));
  }
  return 0;
}

int32_t FuzzHost::HostDateTimeText(char *date, char *time, int32_t flags) {
  FUZZ_CHECK(flags == host::kDateAndTime, "HostDateTimeText flags %#x", flags);
  if (conduct.hostile && Answers().OneIn(8)) {
    memset(date, '7', 12);  // all twelve bytes, no terminator
    memset(time, '9', 12);
    record.date.assign(11, '7');
    record.time.assign(11, '9');
  } else {
    memcpy(date, "2026-12-07", 11);
    memcpy(time, "10:11:12", 9);
    record.date = "2026-12-07";
    record.time = "10:11:12";
  }
  return 0;
}

char *FuzzHost::HostCopyText(char *destination, const char *source, int32_t maxChars) {
  FUZZ_CHECK(maxChars == 13, "HostCopyText of %d characters", maxChars);
  return sim::CopyText(destination, source, maxChars);
}

int32_t FuzzHost::HostPrepareText(char *text, int32_t size) {
  FUZZ_CHECK(size == 258, "HostPrepareText of %d bytes", size);
  (void)text;
  return 0;
}

int32_t FuzzHost::HostFilePrintf(HostFile file, const char *format, va_list values) {
  FUZZ_CHECK(file == kLogHandle, "HostFilePrintf to a file other than the log");
  CheckOpen(file, "HostFilePrintf");
  FUZZ_CHECK(strcmp(format, "%s") == 0, "a log line written through a format of its own");
  const char *line = va_arg(values, const char *);
  size_t length = strlen(line);  // past the buffer, if the line is not terminated
  FUZZ_CHECK(length <= kLogLineChars, "log line of %zu characters", length);
  ++record.logLines;
  record.lastLogLine.assign(line, length);
  return files.Write(file, record.lastLogLine);
}

// ---- Keys, questions, forms ---------------------------------------------------

int32_t FuzzHost::HostSetFlags(uint32_t bits, int32_t on) {
  FUZZ_CHECK(bits == host::kFlagPluginWorking && (on == 0 || on == 1), "HostSetFlags(%#x, %d)",
             bits, on);
  return sim::SetStateBits(flags, bits, on);
}

int32_t FuzzHost::HostDelayKey(uint32_t key, int32_t zero) {
  FUZZ_CHECK((key & host::kKeyCodeMask) != host::kNoKey && zero == 0, "HostDelayKey(%#x, %d)",
             key, zero);
  FUZZ_CHECK(depth >= 1, "a key held outside a filter call");
  return 0;
}

uint32_t FuzzHost::HostConvertChar(int32_t byte, int32_t three, int32_t one) {
  FUZZ_CHECK(byte >= 0 && byte <= 255 && three == host::kConvertCharMode &&
                 one == host::kConvertCharOne,
             "HostConvertChar(%d, %d, %d)", byte, three, one);
  // Mostly the byte itself; sometimes any value, 0 and '[' included.
  if (Answers().OneIn(8)) return Answers().U32();
  return static_cast<uint32_t>(byte);
}

uint32_t FuzzHost::HostKeyPending() { return Answers().OneIn(4) ? Answers().U32() : host::kNoKey; }

int32_t FuzzHost::HostPostKey(uint32_t key) {
  FUZZ_CHECK((key & host::kKeyCodeMask) != 0, "HostPostKey of key %#x", key);
  FUZZ_CHECK(g_player.busy == 1, "a key posted outside the playback step");
  ++record.postedKeys;
  MaybeReenter();
  return Answers().OneIn(4) ? 0 : 1;  // the host refuses one key in four
}

int32_t FuzzHost::HostTypeText(const char *text) {
  size_t length = strlen(text);
  FUZZ_CHECK(length <= 19, "HostTypeText of %zu characters", length);
  ++record.typedTexts;
  MaybeReenter();
  return 1;
}

int32_t FuzzHost::HostAsk(const char *title, const char *text, uint32_t) {
  FUZZ_CHECK(title != nullptr && text != nullptr, "HostAsk without a text");
  MaybeReenter();
  return Answers().OneIn(2) ? static_cast<int32_t>(host::kAnswerYes)
                            : static_cast<int32_t>(Answers().U32());
}

int32_t FuzzHost::HostWaitScreen() {
  MaybeReenter();
  return 0;
}

int32_t FuzzHost::HostPickFile(int32_t kind, char *buffer, const char *pattern, int32_t one) {
  FUZZ_CHECK(kind == host::kPickFileKind && one == 1 && strcmp(pattern, "*.txt") == 0,
             "HostPickFile call");
  FUZZ_CHECK(buffer[0] == 0, "the picker does not start empty");
  MaybeReenter();
  if (Answers().OneIn(2)) return -1;
  std::string name = Answers().Bytes(Answers().Byte() % 2 ? 257 : 12);
  memcpy(buffer, name.data(), name.size());
  buffer[name.size()] = 0;
  return 0;
}

char *FuzzHost::HostFormFieldBuffer(int32_t fieldId) {
  FUZZ_CHECK(fieldId == host::kFileNameField, "field %#x", fieldId);
  return formRecord ? formRecord->fileName : nullptr;
}

int32_t FuzzHost::HostRunForm(const void *, int32_t mode, void *record,
                              FieldCallback callback) {
  FUZZ_CHECK(mode == 1 && record == &g_startForm && callback != nullptr, "HostRunForm call");
  StartFormRecord *form = static_cast<StartFormRecord *>(record);
  formRecord = form;
  MaybeReenter();
  // The user presses F3 (the picker) or other keys, edits the fields.
  while (Answers().OneIn(3)) {
    uint32_t event = Answers().OneIn(2) ? 1 : Answers().Byte();
    callback(Answers().OneIn(2) ? host::kFileButton : ChooseKey(), event);
  }
  if (Answers().OneIn(4)) form->keyDelay = Answers().U16();
  if (Answers().OneIn(8)) {
    // A host that leaves the name field full, without its terminator.
    std::string name = Answers().Bytes(sizeof form->fileName);
    memcpy(form->fileName, name.data(), name.size());
  }
  formRecord = nullptr;
  return Answers().OneIn(4) ? 0 : host::kFormConfirmed;  // F12 confirms three times in four
}

int32_t FuzzHost::HostProfile(int32_t operation, const char *, const char *, const char *,
                              va_list) {
  FUZZ_CHECK(operation == host::kProfileWrite, "settings operation %d during playback", operation);
  return 0;
}

// ---- Memory ------------------------------------------------------------------

void *FuzzHost::HostCalloc(uint32_t count, uint32_t size) {
  FUZZ_CHECK(count == 300 && size == 16, "HostCalloc(%u, %u)", count, size);
  if (Answers().OneIn(16)) return nullptr;
  return memory.Calloc(count, size);
}

void *FuzzHost::HostRealloc(void *block, uint32_t size) {
  FUZZ_CHECK(memory.Owns(block), "HostRealloc of a block not ours");
  FUZZ_CHECK(size > 0 && size % 16 == 0 && size < 300 * 16, "HostRealloc to %u bytes", size);
  if (Answers().OneIn(8)) return nullptr;  // the old block stays
  void *moved = memory.Realloc(block, size);
  FUZZ_CHECK(moved != nullptr, "out of memory");
  return moved;
}

void FuzzHost::HostFree(void *block) {
  FUZZ_CHECK(memory.Free(block), "HostFree of a block not ours");
}


void InstallHost(const HostFiles &files, const HostConduct &conduct, FuzzHost *host) {
  g_active = host != nullptr ? host : &g_defaultHost;
  Host().exist = files;
  Host().conduct = conduct;
  Host().files = sim::Files();
  Host().files.Add(kMacroPath, files.macro);
  Host().files.Add(kKeysPath, files.keys);
  Host().files.Add(kLogPath, std::string());
  Host().flags = 0;
  Host().depth = 0;
  Host().formRecord = nullptr;
  Host().record = HostRecord();
  const char *trace = getenv("FUZZ_TRACE");
  Host().traceCalls = trace != nullptr && trace[0] == '2';
  standin::Reset();
  ResetPlayerState();
  memset(&g_startForm, 0, sizeof g_startForm);
  ResetKeyNameTable();
  sim::InstallHostCalls(Host());
  if (Answers().OneIn(4)) g_player.previousFilter = PreviousFilter;
  if (Answers().OneIn(4)) Host().flags = host::kFlagPluginWorking;
}

void EmptySlots(uint64_t mask) {
  for (const HostImportEntry &entry : kHostImportTable)
    if (mask >> (entry.position - 1) & 1) *entry.slot = nullptr;
}

void FinishHost() {
  // FUZZ_TRACE=1 shows what each input made the plug-in do (for seeds).
  if (getenv("FUZZ_TRACE") != nullptr)
    fprintf(stderr, "  %llu keys posted, %llu texts typed, %llu log lines, %llu inner calls%s\n",
            static_cast<unsigned long long>(Host().record.postedKeys),
            static_cast<unsigned long long>(Host().record.typedTexts),
            static_cast<unsigned long long>(Host().record.logLines),
            static_cast<unsigned long long>(Host().record.innerCalls),
            g_player.macroFile != 0 ? ", macro still open" : "");
  ReleaseKeyNameTable();
  // Without HostFree the table cannot go back; nothing else may be left.
  if (g_hostSlots.HostFree != nullptr)
    FUZZ_CHECK(Host().memory.Live() == 0, "%zu host blocks left", Host().memory.Live());
  Host().memory.FreeAll();
  ResetKeyNameTable();
  if (g_hostSlots.HostFileClose != nullptr) {
    FUZZ_CHECK(!Host().files.IsOpen(kKeysHandle), "keys.h left open");
    FUZZ_CHECK(Host().files.IsOpen(kMacroHandle) == (g_player.macroFile != 0),
               "macro file and player disagree");
    FUZZ_CHECK(Host().files.IsOpen(kLogHandle) == (g_player.logFile != 0),
               "log file and player disagree");
  }
}

void OpenMacroAsStarted() {
  g_player.macroFile = Host().files.Open(kMacroPath, u"rt", kMacroHandle);
  if (Host().exist.logExists) {
    g_player.logFile = Host().files.Open(kLogPath, u"rt+", kLogHandle);
    Host().files.Seek(kLogHandle, 0, host::kSeekEnd);
  }
}

uint32_t OuterFilterCall(uint32_t key) {
  uint32_t flagsBefore = Host().flags;
  Host().depth = 1;
  uint32_t result = PluginKeyFilter(key);
  Host().depth = 0;
  if (Host().traceCalls)
    fprintf(stderr, "    key %#x -> %#x: macro %u log %u wait %d pending %#x pause %u+%u\n", key,
            result, g_player.macroFile, g_player.logFile, g_player.waitMode,
            static_cast<uint32_t>(g_player.pendingKey), g_player.pauseStart,
            g_player.pauseLength);

  FUZZ_CHECK(g_player.busy == 0, "busy flag left set");
  FUZZ_CHECK(g_player.waitMode >= kNotWaiting && g_player.waitMode <= kHalted, "wait mode %d", g_player.waitMode);
  FUZZ_CHECK(g_player.macroFile != 0 || g_player.waitMode == kNotWaiting, "waiting with no macro open");
  FUZZ_CHECK(g_player.macroFile != 0 || g_player.pendingKey == 0, "a key pending with no macro");
  FUZZ_CHECK(g_player.macroFile != 0 || g_player.logFile == 0, "a log open without its macro");
  if (g_hostSlots.HostGetFlags != nullptr && g_hostSlots.HostSetFlags != nullptr)
    FUZZ_CHECK(Host().flags == flagsBefore, "state word %#x, was %#x", Host().flags, flagsBefore);
  if (g_player.macroFile != 0)
    FUZZ_CHECK(Host().files.IsOpen(kMacroHandle), "the player holds a closed macro");
  if (g_player.logFile != 0)
    FUZZ_CHECK(Host().files.IsOpen(kLogHandle), "the player holds a closed log");
  return result;
}

const HostRecord &Record() { return Host().record; }

void ToggleHostStateBit() { Host().flags ^= host::kFlagPluginWorking; }

}  // namespace fuzz
