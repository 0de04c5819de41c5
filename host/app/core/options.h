// The host's command line.
#pragma once

#include <stdint.h>

#include <optional>
#include <string>
#include <vector>

namespace volmar {

struct Options {
  // What the host tells plug-ins (to see their diagnostics).
  uint32_t features = 1;                   // HostQuery(1, 1): bits other than 0 are missing features
  std::optional<std::string> buildDate;    // HostDateNumber(null) reads this text (UTF-8)
  int32_t apiLevel = 112;                  // HostApiLevel
  std::optional<std::string> refusal;      // HostCheckPlugin refuses with this text (UTF-8)
  std::vector<uint16_t> withdraw;          // ordinals blanked before plug-ins load
  // Scripted mode.
  bool scripted = false;
  std::string keys;                        // the key script (UTF-8)
  std::u16string keysFile;                 // or a file holding it
  std::vector<std::string> answers;        // answers for questions, first to last
  uint32_t timeoutSeconds = 120;
  // Measurements of the key loop, printed on standard error at the end.
  bool timeKeys = false;    // the loop's time and the keys it processed
  bool paintStack = false;  // the deepest stack of one outer filter call
  // Where things are.
  std::u16string iniPath;                  // settings file; default VOLMAR.ini beside the host
  bool help = false;
};

// Reads the arguments after the program name.  False with `error` set when
// one is unknown or malformed.
bool ParseOptions(const std::vector<std::u16string> &args, Options &options, std::string &error);

std::string UsageText();

}  // namespace volmar
