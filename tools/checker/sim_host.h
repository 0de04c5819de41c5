// The simulated host: the 44 host functions the plug-in imports, answered at
// once from memory, with every call that matters to the checker recorded.
//
// The checker fills the plug-in's host import slots with these functions and
// then runs the plug-in's own code: the key-definition loader, the command
// table, the key filter and its playback step.  Files live in memory; keys
// the player posts are recorded and taken; texts it types are recorded;
// questions are answered by a policy the checker sets; nothing blocks.
//
// Its files, allocator and settings store are the simulated host's (sim/);
// this face adds the checker's events, its ask policy and stamp source.
// Where the host's behaviour shapes what a macro does, this host behaves
// like the stand-in host VOLMAR (paths and text conversion are its own):
//   - files are opened in text mode: a carriage return before a line feed
//     is not seen by the reader, and a line feed written goes out as CR LF;
//   - HostConvertChar with 3 reads the macro's bytes as UTF-8, byte by byte
//     (a stray byte that is no UTF-8 is taken as host text), and gives 0 for
//     control bytes, for the leading bytes of a sequence and for characters
//     the host text cannot hold;
//   - the log's encoding (6) is UTF-8;
//   - HostKeyPending gives no key (host::kNoKey): when the player reads the macro, no key
//     waits (the host asks the filter for a key only when none waits).
#pragma once

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#include "plugin/binding/host_calls.h"
#include "plugin/contract/macro_bytes.h"

namespace checker {

enum class HostEventKind {
  kGetc,         // HostFileGetc: `value` the byte or -1, `offset` where it stood
  kGets,         // HostFileGets: `text` the line piece, `offset` where it began
  kCopyText,     // HostCopyText: `text` the source, `copied` what was stored,
                 // `column` the source's place in the last HostFileGets buffer (-1: elsewhere)
  kConvertChar,  // HostConvertChar: `value` the byte, `result` the character,
                 // `offset` where the character began, `note` why it is 0
  kKeyPending,   // HostKeyPending: `result`
  kPostKey,      // HostPostKey: `value` the key as passed
  kDelayKey,     // HostDelayKey: `value` the key
  kTypeText,     // HostTypeText: `text`
  kAsk,          // HostAsk: `title`, `text`, `value` the flags, `result` the answer
  kRewind,       // HostFileRewind
  kMessage,      // HostMessage or HostErrorMessageF: `text` as the host would show it
};

// Why HostConvertChar gave 0 for a byte: the host decoder's own answer.
using DroppedChar = host::MacroByteDrop;

struct HostEvent {
  HostEventKind kind = HostEventKind::kGetc;
  HostFile file = 0;
  int64_t offset = -1;
  int32_t value = 0;
  uint32_t result = 0;
  int32_t column = -1;
  std::string text;
  std::string title;
  std::string copied;
  DroppedChar note = DroppedChar::kNone;
  char32_t codePoint = 0;
};

// Takes each recorded call as it is made, in place of keeping it: a macro
// played through makes millions of calls, of which the checker needs few.
// The event handed over is the host's own, reused for the next call: what
// is needed of it is copied.  The listener makes no host call itself.
class HostListener {
 public:
  virtual ~HostListener() = default;
  virtual void OnHostEvent(const HostEvent &event) = 0;
};

// Answers HostAsk: title and text as the player passed them, and its flags.
using AskPolicy = std::function<int32_t(const std::string &title, const std::string &text,
                                        uint32_t flags)>;
// Fills the date and time texts of HostDateTimeText (at most 11 characters each).
using StampSource = std::function<void(char *date, char *time)>;

// Puts the simulated host behind every host import slot and forgets all
// files, events and state.
void InstallSimHost();

// A file the host can open by `name` (the wide name the plug-in passes).
// `textMode` reads CR LF as LF and writes LF as CR LF.
void AddSimFile(const std::u16string &name, const std::string &content, bool textMode = true);
// The same over `content` itself, kept alive and unchanged by the caller
// until RemoveSimFile: a macro is played without a copy of it.
void AddSimFileBorrowed(const std::u16string &name, const std::string &content);
// Forgets a file; a handle that is still open reads nothing afterwards.
void RemoveSimFile(const std::u16string &name);
// What was written to a file (HostFilePrintf), as it would stand on disk.
std::string SimFileWritten(const std::u16string &name);

// The recorded calls, in order.
const std::vector<HostEvent> &SimEvents();
void ClearSimEvents();
// Moves the recorded calls into `events` and leaves none recorded.
void TakeSimEvents(std::vector<HostEvent> *events);

// With a listener, calls are handed to it and not recorded; null records again.
void SetHostListener(HostListener *listener);

void SetAskPolicy(AskPolicy policy);
void SetStampSource(StampSource source);
// Starts the byte decoder of HostConvertChar afresh (a new macro, a rewind).
void ResetCharDecoder();

// The name under which the plug-in asks for its key definition file.
extern const std::u16string kSimKeyFileName;

}  // namespace checker
