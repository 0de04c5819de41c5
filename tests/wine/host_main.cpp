// VOLMAR.dll of the Wine tests: the recording test host.  VOLMAR.exe starts
// it with a scenario name; it withdraws the exports that the scenario's host
// lacks, loads wtyczki\tastiromatika.dll as the real host would, runs the
// scenario and ends with "N passed, M failed".
//
//   VOLMAR.exe <scenario> [--lack 41613,30005,38417] [--trace] [--stream FILE]
//                         [--slow-host MS]
//   VOLMAR.exe lacking-each [ORD,ORD,...]
//
// --stream writes what the plug-in handed over to FILE, one JSON object a
// line, in order: {"post":N} for each HostPostKey argument (unsigned
// decimal) and {"text":"..."} for each HostTypeText text (host text as
// UTF-8).
//
// --slow-host makes the host's key loop wait MS milliseconds before it
// offers each key from its queue (a held key offered again excepted), as a
// busy machine may: the scenarios' checks must hold all the same.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "host/exports/export_table.h"
#include "tests/wine/check.h"
#include "tests/wine/scenario.h"

static const Scenario kScenarios[] = {
    {"exports", nullptr, RunExports},
    {"handshake", nullptr, RunHandshake},
    {"activation", nullptr, RunActivation},
    {"explanation", nullptr, RunExplanation},
    {"without-query", "30006", RunWithoutQuery},
    {"missing-one", "52249", RunMissingOne},
    {"missing-three", "41613,30005,38417", RunMissingThree},
    // Given out of table order: the record keeps table order all the same.
    {"missing-ten", "32408,52041,52246,38498,52305,52536,32300,35387,52006,52537", RunMissingTen},
    {"missing-all",
     "30018,35802,40008,41611,41613,30005,38417,52537,52006,35387,32300,52536,52305,38498,52246,"
     "52249,52041,32408,52544,38200,52644,52026,52247,21286,52023,52306,51594,52242,35800,52064,"
     "52543,38273,52028,40009,52245,21287,52567,52161,52643,52224,52169,21285,52033,52541",
     RunMissingAll},
    {"form-macro", nullptr, RunFormMacro},
    {"every-command", nullptr, RunEveryCommand},
    {"shared-macro", nullptr, RunSharedMacro},
    {"shared-macro-dry-run", nullptr, RunSharedMacroDryRun},
    {"open-errors", nullptr, RunOpenErrors},
    // Failing hosts: give "lacking-one" one ordinal with --lack (or none,
    // for the full host); "lacking-each" runs it for every host function.
    {"lacking-one", nullptr, RunLackingOne},
    {"calloc-null", nullptr, RunCallocNull},
    {"realloc-null", nullptr, RunReallocNull},
    {"open-fail-keys", nullptr, RunOpenFailKeys},
    {"open-fail-macro", nullptr, RunOpenFailMacro},
    {"open-fail-log", nullptr, RunOpenFailLog},
    {"refused-posts", nullptr, RunRefusedPosts},
    {"log-write-fails", nullptr, RunLogWriteFails},
    {"macro-1mb", nullptr, RunMegabyteMacro},
    {"macro-random", nullptr, RunRandomMacro},
    // The recorder beside the player; with --lack ORD on a host lacking one
    // of the host functions the recorder binds.
    {"recorder-beside-player", nullptr, RunRecorderBesidePlayer},
    {"recorder-lacking", nullptr, RunRecorderLacking},
};

static RecordingHost g_recordingHost;

static void ParseOrdinals(const char *list, std::vector<uint16_t> *ordinals) {
  while (list != nullptr && *list != 0) {
    char *end = nullptr;
    long value = strtol(list, &end, 10);
    if (end == list) break;
    ordinals->push_back(static_cast<uint16_t>(value));
    list = *end == ',' ? end + 1 : end;
  }
}

// Blanks the host's own export entries, as a host that lacks them.
static bool WithdrawHostExports(HMODULE self, const std::vector<uint16_t> &ordinals) {
  size_t blanked = WithdrawExports(self, ordinals.data(), ordinals.size());
  bool ok = CheckValue(static_cast<int64_t>(ordinals.size()), static_cast<int64_t>(blanked),
                       "the test host withdraws the exports it is to lack");
  size_t stillFound = 0;
  for (uint16_t ordinal : ordinals)
    if (ExportByOrdinal(self, ordinal) != nullptr) ++stillFound;
  ok &= CheckValue(0, static_cast<int64_t>(stillFound),
                   "GetProcAddress finds none of the withdrawn ordinals");
  return ok;
}

// The keys and texts the plug-in handed over, as --stream describes them.
static bool WriteHandedOver(const RecordingHost &host, const char *path) {
  FILE *file = fopen(path, "wb");
  if (file == nullptr) return false;
  for (const RecordingHost::HandedOver &item : host.handedOver) {
    if (!item.typed) {
      fprintf(file, "{\"post\":%lu}\n", static_cast<unsigned long>(item.key));
      continue;
    }
    std::string json;
    for (char c : MazoviaToUtf8(item.text)) {
      unsigned char byte = static_cast<unsigned char>(c);
      if (c == '"' || c == '\\') json += '\\';
      if (byte < 0x20) json += Format("\\u%04X", byte);
      else json += c;
    }
    fprintf(file, "{\"text\":\"%s\"}\n", json.c_str());
  }
  return fclose(file) == 0;
}

extern "C" int __cdecl VolmarMain(int argc, char **argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc >= 2 && strcmp(argv[1], "lacking-each") == 0) {
    std::vector<uint16_t> only;
    ParseOrdinals(argc >= 3 ? argv[2] : nullptr, &only);
    return RunLackingEach(only);
  }
  const Scenario *scenario = nullptr;
  for (const Scenario &candidate : kScenarios)
    if (argc >= 2 && strcmp(argv[1], candidate.name) == 0) scenario = &candidate;
  if (scenario == nullptr) {
    printf("usage: VOLMAR.exe <scenario> [--lack ORD,ORD,...] [--trace] [--stream FILE]\n"
           "                         [--slow-host MS]\n"
           "       VOLMAR.exe lacking-each [ORD,ORD,...]\nscenarios:");
    for (const Scenario &candidate : kScenarios) printf(" %s", candidate.name);
    printf("\n");
    return 2;
  }
  std::vector<uint16_t> lacking;
  ParseOrdinals(scenario->lacking, &lacking);
  bool trace = false;
  const char *streamPath = nullptr;
  for (int i = 2; i < argc; ++i) {
    if (strcmp(argv[i], "--lack") == 0 && i + 1 < argc) ParseOrdinals(argv[++i], &lacking);
    else if (strcmp(argv[i], "--trace") == 0) trace = true;
    else if (strcmp(argv[i], "--stream") == 0 && i + 1 < argc) streamPath = argv[++i];
    else if (strcmp(argv[i], "--slow-host") == 0 && i + 1 < argc)
      g_recordingHost.slowHostMs = static_cast<uint32_t>(strtoul(argv[++i], nullptr, 10));
  }

  RecordingHost &host = g_recordingHost;
  host.keepHandedOver = streamPath != nullptr;
  SetHostBackend(&host);
  HMODULE self = GetModuleHandleA("VOLMAR");
  if (!Check(self != nullptr, "the test host is loaded as the module named VOLMAR"))
    return CheckSummary();
  if (!lacking.empty() && !WithdrawHostExports(self, lacking)) return CheckSummary();

  // A debugger that watches this process learns from this line that the
  // debug output reaches it at all.
  if (IsDebuggerPresent()) OutputDebugStringA("tastiro-probe\n");

  ScenarioContext context{host, {}, self, lacking};
  HMODULE plugin = LoadLibraryW(PluginPathBeside(self).c_str());
  if (!Check(plugin != nullptr, "the host loads wtyczki\\tastiromatika.dll")) {
    printf("     LoadLibrary error %lu\n", GetLastError());
    return CheckSummary();
  }
  host.pluginModule = plugin;
  host.root = CurrentFolder();
  if (!Check(FindPluginExports(plugin, &context.plugin),
             "the plug-in exports ordinals 30001, 30008, 30009 and 30010"))
    return CheckSummary();

  scenario->run(context);
  if (streamPath != nullptr)
    Check(WriteHandedOver(host, streamPath), "the keys and texts handed over are written out");

  if (trace || FailedChecks() > 0) {
    printf("host calls:\n");
    host.PrintCalls();
  }
  return CheckSummary();
}
