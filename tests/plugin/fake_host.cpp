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

template <typename T>
T TakeFront(std::deque<T> &queue, T whenEmpty) {
  if (queue.empty()) return whenEmpty;
  T front = queue.front();
  queue.pop_front();
  return front;
}

}  // namespace

// ---------------------------------------------------------------------------
// The fake's answers
// ---------------------------------------------------------------------------
FakeHostAnswers::FakeHostAnswers() {
  recording = true;
  hostFolder = u"C:\\VOLMAR\\";
  apiLevel = host::kRequiredApiLevel;
}

int32_t FakeHostAnswers::HostQuery(int32_t, int32_t) { return queryAnswer; }

int32_t FakeHostAnswers::HostCheckPlugin(HostInstance, char *buffer, int32_t size) {
  if (checkPluginResult != 0 && buffer != nullptr && !checkPluginText.empty())
    memcpy(buffer, checkPluginText.data(),
           checkPluginText.size() < static_cast<size_t>(size) ? checkPluginText.size()
                                                               : static_cast<size_t>(size));
  return checkPluginResult;
}

uint32_t FakeHostAnswers::HostDateNumber(const char *date) {
  return date == nullptr ? hostDateNumber : DateNumber(date);
}

int32_t FakeHostAnswers::HostConvertText(void *target, int32_t targetBytes, const void *source,
                                         int32_t length, int32_t from, int32_t to) {
  if (to == host::kEncodingWide)
    return volmar::ConvertText(target, targetBytes, source, length, from, to);
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

KeyFilter FakeHostAnswers::HostSetKeyFilter(KeyFilter filter) {
  KeyFilter previous = installedFilter != nullptr ? installedFilter : previousFilter;
  installedFilter = filter;
  return previous;
}

int32_t FakeHostAnswers::HostShowNotice(int32_t, int16_t *answer, int32_t, const char *) {
  if (answer != nullptr) *answer = noticeAnswer;
  return 0;
}

uint32_t FakeHostAnswers::HostKeyPending() { return keyPending; }

uint32_t FakeHostAnswers::HostConvertChar(int32_t byte, int32_t, int32_t) {
  auto it = convertChar.find(byte);
  return it != convertChar.end() ? it->second : static_cast<uint32_t>(byte);
}

int32_t FakeHostAnswers::HostAsk(const char *, const char *, uint32_t) {
  return TakeFront(askAnswers, 0);
}

int32_t FakeHostAnswers::HostPostKey(uint32_t) { return TakeFront(postResults, 1); }

int32_t FakeHostAnswers::HostPickFile(int32_t, char *buffer, const char *, int32_t) {
  if (pickResult != -1) snprintf(buffer, 258, "%s", pickName.c_str());
  return pickResult;
}

char *FakeHostAnswers::HostFormFieldBuffer(int32_t) { return fieldBuffer; }

std::string FakeHostAnswers::FileContent(const std::u16string &path) const {
  const std::string *content = files.Content(path);
  return content == nullptr ? "<missing>" : *content;
}

// ---------------------------------------------------------------------------
// FakeHost: the notes, the handlers
// ---------------------------------------------------------------------------
using sim::Call;
using sim::HostFunction;

void FakeHost::Note(Call<HostFunction::HostDelayKey>, uint32_t key, int32_t) {
  delayedKeys.push_back(key);
}

void FakeHost::Note(Call<HostFunction::HostTypeText>, const char *text) {
  typedTexts.push_back(text != nullptr ? text : "");
}

void FakeHost::Note(Call<HostFunction::HostShowNotice>, int32_t, int16_t *, int32_t,
                    const char *text) {
  notices.push_back(text != nullptr ? text : "");
}

void FakeHost::Note(Call<HostFunction::HostMessage>, int32_t, const char *title, const char *text,
                    uint32_t) {
  messageTitles.push_back(title != nullptr ? title : "");
  messages.push_back(text != nullptr ? text : "");
}

void FakeHost::Note(Call<HostFunction::HostAsk>, const char *, const char *text, uint32_t) {
  questions.push_back(text != nullptr ? text : "");
}

void FakeHost::Note(Call<HostFunction::HostPostKey>, uint32_t key) { postedKeys.push_back(key); }

void FakeHost::Note(Call<HostFunction::HostErrorMessageF>, int32_t err, int32_t systemErr,
                    const char *format, const HostWideChar *argument, uint32_t) {
  std::string wide = Narrow(sim::WideText(argument));
  char text[4096];
  snprintf(text, sizeof text, format, err, systemErr, wide.c_str());
  errorMessages.push_back(text);
}

int32_t FakeHost::HostQuery(int32_t what, int32_t value) {
  if (handlers.HostQuery) return handlers.HostQuery(what, value);
  return FakeHostAnswers::HostQuery(what, value);
}

int32_t FakeHost::HostMessageF(int32_t id, const char *title, const char *format, uint32_t style,
                               uint32_t style2, va_list values) {
  std::string text = sim::FormatV(format, values);
  formattedMessages.push_back(text);
  if (handlers.HostMessageF) return handlers.HostMessageF(id, title, format, style, style2, text);
  return 0;
}

int32_t FakeHost::HostFilePrintf(HostFile file, const char *format, va_list values) {
  std::string text = sim::FormatV(format, values);
  if (handlers.HostFilePrintf) return handlers.HostFilePrintf(file, text);
  return files.Write(file, text);
}

int32_t HOST_CDECL FakeHostQuery(int32_t what, int32_t value) {
  return sim::HostCallsQuery(what, value);
}

// ---------------------------------------------------------------------------
// Installing
// ---------------------------------------------------------------------------
FakeHost &FakeHost::Get() {
  static FakeHost host;
  return host;
}

void FakeHost::Reset() {
  // A key-name table that the last test left loaded goes back to the fake
  // allocator (and is recorded in the state about to be replaced).
  if (sim::HostCallsBound() && sim::InstalledHostCalls() == this) ReleaseKeyNameTable();
  memory.FreeAll();
  FakeHost fresh;
  *this = fresh;
  ResetPluginForTest();
}

void FakeHost::Install() {
  Reset();
  sim::InstallHostCalls(*this);
  g_plugin.hostQuery = &FakeHostQuery;
}

void FakeHost::RemoveFunction(uint16_t ordinal) {
  for (const HostImportEntry &entry : kHostImportTable)
    if (entry.ordinal == ordinal) *entry.slot = nullptr;
}

void ResetPluginForTest() {
  standin::Reset();
  ResetHostImports();
  ResetPluginIdentity();
  ResetPlayerState();
  memset(&g_startForm, 0, sizeof g_startForm);
  ResetKeyNameTable();
  g_unsupportedFeatures = 0xFFFFFFFFu;
}
