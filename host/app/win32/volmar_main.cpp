// VolmarMain: the stand-in host's program, called by VOLMAR.exe.
//
// Reads the command line, sets up the screen and the keyboard (the console,
// or a key script in the scripted mode), withdraws the host functions the
// command line names, loads the plug-ins from the wtyczki folder beside the
// host, and runs the editor until the user leaves it (F10, Alt+X) or the script
// has ended and the host is idle.  The scripted mode then prints the
// editor's text (UTF-8) on standard output; its messages go to standard
// error.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <stdio.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/app/core/editor.h"
#include "host/app/core/key_codes.h"
#include "host/app/core/key_script.h"
#include "host/app/core/message_box.h"
#include "host/app/core/options.h"
#include "host/app/core/quit_question.h"
#include "host/app/core/text_codec.h"
#include "host/app/win32/console.h"
#include "host/app/win32/key_loop_probe.h"
#include "host/app/win32/plugins.h"
#include "host/app/win32/volmar_backend.h"
#include "host/exports/export_table.h"

extern "C" int32_t HOST_CDECL ExportHostQuery(int32_t what, int32_t value);

namespace volmar {
namespace {

enum ExitStatus { kExitOk = 0, kExitFailed = 1, kExitUsage = 2, kExitTimedOut = 3, kExitCrashed = 4 };

void Print(FILE *stream, const std::string &utf8) {
  fwrite(utf8.data(), 1, utf8.size(), stream);
  fflush(stream);
}

std::vector<std::u16string> CommandLineArguments() {
  std::vector<std::u16string> args;
  int count = 0;
  LPWSTR *list = CommandLineToArgvW(GetCommandLineW(), &count);
  if (list == nullptr) return args;
  for (int i = 1; i < count; ++i) args.emplace_back(reinterpret_cast<const char16_t *>(list[i]));
  LocalFree(list);
  return args;
}

HMODULE OwnModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&OwnModule), &module);
  return module;
}

std::u16string FolderOf(HMODULE module) {
  wchar_t path[MAX_PATH * 4];
  DWORD length = GetModuleFileNameW(module, path, sizeof path / sizeof path[0]);
  std::u16string folder(reinterpret_cast<const char16_t *>(path), length);
  size_t slash = folder.find_last_of(u"\\/");
  return slash == std::u16string::npos ? u"." : folder.substr(0, slash);
}

bool ReadScript(const Options &options, std::string &script, std::string &error) {
  if (options.keysFile.empty()) {
    script = options.keys;
    return true;
  }
  FILE *file = _wfopen(reinterpret_cast<const wchar_t *>(options.keysFile.c_str()), L"rb");
  if (file == nullptr) {
    error = "cannot read " + Utf16ToUtf8(options.keysFile);
    return false;
  }
  char chunk[4096];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) script.append(chunk, got);
  fclose(file);
  return true;
}

// The first line of a plug-in's description (host text).
std::string FirstLine(const std::string &description) {
  return description.substr(0, description.find('\n'));
}

std::u16string StatusText(const Plugins &plugins) {
  std::u16string text;
  for (const PluginRecord &record : plugins.records()) {
    if (!text.empty()) text += u", ";
    if (record.state == PluginRecord::State::kActive && !record.description.empty())
      text += HostTextToUtf16(FirstLine(record.description));
    else
      text += reinterpret_cast<const char16_t *>(record.file.c_str()) + std::u16string(u": ") +
              Utf8ToUtf16(StateName(record.state));
  }
  return text.empty() ? u"brak wtyczek" : text;
}

// The F1 box: the plug-ins with their descriptions, and the keys.
std::string HelpText(const Plugins &plugins) {
  std::string text = "Wtyczki z folderu wtyczki:\n";
  if (plugins.records().empty()) text += "  (brak)\n";
  for (const PluginRecord &record : plugins.records()) {
    text += "\n  " + Utf16ToUtf8(reinterpret_cast<const char16_t *>(record.file.c_str())) + ": " +
            StateName(record.state) + "\n";
    std::string description = HostTextToUtf8(record.description);
    for (size_t start = 0; start < description.size();) {
      size_t end = description.find('\n', start);
      if (end == std::string::npos) end = description.size();
      text += "    " + description.substr(start, end - start) + "\n";
      start = end + 1;
    }
  }
  text += "\nEdytor: strzałki, Home, End, PgUp, PgDn, Enter, Backspace, Delete, Tab.\n"
          "F10 lub Alt+X kończy pracę programu (w czasie makra lub nagrywania\n"
          "VOLMAR najpierw o to pyta). [F10] lub [ALT_X] w makrze\n"
          "nie kończy pracy programu.";
  return Utf8ToHostText(text);
}

void ReportPlugins(const Plugins &plugins) {
  for (const PluginRecord &record : plugins.records()) {
    std::string line = "wtyczka " + Utf16ToUtf8(reinterpret_cast<const char16_t *>(record.file.c_str())) +
                       ": " + StateName(record.state);
    if (!record.description.empty()) line += " - " + HostTextToUtf8(FirstLine(record.description));
    Print(stderr, line + "\n");
  }
  if (plugins.records().empty()) Print(stderr, "brak wtyczek w folderze wtyczki\n");
}

// Where the keys come from: a script (--keys) or the console.
struct KeySource {
  std::unique_ptr<KeyInput> input;
  std::unique_ptr<ConsoleScreen> screen;  // null in the scripted mode
  ScriptInput *script = nullptr;          // the script, in the scripted mode
};

// False, with the reason printed, when neither a script nor a console serves.
bool OpenKeySource(const Options &options, KeySource &source) {
  if (options.scripted) {
    std::string text, error;
    std::vector<ScriptStep> steps;
    if (!ReadScript(options, text, error) || !ParseKeyScript(text, steps, error)) {
      Print(stderr, "VOLMAR: " + error + "\n");
      return false;
    }
    auto owned = std::make_unique<ScriptInput>(std::move(steps), [] { return GetTickCount(); },
                                               [](uint32_t ms) { Sleep(ms); },
                                               options.timeoutSeconds * 1000u);
    source.script = owned.get();
    source.input = std::move(owned);
    return true;
  }
  DWORD mode;
  if (!GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode)) {
    Print(stderr, "VOLMAR: no console to read keys from; --keys runs the scripted mode\n");
    return false;
  }
  source.input = std::make_unique<ConsoleInput>();
  source.screen = std::make_unique<ConsoleScreen>();
  return true;
}

// The host's key loop: the editor takes every key until the user ends the
// program (F10 or Alt+X, quit_question.h) or the script ends.  --time-keys
// and --paint-stack measure this loop alone, without start-up, tear-down
// and printing.
void RunKeyLoop(const Options &options, Keyboard &keyboard, Ui &ui, Editor &editor,
                const Plugins &plugins, const std::function<ActivitySnapshot()> &running) {
  KeyLoopClock clock;
  if (options.paintStack) keyboard.filterCall = &PaintedFilterCall;
  clock.Start();
  for (;;) {
    uint32_t key = ui.NextKey();
    if (key == kEndOfInput) break;
    clock.CountKey();
    Editor::Action action = editor.HandleKey(key);
    if (action == Editor::Action::kQuit && ConfirmQuit(ui, keyboard.LastKeyTyped(), running()))
      break;
    if (action == Editor::Action::kHelp) ShowMessageBox(ui, "VOLMAR", HelpText(plugins), false);
  }
  clock.Stop();
  keyboard.filterCall = nullptr;
  if (options.timeKeys) Print(stderr, clock.Report());
  if (options.paintStack) Print(stderr, PaintedStackReport());
}

// The scripted mode prints what was typed; it succeeds when every plug-in
// is active and no error box was shown before the script ended.
int ScriptedResult(const ScriptInput &script, const Editor &editor, const Plugins &plugins,
                   const VolmarBackend &backend) {
  Print(stdout, HostTextToUtf8(editor.Text()) + "\n");
  if (script.timedOut()) {
    Print(stderr, "VOLMAR: przekroczony czas (--timeout)\n");
    return kExitTimedOut;
  }
  bool allActive = !plugins.records().empty() && plugins.ActiveCount() == plugins.records().size();
  return allActive && backend.errorsShown() == 0 ? kExitOk : kExitFailed;
}

int Run(const Options &options) {
  const HMODULE module = OwnModule();
  const std::u16string hostFolder = FolderOf(module);
  KeySource source;
  if (!OpenKeySource(options, source)) return kExitUsage;

  Keyboard keyboard(*source.input, [] { return GetTickCount(); });
  Ui ui(keyboard, source.screen.get(), [] { return GetTickCount(); });
  ui.report = [](const std::string &text) { Print(stderr, text); };
  ui.answers.assign(options.answers.begin(), options.answers.end());
  Editor editor;
  ui.SetBase(&editor);
  Plugins plugins;
  editor.statusText = [&plugins] { return StatusText(plugins); };

  VolmarBackend backend(options, hostFolder, keyboard, ui);
  SetHostBackend(&backend);
  // A script has not ended while a macro is still open.
  // A macro open (read) is work under way; a recording (a file held open for
  // writing) is not: when the input ends, the host ends and the tear-down
  // closes the recording.
  keyboard.workPending = [&backend] { return backend.openFiles() > backend.writingFiles(); };
  // What the plug-ins are doing: the status line's word, and whether F10
  // asks before it ends the program.
  const std::function<ActivitySnapshot()> running = [&backend, &keyboard] {
    return ActivitySnapshot{keyboard.DelayedCount(), backend.HostGetFlags(),
                            backend.openFiles() > backend.writingFiles(), backend.writingFiles() > 0};
  };
  editor.activityText = [&backend, &running] {
    return backend.activity.Describe(running(), GetTickCount());
  };
  struct ActivityOff {  // the status line asks the backend no more once it is gone
    Editor &editor;
    ~ActivityOff() { editor.activityText = nullptr; }
  } activityOff{editor};
  struct Uninstall {
    ~Uninstall() { SetHostBackend(nullptr); }
  } uninstall;

  if (!options.withdraw.empty()) {
    size_t blanked = WithdrawExports(module, options.withdraw.data(), options.withdraw.size());
    if (options.scripted)
      Print(stderr, "wycofane funkcje programu: " + std::to_string(blanked) + "\n");
  }

  ui.Redraw();
  plugins.LoadAll(reinterpret_cast<const wchar_t *>((hostFolder + u"\\wtyczki").c_str()),
                  &ExportHostQuery);
  if (options.scripted) ReportPlugins(plugins);

  RunKeyLoop(options, keyboard, ui, editor, plugins, running);

  plugins.TearDown();
  keyboard.SetFilter(nullptr);
  if (!options.scripted) return kExitOk;
  return ScriptedResult(*source.script, editor, plugins, backend);
}

}  // namespace
}  // namespace volmar

extern "C" int __cdecl VolmarMain(int, char **) {
  using namespace volmar;
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  Options options;
  std::string error;
  if (!ParseOptions(CommandLineArguments(), options, error)) {
    Print(stderr, "VOLMAR: " + error + "\n\n" + UsageText());
    return kExitUsage;
  }
  if (options.help) {
    Print(stdout, UsageText());
    return kExitOk;
  }
  try {
    return Run(options);
  } catch (const std::exception &failure) {
    Print(stderr, std::string("VOLMAR: ") + failure.what() + "\n");
    return kExitCrashed;
  }
}
