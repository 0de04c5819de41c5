#include "recorder/start/recording.h"

#include <string.h>

#include "plugin/binding/host_calls.h"
#include "plugin/contract/bounded_format.h"
#include "plugin/contract/host_values.h"
#include "plugin/platform/platform.h"
#include "plugin/settings/settings_call.h"
#include "recorder/start/recorder_texts.h"
#include "recorder/start/writer_host.h"

RecorderState g_recorder;
RecorderFormRecord g_recorderForm;

namespace {

constexpr auto kSection = ToHostText("ZapisKlawiszy");
constexpr auto kNoticeKey = ToHostText("Pytaj");
constexpr auto kFolderKey = ToHostText("Folder");
constexpr auto kHotKeyKey = ToHostText("Klawisz");
constexpr auto kOfferFormat = ToHostText("%snagranie%u.txt");

constexpr size_t kNameSize = sizeof g_recorderForm.fileName;
// "nagranie1.txt" to "nagranie9999.txt": a folder with all of them taken
// gets the last one offered, and the append question then asks.
constexpr uint32_t kMostOffered = 9999;

void Notice(const char *text) { HostAsk(kRecorderTitle.c_str(), text, host::kAskNotice); }

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

enum class Opened { kYes, kBackToForm };

// Opens the file the form names: a new file afresh, an existing one only
// after the user agreed to append to it.
Opened OpenRecording(const char *name) {
  HostWideChar path[host::kPathChars];
  if (name[0] == 0 || !WidePath(name, path)) {
    Notice(kEmptyNameText.c_str());
    return Opened::kBackToForm;
  }
  bool append = Exists(path);
  if (append) {
    char question[1024];
    FormatBounded(question, sizeof question, kAppendQuestionFormat.c_str(), name);
    int32_t answer = HostAsk(kRecorderTitle.c_str(), question, host::kAskYesNo);
    if ((static_cast<uint32_t>(answer) & host::kKeyCodeMask) != host::kAnswerYes)
      return Opened::kBackToForm;
  }
  // Binary: the bytes go as the writer made them, CR LF included.
  g_recorder.file = Open(path, append ? u"ab" : u"wb");
  if (g_recorder.file == 0) {
    HostErrorMessageF(errno, _doserrno, kOpenFailedFormat.c_str(), path, host::kErrorStyle);
    return Opened::kBackToForm;
  }
  return Opened::kYes;
}

void PrepareKeyNames() {
  LoadKeyNameTable();
  g_recorder.names.entries = KeyNameEntries();
  g_recorder.names.count = KeyNameCount();
  g_recorder.names.playable = g_recorder.playable;
  MarkPlayableNames(g_recorder.names.entries, g_recorder.names.count, g_recorder.playable, PlayedCode);
}

void RememberFolder(const char *name) {
  char folder[sizeof g_recorder.folder] = {};
  memcpy(folder, name, FolderLength(name));
  if (strcmp(folder, g_recorder.folder) == 0) return;
  memcpy(g_recorder.folder, folder, sizeof folder);
  SettingsCall(host::kProfileWrite, kSection.c_str(), kFolderKey.c_str(), "%s", g_recorder.folder);
}

void StartRecording() {
  OfferFileName(g_recorder.folder, g_recorderForm.fileName);
  for (;;) {
    int32_t result = HostRunForm(kRecorderFormTemplate, 1, &g_recorderForm, &RecorderFormCallback);
    if ((static_cast<uint32_t>(result) & host::kKeyCodeMask) != host::kFormConfirmed) return;
    g_recorderForm.fileName[kNameSize - 1] = 0;
    if (OpenRecording(g_recorderForm.fileName) == Opened::kYes) break;
  }
  memcpy(g_recorder.fileName, g_recorderForm.fileName, kNameSize);
  g_recorder.written = 0;
  g_recorder.unnamed = UnnamedKeys();
  RememberFolder(g_recorder.fileName);
  PrepareKeyNames();
}

// The stop notice: file, keys written, and a #define line for each code
// that had no name.
void FormatStopText(char *text, size_t size, const char *format) {
  size_t at = FormatBounded(text, size, format, g_recorder.fileName, g_recorder.written);
  const UnnamedKeys &unnamed = g_recorder.unnamed;
  if (unnamed.count == 0) return;
  at += FormatBounded(text + at, size - at, kUnnamedFormat.c_str(), unnamed.count);
  for (uint32_t i = 0; i < unnamed.kept; ++i)
    at += FormatBounded(text + at, size - at, kDefineFormat.c_str(), unnamed.codes[i], unnamed.codes[i]);
  if (unnamed.moreCodes) FormatBounded(text + at, size - at, "%s", kMoreCodesText.c_str());
}

void CloseRecording() {
  HostFileClose(g_recorder.file);
  g_recorder.file = 0;
}

}  // namespace

void OfferFileName(const char *folder, char *name) {
  HostWideChar path[host::kPathChars];
  for (uint32_t number = 1;; ++number) {
    FormatBounded(name, kNameSize, kOfferFormat.c_str(), folder, number);
    if (number == kMostOffered || !WidePath(name, path) || !Exists(path)) return;
  }
}

void LoadRecorderSettings() {
  g_recorder.hotKey = kDefaultHotKey;
  int32_t answer = 0;
  if (SettingsCallFailed(SettingsCall(host::kProfileReadNumber, kSection.c_str(), kNoticeKey.c_str(),
                                      "%d", &answer)))
    answer = 0;
  if (SettingsCallFailed(SettingsCall(host::kProfileReadText, kSection.c_str(), kFolderKey.c_str(),
                                      "%*s", static_cast<int>(kNameSize - 1), g_recorder.folder)))
    g_recorder.folder[0] = 0;
  g_recorder.folder[kNameSize - 1] = 0;

  char hotKeyName[kNameSize] = {};
  if (SettingsCallFailed(SettingsCall(host::kProfileReadText, kSection.c_str(), kHotKeyKey.c_str(),
                                      "%*s", static_cast<int>(kNameSize - 1), hotKeyName)))
    hotKeyName[0] = 0;
  hotKeyName[kNameSize - 1] = 0;
  char text[1024];
  if (hotKeyName[0] != 0) {
    LoadKeyNameTable();
    uint32_t code = FindKeyCode(hotKeyName);
    if (code != 0) {
      g_recorder.hotKey = static_cast<uint16_t>(code);
    } else {
      FormatBounded(text, sizeof text, kUnknownHotKeyFormat.c_str(), hotKeyName);
      Notice(text);
      hotKeyName[0] = 0;
    }
  }

  if (static_cast<int16_t>(answer & 0xFFFF) != 0) return;
  FormatBounded(text, sizeof text, kNoticeFormat.c_str(),
                hotKeyName[0] != 0 ? hotKeyName : kDefaultHotKeyName.c_str());
  HostShowNotice(host::kFirstRunNoticeId, reinterpret_cast<int16_t *>(&answer), 0, text);
  int16_t given = static_cast<int16_t>(answer & 0xFFFF);
  if (given != 0)
    SettingsCall(host::kProfileWriteNumber, kSection.c_str(), kNoticeKey.c_str(), "%d",
                 static_cast<int32_t>(given));
}

void ToggleRecording() {
  if (g_recorder.file != 0)
    StopRecording(true);
  else
    StartRecording();
}

void RecordKey(uint32_t key) {
  KeyText text = KeyToText(key, g_recorder.names, HostByteToWideChar);
  if (text.kind == KeyTextKind::kUnnamed) {
    NoteUnnamedKey(&g_recorder.unnamed, static_cast<uint16_t>(key));
    return;
  }
  // Written and flushed at once: if the host dies, every key before stays.
  // A host that wrote less than the whole text (or has no HostFilePrintf)
  // failed as surely as a failed flush.
  if (HostFilePrintf(g_recorder.file, "%s", text.bytes) >= static_cast<int32_t>(text.length) &&
      HostFileFlush(g_recorder.file) == 0) {
    ++g_recorder.written;
    return;
  }
  CloseRecording();
  char message[2048];
  FormatStopText(message, sizeof message, kWriteFailedFormat.c_str());
  HostMessage(host::kMessageId, kRecorderTitle.c_str(), message, host::kErrorStyle);
}

void StopRecording(bool notice) {
  if (g_recorder.file == 0) return;
  CloseRecording();
  if (!notice) return;
  char text[2048];
  FormatStopText(text, sizeof text, kStoppedFormat.c_str());
  Notice(text);
}

void ResetRecorder() {
  g_recorder = RecorderState();
  memset(&g_recorderForm, 0, sizeof g_recorderForm);
}
