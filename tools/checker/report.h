// Printing what the checker found: readable text, or JSON for editors.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tools/macro/check_model.h"

namespace checker {

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
Totals Count(const macro::KeyFileReport &keys, const std::vector<macro::MacroReport> &macros);

// The report as UTF-8 text; the Print forms write it to stdout or stderr
// (a Windows console gets it as wide text).
std::string TextReport(const macro::KeyFileReport &keys, const std::vector<macro::MacroReport> &macros,
                       const OutputOptions &options);
std::string JsonReport(const macro::KeyFileReport &keys, const std::vector<macro::MacroReport> &macros,
                       const OutputOptions &options);
// Hands each item of the dry-run stream of macro `index` to `each`, in
// order, for a report whose macros kept no stream (see ReplayStreams).
using StreamSource = std::function<void(size_t index,
                                        const std::function<void(const macro::StreamItem &)> &each)>;

// With a `source`, the dry run's lines are written as they are made.
void PrintText(FILE *out, const macro::KeyFileReport &keys, const std::vector<macro::MacroReport> &macros,
               const OutputOptions &options, const StreamSource &source = nullptr);
void PrintJson(FILE *out, const macro::KeyFileReport &keys, const std::vector<macro::MacroReport> &macros,
               const OutputOptions &options, const StreamSource &source = nullptr);

// The text form of one diagnostic (its line, the source excerpt, the hint).
std::string DiagnosticText(const macro::Diagnostic &d, bool color);
// One line of the dry run's stream, without the line break.
std::string StreamItemText(const macro::StreamItem &item, bool color);
// Makes the dry run's lines from its items, one at a time: each item on
// its own, or (compact) the characters of one line of the file, typed one
// after the other, as one text.  `line` gets each, without its line break.
class StreamLineMaker {
 public:
  StreamLineMaker(bool eachCharacter, bool color, std::function<void(const std::string &)> line)
      : eachCharacter_(eachCharacter), color_(color), line_(std::move(line)) {}
  void Add(const macro::StreamItem &item);
  void End();  // after the last item

 private:
  bool eachCharacter_;
  bool color_;
  std::function<void(const std::string &)> line_;
  std::string run_;  // the characters of the open run, UTF-8
  macro::SourcePosition runAt_;
  int runPass_ = 1;
};

// The dry run's lines: each item on its own, or (compact) the characters
// of one line of the file, typed one after the other, as one text.
std::vector<std::string> StreamLines(const std::vector<macro::StreamItem> &stream, bool eachCharacter,
                                     bool color);
// The summary of the key-file findings that are not shown, or "".
std::string SummaryOfKeyFindings(const macro::KeyFileReport &keys);
// JSON string literal of a UTF-8 text.
std::string JsonString(const std::string &text);

}  // namespace checker
