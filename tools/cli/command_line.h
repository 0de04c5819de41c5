// A tool's command line as the tools read it: its arguments as UTF-8, and
// the language chosen before anything is said.
#pragma once

#include <string>
#include <vector>

namespace cli {

// The command line's arguments as UTF-8.  On Windows they are read afresh
// as wide text, so that a file named with letters outside the ANSI code
// page (a Polish name under a Western one) is that file, not a look-alike;
// where the C runtime expanded a wildcard itself, argv is taken as it is.
std::vector<std::string> Utf8Arguments(int argc, char **argv);

// The language: "--lang pl|en" anywhere on the command line, else the
// user's (tools/lang).
void ChooseLanguage(const std::vector<std::string> &argv);

}  // namespace cli
