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
    HostEvent &event = Record(HostEventKind::kMessage);
    event.text = FormatV(format, values);
    Done(event);
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
    Done(event);
    return buffer;
  }

  int32_t HostDelayKey(uint32_t key, int32_t) override {
    HostEvent &event = Record(HostEventKind::kDelayKey);
    event.value = static_cast<int32_t>(key);
    Done(event);
    return 1;
  }

  int32_t HostFileGetc(HostFile handle) override {
    HostEvent &event = Record(HostEventKind::kGetc);
    event.file = handle;
    event.value = files.Getc(handle, &event.offset);
    if (event.value >= 0) lastByteOffset = event.offset;
    Done(event);
    return event.value;
  }

  int32_t HostDateTimeText(char *date, char *time, int32_t) override {
    if (date != nullptr) date[0] = 0;
    if (time != nullptr) time[0] = 0;
    if (stamp && date != nullptr && time != nullptr) stamp(date, time);
    return 0;
  }

  int32_t HostTypeText(const char *text) override {
    HostEvent &event = Record(HostEventKind::kTypeText);
    event.text = text != nullptr ? text : "";
    Done(event);
    return 1;
  }

  uint32_t HostKeyPending() override {
    HostEvent &event = Record(HostEventKind::kKeyPending);
    event.result = host::kNoKey;
    Done(event);
    return host::kNoKey;
  }

  int32_t HostMessage(int32_t, const char *, const char *text, uint32_t) override {
    HostEvent &event = Record(HostEventKind::kMessage);
    event.text = text != nullptr ? text : "";
    Done(event);
    return 0;
  }

  int32_t HostFileRewind(HostFile handle) override {
    HostEvent &event = Record(HostEventKind::kRewind);
    event.file = handle;
    Done(event);
    if (files.Rewind(handle) != 0) return -1;
    decoder.Reset();
    return 0;
  }

  uint32_t HostConvertChar(int32_t byte, int32_t mode, int32_t) override {
    HostEvent &event = Record(HostEventKind::kConvertChar);
    event.value = byte;
    if (mode != host::kConvertCharMode) {
      event.result = static_cast<uint32_t>(byte & 0xFF);
      Done(event);
      return event.result;
    }
    event.result = decoder.Feed(static_cast<uint8_t>(byte));
    // A character of several bytes stands where its first byte stands.
    if (!decoder.Continued()) sequenceStart = lastByteOffset;
    event.offset = sequenceStart;
    event.note = decoder.Dropped();
    event.codePoint = decoder.CodePoint();
    Done(event);
    return event.result;
  }

  int32_t HostAsk(const char *title, const char *text, uint32_t flags) override {
    HostEvent &event = Record(HostEventKind::kAsk);
    event.title = title != nullptr ? title : "";
    event.text = text != nullptr ? text : "";
    event.value = static_cast<int32_t>(flags);
    int32_t answer = ask ? ask(event.title, event.text, flags) : 0;
    // The policy may have recorded nothing, but `event` may have moved.
    HostEvent &asked = listener != nullptr ? event : events.back();
    asked.result = static_cast<uint32_t>(answer);
    Done(asked);
    return answer;
  }

  int32_t HostPostKey(uint32_t key) override {
    HostEvent &event = Record(HostEventKind::kPostKey);
    event.value = static_cast<int32_t>(key);
    Done(event);
    return 1;
  }

  char *HostCopyText(char *destination, const char *source, int32_t maxChars) override {
    HostEvent &event = Record(HostEventKind::kCopyText);
    event.text = source != nullptr ? source : "";
    if (source != nullptr && getsBuffer != nullptr && source >= getsBuffer &&
        source <= getsBuffer + getsLength)
      event.column = static_cast<int32_t>(source - getsBuffer);
    if (sim::CopyText(destination, source, maxChars) != nullptr) event.copied = destination;
    Done(event);
    return destination;
  }

  int32_t HostErrorMessageF(int32_t err, int32_t systemErr, const char *format,
                            const HostWideChar *argument, uint32_t) override {
    std::string name = sim::Narrow(WideText(argument));
    char text[1024];
    snprintf(text, sizeof text, format, static_cast<int>(err), static_cast<int>(systemErr),
             name.c_str());
    HostEvent &event = Record(HostEventKind::kMessage);
    event.text = text;
    Done(event);
    return 0;
  }

 public:
  HostListener *listener = nullptr;

 private:
  // A new event: recorded, or (with a listener) the one reused for every call.
  HostEvent &Record(HostEventKind kind) {
    if (listener != nullptr) {
      HostEvent &event = scratch_;
      event.kind = kind;
      event.file = 0;
      event.offset = -1;
      event.value = 0;
      event.result = 0;
      event.column = -1;
      if (!event.text.empty()) event.text.clear();
      if (!event.title.empty()) event.title.clear();
      if (!event.copied.empty()) event.copied.clear();
      event.note = DroppedChar::kNone;
      event.codePoint = 0;
      return event;
    }
    events.emplace_back();
    HostEvent &event = events.back();
    event.kind = kind;
    return event;
  }
  // The event filled in: handed to the listener, if there is one.
  HostEvent &Done(HostEvent &event) {
    if (listener != nullptr) listener->OnHostEvent(event);
    return event;
  }

  HostEvent scratch_;
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
void SetHostListener(HostListener *listener) { S().listener = listener; }
void SetAskPolicy(AskPolicy policy) { S().ask = std::move(policy); }
void SetStampSource(StampSource source) { S().stamp = std::move(source); }
void ResetCharDecoder() { S().decoder = host::MacroByteDecoder(); }

}  // namespace checker
