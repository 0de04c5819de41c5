// Printing what the checker found: readable text, or JSON for editors.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "tools/macro/check_model.h"

namespace check {

struct OutputOptions {
  bool dryRun = false;
  bool eachCharacter = false;  // the dry run lists every character on a line of its own
  bool color = false;
  uint16_t keyDelay = 100;
  std::string delaySource;     // where the key delay comes from, e.g. "given with --delay"
};

// Counts of what was found, and the exit status they make: 2 when a file
// could not be read, else 1 when there are warnings, else 0.  Findings of
// the key definitions that are only summed up do not count.
struct Totals {
  size_t warnings = 0;
  size_t errors = 0;
  size_t summarized = 0;
  int ExitStatus() const { return errors > 0 ? 2 : warnings > 0 ? 1 : 0; }
};
Totals Count(const KeyFileReport &keys, const std::vector<MacroReport> &macros);

// The report as UTF-8 text; the Print forms write it to stdout or stderr
// (a Windows console gets it as wide text).
std::string TextReport(const KeyFileReport &keys, const std::vector<MacroReport> &macros,
                       const OutputOptions &options);
std::string JsonReport(const KeyFileReport &keys, const std::vector<MacroReport> &macros,
                       const OutputOptions &options);
void PrintText(FILE *out, const KeyFileReport &keys, const std::vector<MacroReport> &macros,
               const OutputOptions &options);
void PrintJson(FILE *out, const KeyFileReport &keys, const std::vector<MacroReport> &macros,
               const OutputOptions &options);

// The text form of one diagnostic (its line, the source excerpt, the hint).
std::string DiagnosticText(const Diagnostic &d, bool color);
// One line of the dry run's stream, without the line break.
std::string StreamItemText(const StreamItem &item, bool color);
// The dry run's lines: each item on its own, or (compact) the characters
// of one line of the file, typed one after the other, as one text.
std::vector<std::string> StreamLines(const std::vector<StreamItem> &stream, bool eachCharacter,
                                     bool color);
// The summary of the key-file findings that are not shown, or "".
std::string SummaryOfKeyFindings(const KeyFileReport &keys);
// JSON string literal of a UTF-8 text.
std::string JsonString(const std::string &text);

}  // namespace check
