// What the checker's report prints for a check, as the command prints it
// (PrintText, PrintJson), read back: a helper of the checker's tests.
#pragma once

#include <stdio.h>

#include <string>

#include "tools/checker/checker.h"
#include "tools/checker/report.h"

inline std::string PrintedReport(const checker::CheckResult &result, bool json,
                                 const checker::OutputOptions &options,
                                 const checker::StreamSource &source = nullptr) {
  FILE *out = tmpfile();
  if (json)
    checker::PrintJson(out, result.keys, result.macros, options, source);
  else
    checker::PrintText(out, result.keys, result.macros, options, source);
  std::string text(static_cast<size_t>(ftell(out)), '\0');
  rewind(out);
  text.resize(fread(text.data(), 1, text.size(), out));
  fclose(out);
  return text;
}
