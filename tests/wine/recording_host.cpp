#include "tests/wine/recording_host.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include "plugin/contract/host_values.h"
#include "plugin/contract/mazovia.h"
#include "tests/wine/check.h"
#include "tests/wine/stack_probe.h"

// Records a call; in quiet mode only counts it, without building its text.
#define NOTE(...)                 \
  do {                            \
    if (quiet) ++callCount;       \
    else Note(__VA_ARGS__);       \
  } while (0)

// ---------------------------------------------------------------------------
// Recording helpers
// ---------------------------------------------------------------------------
std::string RecordingHost::Quoted(const char *text) {
  if (text == nullptr) return "null";
  std::string quoted(1, '"');
  quoted += Escaped(text);
  quoted += '"';
  return quoted;
}

std::string RecordingHost::QuotedWide(const wchar_t *text) {
  if (text == nullptr) return "null";
  std::string narrow;
  for (; *text != 0; ++text) {
    if (*text < 0x80) narrow += static_cast<char>(*text);
    else narrow += Format("\\u%04X", static_cast<unsigned>(*text));
  }
  return "L\"" + narrow + "\"";
}

std::vector<std::string> RecordingHost::CallsOf(const std::vector<std::string> &names) const {
  std::vector<std::string> chosen;
  for (const std::string &call : calls)
    for (const std::string &name : names)
      if (call.compare(0, name.size() + 1, name + "(") == 0) {
        chosen.push_back(call);
        break;
      }
  return chosen;
}

void RecordingHost::PrintCalls() const {
  for (const std::string &call : calls) printf("  %s\n", call.c_str());
}

int RecordingHost::OpenFileCount() const {
  int open = 0;
  for (FILE *file : files_) open += file != nullptr;
  return open;
}

static const wchar_t *Wide(const HostWideChar *text) {
  return reinterpret_cast<const wchar_t *>(text);
}

std::string MazoviaToUtf8(const std::string &text) {
  std::string out;
  for (unsigned char byte : text) {
    char16_t c = MazoviaToUnicode(byte);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// ---------------------------------------------------------------------------
// Plug-in control
// ---------------------------------------------------------------------------
int32_t RecordingHost::HostQuery(int32_t what, int32_t value) {
  NOTE(Format("HostQuery(%d, %d)", what, value));
  return what == 1 && value == 1 ? queryMask : 0;
}

int32_t RecordingHost::HostCheckPlugin(HostInstance instance, char *buffer, int32_t size) {
  NOTE(Format("HostCheckPlugin(%s, %s, %d)", instance == pluginModule ? "plugin" : "other",
              buffer == nullptr ? "null" : "buffer", size));
  if (checkVerdict != 0 && buffer != nullptr && size > 0) {
    size_t length = checkExplanation.size() < static_cast<size_t>(size)
                        ? checkExplanation.size()
                        : static_cast<size_t>(size) - 1;
    memcpy(buffer, checkExplanation.data(), length);
    buffer[length] = 0;
  }
  return checkVerdict;
}

int32_t RecordingHost::HostApiLevel() {
  NOTE("HostApiLevel()");
  return apiLevel;
}

uint32_t RecordingHost::HostDateNumber(const char *date) {
  NOTE("HostDateNumber(" + Quoted(date) + ")");
  if (date == nullptr) return hostDate;
  static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
  char month[4] = {};
  unsigned day = 0, year = 0;
  if (sscanf(date, "%3s %u %u", month, &day, &year) != 3) return 0x7FFFFFFF;
  const char *found = strstr(kMonths, month);
  if (found == nullptr || (found - kMonths) % 3 != 0 || day < 1 || day > 31) return 0x7FFFFFFF;
  return year * 10000 + static_cast<unsigned>((found - kMonths) / 3 + 1) * 100 + day;
}

KeyFilter RecordingHost::HostSetKeyFilter(KeyFilter filter) {
  NOTE(Format("HostSetKeyFilter(%s)", filter == nullptr ? "null" : "filter"));
  KeyFilter previous = installedFilter;
  installedFilter = filter;
  return previous;
}

int32_t RecordingHost::HostOrdinal40008() { NOTE("HostOrdinal40008()"); return 0; }
int32_t RecordingHost::HostOrdinal41611() { NOTE("HostOrdinal41611()"); return 0; }
int32_t RecordingHost::HostOrdinal41613() { NOTE("HostOrdinal41613()"); return 0; }
int32_t RecordingHost::HostOrdinal30005() { NOTE("HostOrdinal30005()"); return 0; }
int32_t RecordingHost::HostOrdinal38417() { NOTE("HostOrdinal38417()"); return 0; }

// ---------------------------------------------------------------------------
// Keyboard
// ---------------------------------------------------------------------------
int32_t RecordingHost::HostPostKey(uint32_t key) {
  NOTE(Format("HostPostKey(0x%X)", key));
  ++postKeyCalls;
  if (keepHandedOver) handedOver.push_back({false, key, std::string()});
  ++posts_;
  if (posts_ >= refuseFrom && posts_ < refuseFrom + refuseCount) return 0;
  for (int refused : refusedPosts)
    if (refused == posts_) return 0;
  if ((key & 0xFFFF) != 0xFFFF) {
    input.push_back(key & 0xFFFF);
    ++queuedKeys;
  }
  return 1;
}

int32_t RecordingHost::HostTypeText(const char *text) {
  NOTE("HostTypeText(" + Quoted(text) + ")");
  ++typeTextCalls;
  if (keepHandedOver) handedOver.push_back({true, 0, text != nullptr ? text : ""});
  return 0;
}

uint32_t RecordingHost::HostConvertChar(int32_t byte, int32_t three, int32_t one) {
  NOTE(Format("HostConvertChar(0x%X, %d, %d)", byte, three, one));
  return static_cast<uint32_t>(byte) & 0xFF;
}

uint32_t RecordingHost::HostKeyPending() {
  NOTE("HostKeyPending()");
  return input.empty() ? host::kNoKey : input.front();
}

int32_t RecordingHost::HostDelayKey(uint32_t key, int32_t zero) {
  NOTE(Format("HostDelayKey(0x%X, %d)", key, zero));
  ++delayKeyCalls;
  input.push_front(key & 0xFFFF);
  return 0;
}

uint32_t RecordingHost::HostGetFlags() {
  NOTE("HostGetFlags()");
  return flags;
}

int32_t RecordingHost::HostSetFlags(uint32_t bits, int32_t on) {
  NOTE(Format("HostSetFlags(0x%X, %d)", bits, on));
  flags = on ? flags | bits : flags & ~bits;
  return 0;
}

int32_t RecordingHost::HostWaitScreen() {
  NOTE("HostWaitScreen()");
  return 0;
}

// ---------------------------------------------------------------------------
// Files: real files through the C runtime
// ---------------------------------------------------------------------------
FILE *RecordingHost::File(HostFile file) const {
  return file >= 1 && file <= files_.size() ? files_[file - 1] : nullptr;
}

HostFile RecordingHost::HostFileOpenW(const HostWideChar *path, const HostWideChar *mode,
                                      int32_t share, int32_t zero, int32_t minusOne) {
  const OpenFault *fault = nullptr;
  std::wstring name = Wide(path);
  for (const OpenFault &candidate : openFaults)
    if (name.size() >= candidate.suffix.size() &&
        name.compare(name.size() - candidate.suffix.size(), std::wstring::npos,
                     candidate.suffix) == 0)
      fault = &candidate;
  FILE *opened = fault == nullptr ? _wfsopen(Wide(path), Wide(mode), share) : nullptr;
  files_.push_back(opened);
  HostFile handle = opened != nullptr ? static_cast<HostFile>(files_.size()) : 0;
  NOTE(Format("HostFileOpenW(%s, %s, 0x%X, %d, %d) -> %u", QuotedWide(Wide(path)).c_str(),
              QuotedWide(Wide(mode)).c_str(), share, zero, minusOne, handle));
  if (fault != nullptr) {
    // Set last, as the C runtime leaves them after a failed open: the
    // plug-in shares this msvcrt and reads them from there.
    errno = fault->error;
    _doserrno = fault->systemError;
  }
  return handle;
}

int32_t RecordingHost::HostFileGetc(HostFile file) {
  NOTE(Format("HostFileGetc(%u)", file));
  FILE *f = File(file);
  return f != nullptr ? fgetc(f) : -1;
}

char *RecordingHost::HostFileGets(char *buffer, int32_t size, HostFile file) {
  NOTE(Format("HostFileGets(%d, %u)", size, file));
  FILE *f = File(file);
  return f != nullptr ? fgets(buffer, size, f) : nullptr;
}

int32_t RecordingHost::HostFileSeek(HostFile file, int32_t offset, int32_t origin) {
  NOTE(Format("HostFileSeek(%u, %d, %d)", file, offset, origin));
  FILE *f = File(file);
  return f != nullptr ? fseek(f, offset, origin) : -1;
}

int32_t RecordingHost::HostFileRewind(HostFile file) {
  NOTE(Format("HostFileRewind(%u)", file));
  ++rewinds;
  if (rewinds == shiftF11AfterRewind) input.push_back(host::kKeyShiftF11);
  FILE *f = File(file);
  if (f == nullptr) return -1;
  rewind(f);
  return 0;
}

int32_t RecordingHost::HostFilePrintf(HostFile file, const char *format, va_list values) {
  ++filePrintfCalls;
  va_list copy;
  va_copy(copy, values);
  if (quiet) {
    ++callCount;
    // The plug-in writes its lines through "%s": measure the line itself.
    if (strcmp(format, "%s") == 0) {
      size_t length = strlen(va_arg(copy, const char *));
      if (length > longestLogLine) longestLogLine = length;
    }
  } else {
    char text[8192];
    vsnprintf(text, sizeof text, format, copy);
    text[sizeof text - 1] = 0;
    if (strlen(text) > longestLogLine) longestLogLine = strlen(text);
    Note(Format("HostFilePrintf(%u, %s, ", file, Quoted(format).c_str()) + Quoted(text) + ")");
  }
  va_end(copy);
  if (filePrintfCalls >= printfFailFrom && filePrintfCalls < printfFailFrom + printfFailCount)
    return -1;
  FILE *f = File(file);
  return f != nullptr ? vfprintf(f, format, values) : -1;
}

int32_t RecordingHost::HostFileFlush(HostFile file) {
  NOTE(Format("HostFileFlush(%u)", file));
  FILE *f = File(file);
  if (flushFails) return -1;
  return f != nullptr ? fflush(f) : -1;
}

int32_t RecordingHost::HostFileClose(HostFile file) {
  NOTE(Format("HostFileClose(%u)", file));
  FILE *f = File(file);
  if (f == nullptr) return -1;
  files_[file - 1] = nullptr;
  return fclose(f);
}

// ---------------------------------------------------------------------------
// Paths and text
// ---------------------------------------------------------------------------
static int32_t CopyWide(HostWideChar *buffer, int32_t capacity, const std::wstring &text) {
  if (buffer == nullptr || capacity <= 0) return 0;
  size_t length = text.size() < static_cast<size_t>(capacity) ? text.size()
                                                               : static_cast<size_t>(capacity) - 1;
  for (size_t i = 0; i < length; ++i) buffer[i] = static_cast<HostWideChar>(text[i]);
  buffer[length] = 0;
  return static_cast<int32_t>(length);
}

int32_t RecordingHost::HostMakePathW(HostWideChar *buffer, int32_t capacity,
                                     const HostWideChar *relative) {
  NOTE(Format("HostMakePathW(%d, ", capacity) + QuotedWide(Wide(relative)) + ")");
  return CopyWide(buffer, capacity, root + L"\\" + Wide(relative));
}

int32_t RecordingHost::HostPathAddExtensionW(HostWideChar *path, int32_t capacity,
                                             const HostWideChar *extension) {
  NOTE(Format("HostPathAddExtensionW(%s, %d, %s)", QuotedWide(Wide(path)).c_str(), capacity,
              QuotedWide(Wide(extension)).c_str()));
  std::wstring text = Wide(path);
  size_t name = text.find_last_of(L"\\/");
  size_t dot = text.rfind(L'.');
  if (dot != std::wstring::npos && (name == std::wstring::npos || dot > name)) text.resize(dot);
  return CopyWide(path, capacity, text + Wide(extension));
}

int32_t RecordingHost::HostConvertText(void *target, int32_t targetBytes, const void *source,
                                       int32_t length, int32_t from, int32_t to) {
  NOTE(Format("HostConvertText(%s, %d, %s, %d, %d, %d)", target == source ? "same" : "target",
              targetBytes, Quoted(static_cast<const char *>(source)).c_str(), length, from, to));
  const char *bytes = static_cast<const char *>(source);
  std::string text(bytes, length < 0 ? strlen(bytes) : static_cast<size_t>(length));
  if (from == 1 && to == 5) {
    std::wstring wide;
    for (unsigned char byte : text) wide += static_cast<wchar_t>(MazoviaToUnicode(byte));
    return CopyWide(static_cast<HostWideChar *>(target), targetBytes / 2, wide);
  }
  if (from == 1 && to == 6) text = MazoviaToUtf8(text);
  if (targetBytes <= 0) return 0;
  size_t stored = text.size() < static_cast<size_t>(targetBytes)
                      ? text.size()
                      : static_cast<size_t>(targetBytes) - 1;
  memcpy(target, text.data(), stored);
  static_cast<char *>(target)[stored] = 0;
  return static_cast<int32_t>(stored);
}

char *RecordingHost::HostCopyText(char *destination, const char *source, int32_t maxChars) {
  NOTE("HostCopyText(" + Quoted(source) + Format(", %d)", maxChars));
  size_t length = strlen(source);
  if (length > static_cast<size_t>(maxChars)) length = static_cast<size_t>(maxChars);
  memcpy(destination, source, length);
  destination[length] = 0;
  return destination;
}

int32_t RecordingHost::HostPrepareText(char *text, int32_t size) {
  NOTE("HostPrepareText(" + Quoted(text) + Format(", %d)", size));
  return 0;
}

int32_t RecordingHost::HostDateTimeText(char *date, char *time, int32_t flags) {
  NOTE(Format("HostDateTimeText(0x%X)", flags));
  strcpy(date, "2024-05-17");
  strcpy(time, "12:34:56");
  return 0;
}

// ---------------------------------------------------------------------------
// Memory
// ---------------------------------------------------------------------------
void *RecordingHost::HostCalloc(uint32_t count, uint32_t size) {
  NOTE(Format("HostCalloc(%u, %u)", count, size) + (callocFails ? " -> null" : ""));
  if (callocFails) return nullptr;
  void *block = calloc(count, size);
  if (block != nullptr) liveBlocks[block] = count * size;
  return block;
}

void *RecordingHost::HostRealloc(void *block, uint32_t size) {
  NOTE(Format("HostRealloc(%s, %u)", block == nullptr ? "null" : "block", size) +
       (reallocFails ? " -> null" : ""));
  if (block != nullptr && liveBlocks.count(block) == 0) ++strayFrees;
  if (reallocFails) return nullptr;
  void *moved = realloc(block, size);
  if (moved != nullptr) {
    liveBlocks.erase(block);
    liveBlocks[moved] = size;
  }
  return moved;
}

void RecordingHost::HostFree(void *block) {
  NOTE(Format("HostFree(%s)", block == nullptr ? "null" : "block"));
  if (block != nullptr && liveBlocks.erase(block) == 0) {
    ++strayFrees;  // not ours to free: left alone
    return;
  }
  free(block);
}

// ---------------------------------------------------------------------------
// Messages
// ---------------------------------------------------------------------------
int32_t RecordingHost::HostMessageF(int32_t id, const char *title, const char *format,
                                    uint32_t style, uint32_t style2, va_list values) {
  char text[8192];
  vsnprintf(text, sizeof text, format, values);
  text[sizeof text - 1] = 0;
  shownMessages.push_back(text);
  NOTE(Format("HostMessageF(%d, %s, %s, 0x%X, 0x%X) -> ", id, Quoted(title).c_str(),
              Quoted(format).c_str(), style, style2) +
       Quoted(text));
  return 0;
}

int32_t RecordingHost::HostMessage(int32_t id, const char *title, const char *text,
                                   uint32_t style) {
  NOTE(Format("HostMessage(%d, %s, %s, 0x%X)", id, Quoted(title).c_str(), Quoted(text).c_str(),
              style));
  return 0;
}

int32_t RecordingHost::HostErrorMessageF(int32_t err, int32_t systemErr, const char *format,
                                         const HostWideChar *argument, uint32_t style) {
  NOTE(Format("HostErrorMessageF(%d, %d, %s, %s, 0x%X)", err, systemErr, Quoted(format).c_str(),
              QuotedWide(Wide(argument)).c_str(), style));
  return 0;
}

int32_t RecordingHost::HostAsk(const char *title, const char *text, uint32_t flags) {
  NOTE(Format("HostAsk(%s, %s, 0x%X)", Quoted(title).c_str(), Quoted(text).c_str(), flags));
  ++askCalls;
  if (flags != host::kAskYesNo || questionAnswers.empty()) return 0;
  int32_t answer = questionAnswers.front();
  questionAnswers.pop_front();
  return answer;
}

int32_t RecordingHost::HostShowNotice(int32_t id, int16_t *answer, int32_t zero,
                                      const char *text) {
  NOTE(Format("HostShowNotice(%d, answer, %d, %s)", id, zero, Quoted(text).c_str()));
  if (answer != nullptr) *answer = noticeAnswer;
  return 0;
}

// ---------------------------------------------------------------------------
// Forms and settings
// ---------------------------------------------------------------------------
int32_t RecordingHost::HostRunForm(const void *formTemplate, int32_t mode, void *record,
                                   FieldCallback callback) {
  NOTE(Format("HostRunForm(%s, %d, %s, %s)", formTemplate == nullptr ? "null" : "template", mode,
              record == nullptr ? "null" : "record", callback == nullptr ? "null" : "callback"));
  if (record == nullptr || forms.empty()) return 0x001B;
  FormScript script = forms.front();
  forms.pop_front();
  pickedName_ = script.pickedName;
  auto *bytes = static_cast<unsigned char *>(record);
  // The file-name field edits a copy of the record's name.
  memcpy(fieldBuffer_, bytes, sizeof fieldBuffer_);
  fieldBuffer_[sizeof fieldBuffer_ - 1] = 0;
  formRunning_ = true;
  if (script.pressF3 && callback != nullptr) {
    const int32_t args[2] = {host::kKeyF3, 1};
    fieldCallbackResult = CallAndMeasure(reinterpret_cast<const void *>(callback), args, 2,
                                         &fieldCallbackShift);
  }
  if (!script.name.empty()) {
    memset(fieldBuffer_, 0, sizeof fieldBuffer_);
    memcpy(fieldBuffer_, script.name.data(),
           script.name.size() < sizeof fieldBuffer_ ? script.name.size() : sizeof fieldBuffer_ - 1);
  }
  formRunning_ = false;
  if ((script.result & 0xFFFF) == 0x5001) {
    memcpy(bytes, fieldBuffer_, sizeof fieldBuffer_);
    if (script.delay >= 0) {
      bytes[258] = static_cast<unsigned char>(script.delay & 0xFF);
      bytes[259] = static_cast<unsigned char>((script.delay >> 8) & 0xFF);
    }
  }
  return script.result;
}

int32_t RecordingHost::HostPickFile(int32_t kind, char *buffer, const char *pattern, int32_t one) {
  NOTE(Format("HostPickFile(0x%X, %s, %s, %d)", kind,
              buffer == nullptr ? "null" : Quoted(buffer).c_str(), Quoted(pattern).c_str(), one));
  if (pickedName_.empty() || buffer == nullptr) return -1;
  strncpy(buffer, pickedName_.c_str(), 257);
  buffer[257] = 0;
  return 0;
}

char *RecordingHost::HostFormFieldBuffer(int32_t fieldId) {
  NOTE(Format("HostFormFieldBuffer(0x%X)", fieldId));
  return formRunning_ && fieldId == 0x4101 ? fieldBuffer_ : nullptr;
}

int32_t RecordingHost::HostFormRefreshField(int32_t fieldId) {
  NOTE(Format("HostFormRefreshField(0x%X)", fieldId));
  return 0;
}

int32_t RecordingHost::HostProfile(int32_t operation, const char *section, const char *key,
                                   const char *format, va_list values) {
  std::string call = Format("HostProfile(%d, %s, %s, %s", operation, Quoted(section).c_str(),
                            Quoted(key).c_str(), Quoted(format).c_str());
  const bool read = operation == 1 || operation == 8;
  const bool isText = strcmp(format, "%s") == 0 || strcmp(format, "%*s") == 0;
  auto stored = settings.find(key);
  int32_t result = 0;
  if (read && !isText) {
    auto *address = va_arg(values, int16_t *);
    if (stored == settings.end()) result = 1;
    else *address = static_cast<int16_t>(atoi(stored->second.c_str()));
  } else if (read) {
    int width = strcmp(format, "%*s") == 0 ? va_arg(values, int) : 257;
    char *address = va_arg(values, char *);
    call += Format(", %d", width);
    if (stored == settings.end()) {
      result = 1;
    } else {
      size_t length = stored->second.size() < static_cast<size_t>(width)
                          ? stored->second.size()
                          : static_cast<size_t>(width);
      memcpy(address, stored->second.data(), length);
      address[length] = 0;
    }
  } else if (!isText) {
    int value = va_arg(values, int);
    call += Format(", %d", value);
    settings[key] = Format("%d", value);
  } else {
    const char *value = va_arg(values, const char *);
    call += ", " + Quoted(value);
    settings[key] = value;
  }
  NOTE(call + Format(") -> %d", result));
  return result;
}
