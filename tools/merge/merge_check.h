// The merged macro checked by the checker's own library, its findings
// reported where they come from: the template's line and column (with the
// row when a value is involved), --before, --after.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "tools/check/check_model.h"
#include "tools/check/checker.h"
#include "tools/codec/code_pages.h"
#include "tools/merge/merger.h"
#include "tools/merge/table_reader.h"

namespace merge {

// What the key definition file offers the merge, read by the player's own
// loader and found by the player's own lookup.
struct KeyLookup {
  bool readable = false;
  std::string error;       // why the file could not be read
  std::string bracketKey;  // the first name in table order that types '['; empty: none
  bool newlineFound = false;
};

// `newline`: the name given with --newline, or empty.
KeyLookup LookUpKeys(const check::FileText &keys, const std::string &newline);

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
  const Table *table = nullptr;
  codec::CodePage encoding = codec::CodePage::kUtf8;
};

struct MergeReport {
  check::KeyFileReport keys;
  check::MacroReport macro;                  // as the checker played the checked text
  std::vector<check::Diagnostic> diagnostics; // the macro's findings, placed in the sources
  size_t warnings = 0;
  size_t errors = 0;
  int ExitStatus() const { return errors > 0 ? 2 : warnings > 0 ? 1 : 0; }
};

MergeReport CheckMerged(const check::FileText &keys, const MergeResult &merged,
                        const CheckSources &sources, const check::PlayOptions &options);

// The findings as the checker prints them; with `dryRun`, the keys of each
// row under the row's name.
void PrintReport(FILE *out, const MergeReport &report, const MergeResult &merged,
                 const CheckSources &sources, bool dryRun, bool color, uint16_t keyDelay);

}  // namespace merge
