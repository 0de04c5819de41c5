// The key definition file as the player's own loader reads it.
#pragma once

#include <string>

#include "tools/macro/check_model.h"

namespace checker {

// Loads the player's key-name table from `content` through the plug-in's
// loader on the simulated host (installed beforehand), watching every line
// it reads and every name it stores, and reports what the loader makes of
// the file.  `content` null: the file could not be read (`readError` says
// why); the loader then fails as it does in the player.  The table stays
// loaded for the macros that are played next.
macro::KeyFileReport CheckKeyFile(const std::string &path, const std::string *content,
                           const std::string &readError);

// The host's key file relative to its folder, with '/' between the folders
// (the player's kKeyFileRelativePath): "wtyczki/keys.h".
std::string KeyFileInHostFolder();

// Why [NAME] does not give the key of a definition, in words (starting
// with the bracketed name where it gives another key or none); empty when
// it does.
std::string WhyNotReachable(const macro::KeyFileReport &keys, const macro::KeyDefinition &d);

}  // namespace checker
