#include "tests/recorder/recorder_host.h"

#include <stdio.h>
#include <string.h>

#include "host/app/core/text_codec.h"
#include "plugin/contract/host_values.h"
#include "plugin/identity/plugin_identity.h"
#include "plugin/keys/key_names.h"
#include "recorder/session/recorder_boxes.h"
#include "recorder/session/recording.h"
#include "sim/sim_text.h"

namespace {

std::string Utf8(const char *hostText) { return volmar::HostTextToUtf8(hostText ? hostText : ""); }

}  // namespace

RecorderHost &RecorderHost::Start() {
  static RecorderHost *host = nullptr;
  // The key-name table goes back to the host that lent it, as the plug-in's
  // tear-down gives it back, before that host goes.
  if (host != nullptr) ReleaseKeyNameTable();
  delete host;
  host = new RecorderHost();
  host->apiLevel = host::kRequiredApiLevel;
  ResetKeyNameTable();
  ResetRecorder();
  ResetPluginIdentity();
  sim::InstallHostCalls(*host);
  return *host;
}

std::string RecorderHost::Content(const char *name) const {
  const std::string *content = files.Content(std::u16string(name, name + strlen(name)));
  return content ? *content : "<missing>";
}

std::string RecorderHost::Utf8Of(const std::string &hostText) {
  std::string out;
  for (size_t start = 0; start <= hostText.size();) {
    size_t end = hostText.find('\0', start);
    if (end == std::string::npos) end = hostText.size();
    out += volmar::HostTextToUtf8(hostText.substr(start, end - start));
    if (end < hostText.size()) out += '\0';
    start = end + 1;
  }
  return out;
}

void RecorderHost::AddKeysFile(const std::string &content) { files.Add(u"wtyczki\\keys.h", content, true); }

// A host built after every plug-in date.
uint32_t RecorderHost::HostDateNumber(const char *date) { return date == nullptr ? 20991231 : 20230517; }

// Relative names stay relative: the tests' files are known by them.
int32_t RecorderHost::HostMakePathW(HostWideChar *buffer, int32_t capacity, const HostWideChar *relative) {
  std::u16string path = sim::WideText(relative);
  if (static_cast<int32_t>(path.size()) >= capacity) return -1;
  memcpy(buffer, path.c_str(), (path.size() + 1) * sizeof(HostWideChar));
  return 0;
}

void RecorderHost::BoxUp() {
  if (g_recorderBusy == 0 || (flags & host::kFlagPluginWorking) == 0) ++unheldBoxes;
  if (whileBoxUp) whileBoxUp();
}

int32_t RecorderHost::HostRunForm(const void *formTemplate, int32_t, void *record, FieldCallback) {
  BoxUp();
  if (formTemplate == kCommandFormTemplate) {
    ++commandLists;
    if (commandAnswers.empty()) return 0x5002;  // Esc
    uint32_t answer = commandAnswers.front();
    commandAnswers.pop_front();
    return static_cast<int32_t>(answer);
  }
  char *name = static_cast<char *>(record);
  offered.push_back(Utf8(name));
  if (flags & host::kFlagPluginWorking) flagsWhileForm = true;
  if (forms.empty()) return 0x5002;  // Esc
  FormRun run = forms.front();
  forms.pop_front();
  if (run.name != nullptr) snprintf(name, 258, "%s", volmar::Utf8ToHostText(run.name).c_str());
  return static_cast<int32_t>(run.answer);
}

int32_t RecorderHost::HostAsk(const char *, const char *text, uint32_t) {
  BoxUp();
  asked.push_back(Utf8(text));
  if (askAnswers.empty()) return 0x5008;  // no
  uint32_t answer = askAnswers.front();
  askAnswers.pop_front();
  return static_cast<int32_t>(answer);
}

int32_t RecorderHost::HostShowNotice(int32_t, int16_t *answer, int32_t, const char *text) {
  BoxUp();
  notices.push_back(Utf8(text));
  *answer = noticeAnswer;
  return 0;
}

int32_t RecorderHost::HostMessage(int32_t, const char *, const char *text, uint32_t) {
  BoxUp();
  errors.push_back(Utf8(text));
  return 0;
}

int32_t RecorderHost::HostMessageF(int32_t, const char *, const char *format, uint32_t, uint32_t,
                                   va_list values) {
  BoxUp();
  errors.push_back(Utf8(sim::FormatV(format, values).c_str()));
  return 0;
}

int32_t RecorderHost::HostErrorMessageF(int32_t err, int32_t systemErr, const char *format,
                                        const HostWideChar *argument, uint32_t) {
  BoxUp();
  std::string path = volmar::Utf16ToHostText(sim::WideText(argument));
  char text[4096];
  snprintf(text, sizeof text, format, err, systemErr, path.c_str());
  errors.push_back(Utf8(text));
  return 0;
}
