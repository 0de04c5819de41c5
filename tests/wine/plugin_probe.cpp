// plugin_probe.exe: loads the plug-in into a process that has no module
// named VOLMAR, and watches the plug-in's debugger output.
//
//   plugin_probe.exe --bare        load wtyczki\tastiromatika.dll without a host
//   plugin_probe.exe --debug-bare  run "--bare" under a debugger: 43 lines
//   plugin_probe.exe --debug-host  run "VOLMAR.exe missing-three" under a
//                                  debugger: three lines, in table order
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "tests/wine/check.h"
#include "tests/wine/expected_texts.h"
#include "tests/wine/plugin_exports.h"

static std::vector<std::string> g_queries;
static std::vector<std::string> g_messages;

// Host ordinal 35802 (HostMessageF), exported by this program (see
// plugin_probe.def) so that the failure explanation can be seen.
extern "C" int32_t __cdecl ProbeMessageF(int32_t id, const char *title, const char *format,
                                         uint32_t style, uint32_t style2, ...) {
  char text[4096];
  va_list values;
  va_start(values, style2);
  vsnprintf(text, sizeof text, format, values);
  va_end(values);
  text[sizeof text - 1] = 0;
  g_messages.push_back(Format("%d %s %s 0x%X 0x%X ", id, title, format, style, style2) + text);
  return 0;
}

static int32_t __cdecl BareQuery(int32_t what, int32_t value) {
  g_queries.push_back(Format("BareQuery(%d, %d)", what, value));
  return 1;
}

// Without a host every lookup goes to GetProcAddress(NULL, ordinal), which
// searches this program: 43 bindings fail, HostMessageF is found here.
static int RunBare() {
  Check(GetModuleHandleA("VOLMAR") == nullptr, "no module named VOLMAR is loaded");
  if (IsDebuggerPresent()) OutputDebugStringA("tastiro-probe\n");
  HMODULE self = GetModuleHandleW(nullptr);
  HMODULE module = LoadLibraryW(PluginPathBeside(self).c_str());
  if (!Check(module != nullptr, "the plug-in loads in a process without a VOLMAR module"))
    return CheckSummary();
  PluginExports plugin;
  if (!Check(FindPluginExports(module, &plugin), "the plug-in's four entry points are found"))
    return CheckSummary();

  char description[80] = {};
  CheckValue(-1, plugin.handshake(&BareQuery, description),
             "the handshake refuses a host without HostDateNumber");
  CheckBytes(expected::Text(expected::kDescription), description,
             "the handshake delivers the description all the same");
  CheckValue(0, plugin.activate(1), "the failure explanation returns 0");
  CheckLines({"15000 STOP!!! %s 0xF001 0x6E2E " +
              Format(expected::kMissing.c_str(), expected::kDescription.c_str(),
                     "funkcje o numerach 30005, 30018, 38417, 40008, 41611, 41613, 52006, 52537",
                     "ich")},
             g_messages,
             "43 functions missing: the explanation names the first eight to fail, sorted, "
             "with \"ich\"");
  CheckValue(0, plugin.activate(0), "activation returns 0 without HostSetKeyFilter");
  CheckValue(0, plugin.answerZero(), "30009 returns 0");
  CheckValue(-1234567890, plugin.answerMagic(5), "30010 returns -1234567890");
  CheckValue(0, plugin.handshake(nullptr, nullptr), "the tear-down returns 0");
  CheckLines({"BareQuery(1, 1)", "BareQuery(1, -1)"}, g_queries,
             "only the handshake's query function is called");
  Check(FreeLibrary(module) != 0, "the plug-in unloads");
  return CheckSummary();
}

// Runs `commandLine` under a debugger and collects its debug output.
static bool DebugChild(std::wstring commandLine, std::vector<std::string> *lines, DWORD *exitCode) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS,
                      nullptr, nullptr, &startup, &process)) {
    printf("     CreateProcess error %lu\n", GetLastError());
    return false;
  }
  bool ended = false;
  while (!ended) {
    DEBUG_EVENT event = {};
    if (!WaitForDebugEvent(&event, 60000)) {
      TerminateProcess(process.hProcess, 99);
      printf("     no debug event for 60 s\n");
      break;
    }
    DWORD status = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT:
        if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
        break;
      case LOAD_DLL_DEBUG_EVENT:
        if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
        break;
      case OUTPUT_DEBUG_STRING_EVENT: {
        const OUTPUT_DEBUG_STRING_INFO &info = event.u.DebugString;
        std::string text(info.nDebugStringLength, '\0');
        SIZE_T got = 0;
        if (!info.fUnicode &&
            ReadProcessMemory(process.hProcess, info.lpDebugStringData, &text[0], text.size(),
                              &got)) {
          text.resize(got);
          while (!text.empty() && text.back() == '\0') text.pop_back();
          lines->push_back(text);
        }
        break;
      }
      case EXCEPTION_DEBUG_EVENT:
        if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
          status = DBG_EXCEPTION_NOT_HANDLED;
        break;
      case EXIT_PROCESS_DEBUG_EVENT:
        *exitCode = event.u.ExitProcess.dwExitCode;
        ended = true;
        break;
      default:
        break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ended;
}

static int RunDebug(const std::wstring &child, const std::vector<int> &ordinals,
                    const std::string &what) {
  std::vector<std::string> lines;
  DWORD exitCode = 1;
  if (!Check(DebugChild(child, &lines, &exitCode), "the child runs to its end under the debugger"))
    return CheckSummary();
  CheckValue(0, exitCode, "the child's own checks pass under the debugger");
  bool probeSeen = false;
  std::vector<std::string> binding;
  for (const std::string &line : lines) {
    if (line == "tastiro-probe\n") probeSeen = true;
    else if (line.compare(0, 5, "Brak ") == 0) binding.push_back(Escaped(line));
  }
  if (!probeSeen) {
    Skip(what, "this Wine delivers no OUTPUT_DEBUG_STRING_EVENT to the debugger");
    return CheckSummary();
  }
  std::vector<std::string> expected;
  for (int ordinal : ordinals) expected.push_back(Format("Brak funkcji o numerze %d\\n", ordinal));
  CheckLines(expected, binding, what);
  return CheckSummary();
}

int main(int argc, char **argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  std::string mode = argc >= 2 ? argv[1] : "";
  std::wstring folder = ModuleFolder(GetModuleHandleW(nullptr));
  if (mode == "--bare") return RunBare();
  if (mode == "--debug-bare") {
    // The host import table in table order, but HostMessageF (35802),
    // which this program exports.
    static const std::vector<int> kMissing = {
        30018, 40008, 41611, 41613, 30005, 38417, 52537, 52006, 35387, 32300,
        52536, 52305, 38498, 52246, 52249, 52041, 32408, 52544, 38200, 52644, 52026,
        52247, 21286, 52023, 52306, 51594, 52242, 35800, 52064, 52543, 38273, 52028,
        40009, 52245, 21287, 52567, 52161, 52643, 52224, 52169, 21285, 52033, 52541};
    return RunDebug(L"\"" + folder + L"plugin_probe.exe\" --bare", kMissing,
                    "with no host module each of the 43 failed bindings writes one line, in "
                    "table order");
  }
  if (mode == "--debug-host") {
    return RunDebug(L"\"" + folder + L"VOLMAR.exe\" missing-three", {41613, 30005, 38417},
                    "a host lacking 41613, 30005, 38417: three lines in table order");
  }
  printf("usage: plugin_probe.exe --bare | --debug-bare | --debug-host\n");
  return 2;
}
