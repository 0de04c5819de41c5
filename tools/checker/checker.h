// The whole check: the key definition file, then each macro, played by the
// plug-in's own code on the simulated host.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/macro/check_model.h"
#include "tools/checker/macro_run.h"
#include "tools/checker/report.h"

namespace checker {

struct CheckResult {
  macro::KeyFileReport keys;
  std::vector<macro::MacroReport> macros;
};

// A file's content, or why it could not be read.
struct FileText {
  std::string name;
  bool readable = false;
  std::string content;
  std::string error;
};

// A file's content (the name is UTF-8); a file that cannot be read has the
// reason in the tool's language.
FileText ReadFileText(const std::string &path);
// The reason of a failed open, in the tool's language.
std::string ErrorText(int number);

// The start form's key delay when nothing is stored: what the plug-in's own
// settings load puts into the form when the host's store is empty.
uint16_t DefaultKeyDelay();

// The key delay the start form offers, and where it comes from.
struct KeyDelay {
  uint16_t milliseconds = 100;
  bool stored = false;  // read from the host's settings
  std::string source;   // e.g. "stored in VOLMAR.ini", for the output
};

// The key delay stored in the stand-in host's settings file `iniPath`
// (its folder's VOLMAR.ini), read as the host reads it for the plug-in;
// the start form's default when the file or the value is missing.
KeyDelay HostKeyDelay(const std::string &iniPath);

// The host's folder as --host names it ("" the current folder), and the
// files of it both tools read.
std::string InHostFolder(const std::string &host, const std::string &relative);
std::string HostSettingsIn(const std::string &host);  // its VOLMAR.ini
// The key definitions: `keys` when given, else the host folder's
// wtyczki/keys.h.
std::string KeysIn(const std::string &host, const std::string &keys, bool keysGiven);
// The key delay: `delay` milliseconds when given (0 or more), else the
// host's settings in `host`.
KeyDelay ChooseDelay(long delay, const std::string &host);

// Installs the simulated host, starts the plug-in afresh and loads the key
// definitions as the player does, for PlayMacro; EndPlaying lets the
// key-name table go.
macro::KeyFileReport BeginPlaying(const FileText &keys);
void EndPlaying();

// Loads the key definitions as the player does, once, then plays each macro
// in turn.  Installs the simulated host; leaves no table loaded.  With
// macros, a finding of the key definitions that touches no bracketed word
// of theirs is marked `summarized`.
CheckResult RunCheck(const FileText &keys, const std::vector<FileText> &macros,
                     const PlayOptions &options);

// The dry-run streams of a check's macros, each played again when it is
// printed and handed over an item at a time (the check keeps none): for
// PrintText and PrintJson.  `keys` and `macros` must outlive it.
StreamSource ReplayStreams(const FileText &keys, const std::vector<FileText> &macros,
                           const PlayOptions &options);

}  // namespace checker
