#include "recorder/session/recording.h"

#include <string.h>

#include "plugin/binding/host_calls.h"
#include "plugin/contract/bounded_format.h"
#include "plugin/contract/host_values.h"
#include "plugin/contract/key_rows.h"
#include "plugin/platform/platform.h"
#include "plugin/settings/settings_call.h"
#include "recorder/session/key_naming.h"
#include "recorder/session/key_table.h"
#include "recorder/session/recorder_boxes.h"
#include "recorder/session/recorder_texts.h"
#include "recorder/session/writer_host.h"

RecorderState g_recorder;
RecorderFormRecord g_recorderForm;

namespace {

constexpr auto kFolderKey = ToHostText("Folder");
constexpr auto kOfferFormat = ToHostText("%snagranie%u.txt");

constexpr size_t kNameSize = sizeof g_recorderForm.fileName;
// "nagranie1.txt" to "nagranie9999.txt": a folder with all of them taken
// gets the last one offered, and the question about the existing file asks.
constexpr uint32_t kMostOffered = 9999;

// Host text to a wide path; false when nothing usable came back.
bool WidePath(const char *name, HostWideChar (&path)[host::kPathChars]) {
  path[0] = 0;
  HostConvertText(path, sizeof path, name, -1, host::kEncodingHostText, host::kEncodingWide);
  path[host::kPathChars - 1] = 0;
  return path[0] != 0;
}

HostFile Open(const HostWideChar *path, const HostWideChar *mode) {
  return HostFileOpenW(path, mode, host::kOpenShare, 0, -1);
}

bool Exists(const HostWideChar *path) {
  HostFile probe = Open(path, u"rb");
  if (probe == 0) return false;
  HostFileClose(probe);
  return true;
}

size_t FolderLength(const char *name) {
  size_t length = 0;
  for (size_t i = 0; name[i] != 0; ++i)
    if (name[i] == '\\' || name[i] == '/' || name[i] == ':') length = i + 1;
  return length;
}

// The C runtime's numbers after a failed open, and the Windows ones.
enum : int32_t { kNoSuchEntry = 2, kAccessDenied = 13, kInvalid = 22, kNoSpace = 28 };
enum : int32_t {
  kWinFileNotFound = 2, kWinPathNotFound = 3, kWinAccessDenied = 5, kWinSharing = 32,
  kWinHandleDiskFull = 39, kWinDiskFull = 112, kWinInvalidName = 123,
};

// What happened and what to do, in plain words, for a failed open.
const char *OpenFailureAdvice(int32_t error, int32_t systemError) {
  if (systemError == kWinSharing) return kInUseText.c_str();
  if (error == kNoSpace || systemError == kWinDiskFull || systemError == kWinHandleDiskFull)
    return kDiskFullText.c_str();
  if (error == kAccessDenied || systemError == kWinAccessDenied) return kNoAccessText.c_str();
  if (systemError == kWinInvalidName || error == kInvalid) return kBadNameText.c_str();
  if (error == kNoSuchEntry || systemError == kWinPathNotFound || systemError == kWinFileNotFound)
    return kNoFolderText.c_str();
  return kOpenOtherText.c_str();
}

enum class Opened { kYes, kBackToForm };

// Opens the file the form names: a new file afresh, an existing one only
// after the user chose not to pick another name.
Opened OpenRecording(const char *name) {
  HostWideChar path[host::kPathChars];
  if (name[0] == 0 || !WidePath(name, path)) {
    RecorderNotice(kEmptyNameText.c_str());
    return Opened::kBackToForm;
  }
  bool append = Exists(path);
  char text[1024];
  if (append) {
    FormatBounded(text, sizeof text, kAppendQuestionFormat.c_str(), name);
    if (RecorderAskYes(text)) return Opened::kBackToForm;
  }
  // Binary: the bytes go as the writer made them, CR LF included.
  g_recorder.file = Open(path, append ? u"ab" : u"wb");
  if (g_recorder.file == 0) {
    // Both numbers as the failed open left them, before any other call.
    int32_t error = errno;
    int32_t systemError = _doserrno;
    FormatBounded(text, sizeof text, kOpenFailedFormat.c_str(), name,
                  OpenFailureAdvice(error, systemError), error, systemError);
    RecorderError(text);
    return Opened::kBackToForm;
  }
  return Opened::kYes;
}

void RememberFolder(const char *name) {
  char folder[sizeof g_recorder.folder] = {};
  memcpy(folder, name, FolderLength(name));
  if (strcmp(folder, g_recorder.folder) == 0) return;
  memcpy(g_recorder.folder, folder, sizeof folder);
  SettingsCall(host::kProfileWrite, kSettingsSection.c_str(), kFolderKey.c_str(), "%s", g_recorder.folder);
}

void StartRecording() {
  OfferFileName(g_recorder.folder, g_recorderForm.fileName);
  for (;;) {
    if (RecorderRunForm(RecorderFormTemplate(), &g_recorderForm) != host::kFormConfirmed) return;
    g_recorderForm.fileName[kNameSize - 1] = 0;
    if (OpenRecording(g_recorderForm.fileName) == Opened::kYes) break;
  }
  memcpy(g_recorder.fileName, g_recorderForm.fileName, kNameSize);
  g_recorder.written = 0;
  g_recorder.named = NamedKeys();
  g_recorder.unnamed = UnnamedKeys();
  RememberFolder(g_recorder.fileName);
  PrepareKeyNames();
}

// The names added to keys.h, each with its key as people write it (or its
// code), from `at` in `text`; the new length.
size_t FormatNamedKeys(char *text, size_t size, size_t at) {
  const NamedKeys &named = g_recorder.named;
  at += FormatBounded(text + at, size - at, kNamedFormat.c_str(), named.count);
  for (uint32_t i = 0; i < named.count && i < kNamedKeysListed; ++i) {
    char key[kKeyNameTextSize];
    if (host::WriteKeyRowName(named.codes[i], key, sizeof key))
      at += FormatBounded(text + at, size - at, kNamedKeyFormat.c_str(), named.names[i], key);
    else
      at += FormatBounded(text + at, size - at, kNamedCodeFormat.c_str(), named.names[i], named.codes[i]);
  }
  if (named.count > kNamedKeysListed) at += FormatBounded(text + at, size - at, "%s", kMoreNamesText.c_str());
  return at + FormatBounded(text + at, size - at, "%s", kRestartAfterNamingText.c_str());
}

// The stop notice: file, keys written, the key for the next recording, the
// names added to keys.h, and a #define line for each code left out, under
// the name the question would offer for it now.
void FormatStopText(char *text, size_t size, const char *format) {
  size_t at = FormatBounded(text, size, format, g_recorder.fileName, g_recorder.written,
                            g_recorder.hotKeyName);
  if (g_recorder.named.count != 0) at = FormatNamedKeys(text, size, at);
  const UnnamedKeys &unnamed = g_recorder.unnamed;
  if (unnamed.count == 0) return;
  at += FormatBounded(text + at, size - at, kUnnamedFormat.c_str(), unnamed.count);
  for (uint32_t i = 0; i < unnamed.kept; ++i) {
    KeyFileName name;
    SuggestKeyName(unnamed.codes[i], name);
    at += FormatBounded(text + at, size - at, kDefineFormat.c_str(), name, unnamed.codes[i]);
  }
  if (unnamed.moreCodes) at += FormatBounded(text + at, size - at, "%s", kMoreCodesText.c_str());
  FormatBounded(text + at, size - at, "%s", kRestartAfterAddingText.c_str());
}

void NoteNamedKey(uint16_t code, const KeyFileName &name) {
  NamedKeys &named = g_recorder.named;
  if (named.count < kNamedKeysListed) {
    named.codes[named.count] = code;
    memcpy(named.names[named.count], name, sizeof name);
  }
  ++named.count;
}

void CloseRecording() {
  HostFileClose(g_recorder.file);
  g_recorder.file = 0;
}

// Writes and flushes at once: if the host dies, every key before stays.  A
// host that wrote less than the whole text (or has no HostFilePrintf)
// failed as surely as a failed flush.  A failure closes the recording at
// once, keeping every key written before, and says so in a box held like
// every other (a playing macro waits for it).
void WriteRecorded(const char *bytes, size_t length) {
  if (HostFilePrintf(g_recorder.file, "%s", bytes) >= static_cast<int32_t>(length) &&
      HostFileFlush(g_recorder.file) == 0) {
    ++g_recorder.written;
    return;
  }
  CloseRecording();
  char message[2048];
  FormatStopText(message, sizeof message, kWriteFailedFormat.c_str());
  RecorderError(message);
}

}  // namespace

void OfferFileName(const char *folder, char *name) {
  HostWideChar path[host::kPathChars];
  for (uint32_t number = 1;; ++number) {
    FormatBounded(name, kNameSize, kOfferFormat.c_str(), folder, number);
    if (number == kMostOffered || !WidePath(name, path) || !Exists(path)) return;
  }
}

void ToggleRecording() {
  if (g_recorder.file != 0)
    StopRecording(true);
  else
    StartRecording();
}

void RecordKey(uint32_t key) {
  KeyText text = KeyToText(key, g_recorderKeys.names, HostByteToWideChar);
  if (text.kind == KeyTextKind::kUnnamed) {
    uint16_t code = static_cast<uint16_t>(key);
    KeyFileName name;
    if (IsNotedUnnamed(g_recorder.unnamed, code) || !OfferKeyName(code, name)) {
      NoteUnnamedKey(&g_recorder.unnamed, code);
      return;
    }
    NoteNamedKey(code, name);
    text = KeyToText(key, g_recorderKeys.names, HostByteToWideChar);
    if (text.kind == KeyTextKind::kUnnamed) {
      NoteUnnamedKey(&g_recorder.unnamed, code);
      return;
    }
  }
  WriteRecorded(text.bytes, text.length);
}

void RecordCommand() {
  char unused[2] = {};
  int command = CommandOfAnswer(RecorderRunForm(kCommandFormTemplate, unused));
  if (command < 0 || g_recorder.file == 0) return;
  char text[kKeyTextRoom];
  size_t length = FormatBounded(text, sizeof text, "[%s]", kPlayerCommandNames[command]);
  WriteRecorded(text, length);
}

void StopRecording(bool notice) {
  if (g_recorder.file == 0) return;
  CloseRecording();
  if (!notice) return;
  char text[2048];
  FormatStopText(text, sizeof text, kStoppedFormat.c_str());
  RecorderNotice(text);
}

void ResetRecorder() {
  g_recorder = RecorderState();
  g_recorderKeys = RecorderKeyTable();
  g_recorderBusy = 0;
  memset(&g_recorderForm, 0, sizeof g_recorderForm);
}
