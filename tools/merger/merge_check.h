// The merged macro checked by the checker's own library, its findings
// reported where they come from: the template's line and column (with the
// row when a value is involved), --before, --after.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "tools/macro/check_model.h"
#include "tools/checker/checker.h"
#include "tools/codec/code_pages.h"
#include "tools/merger/merger.h"
#include "tools/table/table_reader.h"

namespace merger {

// What the key definition file offers the merge, read by the player's own
// loader and found by the player's own lookup.
struct KeyLookup {
  bool readable = false;
  std::string error;       // why the file could not be read
  std::string bracketKey;  // the first name in table order that types '['; empty: none
  bool newlineFound = false;
};

// `newline`: the name given with --newline, or empty.
KeyLookup LookUpKeys(const checker::FileText &keys, const std::string &newline);

// The line to add to the key file for a '[' key.
inline constexpr char kBracketDefine[] = "#define LBRACKET 0x5B";

struct CheckSources {
  std::string outputName;    // the merged macro's name, as the user gave it
  std::string templateName;
  const std::string *templateBytes = nullptr;
  std::string beforeName;
  const std::string *before = nullptr;
  std::string afterName;
  const std::string *after = nullptr;
  std::string dataName;
  const std::vector<std::string> *headers = nullptr;
  codec::CodePage encoding = codec::CodePage::kUtf8;
};

// Findings at one place of the template beyond those shown in full.
struct HiddenFindings {
  std::string file;
  macro::SourcePosition position;
  std::string id;
  size_t count = 0;
};

struct MergeReport {
  macro::KeyFileReport keys;
  // The totals of what the checked text played.
  uint32_t keysPosted = 0, textsTyped = 0, commandsRun = 0, userActions = 0;
  uint64_t leastMilliseconds = 0;  // the pauses and sleeps of what was played
  std::vector<macro::Diagnostic> diagnostics; // the macro's findings, placed in the sources
  std::vector<HiddenFindings> hidden;         // more findings of a place than are shown
  size_t warnings = 0;
  size_t errors = 0;
  int ExitStatus() const { return errors > 0 ? 2 : warnings > 0 ? 1 : 0; }
};

// How many findings of one place of the template are shown in full (rows
// whose values differ give different findings at the same place).
inline constexpr size_t kFindingsPerPlace = 20;

// What a dry run prints, and where.
struct DryRun {
  FILE *out = nullptr;          // null: no dry run
  bool eachCharacter = false;   // every character on a line of its own
  bool color = false;
};

// The check of a merge given in pieces: each piece of checked text is
// played as it comes (its rows listed at once in a dry run) and then let
// go; the findings are gathered, each place's at most kFindingsPerPlace.
class StreamCheck {
 public:
  StreamCheck(const checker::FileText &keys, const CheckSources &sources,
              const checker::PlayOptions &options, const DryRun &dryRun);
  ~StreamCheck();
  void Check(const MergeResult &piece);
  MergeReport Finish();

 private:
  // One finding of a piece, gathered into the report.
  void Gather(const MergeResult &piece, const macro::Diagnostic &found);
  struct State;
  State *state_;
};

// The findings as the checker prints them, and their count.
void PrintReport(FILE *out, const MergeReport &report, bool color);

}  // namespace merger
