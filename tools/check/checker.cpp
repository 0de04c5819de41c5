#include "tools/check/checker.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "plugin/entry/key_filter.h"
#include "plugin/state/player_state.h"
#include "plugin/player/key_names.h"
#include "plugin/start/settings.h"
#include "plugin/start/start_form.h"
#include "tools/check/key_file_check.h"
#include "tools/check/sim_host.h"

namespace check {

FileText ReadFileText(const std::string &path) {
  FileText file;
  file.name = path;
  FILE *in = fopen(path.c_str(), "rb");
  if (in == nullptr) {
    file.error = strerror(errno);
    return file;
  }
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, in)) > 0) file.content.append(buffer, n);
  bool failed = ferror(in) != 0;
  fclose(in);
  if (failed) {
    file.error = "read error";
    file.content.clear();
    return file;
  }
  file.readable = true;
  return file;
}

namespace {

// Starts the plug-in's state afresh, as a new load of the library would.
void FreshPlugin() {
  ReleaseKeyNameTable();
  ResetKeyNameTable();  // also forgets a failed load, which a release keeps
  memset(&g_player, 0, sizeof g_player);
  memset(&g_startForm, 0, sizeof g_startForm);
}

// Findings in the order of their places in the file; those without a
// place (the file as a whole) first.
void SortByPlace(std::vector<Diagnostic> &diagnostics) {
  std::stable_sort(diagnostics.begin(), diagnostics.end(),
                   [](const Diagnostic &a, const Diagnostic &b) {
                     if (a.position.line != b.position.line) return a.position.line < b.position.line;
                     return a.position.column < b.position.column;
                   });
}

}  // namespace

uint16_t DefaultKeyDelay() {
  InstallSimHost();
  FreshPlugin();
  LoadSettings();
  return g_startForm.keyDelay;
}

CheckResult RunCheck(const FileText &keys, const std::vector<FileText> &macros,
                     const PlayOptions &options) {
  CheckResult result;
  InstallSimHost();
  FreshPlugin();
  result.keys = CheckKeyFile(keys.name, keys.readable ? &keys.content : nullptr, keys.error);
  PlayOptions play = options;
  for (const FileText &macro : macros) {
    if (!macro.readable) {
      MacroReport report;
      report.file = macro.name;
      report.readable = false;
      report.readError = macro.error;
      Diagnostic d;
      d.file = macro.name;
      d.severity = Severity::kError;
      d.id = "unreadable";
      d.message = "cannot read the macro: " + macro.error;
      report.diagnostics.push_back(d);
      result.macros.push_back(report);
      continue;
    }
    result.macros.push_back(PlayMacro(macro.name, macro.content, result.keys, play));
    // The macros play one after the other: the next one's log starts later.
    play.logStart += static_cast<time_t>(result.macros.back().leastMilliseconds / 1000);
  }
  ReleaseKeyNameTable();
  ResetKeyNameTable();
  SortByPlace(result.keys.diagnostics);
  for (MacroReport &m : result.macros) SortByPlace(m.diagnostics);
  return result;
}

}  // namespace check
