#include "host/app/win32/volmar_backend.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "host/app/core/date_text.h"
#include "host/app/core/file_picker.h"
#include "host/app/core/form_template.h"
#include "host/app/core/message_box.h"
#include "host/app/core/paths.h"
#include "host/app/core/profile.h"
#include "host/app/core/safe_format.h"

namespace volmar {

const char *const VolmarBackend::kOwnBuildDate = __DATE__;

namespace {

// Plug-in calls must never see a C++ exception: whatever throws answers
// with the neutral result instead.
template <typename Result, typename Work>
Result Shielded(Result fallback, Work work) {
  try {
    return work();
  } catch (...) {
    return fallback;
  }
}

const wchar_t *Wide(const HostWideChar *text) { return reinterpret_cast<const wchar_t *>(text); }

std::string Text(const char *text) { return text != nullptr ? std::string(text) : std::string(); }

std::string ReadWholeFile(const std::u16string &path, bool &found) {
  std::string text;
  FILE *file = _wfopen(Wide(path.c_str()), L"rb");
  found = file != nullptr;
  if (file == nullptr) return text;
  char chunk[4096];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
  fclose(file);
  return text;
}

}  // namespace

VolmarBackend::VolmarBackend(const Options &options, std::u16string hostFolder, Keyboard &keyboard,
                             Ui &ui)
    : options_(options), hostFolder_(std::move(hostFolder)), keyboard_(keyboard), ui_(ui) {
  iniPath_ = options_.iniPath.empty() ? hostFolder_ + u"\\VOLMAR.ini" : options_.iniPath;
  buildDate_ = options_.buildDate ? *options_.buildDate : kOwnBuildDate;
  bool found = false;
  std::string text = ReadWholeFile(iniPath_, found);
  if (found) settings_.Parse(text);
}

bool VolmarBackend::SaveSettings(const IniStore &store) {
  FILE *file = _wfopen(Wide(iniPath_.c_str()), L"wb");
  if (file == nullptr) return false;
  std::string text = store.Serialize();
  bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
  return fclose(file) == 0 && written;
}

int32_t VolmarBackend::ShowMessage(const char *title, const std::string &text, uint32_t style) {
  bool error = IsErrorStyle(style);
  if (error) ++errorsShown_;
  return ShowMessageBox(ui_, Text(title), text, error);
}

// ---- Plug-in control ---------------------------------------------------------

int32_t VolmarBackend::HostQuery(int32_t what, int32_t value) {
  if (what == 1 && value == 1) return static_cast<int32_t>(options_.features);
  return 0;
}

// The five functions a plug-in binds and never calls.
int32_t VolmarBackend::HostOrdinal40008() { return 0; }
int32_t VolmarBackend::HostOrdinal41611() { return 0; }
int32_t VolmarBackend::HostOrdinal41613() { return 0; }
int32_t VolmarBackend::HostOrdinal30005() { return 0; }
int32_t VolmarBackend::HostOrdinal38417() { return 0; }

int32_t VolmarBackend::HostCheckPlugin(HostInstance, char *buffer, int32_t size) {
  if (!options_.refusal) return 0;
  if (buffer != nullptr && size > 0) {
    std::string reason = Shielded(std::string(), [&] { return Utf8ToHostText(*options_.refusal); });
    size_t length = std::min(reason.size(), static_cast<size_t>(size) - 1);
    memcpy(buffer, reason.data(), length);
    buffer[length] = 0;
  }
  return 1;
}

int32_t VolmarBackend::HostApiLevel() { return options_.apiLevel; }

uint32_t VolmarBackend::HostDateNumber(const char *date) {
  return DateNumber(date != nullptr ? date : buildDate_.c_str());
}

KeyFilter VolmarBackend::HostSetKeyFilter(KeyFilter filter) { return keyboard_.SetFilter(filter); }

// ---- Keyboard ----------------------------------------------------------------

int32_t VolmarBackend::HostPostKey(uint32_t key) {
  activity.HandedOver(GetTickCount());
  return keyboard_.Post(key);
}

int32_t VolmarBackend::HostDelayKey(uint32_t key, int32_t) { return keyboard_.Delay(key); }

uint32_t VolmarBackend::HostKeyPending() { return keyboard_.Pending(); }

int32_t VolmarBackend::HostTypeText(const char *text) {
  if (text == nullptr) return 0;
  activity.HandedOver(GetTickCount());
  return Shielded(0, [&] { return ui_.TypeText(text) ? 1 : 0; });
}

uint32_t VolmarBackend::HostConvertChar(int32_t byte, int32_t from, int32_t) {
  uint8_t value = static_cast<uint8_t>(byte);
  return from == kEncodingMacro ? macroDecoder_.Feed(value) : TypeableHostChar(value);
}

uint32_t VolmarBackend::HostGetFlags() { return flags_; }

int32_t VolmarBackend::HostSetFlags(uint32_t bits, int32_t on) {
  uint32_t previous = flags_;
  flags_ = on ? flags_ | bits : flags_ & ~bits;
  return static_cast<int32_t>(previous);
}

int32_t VolmarBackend::HostWaitScreen() {
  Shielded(0, [&] {
    ui_.Redraw();
    return 0;
  });
  return 0;
}

// ---- Files -------------------------------------------------------------------

HostFile VolmarBackend::HostFileOpenW(const HostWideChar *path, const HostWideChar *mode,
                                      int32_t share, int32_t, int32_t) {
  return files_.Open(Wide(path), Wide(mode), share);
}

// fgetc without the runtime's lock on the file for every byte: a byte
// already in the file's buffer is taken as fgetc takes it under that lock
// (the runtime has already turned CR LF into LF and stopped at Ctrl+Z when
// it filled the buffer in text mode); an empty buffer, the end of the file
// and every other state go through fgetc itself.  The host has one thread,
// and fgets, fseek and the rest see the same buffer and count.
static inline int GetByte(FILE *f) {
#ifndef _UCRT
  if (f->_cnt > 0) {
    --f->_cnt;
    return static_cast<unsigned char>(*f->_ptr++);
  }
#endif
  return fgetc(f);
}

int32_t VolmarBackend::HostFileGetc(HostFile file) {
  FILE *f = files_.Get(file);
  if (f == nullptr) return -1;
  int c = GetByte(f);
  return c == EOF ? -1 : c;
}

char *VolmarBackend::HostFileGets(char *buffer, int32_t size, HostFile file) {
  FILE *f = files_.Get(file);
  if (f == nullptr || buffer == nullptr || size <= 0) return nullptr;
  return fgets(buffer, size, f);
}

int32_t VolmarBackend::HostFileSeek(HostFile file, int32_t offset, int32_t origin) {
  FILE *f = files_.Get(file);
  if (f == nullptr || origin < SEEK_SET || origin > SEEK_END) return -1;
  return fseek(f, offset, origin);
}

int32_t VolmarBackend::HostFileRewind(HostFile file) {
  FILE *f = files_.Get(file);
  if (f == nullptr) return -1;
  rewind(f);
  return 0;
}

int32_t VolmarBackend::HostFilePrintf(HostFile file, const char *format, va_list values) {
  FILE *f = files_.Get(file);
  if (f == nullptr || format == nullptr) return -1;
  return vfprintf(f, format, values);
}

int32_t VolmarBackend::HostFileFlush(HostFile file) {
  FILE *f = files_.Get(file);
  return f == nullptr ? -1 : fflush(f);
}

int32_t VolmarBackend::HostFileClose(HostFile file) { return files_.Close(file); }

// ---- Paths and text ----------------------------------------------------------

int32_t VolmarBackend::HostMakePathW(HostWideChar *buffer, int32_t capacity,
                                     const HostWideChar *relative) {
  return Shielded(-1, [&] { return MakePath(buffer, capacity, hostFolder_, relative); });
}

int32_t VolmarBackend::HostPathAddExtensionW(HostWideChar *path, int32_t capacity,
                                             const HostWideChar *extension) {
  int32_t result = Shielded(-2, [&] { return AddExtension(path, capacity, extension); });
  if (result == -2 && path != nullptr && capacity > 0) path[0] = 0;  // never a wrong name
  return result < 0 ? -1 : result;
}

int32_t VolmarBackend::HostConvertText(void *target, int32_t targetBytes, const void *source,
                                       int32_t length, int32_t from, int32_t to) {
  return Shielded(-1, [&] { return ConvertText(target, targetBytes, source, length, from, to); });
}

char *VolmarBackend::HostCopyText(char *destination, const char *source, int32_t maxChars) {
  if (destination == nullptr) return nullptr;
  size_t length = source != nullptr && maxChars > 0 ? strnlen(source, maxChars) : 0;
  memmove(destination, source != nullptr ? source : "", length);
  destination[length] = 0;
  return destination;
}

int32_t VolmarBackend::HostPrepareText(char *text, int32_t size) {
  if (text == nullptr || size <= 0) return 0;
  size_t length = strnlen(text, size);
  if (length == static_cast<size_t>(size)) text[--length] = 0;  // terminated within its room
  return static_cast<int32_t>(length);
}

int32_t VolmarBackend::HostDateTimeText(char *date, char *time, int32_t flags) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  FormatDateTime(CivilTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond},
                 date, time, flags);
  return 0;
}

// ---- Memory ------------------------------------------------------------------

void *VolmarBackend::HostCalloc(uint32_t count, uint32_t size) { return calloc(count, size); }

void *VolmarBackend::HostRealloc(void *block, uint32_t size) {
  if (size == 0) return nullptr;  // the block stays as it was
  return realloc(block, size);
}

void VolmarBackend::HostFree(void *block) { free(block); }

// ---- Messages ----------------------------------------------------------------

int32_t VolmarBackend::HostMessage(int32_t, const char *title, const char *text, uint32_t style) {
  return Shielded(0, [&] { return ShowMessage(title, Text(text), style); });
}

int32_t VolmarBackend::HostMessageF(int32_t, const char *title, const char *format, uint32_t style,
                                    uint32_t, va_list values) {
  char text[8192];
  text[0] = 0;
  if (format != nullptr) vsnprintf(text, sizeof text, format, values);
  text[sizeof text - 1] = 0;
  return Shielded(0, [&] { return ShowMessage(title, text, style); });
}

int32_t VolmarBackend::HostErrorMessageF(int32_t err, int32_t systemErr, const char *format,
                                         const HostWideChar *argument, uint32_t style) {
  return Shielded(0, [&] {
    std::u16string wide;
    for (const HostWideChar *p = argument; p != nullptr && *p != 0 && wide.size() < 32768; ++p)
      wide.push_back(*p);
    std::string text = FormatValues(format, {FormatValue::Number(err), FormatValue::Number(systemErr),
                                             FormatValue::Text(Utf16ToHostText(wide))});
    return ShowMessage("", text, style | 0xE000);
  });
}

int32_t VolmarBackend::HostAsk(const char *title, const char *text, uint32_t flags) {
  return Shielded(0, [&] { return AskBox(ui_, Text(title), Text(text), flags); });
}

int32_t VolmarBackend::HostShowNotice(int32_t, int16_t *answer, int32_t, const char *text) {
  return Shielded(0, [&] {
    int16_t chosen = NoticeWithChoice(ui_, Text(text));
    if (answer != nullptr) *answer = chosen;
    return static_cast<int32_t>(chosen);
  });
}

// ---- Forms and settings ------------------------------------------------------

int32_t VolmarBackend::HostRunForm(const void *formTemplate, int32_t, void *record,
                                   FieldCallback callback) {
  return Shielded(static_cast<int32_t>(kAnswerCancel), [&] {
    const auto *bytes = static_cast<const uint8_t *>(formTemplate);
    FormTemplate form;
    std::string error;
    if (!ReadFormTemplate(bytes, FormTemplateSize(bytes), form, error)) {
      ShowMessage("VOLMAR", Utf8ToHostText("Nie można odczytać szablonu formularza: " + error), host::kErrorStyle);
      return static_cast<int32_t>(kAnswerCancel);
    }
    FormRun run(ui_, form, static_cast<uint8_t *>(record), callback);
    forms_.push_back(&run);
    struct Unregister {
      std::vector<FormRun *> &forms;
      ~Unregister() { forms.pop_back(); }
    } unregister{forms_};
    return run.Run();
  });
}

char *VolmarBackend::HostFormFieldBuffer(int32_t fieldId) {
  return forms_.empty() ? nullptr : forms_.back()->FieldBuffer(fieldId);
}

int32_t VolmarBackend::HostFormRefreshField(int32_t fieldId) {
  if (forms_.empty()) return -1;
  return Shielded(-1, [&] { return forms_.back()->RefreshField(fieldId); });
}

int32_t VolmarBackend::HostPickFile(int32_t, char *buffer, const char *pattern, int32_t) {
  if (buffer == nullptr) return -1;
  return Shielded(-1, [&] {
    std::string hostPattern = pattern != nullptr && *pattern != 0 ? pattern : "*";
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Wide(HostTextToUtf16(hostPattern).c_str()), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::u16string wide(reinterpret_cast<const char16_t *>(found.cFileName));
        std::string host = Utf16ToHostText(wide, 0);
        // Only names the host encoding can hold come back right when opened.
        if (host.find('\0') == std::string::npos && host.size() <= 257) names.push_back(host);
      } while (FindNextFileW(search, &found));
      FindClose(search);
    }
    SortFileNames(names);
    int32_t chosen = RunFilePicker(ui_, names, hostPattern);
    if (chosen < 0) return -1;
    memcpy(buffer, names[chosen].c_str(), names[chosen].size() + 1);
    return 0;
  });
}

int32_t VolmarBackend::HostProfile(int32_t operation, const char *section, const char *key,
                                   const char *format, va_list values) {
  return Shielded(1, [&] {
    return ProfileCall(settings_, [this](const IniStore &store) { return SaveSettings(store); },
                       operation, section, key, format, values);
  });
}

}  // namespace volmar
