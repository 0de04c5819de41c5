// A recording fake of the host for native unit tests, over the simulated
// host (sim/).
//
// Install() puts a fake behind every one of the 44 host import slots.  Each
// fake records its call (name and arguments, in order) and then does what a
// small, well-behaved host would do: in-memory files, a settings store, a
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
#include "sim/sim_calls.h"
#include "sim/sim_files.h"
#include "sim/sim_memory.h"
#include "sim/sim_settings.h"
#include "sim/sim_state_word.h"
#include "sim/sim_text.h"

using sim::HostCall;

// The call record (calls, Trace, Names, Count, ClearCalls) is the simulated
// host's.
class FakeHost : public sim::CallLog {
 public:
  static FakeHost &Get();

  // Fresh state and every slot bound to its fake.
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

  // ---- Default behaviour and the state it keeps ---------------------------
  // Plug-in control.
  int32_t queryAnswer = 1;          // HostQuery(1, 1)
  int32_t checkPluginResult = 0;    // HostCheckPlugin
  std::string checkPluginText;      // written into its buffer when the result is nonzero
  uint32_t hostDateNumber = 20230517;  // HostDateNumber(null)
  int32_t apiLevel = host::kRequiredApiLevel;
  KeyFilter previousFilter = nullptr;  // what HostSetKeyFilter returns
  KeyFilter installedFilter = nullptr;  // the last filter given to HostSetKeyFilter

  // Keyboard.
  uint32_t flags = 0;                 // the state word
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
  // HostMakePathW puts hostFolder in front of a relative name.
  std::u16string hostFolder = u"C:\\VOLMAR\\";
  sim::Files files;
  void AddFile(const std::u16string &path, const std::string &content) { files.Add(path, content); }
  // The content of a file, or "<missing>".
  std::string FileContent(const std::u16string &path) const;

  // Settings: "section/key" -> stored text.
  sim::Settings profile;

  // Memory: failCalloc, failRealloc, Live().
  sim::Memory memory;

  // Date and time texts of HostDateTimeText.
  std::string dateText = "2026-12-07";
  std::string timeText = "10:11:12";

  // Forms.
  int32_t pickResult = -1;         // HostPickFile
  std::string pickName;            // written into the picker buffer when not -1
  char *fieldBuffer = nullptr;     // HostFormFieldBuffer

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
