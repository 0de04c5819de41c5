// The simulated host (see sim_host.h).
#include "tools/checker/sim_host.h"

#include <stdarg.h>
#include <stdio.h>

#include "plugin/contract/host_values.h"
#include "plugin/contract/macro_bytes.h"
#include "plugin/keys/key_names.h"
#include "sim/sim_slots.h"
#include "sim/sim_text.h"

namespace checker {

const std::u16string kSimKeyFileName = kKeyFileRelativePath;

namespace {

// ---------------------------------------------------------------------------
// The checker's face on the simulated host: the calls that matter to the
// checker recorded as its events, its ask policy and stamp source, and the
// stand-in host's byte decoder behind HostConvertChar.  Files, allocator,
// settings store, state word and the rest are the simulated host's.
// ---------------------------------------------------------------------------

using sim::FormatV;
using sim::WideText;

class CheckHost : public sim::HostCalls {
 public:
  std::vector<HostEvent> events;
  AskPolicy ask;
  StampSource stamp;
  host::MacroByteDecoder decoder;  // the stand-in host's own
  int64_t sequenceStart = -1;     // offset of the first byte of the decoder's character
  int64_t lastByteOffset = -1;    // offset of the byte HostFileGetc gave last
  const char *getsBuffer = nullptr;  // the buffer HostFileGets filled last
  size_t getsLength = 0;

 protected:
  int32_t HostMessageF(int32_t, const char *, const char *format, uint32_t, uint32_t,
                       va_list values) override {
    Record(HostEventKind::kMessage).text = FormatV(format, values);
    return 0;
  }

  char *HostFileGets(char *buffer, int32_t size, HostFile handle) override {
    int64_t start = 0;
    size_t stored = 0;
    if (files.Gets(buffer, size, handle, &start, &stored) == nullptr) return nullptr;
    HostEvent &event = Record(HostEventKind::kGets);
    event.file = handle;
    event.offset = start;
    event.text.assign(buffer, stored);
    getsBuffer = buffer;
    getsLength = stored;
    return buffer;
  }

  int32_t HostDelayKey(uint32_t key, int32_t) override {
    Record(HostEventKind::kDelayKey).value = static_cast<int32_t>(key);
    return 1;
  }

  int32_t HostFileGetc(HostFile handle) override {
    HostEvent &event = Record(HostEventKind::kGetc);
    event.file = handle;
    event.value = files.Getc(handle, &event.offset);
    if (event.value >= 0) lastByteOffset = event.offset;
    return event.value;
  }

  int32_t HostDateTimeText(char *date, char *time, int32_t) override {
    if (date != nullptr) date[0] = 0;
    if (time != nullptr) time[0] = 0;
    if (stamp && date != nullptr && time != nullptr) stamp(date, time);
    return 0;
  }

  int32_t HostTypeText(const char *text) override {
    Record(HostEventKind::kTypeText).text = text != nullptr ? text : "";
    return 1;
  }

  uint32_t HostKeyPending() override {
    Record(HostEventKind::kKeyPending).result = host::kNoKey;
    return host::kNoKey;
  }

  int32_t HostMessage(int32_t, const char *, const char *text, uint32_t) override {
    Record(HostEventKind::kMessage).text = text != nullptr ? text : "";
    return 0;
  }

  int32_t HostFileRewind(HostFile handle) override {
    Record(HostEventKind::kRewind).file = handle;
    if (files.Rewind(handle) != 0) return -1;
    decoder.Reset();
    return 0;
  }

  uint32_t HostConvertChar(int32_t byte, int32_t mode, int32_t) override {
    HostEvent &event = Record(HostEventKind::kConvertChar);
    event.value = byte;
    if (mode != host::kConvertCharMode) {
      event.result = static_cast<uint32_t>(byte & 0xFF);
      return event.result;
    }
    event.result = decoder.Feed(static_cast<uint8_t>(byte));
    // A character of several bytes stands where its first byte stands.
    if (!decoder.Continued()) sequenceStart = lastByteOffset;
    event.offset = sequenceStart;
    event.note = decoder.Dropped();
    event.codePoint = decoder.CodePoint();
    return event.result;
  }

  int32_t HostAsk(const char *title, const char *text, uint32_t flags) override {
    HostEvent &event = Record(HostEventKind::kAsk);
    event.title = title != nullptr ? title : "";
    event.text = text != nullptr ? text : "";
    event.value = static_cast<int32_t>(flags);
    int32_t answer = ask ? ask(event.title, event.text, flags) : 0;
    // The policy may have recorded nothing, but `event` may have moved.
    events.back().result = static_cast<uint32_t>(answer);
    return answer;
  }

  int32_t HostPostKey(uint32_t key) override {
    Record(HostEventKind::kPostKey).value = static_cast<int32_t>(key);
    return 1;
  }

  char *HostCopyText(char *destination, const char *source, int32_t maxChars) override {
    HostEvent &event = Record(HostEventKind::kCopyText);
    event.text = source != nullptr ? source : "";
    if (source != nullptr && getsBuffer != nullptr && source >= getsBuffer &&
        source <= getsBuffer + getsLength)
      event.column = static_cast<int32_t>(source - getsBuffer);
    if (sim::CopyText(destination, source, maxChars) != nullptr) event.copied = destination;
    return destination;
  }

  int32_t HostErrorMessageF(int32_t err, int32_t systemErr, const char *format,
                            const HostWideChar *argument, uint32_t) override {
    std::string name = sim::Narrow(WideText(argument));
    char text[1024];
    snprintf(text, sizeof text, format, static_cast<int>(err), static_cast<int>(systemErr),
             name.c_str());
    Record(HostEventKind::kMessage).text = text;
    return 0;
  }

 private:
  HostEvent &Record(HostEventKind kind) {
    HostEvent event;
    event.kind = kind;
    events.push_back(event);
    return events.back();
  }
};

CheckHost &S() {
  static CheckHost host;
  return host;
}

}  // namespace

void InstallSimHost() {
  // Blocks the plug-in still holds stay the host's, to be given back.
  sim::Memory memory = std::move(S().memory);
  S() = CheckHost();
  S().memory = std::move(memory);
  // Files are known by the names the plug-in asks for: no host folder.
  sim::InstallHostCalls(S());
}

void AddSimFile(const std::u16string &name, const std::string &content, bool textMode) {
  S().files.Add(name, content, textMode);
}

void AddSimFileBorrowed(const std::u16string &name, const std::string &content) {
  S().files.AddBorrowed(name, content, true);
}

void RemoveSimFile(const std::u16string &name) { S().files.Remove(name); }

std::string SimFileWritten(const std::u16string &name) { return S().files.Written(name); }

const std::vector<HostEvent> &SimEvents() { return S().events; }
void ClearSimEvents() { S().events.clear(); }
void TakeSimEvents(std::vector<HostEvent> *events) {
  events->swap(S().events);
  S().events.clear();
}
void SetAskPolicy(AskPolicy policy) { S().ask = std::move(policy); }
void SetStampSource(StampSource source) { S().stamp = std::move(source); }
void ResetCharDecoder() { S().decoder = host::MacroByteDecoder(); }

}  // namespace checker
