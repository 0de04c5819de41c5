// Scenarios of host functions that fail while the plug-in relies on them:
// memory that cannot be had, files that cannot be opened, keys the host
// refuses, log writes that fail; and macro files that are very long or
// made of random bytes.
#include <errno.h>
#include <string.h>

#include "plugin/contract/host_values.h"
#include "tests/wine/check.h"
#include "tests/wine/expected_texts.h"
#include "tests/wine/macro_support.h"
#include "tests/wine/scenario.h"

namespace {

// What the test host's C runtime is made to say after an open that fails:
// access denied, sharing violation.
const int kOpenError = EACCES;
const unsigned long kOpenSystemError = 32;

std::vector<std::string> KeyTexts(const std::vector<uint32_t> &keys) {
  std::vector<std::string> texts;
  for (uint32_t key : keys) texts.push_back(Format("0x%X", key));
  return texts;
}

std::vector<std::string> Keys(std::initializer_list<uint32_t> keys) {
  return KeyTexts(std::vector<uint32_t>(keys));
}

// The start form confirmed with `name` and a key delay of 0.
RecordingHost::FormScript Form(const char *name) {
  RecordingHost::FormScript form;
  form.name = name;
  form.delay = 0;
  return form;
}

size_t CountPrefix(const RecordingHost &host, const std::string &prefix) {
  size_t count = 0;
  for (const std::string &call : host.calls) count += call.compare(0, prefix.size(), prefix) == 0;
  return count;
}

// The log lines of "Ab[ENTER]c" played to its end, with or without key names.
std::string ShortMacroLog(bool names) {
  Playback lines;
  lines.log = 1;
  lines.Char('A');
  lines.Char('b');
  if (names) {
    lines.Key(13, "[ENTER]\n");
  } else {
    lines.Line("{NAPIS: ENTER}\n");
  }
  lines.Char('c');
  lines.Notice(expected::Text(expected::kEnd));
  return lines.logBytes;
}

}  // namespace

// ---------------------------------------------------------------------------
// HostCalloc gives null: the memory message, no key names, no second try
// ---------------------------------------------------------------------------
void RunCallocNull(ScenarioContext &context) {
  RecordingHost &host = context.host;
  PrepareKeyFile(context, true);
  WriteBytes(L"cn.txt", "Ab[ENTER]c");
  WriteBytes(L"cn.log", "");
  if (!Activate(context)) return;
  host.callocFails = true;
  host.forms = {Form("cn.txt"), Form("cn.txt")};
  host.input.push_back(host::kKeyShiftF11);
  RunKeyLoop(host, {host::kKeyShiftF11});  // a second start after the first macro has ended

  CheckLines({Format("HostMessage(15000, \"%s\", ", expected::kNoKeyMemoryTitle) +
              RecordingHost::Quoted(expected::kNoKeyMemory.c_str()) + ", 0xE001)"},
             host.CallsOf({"HostMessage"}),
             "the memory message once, under the first line of the description");
  CheckValue(1, static_cast<int64_t>(host.CallsOf({"HostCalloc"}).size()),
             "the failed table is not tried again at the second start");
  CheckValue(
      0, static_cast<int64_t>(CountPrefix(host, "HostMakePathW(") + CountPrefix(host, "HostFree(")),
      "without a block keys.h is not opened and nothing is given back");
  CheckLines(Keys({'A', 'b', 'c', 'A', 'b', 'c'}), KeyTexts(host.processed),
             "both playbacks go on without key names");
  CheckValue(2, static_cast<int64_t>(CountPrefix(host, "HostTypeText(\"ENTER\")")),
             "[ENTER] is typed as text in each playback");
  CheckBytes(ShortMacroLog(false) + ShortMacroLog(false), ReadBytes(L"cn.log"),
             "the log shows the name as text");
  CheckStateWordRestored(host);
}

// ---------------------------------------------------------------------------
// HostRealloc gives null: the table keeps its whole block and works
// ---------------------------------------------------------------------------
void RunReallocNull(ScenarioContext &context) {
  RecordingHost &host = context.host;
  PrepareKeyFile(context, true);
  WriteBytes(L"rn.txt", "Ab[ENTER]c[F1]d");
  WriteBytes(L"rn.log", "");
  if (!Activate(context)) return;
  host.reallocFails = true;
  host.forms = {Form("rn.txt")};
  host.input.push_back(host::kKeyShiftF11);
  RunKeyLoop(host, {});

  CheckLines({"HostCalloc(300, 16)", "HostRealloc(block, 48) -> null"},
             host.CallsOf({"HostCalloc", "HostRealloc", "HostFree"}),
             "the shrink to three entries fails and nothing is given back");
  CheckValue(1, static_cast<int64_t>(host.liveBlocks.size()), "the table keeps one block");
  CheckValue(300 * 16, host.liveBlocks.empty() ? 0 : host.liveBlocks.begin()->second,
             "the table keeps the whole unshrunk block of 300 entries");
  CheckLines(Keys({'A', 'b', 13, 'c', 0x3B00, 'd'}), KeyTexts(host.processed),
             "the key names are found in the unshrunk table");
  Playback lines;
  lines.log = 1;
  lines.Char('A');
  lines.Char('b');
  lines.Key(13, "[ENTER]\n");
  lines.Char('c');
  lines.Key(0x3B00, "[F1]\n");
  lines.Char('d');
  lines.Notice(expected::Text(expected::kEnd));
  CheckBytes(lines.logBytes, ReadBytes(L"rn.log"), "the log names the keys");
  CheckValue(0, context.plugin.handshake(nullptr, nullptr), "the tear-down returns 0");
  CheckValue(0, static_cast<int64_t>(host.liveBlocks.size()),
             "the tear-down gives the unshrunk block back");
  CheckValue(0, host.strayFrees, "the block given back is the one the host handed out");
}

// ---------------------------------------------------------------------------
// HostFileOpenW fails for keys.h, for the macro, for the log
// ---------------------------------------------------------------------------
void RunOpenFailKeys(ScenarioContext &context) {
  RecordingHost &host = context.host;
  PrepareKeyFile(context, true);  // there, but the host cannot open it
  WriteBytes(L"ok.txt", "Ab[ENTER]c");
  WriteBytes(L"ok.log", "");
  if (!Activate(context)) return;
  host.openFaults = {{L"keys.h", kOpenError, kOpenSystemError}};
  host.forms = {Form("ok.txt"), Form("ok.txt")};
  host.input.push_back(host::kKeyShiftF11);
  RunKeyLoop(host, {host::kKeyShiftF11});

  CheckLines(
      {Format("HostErrorMessageF(%d, %lu, ", kOpenError, kOpenSystemError) +
       RecordingHost::Quoted(expected::kKeysOpenError.c_str()) + ", L\"wtyczki\\keys.h\", 0xE001)"},
      host.CallsOf({"HostErrorMessageF", "HostMessage"}),
      "one message with the host's errno and _doserrno and the relative name");
  CheckLines({"HostCalloc(300, 16)", "HostFree(block)"},
             host.CallsOf({"HostCalloc", "HostRealloc", "HostFree"}),
             "the block is given back at once and not asked for again");
  CheckValue(1, static_cast<int64_t>(CountPrefix(host, "HostMakePathW(")),
             "the second start does not try keys.h again");
  CheckLines(Keys({'A', 'b', 'c', 'A', 'b', 'c'}), KeyTexts(host.processed),
             "both macros play without key names");
  CheckBytes(ShortMacroLog(false) + ShortMacroLog(false), ReadBytes(L"ok.log"),
             "the log shows the name as text");
  CheckValue(0, static_cast<int64_t>(host.liveBlocks.size()), "no host memory is kept");
  CheckStateWordRestored(host);
}

void RunOpenFailMacro(ScenarioContext &context) {
  RecordingHost &host = context.host;
  PrepareKeyFile(context, true);
  WriteBytes(L"m.txt", "Ab[ENTER]c");
  WriteBytes(L"m.log", "");
  if (!Activate(context)) return;
  host.openFaults = {{L"m.txt", kOpenError, kOpenSystemError}};
  host.forms = {Form("m.txt")};
  host.input.push_back(host::kKeyShiftF11);
  RunKeyLoop(host, {'q'});

  CheckLines({Format("HostErrorMessageF(%d, %lu, ", kOpenError, kOpenSystemError) +
              RecordingHost::Quoted(expected::kMacroOpenError.c_str()) + ", L\"m.txt\", 0xE001)"},
             host.CallsOf({"HostErrorMessageF", "HostMessage"}),
             "one message with the host's errno and _doserrno and the path");
  Check(host.CallsOf({"HostPathAddExtensionW", "HostFileSeek"}).empty(),
        "no log is looked for beside a macro that did not open");
  CheckBytes("m.txt", host.settings["File"], "the name is stored although it did not open");
  CheckLines(Keys({'q'}), KeyTexts(host.processed),
             "the player stays idle: the user's next key reaches the host");

  // The same name opens at the next start: the table loaded the first time
  // serves it.
  host.openFaults.clear();
  host.forms = {Form("m.txt")};
  host.processed.clear();
  host.input.push_back(host::kKeyShiftF11);
  RunKeyLoop(host, {});
  CheckLines(Keys({'A', 'b', 13, 'c'}), KeyTexts(host.processed),
             "the next start plays the macro with its key names");
  CheckValue(1, static_cast<int64_t>(host.CallsOf({"HostCalloc"}).size()),
             "the key-name table was loaded once");
  CheckBytes(ShortMacroLog(true), ReadBytes(L"m.log"), "the log of the second start");
  CheckStateWordRestored(host);
}

void RunOpenFailLog(ScenarioContext &context) {
  RecordingHost &host = context.host;
  PrepareKeyFile(context, true);
  WriteBytes(L"l.txt", "Ab[ENTER]c");
  const std::string earlier = "stary wpis\r\n";
  WriteBytes(L"l.log", earlier);
  if (!Activate(context)) return;
  host.openFaults = {{L"l.log", kOpenError, kOpenSystemError}};
  host.forms = {Form("l.txt")};
  host.input.push_back(host::kKeyShiftF11);
  RunKeyLoop(host, {});

  Check(host.CallsOf({"HostErrorMessageF", "HostMessage"}).empty(),
        "a log that cannot be opened gives no message");
  Check(host.CallsOf({"HostFileSeek", "HostFilePrintf", "HostFileFlush"}).empty(),
        "nothing is positioned or written");
  CheckLines(Keys({'A', 'b', 13, 'c'}), KeyTexts(host.processed), "the macro plays in full");
  CheckBytes(earlier, ReadBytes(L"l.log"), "the log is left as it was");
  CheckValue(1, static_cast<int64_t>(host.askCalls), "the end notice is shown");
  CheckValue(0, host.OpenFileCount(), "every file opened is closed");
  CheckStateWordRestored(host);
}

// ---------------------------------------------------------------------------
// HostPostKey refuses a key 1000 times in a row, then takes it
// ---------------------------------------------------------------------------
void RunRefusedPosts(ScenarioContext &context) {
  RecordingHost &host = context.host;
  PrepareKeyFile(context, true);
  WriteBytes(L"r.txt", "Ab[ENTER]c");
  WriteBytes(L"r.log", "");
  if (!Activate(context)) return;
  host.forms = {Form("r.txt")};
  // Posts are counted from 1: 'A' is taken, 'b' is refused 1000 times,
  // then [ENTER] three times.
  host.refuseFrom = 2;
  host.refuseCount = 1000;
  host.refusedPosts = {1003, 1004, 1005};
  size_t start = host.calls.size();
  host.input.push_back(host::kKeyShiftF11);
  RunKeyLoop(host, {});

  Playback expected;
  expected.log = 3;
  expected.Char('A');
  for (int attempt = 0; attempt < 1001; ++attempt) expected.Char('b');
  for (int attempt = 0; attempt < 4; ++attempt) expected.Key(13, "[ENTER]\n");
  expected.Char('c');
  expected.EndOfMacro();
  CheckLines(expected.trace, PlaybackCalls(host, start),
             "each refused key is posted again with its key line, until the host takes it");
  CheckBytes(expected.logBytes, ReadBytes(L"r.log"),
             "the log has one line per attempt: 1001 for 'b', 4 for Enter");
  CheckLines(Keys({'A', 'b', 13, 'c'}), KeyTexts(host.processed),
             "the host processes every key once: nothing lost, nothing doubled");
  CheckValue(11, static_cast<int64_t>(CountPrefix(host, "HostFileGetc(")),
             "the file is read once, byte by byte, to its end: not while a key is refused");
  CheckStateWordRestored(host);
}

// ---------------------------------------------------------------------------
// Log writes and flushes that fail: playback goes on
// ---------------------------------------------------------------------------
void RunLogWriteFails(ScenarioContext &context) {
  RecordingHost &host = context.host;
  PrepareKeyFile(context, true);
  WriteBytes(L"w.txt", "Ab[ENTER]c");
  const std::string earlier = "stary wpis\r\n";
  WriteBytes(L"w.log", earlier);
  if (!Activate(context)) return;
  host.forms = {Form("w.txt")};
  host.printfFailFrom = 2;  // the lines of 'b' and Enter are not written
  host.printfFailCount = 2;
  host.flushFails = true;
  host.input.push_back(host::kKeyShiftF11);
  RunKeyLoop(host, {});

  CheckLines(Keys({'A', 'b', 13, 'c'}), KeyTexts(host.processed),
             "playback goes on past the failed writes");
  CheckValue(5, host.filePrintfCalls, "every line is attempted, the failed ones once");
  CheckValue(5, static_cast<int64_t>(CountPrefix(host, "HostFileFlush(")),
             "every line is flushed, and a failed flush stops nothing");
  Playback lines;
  lines.log = 1;
  lines.Char('A');
  lines.Char('c');
  lines.Notice(expected::Text(expected::kEnd));
  CheckBytes(earlier + lines.logBytes, ReadBytes(L"w.log"),
             "the log holds the lines that could be written, in order");
  CheckValue(1, static_cast<int64_t>(host.askCalls), "the end notice is shown");
  CheckValue(0, host.OpenFileCount(), "every file opened is closed");
  CheckStateWordRestored(host);
}

// ---------------------------------------------------------------------------
// A macro file of 1 MiB, played to its end with a key delay of 0
// ---------------------------------------------------------------------------
void RunMegabyteMacro(ScenarioContext &context) {
  RecordingHost &host = context.host;
  PrepareKeyFile(context, true);
  // 32768 lines of 32 bytes: 23 characters (one of them the Mazovia ą),
  // a key name, CR LF.
  const size_t kLines = 32768;
  std::string macro;
  macro.reserve(kLines * 32);
  std::vector<uint32_t> keys;
  keys.reserve(kLines * 24);
  std::string log;
  log.reserve(kLines * 24 * 32);
  const std::string stamp = kStamp;
  for (size_t i = 0; i < kLines; ++i) {
    std::string chars = Format("W%05u ala ma kota \x86 xy", static_cast<unsigned>(i % 100000));
    macro += chars + "[ENTER]\r\n";
    for (char c : chars) {
      keys.push_back(static_cast<unsigned char>(c));
      log += stamp + "{CHAR: " + MazoviaToUtf8(std::string(1, c)) + "}\r\n";
    }
    keys.push_back(13);
    log += stamp + "[ENTER]\r\n";
  }
  log += MazoviaToUtf8(stamp + "{KOMUNIKAT: " + expected::Text(expected::kEnd) + "}") + "\r\n";
  CheckValue(1 << 20, static_cast<int64_t>(macro.size()), "the macro file has 1 MiB");
  WriteBytes(L"big.txt", macro);
  WriteBytes(L"big.log", "");
  if (!Activate(context)) return;

  host.forms = {Form("big.txt")};
  host.quiet = true;  // a million keys: count the calls, keep no texts
  host.input.push_back(host::kKeyShiftF11);
  DWORD start = GetTickCount();
  RunKeyLoop(host, {}, 4000000);  // two filter calls for each of the 851,968 keys
  DWORD took = GetTickCount() - start;
  printf("     1 MiB macro played in %lu ms\n", static_cast<unsigned long>(took));

  CheckValue(static_cast<int64_t>(keys.size()), host.postKeyCalls,
             "one key posted for every character and every key name");
  Check(host.processed == keys, "the host processes every key of the macro, in order");
  CheckValue(1, host.askCalls, "the end notice is shown once: the macro was played to its end");
  CheckValue(0, host.delayKeyCalls, "with a key delay of 0 no key is held");
  CheckValue(static_cast<int64_t>(keys.size()) + 1, host.filePrintfCalls,
             "one log line per key, and the end notice");
  std::string written = ReadBytes(L"big.log");
  CheckValue(static_cast<int64_t>(log.size()), static_cast<int64_t>(written.size()),
             "the log's size");
  Check(written == log, "the log holds every key line in order, then the end notice");
  CheckValue(0, host.OpenFileCount(), "macro and log are closed");
  CheckValue(0, host.flags, "the host's state word is clear again");
}

// ---------------------------------------------------------------------------
// A macro file of random bytes (fixed seed)
// ---------------------------------------------------------------------------
void RunRandomMacro(ScenarioContext &context) {
  RecordingHost &host = context.host;
  PrepareKeyFile(context, true);
  // xorshift32 from a fixed seed: the same bytes in every run.  The text
  // mode of the host's C runtime ends a file at Ctrl+Z (0x1A), which would
  // end this macro early: that byte is left out.
  uint32_t state = 20230517;
  std::string macro;
  while (macro.size() < 65536) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    unsigned char byte = static_cast<unsigned char>(state >> 24);
    // '[' a little more often than by chance, so that many words are read.
    if ((state & 0xF) == 0) byte = '[';
    if (byte != 0x1A) macro += static_cast<char>(byte);
  }
  WriteBytes(L"random.txt", macro);
  WriteBytes(L"random.log", "");
  if (!Activate(context)) return;

  host.forms = {Form("random.txt")};
  host.quiet = true;
  host.input.push_back(host::kKeyShiftF11);
  RunKeyLoop(host, {}, 1000000);  // at most two filter calls for each byte

  CheckValue(1, host.askCalls, "the macro ends with its end notice and asks nothing else");
  CheckValue(0, host.OpenFileCount(), "macro and log are closed");
  CheckValue(0, host.flags, "the host's state word is clear again");
  CheckValue('x', host.installedFilter('x') & 0xFFFF,
             "afterwards the filter passes a key through (not left busy)");
  Check(host.longestLogLine <= 3077,
        Format("no log line is longer than 3077 characters (longest %u)",
               static_cast<unsigned>(host.longestLogLine)));
  CheckValue(host.postKeyCalls + host.typeTextCalls + 1, host.filePrintfCalls,
             "one log line per key posted and per text typed, and the end notice");
  std::string written = ReadBytes(L"random.log");
  size_t stamps = 0;
  for (size_t at = written.find(kStamp); at != std::string::npos; at = written.find(kStamp, at + 1))
    ++stamps;
  CheckValue(host.filePrintfCalls, static_cast<int64_t>(stamps),
             "every line written reached the log");
  CheckValue(host.queuedKeys, static_cast<int64_t>(host.processed.size()),
             "every key the host took reached it once: nothing lost, nothing doubled");
  printf("     %d keys posted, %d texts typed, %u keys processed\n", host.postKeyCalls,
         host.typeTextCalls, static_cast<unsigned>(host.processed.size()));
}
