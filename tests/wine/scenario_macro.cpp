// Scenarios of whole macros played by the real plug-in in the test host:
// Shift+F11, the scripted start form, real macro, key and log files, and the
// host's key loop feeding the key filter.
#include "tests/wine/check.h"
#include "plugin/contract/host_values.h"
#include "tests/wine/expected_texts.h"
#include "tests/wine/macro_support.h"
#include "tests/wine/scenario.h"

// ---------------------------------------------------------------------------
// Shift+F11, the start form with its file picker, a macro played to its end
// ---------------------------------------------------------------------------
void RunFormMacro(ScenarioContext &context) {
  RecordingHost &host = context.host;
  PrepareKeyFile(context, true);
  WriteBytes(L"hej.txt", DataFile(context, L"hej.txt"));
  const std::string earlier = "poprzedni wpis\r\n";
  WriteBytes(L"hej.log", earlier);
  if (!Activate(context)) return;

  RecordingHost::FormScript form;
  form.pressF3 = true;
  form.pickedName = "hej.txt";
  form.delay = 5;
  host.forms.push_back(form);
  size_t start = host.calls.size();
  g_hostOwnFilterCalls = 0;
  host.input.push_back(host::kKeyShiftF11);  // the user presses Shift+F11
  int filterCalls = RunKeyLoop(host, {});

  CheckValue(0, host.fieldCallbackShift, "the field callback removes its two arguments (stdcall)");
  CheckValue(-2, host.fieldCallbackResult, "the field callback handles F3 and returns -2");
  const std::string keysPath = WideQuoted(host.root + L"\\wtyczki\\keys.h");
  CheckLines({"HostGetFlags()",
              "HostSetFlags(0x8000, 1)",
              "HostPrepareText(\"\", 258)",
              "HostRunForm(template, 1, record, callback)",
              "HostPickFile(0x39, \"\", \"*.txt\", 1)",
              "HostFormFieldBuffer(0x4101)",
              "HostFormRefreshField(0x4101)",
              "HostProfile(9, \"MacroFormFile\", \"File\", \"%s\", \"hej.txt\") -> 0",
              "HostProfile(9, \"MacroFormFile\", \"Delay\", \"%d\", 5) -> 0",
              "HostCalloc(300, 16)",
              "HostMakePathW(260, L\"wtyczki\\keys.h\")",
              "HostFileOpenW(" + keysPath + ", L\"rt\", 0x40, 0, -1) -> 1",
              "HostFileGets(256, 1)",
              "HostFileGets(256, 1)",
              "HostCopyText(\"ENTER\", 13)",
              "HostFileGets(256, 1)",
              "HostCopyText(\"F1\", 13)",
              "HostFileGets(256, 1)",
              "HostCopyText(\"ShiftF11\", 13)",
              "HostFileGets(256, 1)",
              "HostFileClose(1)",
              "HostRealloc(block, 48)",
              "HostConvertText(target, 520, \"hej.txt\", -1, 1, 5)",
              "HostFileOpenW(L\"hej.txt\", L\"rt\", 0x40, 0, -1) -> 2",
              "HostPathAddExtensionW(L\"hej.txt\", 260, L\".log\")",
              "HostFileOpenW(L\"hej.log\", L\"rt+\", 0x40, 0, -1) -> 3",
              "HostFileSeek(3, 0, 2)",
              "HostSetFlags(0x8000, 0)"},
             StartBranchCalls(host, start),
             "Shift+F11: the start form with F3, the settings, the key names, macro and log");

  Playback expected;
  expected.log = 3;
  for (char c : std::string("Hej")) expected.Char(c);
  expected.Key(13, "[ENTER]\n");
  expected.Key(0x86, "{CHAR: \x86}\n");
  expected.Char('b');
  expected.Key(0x3B00, "[F1]\n");
  expected.EndOfMacro();
  CheckLines(expected.trace, PlaybackCalls(host, start),
             "the macro is played to its end: key lines, keys, the closing notice");
  CheckBytes(earlier + expected.logBytes, ReadBytes(L"hej.log"),
             "the log keeps its earlier line and receives the playback's lines");
  CheckLines({"0x48", "0x65", "0x6A", "0xD", "0x86", "0x62", "0x3B00"},
             [&] {
               std::vector<std::string> keys;
               for (uint32_t key : host.processed) keys.push_back(Format("0x%X", key));
               return keys;
             }(),
             "the host processes the macro's keys in order");
  CheckBytes("hej.txt", host.settings["File"], "the picked name is stored");
  CheckBytes("5", host.settings["Delay"], "the new delay is stored");
  CheckValue(filterCalls, g_hostOwnFilterCalls, "the host's own filter runs on every call");
  CheckStateWordRestored(host);
}

// ---------------------------------------------------------------------------
// A macro with every command, a key name, plain text, CR LF line ends, an
// unknown word, a refused key, and a stop by the user
// ---------------------------------------------------------------------------
void RunEveryCommand(ScenarioContext &context) {
  RecordingHost &host = context.host;
  PrepareKeyFile(context, true);
  WriteBytes(L"makro.txt", DataFile(context, L"makro.txt"));
  WriteBytes(L"makro.log", "");
  host.settings = {{"Pytaj", "1"}, {"File", "makro.txt"}, {"Delay", "5"}};
  if (!Activate(context)) return;

  host.forms.push_back(RecordingHost::FormScript());  // confirmed unchanged
  host.refusedPosts = {2};                            // the host refuses the second key once
  host.questionAnswers = {0, host::kAnswerYes};  // SF11's stop question: no; the user's: yes
  size_t start = host.calls.size();
  g_hostOwnFilterCalls = 0;
  host.input.push_back(host::kKeyShiftF11);
  // What the user types while the player waits: a key that passes during
  // WAITENTER, Enter to end it, Enter to end WAIT, Enter that passes during
  // HALT, Shift+F11 to end HALT, and after RESTART Shift+F11 to stop.
  int filterCalls = RunKeyLoop(host, {'z', 13, 13, 13, host::kKeyShiftF11, host::kKeyShiftF11});

  Check(host.CallsOf({"HostProfile(9"}).empty(), "a form confirmed unchanged stores no setting");
  const std::string waitEnter = expected::Text(expected::kWaitEnter);
  const std::string halt = expected::Text(expected::kHalt);
  const std::string question = expected::Text(expected::kStopQuestion);
  Playback expected;
  expected.log = 3;
  auto firstLine = [&](bool refused) {
    expected.Char('A');
    expected.Char('b');
    // A refused key is handed over again, with its key line again.
    if (refused) expected.Char('b');
    expected.Key(13, "[ENTER]\n");
    expected.Notice(waitEnter);
    expected.Ask("", waitEnter, 0x200);
    expected.Call("HostWaitScreen()");
    expected.NoKey();
  };
  firstLine(true);
  expected.Char('c');
  expected.NoKey();  // WAIT writes no line of its own
  expected.Char('d');
  expected.Key(0xA7, "{CHAR: \xA7}\n");
  expected.Notice(halt);
  expected.Ask(expected::kAttention, halt, 1);
  expected.NoKey();
  expected.Char('e');
  expected.Line("{NAPIS: Nieznane}\n");
  expected.Call("HostTypeText(\"Nieznane\")");
  expected.Line("[DELAY]\n");
  expected.NoKey();
  expected.Char('f');
  expected.Line("[SF11]\n");
  expected.Key(0xFFFF8700, "[ShiftF11]\n");
  expected.Ask(expected::kAttention, question, host::kAskYesNo);
  expected.Char('g');
  expected.Line("[RESTART]\n");
  expected.Call("HostFileRewind(2)");
  expected.NoKey();
  firstLine(false);
  expected.Ask(expected::kAttention, question, host::kAskYesNo);
  expected.Notice(expected::Text(expected::kStopped));
  expected.Call("HostFileClose(2)");
  expected.Call("HostFileClose(3)");
  expected.Ask(expected::kAttention, expected::Text(expected::kStopped), 1);
  CheckLines(expected.trace, PlaybackCalls(host, start),
             "every command, key name, text and wait played in order, stopped by the user");
  CheckBytes(expected.logBytes, ReadBytes(L"makro.log"), "the log's exact bytes");
  std::vector<std::string> processed;
  for (uint32_t key : host.processed) processed.push_back(Format("0x%X", key));
  CheckLines({"0x41", "0x62", "0xD", "0x7A", "0x63", "0x64", "0xA7", "0xD", "0x65", "0x66", "0x67",
              "0x41", "0x62", "0xD"},
             processed,
             "the host processes the macro's keys and the user's keys that pass the waits");
  // The pauses, judged by the host's clock around each filter call: how
  // fast the machine is decides how often a key is held, never whether one
  // comes early.  The Enter of [ENTER] after the key delay of 5 ms, and 'f'
  // after the 2000 ms of DELAY.
  CheckPauseHolds(host, FilterCallMaking(host, "HostPostKey(0xD)"), 5, 13,
                  "the Enter of [ENTER] waits out the key delay of 5 ms, and no longer");
  CheckPauseHolds(host, FilterCallMaking(host, expected.LineCall("[DELAY]\n")), 2000, 'f',
                  "the key after DELAY is held with HostDelayKey until its 2000 ms have run out");
  CheckValue(filterCalls, g_hostOwnFilterCalls, "the host's own filter runs on every call");
  CheckStateWordRestored(host);
}

// ---------------------------------------------------------------------------
// The project's shared sample macro and keys.h (tests/data), played until the
// user stops it: the first SF11 question is answered no, the second yes
// ---------------------------------------------------------------------------
void RunSharedMacro(ScenarioContext &context) {
  RecordingHost &host = context.host;
  CreateDirectoryW(L"wtyczki", nullptr);
  WriteBytes(L"wtyczki\\keys.h", DataFile(context, L"shared\\keys.h"));
  WriteBytes(L"shared_macro.txt", DataFile(context, L"shared\\shared_macro.txt"));
  const std::string earlier = "Poprzedni przebieg\r\n";
  WriteBytes(L"shared_macro.log", earlier);
  if (!Activate(context)) return;

  RecordingHost::FormScript form;
  form.name = "shared_macro.txt";
  form.delay = 5;
  host.forms.push_back(form);
  host.questionAnswers = {0, host::kAnswerYes};
  size_t start = host.calls.size();
  host.input.push_back(host::kKeyShiftF11);
  // Per round: Enter ends WAITENTER, Enter ends WAIT, Shift+F11 ends HALT,
  // Enter ends the second WAIT (reached in the first round only).
  RunKeyLoop(host, {13, 13, host::kKeyShiftF11, 13, 13, 13, host::kKeyShiftF11});

  const std::string waitEnter = expected::Text(expected::kWaitEnter);
  const std::string halt = expected::Text(expected::kHalt);
  const std::string question = expected::Text(expected::kStopQuestion);
  std::vector<uint32_t> processed;
  Playback expected;
  expected.log = 3;
  auto chars = [&](const std::string &text) {
    for (char c : text) {
      expected.Char(c);
      processed.push_back(static_cast<unsigned char>(c));
    }
  };
  auto key = [&](uint32_t code, const char *name) {
    expected.Key(code, std::string("[") + name + "]\n");
    processed.push_back(code);
  };
  auto text = [&](const char *word) {
    expected.Line(std::string("{NAPIS: ") + word + "}\n");
    expected.Call(std::string("HostTypeText(\"") + word + "\")");
  };
  auto round = [&] {
    chars("Dzien dobry,");
    key(9, "TAB");
    chars("swiecie!");
    key(13, "ENTER");
    key(0x4700, "HOME");
    chars("Wiersz 2");
    key(0x5000, "DOWN");
    key(0x4F00, "END");
    key(13, "ENTER");
    text("nieznane");
    text("wait");  // commands are upper case: a lower-case one is text
    key(0x1900, "ALT_P");
    expected.Line("[DELAY]\n");
    expected.NoKey();
    chars("ok");
    expected.Notice(waitEnter);
    expected.Ask("", waitEnter, 0x200);
    expected.Call("HostWaitScreen()");
    expected.NoKey();
    chars("dalej");
    expected.NoKey();  // WAIT
    expected.Notice(halt);
    expected.Ask(expected::kAttention, halt, 1);
    expected.NoKey();
    chars("x");
    expected.Line("[SF11]\n");
    expected.Key(0xFFFF8700, "[SHIFT_F11]\n");
    expected.Ask(expected::kAttention, question, host::kAskYesNo);
  };
  round();
  expected.NoKey();  // WAIT
  chars("y");
  key(13, "ENTER");
  expected.Line("[RESTART]\n");
  expected.Call("HostFileRewind(2)");
  expected.NoKey();
  round();
  expected.Notice(expected::Text(expected::kStopped));
  expected.Call("HostFileClose(2)");
  expected.Call("HostFileClose(3)");
  expected.Ask(expected::kAttention, expected::Text(expected::kStopped), 1);

  CheckLines(expected.trace, PlaybackCalls(host, start),
             "the shared macro plays two rounds and stops at the second SF11 question");
  CheckBytes(earlier + expected.logBytes, ReadBytes(L"shared_macro.log"),
             "the shared macro's log: earlier content kept, then the exact lines");
  std::vector<std::string> expectedKeys, processedKeys;
  for (uint32_t code : processed) expectedKeys.push_back(Format("0x%X", code));
  for (uint32_t code : host.processed) processedKeys.push_back(Format("0x%X", code));
  CheckLines(expectedKeys, processedKeys,
             "the host processes every key of the macro; the Shift+F11 keys ask the question");
  for (int round = 1; round <= 2; ++round)
    CheckPauseHolds(host, FilterCallMaking(host, expected.LineCall("[DELAY]\n"), round), 2000, 'o',
                    Format("round %d: the key after DELAY waits for its 2000 ms", round));
  CheckStateWordRestored(host);
}

// ---------------------------------------------------------------------------
// The shared macro played the way tastiro-check's dry run plays it, for the
// comparison of their key streams (VOLMAR.exe shared-macro-dry-run --stream
// FILE): key delay 0, every wait answered at once, the question that SF11
// raises answered no in every round, and after the second RESTART the user
// presses Shift+F11 and answers yes.  So both sides play two whole rounds.
// The ctest check.wine.dry-run-agrees (tests/checker) runs it.
// ---------------------------------------------------------------------------
void RunSharedMacroDryRun(ScenarioContext &context) {
  RecordingHost &host = context.host;
  CreateDirectoryW(L"wtyczki", nullptr);
  WriteBytes(L"wtyczki\\keys.h", DataFile(context, L"shared\\keys.h"));
  WriteBytes(L"shared_macro.txt", DataFile(context, L"shared\\shared_macro.txt"));
  DeleteFileW(L"shared_macro.log");
  if (!Activate(context)) return;

  RecordingHost::FormScript form;
  form.name = "shared_macro.txt";
  form.delay = 0;
  host.forms.push_back(form);
  host.questionAnswers = {0, 0, host::kAnswerYes};
  host.shiftF11AfterRewind = 2;
  host.input.push_back(host::kKeyShiftF11);
  // Per round: Enter ends WAITENTER, Enter ends WAIT, Shift+F11 ends HALT,
  // Enter ends the WAIT behind SF11.
  RunKeyLoop(host, {13, 13, host::kKeyShiftF11, 13, 13, 13, host::kKeyShiftF11, 13});

  const std::string question = expected::Text(expected::kStopQuestion);
  std::vector<std::string> asked;
  for (const std::string &call : host.CallsOf({"HostAsk"}))
    if (call.find(RecordingHost::Quoted(question.c_str())) != std::string::npos) asked.push_back(call);
  CheckValue(3, static_cast<int64_t>(asked.size()),
             "the stop question comes twice from SF11 and once from the user");
  CheckValue(2, host.rewinds, "RESTART sends playback back to the start twice");
  Check(host.questionAnswers.empty(), "every scripted answer is used");
  Check(host.input.empty(), "no key is left waiting");
  CheckValue(1, static_cast<int64_t>(CountCalls(
                    host, "HostAsk(" + RecordingHost::Quoted(expected::kAttention) + ", " +
                              RecordingHost::Quoted(expected::Text(expected::kStopped).c_str()) +
                              ", 0x1)")),
             "the macro ends stopped by the user");
  CheckValue(0, host.OpenFileCount(), "the macro and its log are closed");
  CheckValue(2 * 46, host.queuedKeys, "two rounds of 46 keys reach the host");
  CheckStateWordRestored(host);
}

// ---------------------------------------------------------------------------
// A missing key definition file and a macro that cannot be opened: the C
// runtime's errno and _doserrno as the host's failed open left them
// ---------------------------------------------------------------------------
void RunOpenErrors(ScenarioContext &context) {
  RecordingHost &host = context.host;
  PrepareKeyFile(context, false);
  DeleteFileW(L"brak.txt");
  WriteBytes(L"ok.txt", "x[ENTER]y");
  DeleteFileW(L"ok.log");
  if (!Activate(context)) return;

  RecordingHost::FormScript missing;
  missing.name = "brak.txt";
  missing.delay = 0;
  RecordingHost::FormScript existing;
  existing.name = "ok.txt";
  host.forms = {missing, existing};
  size_t start = host.calls.size();
  host.input.push_back(host::kKeyShiftF11);
  RunKeyLoop(host, {host::kKeyShiftF11});  // after the failed start the user tries again

  CheckLines({"HostErrorMessageF(2, 2, " +
                  RecordingHost::Quoted(expected::kKeysOpenError.c_str()) +
                  ", L\"wtyczki\\keys.h\", 0xE001)",
              "HostErrorMessageF(2, 2, " +
                  RecordingHost::Quoted(expected::kMacroOpenError.c_str()) +
                  ", L\"brak.txt\", 0xE001)"},
             host.CallsOf({"HostErrorMessageF"}),
             "a missing keys.h and a missing macro are reported once each, with errno and "
             "_doserrno from the host's C runtime");
  CheckValue(1, static_cast<int64_t>(host.CallsOf({"HostCalloc"}).size()),
             "a failed key-name table is not loaded again at the next start");
  CheckValue(1, static_cast<int64_t>(host.CallsOf({"HostPathAddExtensionW"}).size()),
             "no log is looked for beside a macro that did not open");
  Playback expected;
  expected.Call("HostPostKey(0x78)");
  expected.Call("HostTypeText(\"ENTER\")");
  expected.Call("HostPostKey(0x79)");
  expected.Call("HostFileClose(3)");  // keys.h and brak.txt failed as handles 1 and 2
  expected.Ask(expected::kAttention, expected::Text(expected::kEnd), 1);
  CheckLines(expected.trace, PlaybackCalls(host, start),
             "without key names a bracketed name is typed as text; without a log nothing is "
             "written");
  CheckBytes("<missing>", ReadBytes(L"ok.log"), "no log file is created");
  Check(host.CallsOf({"HostDelayKey"}).empty(), "with a key delay of 0 no key is held");
  CheckBytes("ok.txt", host.settings["File"], "the last confirmed name is stored");
}
