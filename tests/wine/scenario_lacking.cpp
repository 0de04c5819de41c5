// "lacking-one": a host that lacks one host function (or none) goes through
// the plug-in's whole life: the handshake, the activation, the failure
// explanation, Shift+F11 with the start form, a macro played until the user
// stops it, and the tear-down.  The process must never crash, and the
// outcome must be what a host without that function can give.
#include <stdlib.h>
#include <string.h>

#include "plugin/contract/host_values.h"
#include "tests/wine/check.h"
#include "tests/wine/expected_texts.h"
#include "tests/wine/macro_support.h"
#include "tests/wine/scenario.h"

namespace {

// What becomes of the macro start and the playback without the function.
enum class Outcome {
  kPlays,              // two rounds, stopped at the second stop question
  kPlaysWithoutNames,  // no key-name table: key names are typed as text
  kNoFilter,           // the key filter is never installed: every key is the host's
  kNoForm,             // the start form is never confirmed: nothing opens
  kNotOpened,          // the macro file cannot be opened: its error message
  kEndsAtOnce,         // the first read ends the macro
  kNoRewind,           // RESTART cannot rewind: one round, then the end of the file
  kCannotStop,         // no question is answered: rounds until the user's keys run out
  kKeysVanish,         // posted keys never reach the host
  kKeysLostInPause,    // keys held by the pause are not given back
};

enum class LogOutcome {
  kStamped,
  kUnstamped,      // no date and time texts: "=" and a blank before each body
  kNone,           // no log is opened
  kUnwritten,      // the log is opened and closed, and nothing reaches it
  kClosedAtStart,  // the log cannot be put at its end: closed unused at once
};

struct LackingCase {
  uint16_t ordinal;
  const char *name;
  Outcome outcome;
  LogOutcome log;
  bool refusesHandshake;  // the compatibility check cannot pass
};

// Every host function without a case here plays the macro as the full host
// does, apart from its own calls.
// clang-format off
const LackingCase kCases[] = {
    {30018, "HostCheckPlugin",       Outcome::kPlays,             LogOutcome::kStamped,   true},
    {52006, "HostDateNumber",        Outcome::kPlays,             LogOutcome::kStamped,   true},
    {51594, "HostApiLevel",          Outcome::kPlays,             LogOutcome::kStamped,   true},
    {52249, "HostSetKeyFilter",      Outcome::kNoFilter,          LogOutcome::kNone,      false},
    {52026, "HostRunForm",           Outcome::kNoForm,            LogOutcome::kNone,      false},
    {35387, "HostConvertText",       Outcome::kNotOpened,         LogOutcome::kNone,      false},
    {52567, "HostFileOpenW",         Outcome::kNotOpened,         LogOutcome::kNone,      false},
    {52169, "HostPickFile",          Outcome::kNotOpened,         LogOutcome::kNone,      false},
    {52033, "HostFormFieldBuffer",   Outcome::kNotOpened,         LogOutcome::kNone,      false},
    {52544, "HostFileGetc",          Outcome::kEndsAtOnce,        LogOutcome::kStamped,   false},
    {52543, "HostFileRewind",        Outcome::kNoRewind,          LogOutcome::kStamped,   false},
    {52028, "HostAsk",               Outcome::kCannotStop,        LogOutcome::kStamped,   false},
    {52245, "HostPostKey",           Outcome::kKeysVanish,        LogOutcome::kStamped,   false},
    {52246, "HostDelayKey",          Outcome::kKeysLostInPause,   LogOutcome::kStamped,   false},
    {52536, "HostFileGets",          Outcome::kPlaysWithoutNames, LogOutcome::kStamped,   false},
    {21285, "HostCalloc",            Outcome::kPlaysWithoutNames, LogOutcome::kStamped,   false},
    {52644, "HostDateTimeText",      Outcome::kPlays,             LogOutcome::kUnstamped, false},
    {52541, "HostFilePrintf",        Outcome::kPlays,             LogOutcome::kUnwritten, false},
    {38498, "HostPathAddExtensionW", Outcome::kPlays,             LogOutcome::kNone,      false},
    // Without a way to put the log's position at its end, appending would
    // overwrite what the log holds: the macro plays without its log.
    {52306, "HostFileSeek",        Outcome::kPlays,           LogOutcome::kClosedAtStart, false},
};
// clang-format on

const LackingCase kFullHostCase = {0, "", Outcome::kPlays, LogOutcome::kStamped, false};

const char kMacroName[] = "fault.txt";
const wchar_t kMacroPath[] = L"fault.txt";
const wchar_t kLogPath[] = L"fault.log";
const char kEarlierLog[] = "poprzedni wpis\r\n";

// The macro: characters, key names, text, WAIT (WAITENTER where its own
// host calls are the subject: it sleeps a second), HALT, SF11 and RESTART.
// The user stops it at the second stop question.
std::string MacroText(bool waitEnter) {
  return std::string("Ab[ENTER]c[") + (waitEnter ? "WAITENTER" : "WAIT") +
         "]d[HALT]e[Nieznane][F1]\r\n[SF11]f[RESTART]";
}
// Enter ends the wait, Shift+F11 the halt, in each of two rounds.
const std::deque<uint32_t> kUserKeys = {13, host::kKeyShiftF11, 13, host::kKeyShiftF11};

struct Model {
  bool names = true;  // the key-name table is loaded
  bool waitEnter = false;
  bool questions = true;  // the SF11 key comes back and asks the stop question
  HostFile macro = 0;
  Playback playback;
  std::vector<uint32_t> keys;  // what the host processes

  void Posted(uint32_t key, const std::string &line) {
    playback.Key(key, line);
    if (key != 0xFFFFFFFF) keys.push_back(key);
  }
  void Char(char c) { Posted(static_cast<unsigned char>(c), std::string("{CHAR: ") + c + "}\n"); }
  void Text(const std::string &word) {
    playback.Line("{NAPIS: " + word + "}\n");
    playback.Call("HostTypeText(\"" + word + "\")");
  }
  void NamedKey(uint32_t key, const char *name) {
    if (names)
      Posted(key, std::string("[") + name + "]\n");
    else
      Text(name);  // no table: the word is text
  }
  // One pass through the macro up to its SF11 question, then 'f' and
  // RESTART unless the user stops it there; `partial` stops after the wait.
  void Round(bool stopped, bool partial = false) {
    const std::string waitText = expected::Text(expected::kWaitEnter);
    const std::string halt = expected::Text(expected::kHalt);
    Char('A');
    Char('b');
    NamedKey(13, "ENTER");
    Char('c');
    if (waitEnter) {
      playback.Notice(waitText);
      playback.Ask("", waitText, 0x200);
      playback.Call("HostWaitScreen()");
    }
    playback.NoKey();
    if (partial) return;
    Char('d');
    playback.Notice(halt);
    playback.Ask(expected::kAttention, halt, 1);
    playback.NoKey();
    Char('e');
    Text("Nieznane");
    NamedKey(0x3B00, "F1");
    playback.Line("[SF11]\n");
    // The key comes back to the filter, which asks instead of passing it.
    playback.Key(0xFFFF8700, names ? "[ShiftF11]\n" : "{KSHORT: 0x8700}\n");
    if (questions)
      playback.Ask(expected::kAttention, expected::Text(expected::kStopQuestion), host::kAskYesNo);
    if (stopped) return;
    Char('f');
    playback.Line("[RESTART]\n");
    playback.Call(Format("HostFileRewind(%u)", macro));
    playback.NoKey();
  }
  void Close(const std::string &text) {
    playback.Notice(text);
    playback.Call(Format("HostFileClose(%u)", macro));
    if (playback.log != 0) playback.Call(Format("HostFileClose(%u)", playback.log));
    playback.Ask(expected::kAttention, text, 1);
  }
};

// The handle that the host gave for `path`, or 0.
HostFile OpenedHandle(const RecordingHost &host, const wchar_t *path) {
  const std::string prefix = "HostFileOpenW(" + WideQuoted(path) + ",";
  for (const std::string &call : host.calls)
    if (call.compare(0, prefix.size(), prefix) == 0) {
      size_t arrow = call.rfind(" -> ");
      return arrow == std::string::npos ? 0 : static_cast<HostFile>(atoi(call.c_str() + arrow + 4));
    }
  return 0;
}

// The playback's calls from the opening of the macro file on.
std::vector<std::string> CallsAfterMacroOpen(const RecordingHost &host) {
  const std::string prefix = "HostFileOpenW(" + WideQuoted(kMacroPath) + ",";
  RecordingHost played;
  bool open = false;
  for (const std::string &call : host.calls) {
    if (open) played.calls.push_back(call);
    open = open || call.compare(0, prefix.size(), prefix) == 0;
  }
  return played.CallsOf(kPlaybackCalls);
}

std::vector<std::string> Without(std::vector<std::string> calls, const char *name) {
  std::vector<std::string> kept;
  const std::string prefix = std::string(name) + "(";
  for (std::string &call : calls)
    if (call.compare(0, prefix.size(), prefix) != 0) kept.push_back(std::move(call));
  return kept;
}

std::vector<std::string> KeyTexts(const std::vector<uint32_t> &keys) {
  std::vector<std::string> texts;
  for (uint32_t key : keys) texts.push_back(Format("0x%X", key));
  return texts;
}

// The failure explanation: the one missing function by its ordinal, "jej".
void CheckExplanation(ScenarioContext &context, const LackingCase &c) {
  RecordingHost &host = context.host;
  size_t before = host.calls.size();
  CheckValue(0, context.plugin.activate(1), "the failure explanation returns 0");
  std::vector<std::string> calls = {"ScenarioQuery(1, -1)"};
  const std::string description = expected::Text(expected::kDescription);
  if (c.ordinal == 35802) {
    // HostMessageF itself is missing: nothing can be shown.
  } else if (c.ordinal != 0) {
    std::string list = expected::Text(expected::kOneFunction) + std::to_string(c.ordinal);
    std::string text = Format(expected::kMissing.c_str(), description.c_str(), list.c_str(), "jej");
    calls.push_back("HostMessageF(15000, \"STOP!!!\", \"%s\", 0xF001, 0x6E2E) -> " +
                    RecordingHost::Quoted(text.c_str()));
  } else {
    std::string format = expected::Text(expected::kNotInitialised);
    calls.push_back(
        "HostMessageF(15000, \"STOP!!!\", " + RecordingHost::Quoted(format.c_str()) +
        ", 0xF001, 0x6E2E) -> " +
        RecordingHost::Quoted(Format(format.c_str(), kPluginBaseName, kPluginBaseName).c_str()));
  }
  std::vector<std::string> made = CallsSince(host, before);
  // The full host runs the check again inside the explanation.
  if (c.ordinal == 0 && made.size() > 2) made.erase(made.begin() + 1, made.end() - 1);
  CheckLines(calls, made,
             c.ordinal == 35802 ? "without HostMessageF the explanation shows nothing"
             : c.ordinal != 0
                 ? Format("the explanation names 'funkcję o numerze %u' with \"jej\"", c.ordinal)
                 : "the full host's explanation: the not-initialised notice");
}

bool Lacks(const LackingCase &c, const char *name) {
  return c.ordinal != 0 && strcmp(c.name, name) == 0;
}

// The case of the withdrawn ordinal (the full host when none is).
LackingCase CaseOf(const std::vector<uint16_t> &lacking) {
  LackingCase c = kFullHostCase;
  if (lacking.empty()) return c;
  c.ordinal = lacking[0];
  // The names of the ordinary cases come from the host import table.
#define HOST_FUNCTION_NAME(pos, ord, Name, ...) \
  if (c.ordinal == ord) c.name = #Name;
  HOST_IMPORT_TABLE(HOST_FUNCTION_NAME, HOST_FUNCTION_NAME)
#undef HOST_FUNCTION_NAME
  for (const LackingCase &special : kCases)
    if (special.ordinal == c.ordinal) c = special;
  return c;
}

// The playback that the host lacking `c` should see, from the opening of
// the macro file on (`traced` false where no exact trace is expected), and
// the keys that it processes.
Model ExpectedPlayback(const LackingCase &c, const RecordingHost &host, bool waitEnter,
                       bool *traced) {
  Model model;
  model.waitEnter = waitEnter;
  model.names = c.outcome != Outcome::kPlaysWithoutNames;
  model.questions = c.outcome != Outcome::kKeysVanish && c.outcome != Outcome::kCannotStop;
  model.macro = OpenedHandle(host, kMacroPath);
  const HostFile logHandle = OpenedHandle(host, kLogPath);
  const bool logged = c.log == LogOutcome::kStamped || c.log == LogOutcome::kUnstamped;
  model.playback.log = logged || c.log == LogOutcome::kUnwritten ? logHandle : 0;
  if (c.log == LogOutcome::kClosedAtStart)
    model.playback.Call(Format("HostFileClose(%u)", logHandle));
  if (c.log == LogOutcome::kUnstamped) model.playback.stamp = "= ";
  std::vector<uint32_t> afterEnd;  // keys of the user that reach the idle host
  *traced = true;
  switch (c.outcome) {
    case Outcome::kPlays:
    case Outcome::kPlaysWithoutNames:
      model.Round(false);
      model.Round(true);
      model.Close(expected::Text(expected::kStopped));
      break;
    case Outcome::kNoRewind:
      model.Round(false);
      model.Close(expected::Text(expected::kEnd));
      afterEnd = {13};  // then Shift+F11 opens a form that is cancelled
      break;
    case Outcome::kEndsAtOnce:
      model.Close(expected::Text(expected::kEnd));
      afterEnd = {13, 13};
      break;
    case Outcome::kCannotStop:
    case Outcome::kKeysVanish:
      // Two rounds and the third up to its wait, where no key is left.
      model.Round(false);
      model.Round(false);
      model.Round(false, true);
      if (c.outcome == Outcome::kKeysVanish) model.keys.clear();
      break;
    case Outcome::kNoFilter:
      afterEnd = {host::kKeyShiftF11, 13, host::kKeyShiftF11, 13, host::kKeyShiftF11};
      *traced = false;
      break;
    case Outcome::kNoForm:
    case Outcome::kNotOpened:
      afterEnd = {13, 13};
      *traced = false;
      break;
    case Outcome::kKeysLostInPause:
      *traced = false;
      break;
  }
  model.keys.insert(model.keys.end(), afterEnd.begin(), afterEnd.end());
  if (c.ordinal != 0) model.playback.trace = Without(model.playback.trace, c.name);
  return model;
}

// The error messages of the start: expected, and as made.
void CheckStartMessages(const LackingCase &c, const RecordingHost &host) {
  std::vector<std::string> errors = host.CallsOf({"HostErrorMessageF", "HostMessage"});
  std::vector<std::string> expectedErrors;
  const std::string macroError = RecordingHost::Quoted(expected::kMacroOpenError.c_str());
  if (Lacks(c, "HostFileOpenW")) {
    // The plug-in's stand-in for the open sets ENOENT and "procedure not found".
    expectedErrors = {"HostErrorMessageF(2, 127, " +
                          RecordingHost::Quoted(expected::kKeysOpenError.c_str()) +
                          ", L\"wtyczki\\keys.h\", 0xE001)",
                      "HostErrorMessageF(2, 127, " + macroError + ", L\"fault.txt\", 0xE001)"};
  } else if (c.outcome == Outcome::kNotOpened) {
    // An empty name: the numbers are what the host's C runtime says to that.
    expectedErrors = {"HostErrorMessageF(_, _, " + macroError + ", L\"\", 0xE001)"};
    for (std::string &error : errors)
      if (error.compare(0, 18, "HostErrorMessageF(") == 0) {
        size_t format = error.find(", \"");
        if (format != std::string::npos) error = "HostErrorMessageF(_, _" + error.substr(format);
      }
  } else if (Lacks(c, "HostCalloc")) {
    expectedErrors = {Format("HostMessage(15000, \"%s\", ", expected::kNoKeyMemoryTitle) +
                      RecordingHost::Quoted(expected::kNoKeyMemory.c_str()) + ", 0xE001)"};
  }
  CheckLines(expectedErrors, errors, "the error messages of the start");
}

}  // namespace

void RunLackingOne(ScenarioContext &context) {
  RecordingHost &host = context.host;
  if (!Check(context.lacking.size() <= 1, "lacking-one withdraws at most one host function"))
    return;
  const LackingCase c = CaseOf(context.lacking);
  auto lacking = [&c](const char *name) { return Lacks(c, name); };
  printf("host lacking: %s %u\n", c.ordinal != 0 ? c.name : "nothing", c.ordinal);

  // The work folder: keys.h, the macro and a log with an earlier line.
  CreateDirectoryW(L"wtyczki", nullptr);
  WriteBytes(L"wtyczki\\keys.h", DataFile(context, L"keys.h"));
  const bool waitEnter = lacking("HostWaitScreen") || lacking("HostAsk");
  WriteBytes(kMacroPath, MacroText(waitEnter));
  WriteBytes(kLogPath, kEarlierLog);

  // Handshake and activation.
  host.installedFilter = &HostOwnFilter;
  host.noticeAnswer = 1;
  CheckValue(c.refusesHandshake ? -1 : 0, context.plugin.handshake(&ScenarioQuery, nullptr),
             c.refusesHandshake ? "the handshake refuses a host that cannot pass the check"
                                : "the handshake accepts the host");
  CheckValue(0, context.plugin.activate(0), "activation returns 0");
  Check((host.installedFilter != &HostOwnFilter) == (c.outcome != Outcome::kNoFilter),
        c.outcome == Outcome::kNoFilter ? "without HostSetKeyFilter no key filter is installed"
                                        : "activation installs the plug-in's key filter");
  CheckExplanation(context, c);

  // Shift+F11, the form with F3 and the picker, and the playback.
  RecordingHost::FormScript form;
  form.pressF3 = true;
  form.pickedName = kMacroName;
  // A long pause where the keys it holds are the subject, else none.
  form.delay = c.outcome == Outcome::kKeysLostInPause ? 500 : 0;
  host.forms.push_back(form);
  host.questionAnswers = {0, host::kAnswerYes};
  host.input.push_back(host::kKeyShiftF11);
  DWORD started = GetTickCount();
  RunKeyLoop(host, kUserKeys);
  printf("     the key loop took %lu ms\n", static_cast<unsigned long>(GetTickCount() - started));

  bool traced = true;
  const Model model = ExpectedPlayback(c, host, waitEnter, &traced);
  if (c.outcome == Outcome::kKeysLostInPause) {
    // 'A' and 'b' pass; the Enter of [ENTER] comes back within the pause
    // and goes nowhere, and so do the keys after it until the pause ends.
    // Whether it comes back within the pause is the host's speed: judged by
    // the host's clock around the filter calls, between whose readings the
    // player's own lie.  Surely within the pause it must be lost, surely
    // after it it must arrive; in between either is right.
    const std::vector<uint32_t> &keys = host.processed;
    Check(keys.size() >= 2 && keys[0] == 'A' && keys[1] == 'b',
          "the keys before the first pause arrive");
    const size_t arm = FilterCallMaking(host, "HostPostKey(0xD)");
    size_t back = arm + 1;
    while (back < host.filterLog.size() && host.filterLog[back].offered == 0xFFFF) ++back;
    if (Check(back < host.filterLog.size() && host.filterLog[back].offered == 13,
              "the Enter of [ENTER] comes back to the filter")) {
      const RecordingHost::FilterCall &armed = host.filterLog[arm];
      const RecordingHost::FilterCall &enter = host.filterLog[back];
      const uint32_t kPause = 500;
      const bool surelyWithin = enter.tickAfter - armed.tickBefore < kPause;
      const bool surelyAfter = enter.tickBefore - armed.tickAfter >= kPause;
      const bool lost = enter.result == 0xFFFF;
      printf("     the Enter came back %lu ms after the pause was armed and was %s\n",
             static_cast<unsigned long>(enter.tickAfter - armed.tickBefore),
             lost ? "lost" : "let through");
      Check(!(surelyWithin && !lost) && !(surelyAfter && lost),
            "without HostDelayKey a key that the pause holds is lost, the others arrive");
    }
  } else {
    CheckLines(KeyTexts(model.keys), KeyTexts(host.processed), "the keys that the host processes");
  }
  if (traced)
    CheckLines(model.playback.trace, CallsAfterMacroOpen(host),
               "the playback's calls: key lines, keys, texts, notices, questions, closing");
  const bool logged = c.log == LogOutcome::kStamped || c.log == LogOutcome::kUnstamped;
  if (!logged || (!traced && c.outcome != Outcome::kKeysLostInPause))
    CheckBytes(kEarlierLog, ReadBytes(kLogPath), "the log is left as it was");
  else if (traced)
    CheckBytes(kEarlierLog + model.playback.logBytes, ReadBytes(kLogPath),
               "the log keeps its earlier line and receives the playback's lines");
  CheckStartMessages(c, host);

  // The state word, the files, the busy flag.
  CheckValue(0, host.flags, "the host's state word is clear again");
  // A macro that waits for the user at the end still has its files.
  const bool stillOpen = c.outcome == Outcome::kCannotStop || c.outcome == Outcome::kKeysVanish ||
                         c.outcome == Outcome::kKeysLostInPause;
  if (!lacking("HostFileClose") && !stillOpen)
    CheckValue(0, host.OpenFileCount(), "every file the plug-in opened is closed");
  if (host.installedFilter != &HostOwnFilter && c.outcome != Outcome::kKeysLostInPause)
    CheckValue('x', host.installedFilter('x') & 0xFFFF,
               "afterwards the filter passes a key through (not left busy)");

  // The tear-down gives the key-name table back.
  CheckValue(0, context.plugin.handshake(nullptr, nullptr), "the tear-down returns 0");
  const bool tableLoaded = host.CallsOf({"HostCalloc"}).size() == 1 && !lacking("HostFileGets") &&
                           !lacking("HostFileOpenW");
  CheckValue(lacking("HostFree") && tableLoaded ? 1 : 0,
             static_cast<int64_t>(host.liveBlocks.size()),
             lacking("HostFree") ? "without HostFree the key-name table stays with the plug-in"
                                 : "all host memory is given back");
  CheckValue(0, host.strayFrees, "no block is given back that the host did not hand out");
}
