// "VOLMAR.exe lacking-each": the test host lacking each host function in
// turn.  A host function is withdrawn before the plug-in loads, so every
// case needs a fresh process: this driver starts "VOLMAR.exe lacking-one"
// once for the full host and once per host function, each in a work folder
// of its own with its output in a file there, and reads back how it ended.
#include <stdio.h>
#include <string.h>

#include <string>

#include "tests/wine/check.h"
#include "tests/wine/scenario.h"

namespace {

struct HostFunction {
  uint16_t ordinal;
  const char *name;
};
#define HOST_FUNCTION_ROW(pos, ord, Name, ...) {ord, #Name},
const HostFunction kHostFunctions[] = {HOST_IMPORT_TABLE(HOST_FUNCTION_ROW, HOST_FUNCTION_ROW)};
#undef HOST_FUNCTION_ROW

// A run that has not ended after this long hangs.
const DWORD kRunLimitMs = 60000;

struct RunResult {
  bool started = false;
  bool timedOut = false;
  DWORD exitCode = 0;
  std::string output;
};

RunResult RunChild(const std::wstring &exe, const std::wstring &arguments,
                   const std::wstring &folder) {
  RunResult result;
  CreateDirectoryW(folder.c_str(), nullptr);
  std::wstring outputPath = folder + L"\\output.txt";
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE output = CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (output == INVALID_HANDLE_VALUE) return result;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = output;
  startup.hStdError = output;
  PROCESS_INFORMATION process = {};
  std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
  result.started = CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                  folder.c_str(), &startup, &process) != 0;
  CloseHandle(output);
  if (!result.started) return result;
  if (WaitForSingleObject(process.hProcess, kRunLimitMs) != WAIT_OBJECT_0) {
    result.timedOut = true;
    TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, 5000);
  }
  GetExitCodeProcess(process.hProcess, &result.exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  result.output = ReadBytes(outputPath);
  return result;
}

// The run's closing line "N passed, M failed", or "".
std::string SummaryLine(const std::string &output) {
  size_t end = output.find_last_not_of("\r\n");
  if (end == std::string::npos) return "";
  size_t start = output.find_last_of('\n', end);
  start = start == std::string::npos ? 0 : start + 1;
  return output.substr(start, end + 1 - start);
}

void CheckRun(const std::wstring &exe, uint16_t ordinal, const char *name) {
  std::wstring folder =
      CurrentFolder() + L"\\" + (ordinal == 0 ? L"full" : std::to_wstring(ordinal));
  std::wstring arguments = L"lacking-one";
  if (ordinal != 0) arguments += L" --lack " + std::to_wstring(ordinal);
  DWORD start = GetTickCount();
  RunResult run = RunChild(exe, arguments, folder);
  DWORD took = GetTickCount() - start;

  std::string what =
      ordinal == 0 ? std::string("the full host") : Format("a host lacking %s (%u)", name, ordinal);
  std::string summary = SummaryLine(run.output);
  unsigned passed = 0, failed = 1;
  bool summarised = sscanf(summary.c_str(), "%u passed, %u failed", &passed, &failed) == 2;
  bool ok =
      run.started && !run.timedOut && run.exitCode == 0 && summarised && failed == 0 && passed > 0;
  std::string outcome =
      !run.started   ? "the test host did not start"
      : run.timedOut ? Format("hung, ended after %lu ms", static_cast<unsigned long>(kRunLimitMs))
      : !summarised  ? Format("ended without its summary, exit code 0x%lX",
                              static_cast<unsigned long>(run.exitCode))
                     : Format("%s, exit code 0x%lX", summary.c_str(),
                              static_cast<unsigned long>(run.exitCode));
  Check(ok,
        Format("%s: %s (%lu ms)", what.c_str(), outcome.c_str(), static_cast<unsigned long>(took)));
  if (!ok) {
    // The run's own account: its checks and, on failure, its host calls.
    size_t from = run.output.size() > 30000 ? run.output.size() - 30000 : 0;
    printf("----- output of %s\n%s\n-----\n", what.c_str(), run.output.c_str() + from);
  }
}

}  // namespace

int RunLackingEach(const std::vector<uint16_t> &only) {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  auto chosen = [&](uint16_t ordinal) {
    if (only.empty()) return true;
    for (uint16_t listed : only)
      if (listed == ordinal) return true;
    return false;
  };
  DWORD start = GetTickCount();
  if (chosen(0)) CheckRun(exe, 0, nullptr);
  size_t runs = 0;
  for (const HostFunction &function : kHostFunctions) {
    if (!chosen(function.ordinal)) continue;
    CheckRun(exe, function.ordinal, function.name);
    ++runs;
  }
  if (only.empty())
    CheckValue(44, static_cast<int64_t>(runs), "every one of the 44 host functions was withdrawn");
  printf("%u runs in %lu ms\n", static_cast<unsigned>(runs + chosen(0)),
         static_cast<unsigned long>(GetTickCount() - start));
  return CheckSummary();
}
