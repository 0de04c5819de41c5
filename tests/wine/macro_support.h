// Helpers of the scenarios that play whole macros: the expected playback
// trace and log bytes, and the set-up shared by those scenarios.
#pragma once

#include <string>
#include <vector>

#include "tests/wine/check.h"
#include "tests/wine/expected_texts.h"
#include "tests/wine/scenario.h"

// What the test host's date and time give, as the start of every log line.
inline constexpr char kStamp[] = "2024-05-17=12:34:56 ";

// The calls a playback should make, in order, and the log bytes they write.
struct Playback {
  HostFile log = 0;
  std::string stamp = kStamp;  // "= " for a host without date and time texts
  std::vector<std::string> trace;
  std::string logBytes;

  // One log line: the stamp, the body, converted to the log's encoding
  // (UTF-8 here) and written in text mode.
  void Line(const std::string &body) {
    if (log == 0) return;  // no log open: no line
    std::string utf8 = MazoviaToUtf8(stamp + body);
    trace.push_back(LineCall(body));
    for (char c : utf8) logBytes += c == '\n' ? std::string("\r\n") : std::string(1, c);
  }
  // The recorded host call that writes one log line.
  std::string LineCall(const std::string &body) const {
    return Format("HostFilePrintf(%u, \"%%s\", ", log) +
           RecordingHost::Quoted(MazoviaToUtf8(stamp + body).c_str()) + ")";
  }
  void Call(const std::string &call) { trace.push_back(call); }
  // A key handed to the host: its key line first, then the key.
  void Key(uint32_t key, const std::string &keyLine) {
    Line(keyLine);
    Call(Format("HostPostKey(0x%X)", key));
  }
  void Char(char c) { Key(static_cast<unsigned char>(c), std::string("{CHAR: ") + c + "}\n"); }
  void NoKey() { Key(0xFFFFFFFF, "{KSHORT: 0xFFFF}\n"); }
  void Notice(const std::string &text) { Line("{KOMUNIKAT: " + text + "}\n"); }
  void Ask(const char *title, const std::string &text, uint32_t flags) {
    Call(Format("HostAsk(%s, %s, 0x%X)", RecordingHost::Quoted(title).c_str(),
                RecordingHost::Quoted(text.c_str()).c_str(), flags));
  }
  // A macro played to the end of its file: the closing notice in the log,
  // the macro file (2) and the log (3) closed, the closing notice shown.
  void EndOfMacro() {
    Notice(expected::Text(expected::kEnd));
    Call("HostFileClose(2)");
    Call("HostFileClose(3)");
    Ask(expected::kAttention, expected::Text(expected::kEnd), 1);
  }
};

inline const std::vector<std::string> kPlaybackCalls = {
    "HostFilePrintf", "HostPostKey",    "HostTypeText", "HostAsk",
    "HostWaitScreen", "HostFileRewind", "HostFileClose"};

inline std::string WideQuoted(const std::wstring &text) {
  return RecordingHost::QuotedWide(text.c_str());
}

// The calls of the Shift+F11 call that runs the start branch, to the end of
// its state bracket.
inline std::vector<std::string> StartBranchCalls(const RecordingHost &host, size_t from) {
  std::vector<std::string> calls;
  for (size_t i = from; i < host.calls.size(); ++i) {
    calls.push_back(host.calls[i]);
    if (host.calls[i] == "HostSetFlags(0x8000, 0)") break;
  }
  return calls;
}

inline size_t CountCalls(const RecordingHost &host, const std::string &call) {
  size_t count = 0;
  for (const std::string &made : host.calls) count += made == call;
  return count;
}

// The calls that the playback makes, from the first read of the macro file.
inline std::vector<std::string> PlaybackCalls(const RecordingHost &host, size_t from) {
  RecordingHost played;
  bool reading = false;
  for (size_t i = from; i < host.calls.size(); ++i) {
    reading = reading || host.calls[i].compare(0, 13, "HostFileGetc(") == 0;
    if (reading) played.calls.push_back(host.calls[i]);
  }
  return played.CallsOf(kPlaybackCalls);
}

// The folder the host reads wtyczki\keys.h from, with or without the file.
inline void PrepareKeyFile(const ScenarioContext &context, bool present) {
  CreateDirectoryW(L"wtyczki", nullptr);
  if (present)
    WriteBytes(L"wtyczki\\keys.h", DataFile(context, L"keys.h"));
  else
    DeleteFileW(L"wtyczki\\keys.h");
}

// Handshake and activation, with the host's own filter in place first.
inline bool Activate(ScenarioContext &context) {
  context.host.installedFilter = &HostOwnFilter;
  context.host.noticeAnswer = 1;
  return CheckValue(0, context.plugin.handshake(&ScenarioQuery, nullptr), "handshake accepted") &&
         CheckValue(0, context.plugin.activate(0), "activation returns 0");
}

inline void CheckStateWordRestored(const RecordingHost &host) {
  CheckValue(0, host.flags, "the host's state word is clear again after the macro");
  size_t set = CountCalls(host, "HostSetFlags(0x8000, 1)");
  size_t cleared = CountCalls(host, "HostSetFlags(0x8000, 0)");
  Check(set > 0 && set == cleared,
        Format("bit 0x8000 is set and cleared in pairs (%u set, %u cleared)",
               static_cast<unsigned>(set), static_cast<unsigned>(cleared)));
}
