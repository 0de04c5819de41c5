// The recorder (wtyczki\zapis-klawiszy.dll) loaded beside the player, as the
// stand-in host loads them: the player first, so the recorder's filter is
// installed last, is called first and asks the player's filter first.
#include "plugin/contract/host_values.h"
#include "tests/wine/check.h"
#include "tests/wine/macro_support.h"
#include "tests/wine/scenario.h"

namespace {

constexpr uint32_t kCtrlF11 = 0x8900;
constexpr uint32_t kF2 = 0x3C00;
constexpr uint32_t kUnnamed = 0x8B00;  // Alt+F11: no name in the test keys.h

const char kRecorderKeys[] =
    "#define ENTER 13\r\n#define TAB 9\r\n#define LBRACKET 0x5B\r\n#define F2 0x3C00\r\n";

bool LoadRecorder(ScenarioContext &context, PluginExports *recorder, bool quiet) {
  HMODULE module = LoadLibraryW((ModuleFolder(context.self) + L"wtyczki\\zapis-klawiszy.dll").c_str());
  if (!Check(module != nullptr, "the host loads wtyczki\\zapis-klawiszy.dll beside the player"))
    return false;
  if (!Check(FindPluginExports(module, recorder),
             "the recorder exports ordinals 30001, 30008, 30009 and 30010"))
    return false;
  char description[1024] = {};
  int32_t verdict = recorder->handshake(&ScenarioQuery, description);
  if (quiet) return verdict == 0;
  CheckBytes("Wtyczka 'Zapis klawiszy'\nNagrywanie klawiszy do pliku makra", description,
             "the recorder's description (host text): no key, the settings are read later");
  return CheckValue(0, verdict, "the recorder accepts the host");
}

// Player, then recorder: handshake and activation, a recording of a few
// keys, the stop, the tear-down of both.  Returns what the file holds.
std::string RecordBesidePlayer(ScenarioContext &context, bool checked) {
  RecordingHost &host = context.host;
  CreateDirectoryW(L"wtyczki", nullptr);
  WriteBytes(L"wtyczki\\keys.h", kRecorderKeys);
  DeleteFileW(L"nagranie1.txt");
  if (checked) {
    if (!Activate(context)) return "";
  } else {
    // As the stand-in host does: a refused plug-in is asked why (mode 1).
    host.installedFilter = &HostOwnFilter;
    host.noticeAnswer = 1;
    context.plugin.activate(context.plugin.handshake(&ScenarioQuery, nullptr) == 0 ? 0 : 1);
  }
  KeyFilter playerFilter = host.installedFilter;
  PluginExports recorder;
  bool accepted = LoadRecorder(context, &recorder, !checked);
  if ((!accepted && checked) || recorder.activate == nullptr) return "";
  recorder.activate(accepted ? 0 : 1);
  if (checked) Check(host.installedFilter != playerFilter, "the recorder's filter is installed last");

  host.forms.push_back(RecordingHost::FormScript());  // F12: the offered name
  RunKeyLoop(host, {kCtrlF11, 'Z', 0xA7 /* ż */, '[', ']', 13, '\t', kF2, kUnnamed, host::kKeyShiftF11,
                    kCtrlF11});
  std::string recorded = ReadBytes(L"nagranie1.txt");
  recorder.handshake(nullptr, nullptr);
  context.plugin.handshake(nullptr, nullptr);
  if (checked) {
    bool hotKeyPassed = false;
    for (uint32_t key : host.processed) hotKeyPassed |= key == kCtrlF11;
    Check(!hotKeyPassed, "Ctrl+F11 never reaches the host");
    CheckValue(0, host.OpenFileCount(), "no file is left open");
    CheckValue(0, host.flags, "the host's state word is clear again");
  }
  FreeLibrary(recorder.module);
  return recorded;
}

}  // namespace

void RunRecorderBesidePlayer(ScenarioContext &context) {
  std::string recorded = RecordBesidePlayer(context, true);
  // Shift+F11 went to the player (its start form, cancelled) and is not
  // recorded; Alt+F11 has no name, the question about naming it is answered
  // "no" (0), and it is left out.
  CheckBytes("Z\xC5\xBC[LBRACKET]][ENTER]\r\n[TAB][F2]", recorded,
             "the recording: characters as UTF-8, '[' by name, Enter with a line break");
}

// With --lack ORD: the same run on a host that lacks one host function.
// Whatever it cannot do, the recorder must not crash; the checks of the
// full run are not asked.
void RunRecorderLacking(ScenarioContext &context) {
  RecordBesidePlayer(context, false);
  Check(true, "the recorder ran to its tear-down on a host lacking " +
                  (context.lacking.empty() ? std::string("nothing")
                                           : Format("host function %u", context.lacking[0])));
}
