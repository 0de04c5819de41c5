#include "tools/checker/checker.h"

#include <ctype.h>
#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "host/app/core/ini_store.h"
#include "host/app/core/profile.h"
#include "plugin/contract/host_values.h"
#include "player/entry/key_filter.h"
#include "plugin/keys/key_names.h"
#include "player/start/settings.h"
#include "player/start/start_form.h"
#include "player/playback/player_state.h"
#include "tools/checker/encoding.h"
#include "tools/checker/key_file_check.h"
#include "tools/messages/check_texts.h"
#include "tools/os/console.h"
#include "tools/checker/sim_host.h"
#include "tools/macro/text_util.h"
#include "tools/reader/source.h"
#include "tools/reader/text_reader.h"

namespace checker {

using Msg = messages::CheckMsg;

std::string ErrorText(int number) {
  if (number == ENOENT) return Say(Msg::kNoSuchFile);
  if (number == EACCES) return Say(Msg::kNoPermission);
  return strerror(number);
}

FileText ReadFileText(const std::string &path) {
  FileText file;
  file.name = path;
  int error = 0;
  file.readable = reader::ReadAllBytes(path, &file.content, &error);
  if (!file.readable) file.error = error == EIO ? Say(Msg::kReadError) : ErrorText(error);
  return file;
}

namespace {

// Starts the plug-in's state afresh, as a new load of the library would.
void FreshPlugin() {
  ReleaseKeyNameTable();
  ResetKeyNameTable();  // also forgets a failed load, which a release keeps
  ResetPlayerState();
  memset(&g_startForm, 0, sizeof g_startForm);
}

// Findings in the order of their places in the file; those without a
// place (the file as a whole) first.
void SortByPlace(std::vector<macro::Diagnostic> &diagnostics) {
  std::stable_sort(diagnostics.begin(), diagnostics.end(),
                   [](const macro::Diagnostic &a, const macro::Diagnostic &b) {
                     if (a.position.line != b.position.line) return a.position.line < b.position.line;
                     return a.position.column < b.position.column;
                   });
}

bool SameLetters(const std::string &a, const std::string &b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (toupper(static_cast<unsigned char>(a[i])) != toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// Whether a key-file finding is about a bracketed word of the macros (in
// any letter case: [enter] is about ENTER).
bool TouchesWordOf(const macro::Diagnostic &d, const std::vector<macro::MacroReport> &macros) {
  for (const std::string &name : d.names)
    for (const macro::MacroReport &m : macros)
      for (const std::string &word : m.words)
        if (SameLetters(name, word)) return true;
  return false;
}

// Beside macros, the key file's findings about names they do not use are
// counted, not shown; those about the file as a whole always are.
void MarkSummarized(CheckResult &result) {
  if (result.macros.empty()) return;
  for (macro::Diagnostic &d : result.keys.diagnostics)
    d.summarized = d.position.line > 0 && !TouchesWordOf(d, result.macros);
}

// A HostProfile read of the stand-in host's settings store.
int32_t ReadStored(volmar::IniStore &store, const char *section, const char *key,
                   const char *format, ...) {
  va_list values;
  va_start(values, format);
  int32_t result = volmar::ProfileCall(
      store, [](const volmar::IniStore &) { return false; }, host::kProfileReadNumber, section,
      key, format, values);
  va_end(values);
  return result;
}

// A macro saved as UTF-16: one finding, and no play (the host would read a
// zero byte beside every letter, and every one of them would be a finding).
macro::MacroReport Utf16Report(const std::string &path) {
  macro::MacroReport report;
  report.file = path;
  macro::Diagnostic d;
  d.file = path;
  d.severity = macro::Severity::kError;
  d.id = "utf-16";
  d.position = macro::SourcePosition{1, 1};
  d.offset = 0;
  d.message = Say(Msg::kUtf16Macro, {Utf16Title()});
  std::string name = path;
  if (name.find(' ') != std::string::npos) name = "\"" + name + "\"";
  d.hint = Say(Msg::kCodePageHint, {name, Utf8CopyName(path), os::ToolCommand("tastiro-check")});
  report.diagnostics.push_back(d);
  return report;
}

}  // namespace

KeyDelay HostKeyDelay(const std::string &iniPath) {
  KeyDelay delay;
  delay.milliseconds = DefaultKeyDelay();
  FileText ini = ReadFileText(iniPath);
  if (!ini.readable) {
    delay.source = Say(Msg::kDelayNoIni, {iniPath});
    return delay;
  }
  volmar::IniStore store;
  store.Parse(ini.content);
  // As the plug-in reads it: "%d" into a 16-bit number.
  uint16_t stored = 0;
  // The host answers with 0 in the low 16 bits when it found the value.
  if (static_cast<uint16_t>(ReadStored(store, kSettingsSection.c_str(), kSettingsDelayKey.c_str(),
                                       "%d", &stored)) != 0) {
    delay.source = Say(Msg::kDelayNotStored, {iniPath});
    return delay;
  }
  delay.milliseconds = stored;
  delay.stored = true;
  delay.source = Say(Msg::kDelayStored, {iniPath});
  return delay;
}

std::string InHostFolder(const std::string &host, const std::string &relative) {
  if (host.empty()) return relative;
  const char last = host.back();
  return host + (last == '/' || last == '\\' ? "" : "/") + relative;
}

std::string HostSettingsIn(const std::string &host) { return InHostFolder(host, "VOLMAR.ini"); }

std::string KeysIn(const std::string &host, const std::string &keys, bool keysGiven) {
  return keysGiven ? keys : InHostFolder(host, KeyFileInHostFolder());
}

KeyDelay ChooseDelay(long delay, const std::string &host) {
  if (delay < 0) return HostKeyDelay(HostSettingsIn(host));
  KeyDelay given;
  given.milliseconds = static_cast<uint16_t>(delay);
  given.source = Say(messages::SharedMsg::kDelayGiven);
  return given;
}

uint16_t DefaultKeyDelay() {
  InstallSimHost();
  FreshPlugin();
  LoadSettings();
  return g_startForm.keyDelay;
}

macro::KeyFileReport BeginPlaying(const FileText &keys) {
  InstallSimHost();
  FreshPlugin();
  return CheckKeyFile(keys.name, keys.readable ? &keys.content : nullptr, keys.error);
}

void EndPlaying() {
  ReleaseKeyNameTable();
  ResetKeyNameTable();
}

CheckResult RunCheck(const FileText &keys, const std::vector<FileText> &macros,
                     const PlayOptions &options) {
  CheckResult result;
  result.keys = BeginPlaying(keys);
  PlayOptions play = options;
  for (const FileText &macro : macros) {
    if (!macro.readable) {
      macro::MacroReport report;
      report.file = macro.name;
      report.readable = false;
      report.readError = macro.error;
      macro::Diagnostic d;
      d.file = macro.name;
      d.severity = macro::Severity::kError;
      d.id = "unreadable";
      d.message = Say(Msg::kCannotReadMacro, {macro.error});
      report.diagnostics.push_back(d);
      result.macros.push_back(report);
      continue;
    }
    if (reader::IsUtf16(reader::DetectStart(macro.content.data(), macro.content.size()).form)) {
      result.macros.push_back(Utf16Report(macro.name));
      continue;
    }
    result.macros.push_back(PlayMacro(macro.name, macro.content, result.keys, play));
    // The macros play one after the other: the next one's log starts later.
    play.logStart += static_cast<time_t>(result.macros.back().leastMilliseconds / 1000);
  }
  EndPlaying();
  SortByPlace(result.keys.diagnostics);
  for (macro::MacroReport &m : result.macros) SortByPlace(m.diagnostics);
  MarkSummarized(result);
  return result;
}

StreamSource ReplayStreams(const FileText &keys, const std::vector<FileText> &macros,
                           const PlayOptions &options) {
  return [&keys, &macros, options](size_t index,
                                   const std::function<void(const macro::StreamItem &)> &each) {
    const FileText &macro = macros.at(index);
    InstallSimHost();
    FreshPlugin();
    const macro::KeyFileReport loaded =
        CheckKeyFile(keys.name, keys.readable ? &keys.content : nullptr, keys.error);
    // The same playback: only the log (already written) is left out.
    PlayOptions play = options;
    play.keepLog = false;
    play.keepStream = false;
    play.keepPostedKeys = false;
    play.onItem = each;
    PlayMacro(macro.name, macro.content, loaded, play);
    ReleaseKeyNameTable();
    ResetKeyNameTable();
  };
}

}  // namespace checker
