// A recording fake of the host for native unit tests, over the simulated
// host (sim/sim_slots.h).
//
// Install() puts the fake behind every one of the 44 host import slots.
// Each call is recorded (name and arguments, in order) and then answered as
// a small, well-behaved host would: in-memory files, a settings store, a
// state word, an allocator that counts its blocks, a queue of answers.  A
// test changes any behaviour by setting the function's handler:
//
//   FakeHost &host = FakeHost::Get();
//   host.Install();
//   host.handlers.HostPostKey = [](uint32_t) { return 0; };  // refuse keys
//
// Reset() (called by Install) also resets the plug-in's own globals through
// the test's ResetPlugin hook, so each test starts as a fresh load.
#pragma once

#include <stdint.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "plugin/binding/host_calls.h"
#include "plugin/contract/host_values.h"
#include "sim/sim_slots.h"
#include "sim/sim_calls.h"
#include "sim/sim_text.h"

using sim::HostCall;

// The fake's state and its answers where they are not the simulated host's.
// The call record (calls, Trace, Names, Count, ClearCalls), the files, the
// settings store (profile), the allocator (memory), the state word (flags),
// the installed filter, apiLevel and the date and time texts are the
// simulated host's (sim::HostCalls).
class FakeHostAnswers : public sim::HostCalls {
 public:
  FakeHostAnswers();

  // Plug-in control.
  int32_t queryAnswer = 1;          // HostQuery(1, 1)
  int32_t checkPluginResult = 0;    // HostCheckPlugin
  std::string checkPluginText;      // written into its buffer when the result is nonzero
  uint32_t hostDateNumber = 20230517;  // HostDateNumber(null)
  KeyFilter previousFilter = nullptr;  // what HostSetKeyFilter returns before any filter

  // Keyboard.
  uint32_t keyPending = host::kNoKey;  // HostKeyPending
  std::vector<uint32_t> postedKeys;   // every HostPostKey argument
  std::deque<int32_t> postResults;    // answers of HostPostKey; 1 when empty
  std::vector<uint32_t> delayedKeys;  // every HostDelayKey key
  std::vector<std::string> typedTexts;  // every HostTypeText text
  std::map<int, uint32_t> convertChar;  // HostConvertChar exceptions; identity otherwise

  // Messages.  Each is recorded as its formatted host text.
  std::vector<std::string> messages;       // HostMessage texts
  std::vector<std::string> messageTitles;  // HostMessage titles
  std::vector<std::string> formattedMessages;  // HostMessageF, formatted
  std::vector<std::string> errorMessages;  // HostErrorMessageF, formatted (wide argument as host text)
  std::vector<std::string> questions;      // HostAsk texts
  std::deque<int32_t> askAnswers;          // answers of HostAsk; 0 when empty
  int16_t noticeAnswer = 0;                // written by HostShowNotice
  std::vector<std::string> notices;        // HostShowNotice texts

  // Files by full wide path, binary (the bytes as the plug-in wrote them).
  // HostMakePathW puts hostFolder (C:\VOLMAR\) in front of a relative name.
  void AddFile(const std::u16string &path, const std::string &content) { files.Add(path, content); }
  // The content of a file, or "<missing>".
  std::string FileContent(const std::u16string &path) const;

  // Forms.
  int32_t pickResult = -1;         // HostPickFile
  std::string pickName;            // written into the picker buffer when not -1
  char *fieldBuffer = nullptr;     // HostFormFieldBuffer

 protected:
  int32_t HostQuery(int32_t what, int32_t value) override;
  int32_t HostCheckPlugin(HostInstance instance, char *buffer, int32_t size) override;
  uint32_t HostDateNumber(const char *date) override;
  int32_t HostConvertText(void *target, int32_t targetBytes, const void *source, int32_t length,
                          int32_t from, int32_t to) override;
  KeyFilter HostSetKeyFilter(KeyFilter filter) override;
  int32_t HostShowNotice(int32_t id, int16_t *answer, int32_t zero, const char *text) override;
  uint32_t HostKeyPending() override;
  uint32_t HostConvertChar(int32_t byte, int32_t three, int32_t one) override;
  int32_t HostAsk(const char *title, const char *text, uint32_t flags) override;
  int32_t HostPostKey(uint32_t key) override;
  int32_t HostPickFile(int32_t kind, char *buffer, const char *pattern, int32_t one) override;
  char *HostFormFieldBuffer(int32_t fieldId) override;
};

class FakeHost : public FakeHostAnswers {
 public:
  static FakeHost &Get();

  // Fresh state and every slot bound to the fake.
  void Install();
  // Fresh state; slots untouched.
  void Reset();
  // Empties the slot of one host function (by ordinal), as a host that lacks it.
  void RemoveFunction(uint16_t ordinal);

  // ---- Optional overrides, one per host function ---------------------------
  struct Handlers {
#define FAKE_HOST_HANDLER(pos, ord, Name, conv, pop, Result, params, ...) \
  std::function<Result params> Name;
#define FAKE_HOST_VARIADIC_HANDLER(pos, ord, Name, ...)
    HOST_IMPORT_TABLE(FAKE_HOST_HANDLER, FAKE_HOST_VARIADIC_HANDLER)
#undef FAKE_HOST_HANDLER
#undef FAKE_HOST_VARIADIC_HANDLER
    // The variadic two get their text already formatted.
    std::function<int32_t(int32_t id, const char *title, const char *format, uint32_t style,
                          uint32_t style2, const std::string &text)>
        HostMessageF;
    std::function<int32_t(HostFile file, const std::string &text)> HostFilePrintf;
    std::function<int32_t(int32_t what, int32_t value)> HostQuery;
  } handlers;

 protected:
  // Every host function: what the fake notes of it (below), then the test's
  // handler when one is set, else the fake's answer.
#define FAKE_HOST_OVERRIDE(pos, ord, Name, conv, pop, Result, params, args, ...) \
  Result Name params override {                                                \
    Noted<sim::HostFunction::Name> args;                                       \
    if (handlers.Name) return handlers.Name args;                              \
    return FakeHostAnswers::Name args;                                         \
  }
#define FAKE_HOST_VARIADIC_OVERRIDE(pos, ord, Name, ...)
  HOST_IMPORT_TABLE(FAKE_HOST_OVERRIDE, FAKE_HOST_VARIADIC_OVERRIDE)
#undef FAKE_HOST_OVERRIDE
#undef FAKE_HOST_VARIADIC_OVERRIDE
  int32_t HostQuery(int32_t what, int32_t value) override;
  int32_t HostMessageF(int32_t id, const char *title, const char *format, uint32_t style,
                       uint32_t style2, va_list values) override;
  int32_t HostFilePrintf(HostFile file, const char *format, va_list values) override;

 private:
  // The lists the fake keeps of some calls (postedKeys, messages, ...),
  // filled whether or not a handler answers the call.
  template <sim::HostFunction F, typename... Args>
  void Noted(Args... args) {
    Note(sim::Call<F>(), args...);
  }
  template <typename Tag, typename... Args>
  void Note(Tag, Args...) {}
  void Note(sim::Call<sim::HostFunction::HostDelayKey>, uint32_t key, int32_t);
  void Note(sim::Call<sim::HostFunction::HostTypeText>, const char *text);
  void Note(sim::Call<sim::HostFunction::HostShowNotice>, int32_t, int16_t *, int32_t,
            const char *text);
  void Note(sim::Call<sim::HostFunction::HostMessage>, int32_t, const char *title,
            const char *text, uint32_t);
  void Note(sim::Call<sim::HostFunction::HostAsk>, const char *, const char *text, uint32_t);
  void Note(sim::Call<sim::HostFunction::HostPostKey>, uint32_t key);
  void Note(sim::Call<sim::HostFunction::HostErrorMessageF>, int32_t err, int32_t systemErr,
            const char *format, const HostWideChar *argument, uint32_t);
};

// The fake HostQuery, for g_plugin.hostQuery.
int32_t HOST_CDECL FakeHostQuery(int32_t what, int32_t value);

// Text helpers for tests: host text -> UTF-16, UTF-16 -> host text (Mazovia),
// C escapes for non-printing bytes.
using sim::Escaped;
using sim::Narrow;
using sim::Wide;

// Resets every global of the plug-in as at load (defined in fake_host.cpp,
// calls each subsystem's reset).
void ResetPluginForTest();
