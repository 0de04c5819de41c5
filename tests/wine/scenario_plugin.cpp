// Scenarios of the plug-in's entry points: the export table, the calling
// conventions, the handshake, activation and the failure explanation, with
// hosts that lack chosen functions.
#include <string.h>

#include <set>

#include "tests/wine/check.h"
#include "tests/wine/expected_texts.h"
#include "tests/wine/scenario.h"
#include "tests/wine/stack_probe.h"

// ---------------------------------------------------------------------------
// The plug-in's PE image as the loader mapped it
// ---------------------------------------------------------------------------
static void CheckPeLayout(HMODULE module) {
  auto *base = reinterpret_cast<const unsigned char *>(module);
  auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
  auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS32 *>(base + dos->e_lfanew);
  CheckValue(IMAGE_FILE_MACHINE_I386, nt->FileHeader.Machine, "the plug-in is an i386 image");
  CheckValue(IMAGE_NT_OPTIONAL_HDR32_MAGIC, nt->OptionalHeader.Magic, "the plug-in is PE32");
  Check((nt->FileHeader.Characteristics & IMAGE_FILE_DLL) != 0, "the plug-in is a DLL");

  const IMAGE_DATA_DIRECTORY &exportDir =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (!Check(exportDir.VirtualAddress != 0, "the plug-in has an export table")) return;
  auto *exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(base + exportDir.VirtualAddress);
  CheckValue(30001, exports->Base, "export ordinal base 30001");
  CheckValue(10, exports->NumberOfFunctions, "ten export entries");
  CheckValue(0, exports->NumberOfNames, "no exported names");
  auto *functions = reinterpret_cast<const DWORD *>(base + exports->AddressOfFunctions);
  std::string layout;
  for (DWORD i = 0; i < exports->NumberOfFunctions && i < 10; ++i)
    layout += functions[i] != 0 ? 'C' : '-';
  CheckBytes("C------CCC", layout,
             "entries 30001, 30008, 30009, 30010 lead to code; 30002 to 30007 are empty");

  std::set<std::string> imported;
  const IMAGE_DATA_DIRECTORY &importDir =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  auto *descriptor =
      reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(base + importDir.VirtualAddress);
  for (; importDir.VirtualAddress != 0 && descriptor->Name != 0; ++descriptor) {
    std::string name = reinterpret_cast<const char *>(base + descriptor->Name);
    for (char &c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    imported.insert(name);
  }
  std::string names;
  for (const std::string &name : imported) names += name + " ";
  CheckBytes("KERNEL32.DLL MSVCRT.DLL USER32.DLL ", names,
             "the plug-in imports from KERNEL32, USER32 and msvcrt only");
  CheckValue(0,
             nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].VirtualAddress,
             "the plug-in has no delayed imports");
}

// Calls an export with the arguments as the host pushes them; checks that
// the stack pointer is where the contract puts it and returns the result.
static int32_t CallExport(const void *function, std::initializer_list<int32_t> args,
                          const std::string &what) {
  int32_t shift = -1;
  int32_t result = CallAndMeasure(function, args.begin(), static_cast<int32_t>(args.size()),
                                  &shift);
  CheckValue(0, shift, what + ": the stack pointer is unchanged after the call");
  return result;
}

static int32_t Pointer(const void *pointer) {
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(pointer));
}

void RunExports(ScenarioContext &context) {
  HMODULE module = context.plugin.module;
  CheckPeLayout(module);
  std::string empty;
  for (int ordinal = 30002; ordinal <= 30007; ++ordinal)
    if (ExportByOrdinal(module, ordinal) != nullptr) empty += std::to_string(ordinal) + " ";
  CheckBytes("", empty, "GetProcAddress gives null for the empty entries 30002 to 30007");
  Check(ExportByOrdinal(module, 30000) == nullptr && ExportByOrdinal(module, 30011) == nullptr,
        "GetProcAddress gives null for ordinals outside 30001 to 30010");

  RecordingHost &host = context.host;
  char description[100];
  memset(description, 0x55, sizeof description);
  CheckValue(0,
             CallExport(reinterpret_cast<const void *>(context.plugin.handshake),
                        {Pointer(reinterpret_cast<const void *>(&ScenarioQuery)),
                         Pointer(description)},
                        "30001 (stdcall, two arguments)"),
             "30001 accepts a compatible host");
  CheckBytes(expected::Text(expected::kDescription) + '\0' + "\x55",
             std::string(description, expected::kDescription.size() + 2),
             "30001 writes the description and its zero, and nothing behind them");

  CheckValue(0,
             CallExport(reinterpret_cast<const void *>(context.plugin.activate), {0},
                        "30008 mode 0 (stdcall, one argument)"),
             "30008 mode 0 returns 0");
  if (Check(host.installedFilter != nullptr, "activation installs a key filter")) {
    CheckValue(0x41,
               CallExport(reinterpret_cast<const void *>(host.installedFilter), {0x41},
                          "the key filter (stdcall, one argument)") &
                   0xFFFF,
               "the key filter passes a key through while no macro is open");
  }
  CheckValue(0,
             CallExport(reinterpret_cast<const void *>(context.plugin.activate), {1},
                        "30008 mode 1"),
             "30008 mode 1 returns 0");
  CheckValue(0,
             CallExport(reinterpret_cast<const void *>(context.plugin.answerZero), {},
                        "30009 (cdecl, no arguments)"),
             "30009 returns 0");
  CheckValue(-1234567890,
             CallExport(reinterpret_cast<const void *>(context.plugin.answerMagic), {7},
                        "30010 (stdcall, one argument)"),
             "30010 returns -1234567890");
  CheckValue(-1234567890,
             CallExport(reinterpret_cast<const void *>(context.plugin.answerMagic), {0}, "30010"),
             "30010 returns -1234567890 whatever its argument");
  size_t before = host.calls.size();
  CheckValue(0,
             CallExport(reinterpret_cast<const void *>(context.plugin.handshake), {0, 0},
                        "30001 tear-down"),
             "30001 with a null function (tear-down) returns 0");
  CheckLines({}, CallsSince(host, before),
             "the tear-down with no key-name table loaded calls no host function");
}

// ---------------------------------------------------------------------------
// Handshake
// ---------------------------------------------------------------------------
struct HandshakeCase {
  const char *what;
  int32_t queryMask;
  uint32_t hostDate;
  int32_t checkVerdict;
  int32_t apiLevel;
  int32_t result;
  int callsMade;  // how many of the five calls of the check are made
};

void RunHandshake(ScenarioContext &context) {
  static const HandshakeCase kCases[] = {
      {"a host that passes every test", 1, 20230517, 0, 112, 0, 5},
      {"a host built after the plug-in", 1, 20240101, 0, 112, 0, 5},
      {"a host lacking feature 0x2", 3, 20230517, 0, 112, -1, 1},
      {"a host built a day before the plug-in", 1, 20230516, 0, 112, -1, 3},
      {"a host that rejects the plug-in", 1, 20230517, 7, 112, -1, 4},
      {"a host of interface level 111", 1, 20230517, 0, 111, -1, 5},
      {"a host of interface level 113", 1, 20230517, 0, 113, -1, 5},
  };
  const std::vector<std::string> kCheckCalls = {
      "ScenarioQuery(1, 1)", "HostDateNumber(\"May 17 2023\")", "HostDateNumber(null)",
      "HostCheckPlugin(plugin, null, 0)", "HostApiLevel()"};
  RecordingHost &host = context.host;
  for (const HandshakeCase &c : kCases) {
    host.queryMask = c.queryMask;
    host.hostDate = c.hostDate;
    host.checkVerdict = c.checkVerdict;
    host.apiLevel = c.apiLevel;
    char description[80] = {};
    size_t before = host.calls.size();
    int32_t result = context.plugin.handshake(&ScenarioQuery, description);
    CheckValue(c.result, result, Format("handshake with %s returns %d", c.what, c.result));
    CheckLines(std::vector<std::string>(kCheckCalls.begin(), kCheckCalls.begin() + c.callsMade),
               CallsSince(host, before),
               Format("handshake with %s: the check stops after its failing test", c.what));
    CheckBytes(expected::Text(expected::kDescription), description,
               Format("handshake with %s delivers the description", c.what));
  }
  host.queryMask = 1;
  host.hostDate = 20230517;
  host.checkVerdict = 0;
  host.apiLevel = 112;
  CheckValue(0, context.plugin.handshake(&ScenarioQuery, nullptr),
             "a handshake with a null buffer still runs the check");
  CheckValue(0, context.plugin.handshake(nullptr, nullptr), "the tear-down returns 0");
  size_t before = host.calls.size();
  CheckValue(0, context.plugin.handshake(&ScenarioQuery, nullptr),
             "a handshake after the tear-down is accepted");
  CheckLines(kCheckCalls, CallsSince(host, before),
             "a handshake after the tear-down runs the check again");
}

// ---------------------------------------------------------------------------
// Activation and the first-run notice
// ---------------------------------------------------------------------------
void RunActivation(ScenarioContext &context) {
  RecordingHost &host = context.host;
  const std::string notice = "HostShowNotice(1194, answer, 0, " +
                             RecordingHost::Quoted(expected::kDescription.c_str()) + ")";
  const std::vector<std::string> reads = {
      "HostProfile(1, \"MacroFormFile\", \"Pytaj\", \"%d\") -> 1",
      "HostProfile(8, \"MacroFormFile\", \"File\", \"%*s\", 257) -> 1",
      "HostProfile(1, \"MacroFormFile\", \"Delay\", \"%d\") -> 1"};
  host.installedFilter = &HostOwnFilter;
  CheckValue(0, context.plugin.handshake(&ScenarioQuery, nullptr), "handshake accepted");

  // First activation with an empty settings store; the notice answered 0.
  host.noticeAnswer = 0;
  size_t before = host.calls.size();
  CheckValue(0, context.plugin.activate(0), "activation returns 0");
  CheckLines({"HostSetKeyFilter(filter)", reads[0], reads[1], reads[2], notice},
             CallsSince(host, before),
             "activation installs the filter, reads the three settings and shows the notice");
  KeyFilter pluginFilter = host.installedFilter;

  // The notice answered 0 comes back; answered 7, the answer is stored.
  host.noticeAnswer = 7;
  before = host.calls.size();
  context.plugin.activate(0);
  CheckLines({"HostSetKeyFilter(filter)", reads[0], reads[1], reads[2], notice,
              "HostProfile(2, \"MacroFormFile\", \"Pytaj\", \"%d\", 7) -> 0"},
             CallsSince(host, before),
             "a second activation shows the notice again and stores a nonzero answer");

  // The stored answer suppresses the notice; a stored "Delay" and "File"
  // are read back.
  host.settings["Delay"] = "0";
  host.settings["File"] = "makro.txt";
  before = host.calls.size();
  context.plugin.activate(0);
  CheckLines({"HostSetKeyFilter(filter)",
              "HostProfile(1, \"MacroFormFile\", \"Pytaj\", \"%d\") -> 0",
              "HostProfile(8, \"MacroFormFile\", \"File\", \"%*s\", 257) -> 0",
              "HostProfile(1, \"MacroFormFile\", \"Delay\", \"%d\") -> 0"},
             CallsSince(host, before), "an activation after a stored answer shows no notice");

  host.settings["Pytaj"] = "-3";
  before = host.calls.size();
  context.plugin.activate(0);
  size_t notices = 0;
  for (const std::string &call : CallsSince(host, before))
    if (call.compare(0, 15, "HostShowNotice(") == 0) ++notices;
  CheckValue(0, static_cast<int64_t>(notices), "a stored negative answer suppresses the notice");

  // Four activations: the host's filter must still come first, once per
  // key, and the plug-in's filter must not have become its own predecessor.
  Check(host.installedFilter == pluginFilter, "every activation installs the same filter");
  g_hostOwnFilterCalls = 0;
  uint32_t result = host.installedFilter(0x41) & 0xFFFF;
  CheckValue(0x41, result, "after four activations the filter passes a key through");
  CheckValue(1, g_hostOwnFilterCalls,
             "after four activations the host's own filter is called once per key");
}

// ---------------------------------------------------------------------------
// The failure explanation (export 30008 with a nonzero mode)
// ---------------------------------------------------------------------------
// A prepared text, shown through "%s".
static std::string ShownMessage(const std::string &text) {
  return "HostMessageF(15000, \"STOP!!!\", \"%s\", 0xF001, 0x6E2E) -> " +
         RecordingHost::Quoted(text.c_str());
}

// A message whose format takes the module base name (once or twice).
static std::string ShownWithBaseName(const std::string &format) {
  return "HostMessageF(15000, \"STOP!!!\", " + RecordingHost::Quoted(format.c_str()) +
         ", 0xF001, 0x6E2E) -> " +
         RecordingHost::Quoted(
             Format(format.c_str(), kPluginBaseName, kPluginBaseName).c_str());
}

void RunExplanation(ScenarioContext &context) {
  RecordingHost &host = context.host;
  const std::string description = expected::Text(expected::kDescription);

  // Before any handshake: the query function found at load (host ordinal
  // 30006) is asked, and no check has run yet.
  size_t before = host.calls.size();
  CheckValue(0, context.plugin.activate(1), "30008 mode 1 returns 0");
  CheckLines({"HostQuery(1, -1)",
              ShownMessage(Format(expected::kFeatures.c_str(), 0xFFFFFFFFu, description.c_str()))},
             CallsSince(host, before),
             "before any handshake: HostQuery from ordinal 30006, then the feature message "
             "with 0xFFFFFFFF");

  // Everything in order.  All 44 host functions are bound, which shows that
  // the binding ran after the attach step had found the host module: bound
  // first, every lookup would have had the null handle and failed.
  CheckValue(0, context.plugin.handshake(&ScenarioQuery, nullptr), "handshake accepted");
  before = host.calls.size();
  context.plugin.activate(-1);
  CheckLines({"ScenarioQuery(1, -1)", "HostCheckPlugin(plugin, buffer, 3072)",
              "ScenarioQuery(1, 1)", "HostDateNumber(\"May 17 2023\")", "HostDateNumber(null)",
              "HostCheckPlugin(plugin, null, 0)", "HostApiLevel()",
              ShownWithBaseName(expected::Text(expected::kNotInitialised))},
             CallsSince(host, before),
             "with every host function bound the explanation names none missing: the "
             "not-initialised notice with the module base name");

  // The host's own verdict, shown as the host wrote it, '%' included.
  host.checkVerdict = 3;
  host.checkExplanation = "Wtyczka zablokowana w 100% przez program %s";
  before = host.calls.size();
  context.plugin.activate(2);
  CheckLines({"ScenarioQuery(1, -1)", "HostCheckPlugin(plugin, buffer, 3072)",
              ShownMessage(host.checkExplanation)},
             CallsSince(host, before), "the host's explanation is shown literally");

  // A host older than the plug-in.
  host.checkVerdict = 0;
  host.hostDate = 20230516;
  before = host.calls.size();
  context.plugin.activate(1);
  std::vector<std::string> shown = host.CallsOf({"HostMessageF"});
  CheckBytes(ShownWithBaseName(expected::Text(expected::kVersion)),
             shown.empty() ? "" : shown.back(),
             "a host older than the plug-in gets the version message");

  // Missing features after a refused handshake.
  host.hostDate = 20230517;
  host.queryMask = 0x11;
  CheckValue(-1, context.plugin.handshake(&ScenarioQuery, nullptr),
             "handshake with feature bit 0x10 missing is refused");
  context.plugin.activate(1);
  shown = host.CallsOf({"HostMessageF"});
  CheckBytes(ShownMessage(Format(expected::kFeatures.c_str(), 0x10u, description.c_str())),
             shown.empty() ? "" : shown.back(), "the feature message names the bits 0x00000010");
  CheckValue(5, static_cast<int64_t>(shown.size()), "each explanation shows exactly one message");
}

void RunWithoutQuery(ScenarioContext &context) {
  RecordingHost &host = context.host;
  const std::string description = expected::Text(expected::kDescription);
  size_t before = host.calls.size();
  context.plugin.activate(1);
  CheckLines({ShownMessage(Format(expected::kFeatures.c_str(), 0xFFFFFFFFu, description.c_str()))},
             CallsSince(host, before),
             "a host without ordinal 30006: no query call, the feature message with 0xFFFFFFFF");
  CheckValue(0, context.plugin.handshake(&ScenarioQuery, nullptr), "handshake accepted");
  before = host.calls.size();
  context.plugin.activate(1);
  std::vector<std::string> calls = CallsSince(host, before);
  CheckBytes("ScenarioQuery(1, -1)", calls.empty() ? "" : calls.front(),
             "after the handshake the explanation asks the handshake's query function");
  CheckBytes(ShownWithBaseName(expected::Text(expected::kNotInitialised)),
             calls.empty() ? "" : calls.back(),
             "a host lacking only HostQuery (not an import) gets the not-initialised notice");
}

// ---------------------------------------------------------------------------
// Hosts that lack host functions
// ---------------------------------------------------------------------------
static void CheckMissingMessage(ScenarioContext &context, const std::string &list,
                                const char *pronoun, const std::string &what) {
  RecordingHost &host = context.host;
  context.plugin.handshake(&ScenarioQuery, nullptr);
  size_t before = host.calls.size();
  CheckValue(0, context.plugin.activate(1), "30008 mode 1 returns 0");
  const std::string description = expected::Text(expected::kDescription);
  CheckLines({"ScenarioQuery(1, -1)",
              ShownMessage(Format(expected::kMissing.c_str(), description.c_str(), list.c_str(),
                                  pronoun))},
             CallsSince(host, before), what);
}

void RunMissingOne(ScenarioContext &context) {
  RecordingHost &host = context.host;
  CheckMissingMessage(context, expected::Text(expected::kOneFunction) + "52249", "jej",
                      "a host lacking HostSetKeyFilter: 'funkcję o numerze 52249' with \"jej\"");
  // Activation through the empty HostSetKeyFilter slot must not crash.
  size_t before = host.calls.size();
  CheckValue(0, context.plugin.activate(0), "activation without HostSetKeyFilter returns 0");
  std::vector<std::string> calls = CallsSince(host, before);
  CheckBytes("HostProfile(1, \"MacroFormFile\", \"Pytaj\", \"%d\") -> 1",
             calls.empty() ? "" : calls.front(),
             "activation without HostSetKeyFilter goes on with the settings");
}

void RunMissingThree(ScenarioContext &context) {
  CheckValue(0, context.plugin.handshake(&ScenarioQuery, nullptr),
             "the handshake does not look at the missing never-called functions");
  CheckMissingMessage(context, "funkcje o numerach 30005, 38417, 41613", "ich",
                      "a host lacking 41613, 30005, 38417: 'funkcje o numerach 30005, 38417, "
                      "41613' with \"ich\"");
}

void RunMissingTen(ScenarioContext &context) {
  CheckMissingMessage(context,
                      "funkcje o numerach 32300, 35387, 38498, 52006, 52246, 52305, 52536, 52537",
                      "ich", "a host lacking ten functions: the first eight in table order, sorted");
}

void RunMissingAll(ScenarioContext &context) {
  RecordingHost &host = context.host;
  CheckValue(-1, context.plugin.handshake(&ScenarioQuery, nullptr),
             "a host lacking every function is refused");
  CheckValue(0, context.plugin.activate(1), "the explanation returns 0 without HostMessageF");
  CheckValue(0, context.plugin.activate(0), "activation returns 0 without any host function");
  CheckLines({"ScenarioQuery(1, 1)", "ScenarioQuery(1, -1)"}, host.calls,
             "with every host function missing only the query function is called");
}
