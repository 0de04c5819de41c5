// The one message that explains why the host could not activate the
// plug-in: missing features, missing host functions, the host's own
// refusal, a version mismatch, or else a module that was not initialised.
#include "plugin/diagnostics/load_failure_report.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "plugin/diagnostics/compatibility.h"
#include "plugin/platform/platform.h"
#include "plugin/contract/bounded_format.h"
#include "plugin/binding/host_calls.h"
#include "plugin/binding/host_imports.h"
#include "plugin/contract/host_text.h"
#include "plugin/contract/host_values.h"
#include "plugin/identity/plugin_definition.h"
#include "plugin/identity/plugin_identity.h"

namespace {

constexpr size_t kMessageBytes = 3072;
constexpr size_t kImportListBytes = 256;

// HostMessageF's title of every report.
constexpr auto kTitle = ToHostText("STOP!!!");

constexpr auto kFeaturesMissing = ToHostText(
    "Program nie obsługuje cech 0x%08X,\n"
    "które są niezbędne dla modułu '%s'.");
constexpr auto kOneImport = ToHostText("funkcję o numerze %hu");
constexpr auto kManyImports = ToHostText("funkcje o numerach");
constexpr auto kImportsMissing = ToHostText(
    "Wtyczka \"%s\" potrzebuje zaimportować\n"
    "%s z modułu głównego,\n"
    "jednak moduł główny %s nie posiada. Aby naprawić tę sytuację\n"
    "zainstaluj aktualizację programu oraz wtyczki.\n"
    "\n"
    "WTYCZKA NIE ZOSTANIE ZAŁADOWANA!!!\n");
constexpr auto kOneOfThem = ToHostText("jej");
constexpr auto kManyOfThem = ToHostText("ich");
constexpr auto kVersionMismatch = ToHostText(
    "Moduł \"%s\" i program występują w różnych wersjach!\n"
    "\n"
    "Został zakualizowany tylko program albo tylko moduł,\n"
    "a nie oba jednocześnie! Aby naprawić tę sytuację\n"
    "zainstaluj aktualizację programu wraz z modułem \"%s\".\n"
    "\n"
    "MODUŁ NIE ZOSTANIE ZAŁADOWANY!!!\n");
constexpr auto kNotInitialised = ToHostText(
    "Moduł \"%s\" nie został poprawnie zainicjowany,\n"
    "więc NIE BĘDZIE AKTYWNY!");

// A prepared text goes through "%s", so a '%' in it is shown as it is.
void ShowPrepared(const char *message) {
  HostMessageF(host::kMessageId, kTitle.c_str(), "%s", host::kReportStyle, host::kReportStyle2, message);
}

}  // namespace

uint32_t DescribeMissingImports(char *buffer) {
  buffer[0] = 0;
  uint32_t count = g_missingImports.count;
  if (count == 0) return 0;

  char list[kImportListBytes];
  if (count == 1) {
    FormatBounded(list, sizeof list, kOneImport.c_str(), g_missingImports.ordinals[0]);
  } else {
    // Only the first 8 failures are recorded; they are named in ascending order.
    uint16_t ordinals[8];
    size_t held = count < 8 ? count : 8;
    memcpy(ordinals, g_missingImports.ordinals, held * sizeof ordinals[0]);
    std::sort(ordinals, ordinals + held);
    size_t used = FormatBounded(list, sizeof list, "%s", kManyImports.c_str());
    for (size_t i = 0; i < held; ++i)
      used += FormatBounded(list + used, sizeof list - used, " %hu,", ordinals[i]);
    // No comma behind the last ordinal.
    if (used > 0) list[used - 1] = 0;
  }

  FormatBounded(buffer, kMessageBytes, kImportsMissing.c_str(), kPluginDefinition.description, list,
                count == 1 ? kOneOfThem.c_str() : kManyOfThem.c_str());
  return count;
}

// [30008 with a nonzero mode] The host could not activate the plug-in.
void ShowLoadFailureReport() {
  // The host only learns that the report is coming; its answer is not used.
  if (g_plugin.hostQuery != nullptr) g_plugin.hostQuery(1, -1);

  char message[kMessageBytes];
  message[0] = 0;

  if (g_unsupportedFeatures != 0) {
    // The whole description, both lines, stands for the module.
    wsprintfA(message, kFeaturesMissing.c_str(), g_unsupportedFeatures, kPluginDefinition.description);
    ShowPrepared(message);
    return;
  }

  if (DescribeMissingImports(message) != 0) {
    ShowPrepared(message);
    return;
  }

  if (HostCheckPlugin(g_plugin.instance, message, sizeof message) != 0) {
    // The host may fill the whole buffer without a terminating zero.
    message[sizeof message - 1] = 0;
    ShowPrepared(message);
    return;
  }

  // This run of the check overwrites the unsupported feature bits.
  if (CheckCompatibility() != 0) {
    HostMessageF(host::kMessageId, kTitle.c_str(), kVersionMismatch.c_str(), host::kReportStyle,
                 host::kReportStyle2, g_plugin.moduleBaseName, g_plugin.moduleBaseName);
    return;
  }

  HostMessageF(host::kMessageId, kTitle.c_str(), kNotInitialised.c_str(), host::kReportStyle, host::kReportStyle2,
               g_plugin.moduleBaseName);
}
