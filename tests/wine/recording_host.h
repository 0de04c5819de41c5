// The recording test host: a HostBackend that notes every host call with
// its arguments, answers as the scenario configures it, and serves real
// files through the C runtime.
//
// Host-side choices of this test host (the plug-in relies on none of them
// beyond its contract):
//   - HostMakePathW puts `root` and a backslash in front of the relative path.
//   - HostPathAddExtensionW replaces the extension of the file name (the
//     text from its last '.'), or appends when it has none.
//   - HostConvertText: 1 -> 5 Mazovia to UTF-16; 1 -> 6 (the log's
//     encoding) Mazovia to UTF-8; any other pair copies the bytes.
//   - HostDateTimeText gives the fixed texts "2024-05-17" and "12:34:56".
//   - HostDateNumber reads "Mmm DD YYYY" as YYYYMMDD; null gives hostDate.
//   - HostAsk answers the question with flags 0x26006 from `questionAnswers`
//     (0 when empty) and every other call with 0.
//   - HostPostKey puts the key at the back of the input queue (0xFFFF is
//     no key and is not queued); HostDelayKey puts it back at the front.
//   - Faults on demand: allocations that give null, opens that fail with a
//     chosen errno and _doserrno, keys refused, log writes that fail.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "host/exports/host_backend.h"

class RecordingHost : public HostBackend {
 public:
  // ---- Answers ---------------------------------------------------------------
  int32_t queryMask = 1;             // HostQuery(1, 1)
  uint32_t hostDate = 20230517;      // HostDateNumber(null)
  int32_t checkVerdict = 0;          // HostCheckPlugin
  std::string checkExplanation;      // written into its buffer when the verdict is nonzero
  int32_t apiLevel = 112;
  KeyFilter installedFilter = nullptr;  // HostSetKeyFilter returns it and replaces it
  uint32_t flags = 0;                // the state word
  int16_t noticeAnswer = 0;          // what the user answers to the notice
  std::deque<int32_t> questionAnswers;
  std::map<std::string, std::string> settings;  // key -> stored text
  std::wstring root = L".";          // HostMakePathW's folder
  HostInstance pluginModule = nullptr;  // recorded as "plugin" by HostCheckPlugin
  std::vector<int> refusedPosts;     // numbers (from 1) of the HostPostKey calls that refuse

  // The scripted start forms, one per HostRunForm call: F3 first when
  // `pressF3` (the picker answers `pickedName`, or is cancelled when it is
  // empty), then `name` typed into the file-name field unless empty and
  // `delay` into the delay field unless negative; `result` closes the form
  // (0x5001 is OK).  With no script left the form is cancelled.
  struct FormScript {
    bool pressF3 = false;
    std::string pickedName;
    std::string name;
    int32_t delay = -1;
    int32_t result = 0x5001;
  };
  std::deque<FormScript> forms;

  // ---- Faults ----------------------------------------------------------------
  bool callocFails = false;   // HostCalloc gives null
  bool reallocFails = false;  // HostRealloc gives null and leaves the block as it was
  // HostFileOpenW fails for a path that ends with `suffix` and leaves errno
  // and _doserrno as given.
  struct OpenFault {
    std::wstring suffix;
    int error;
    unsigned long systemError;
  };
  std::vector<OpenFault> openFaults;
  // HostPostKey calls number refuseFrom to refuseFrom + refuseCount - 1
  // (counted from 1) refuse their key, besides those in refusedPosts.
  int refuseFrom = 0;
  int refuseCount = 0;
  // HostFilePrintf calls (counted from 1) that write nothing and fail.
  int printfFailFrom = 0;
  int printfFailCount = 0;
  bool flushFails = false;  // HostFileFlush fails and flushes nothing

  // Long macros: every call is counted, none is recorded (no texts built).
  bool quiet = false;

  // The user presses Shift+F11 right after the plug-in's Nth HostFileRewind
  // (0: never): the key is queued as the next input, so the filter's next
  // call gets it before playback reads on.
  int shiftF11AfterRewind = 0;

  // ---- What happened ---------------------------------------------------------
  std::vector<std::string> calls;        // "HostPostKey(0x41)", in order
  std::vector<std::string> shownMessages;  // HostMessageF, formatted host text
  std::deque<uint32_t> input;            // keys the host will process next
  std::vector<uint32_t> processed;       // keys the key filter let through
  int32_t fieldCallbackShift = 0;        // stack shift of the last field callback call
  int32_t fieldCallbackResult = 0;
  size_t callCount = 0;  // host calls made, recorded or not
  int postKeyCalls = 0;
  int queuedKeys = 0;  // keys HostPostKey took and queued
  int delayKeyCalls = 0;
  int typeTextCalls = 0;
  int askCalls = 0;
  int filePrintfCalls = 0;
  size_t longestLogLine = 0;               // of the texts HostFilePrintf was given
  int rewinds = 0;                         // HostFileRewind calls
  // What the plug-in handed over, in order, when `keepHandedOver` is set:
  // each HostPostKey argument (refused or not) and each HostTypeText text
  // (host text).
  struct HandedOver {
    bool typed = false;  // a HostTypeText text, else a HostPostKey key
    uint32_t key = 0;
    std::string text;
  };
  bool keepHandedOver = false;
  std::vector<HandedOver> handedOver;
  // Every key filter call of the key loop (RunKeyLoop), with the host's tick
  // count read just before and just after it: the player reads the same
  // clock inside the call, so its readings lie between the two.  Not kept
  // in quiet mode.
  struct FilterCall {
    uint32_t offered = 0xFFFF;  // the key offered (0xFFFF: none)
    uint32_t result = 0xFFFF;   // what the filter gave back
    bool held = false;          // the filter gave the key back with HostDelayKey
    uint32_t tickBefore = 0;
    uint32_t tickAfter = 0;
    size_t callsBefore = 0;  // the size of `calls` before and after it
    size_t callsAfter = 0;
  };
  std::vector<FilterCall> filterLog;
  // The key loop waits this long before it offers a key from its queue,
  // a held key offered again excepted: a slow or busy host (--slow-host).
  uint32_t slowHostMs = 0;
  std::map<void *, uint32_t> liveBlocks;   // host memory handed out and not freed, with its size
  int strayFrees = 0;                      // HostFree or HostRealloc of a block not handed out

  // Records one call.  Texts in arguments should go through Quoted().
  void Note(const std::string &call) {
    ++callCount;
    if (!quiet) calls.push_back(call);
  }
  // The calls whose names start with one of `names` ("HostPostKey", ...).
  std::vector<std::string> CallsOf(const std::vector<std::string> &names) const;
  static std::string Quoted(const char *text);
  static std::string QuotedWide(const wchar_t *text);
  void PrintCalls() const;
  // Files that the plug-in opened through the host and has not closed.
  int OpenFileCount() const;

  // Every host function (host_backend.h).
  HOST_BACKEND_OVERRIDES

 private:
  FILE *File(HostFile file) const;
  int posts_ = 0;
  std::vector<FILE *> files_;  // handle h is files_[h - 1]; closed entries are null
  char fieldBuffer_[258] = {};
  std::string pickedName_;
  bool formRunning_ = false;
};

// Mazovia host text as UTF-8 (the test host's log encoding).
std::string MazoviaToUtf8(const std::string &text);
