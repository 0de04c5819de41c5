// tastiro-check: finds a macro's silent mistakes before it runs.
//
//   tastiro-check [--host DIR] [--keys FILE] [--dry-run [--characters]] [--delay MS]
//                 [--log FILE] [--json] [--lang pl|en] MACRO...
//   tastiro-check --convert [--from PAGE] MACRO...
//
// It speaks the user's language (tools/lang), and writes to a Windows
// console as wide text.  Started by a double-click or by files dropped on
// it, it checks against the host folder it stands in and waits for Enter
// before its window closes.
//
// Exit status: 0 nothing found, 1 warnings, 2 a file that cannot be read or
// written, standard output included (or a command line that cannot be
// understood).
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <string>
#include <vector>

#include "tools/checker/checker.h"
#include "tools/checker/encoding.h"
#include "tools/checker/key_file_check.h"
#include "tools/texts/check_texts.h"
#include "tools/checker/report.h"
#include "tools/macro/text_util.h"
#include "tools/lang/console.h"
#include "tools/output/output_file.h"

using check::Msg;
using check::Say;

namespace {

std::string Usage() { return Say(Msg::kUsage); }

// Where the host keeps its settings, relative to its folder.
const char kHostSettings[] = "VOLMAR.ini";

struct Arguments {
  std::string host;  // empty: the current folder
  std::string keys;
  bool keysGiven = false;
  std::vector<std::string> macros;
  bool dryRun = false;
  bool eachCharacter = false;
  bool json = false;
  int color = -1;  // -1 on a terminal only
  long delay = -1;
  std::string log;
  time_t logStart = 0;
  bool logStartGiven = false;
  bool convert = false;
  bool fromGiven = false;
  codec::CodePage from = codec::CodePage::kCp1250;
};

int UsageError(const std::string &message) {
  lang::Write(stderr, "tastiro-check: " + message + "\n" + Usage());
  return 2;
}

// "YYYY-MM-DD HH:MM:SS" (or with 'T') as local time.
bool ParseStamp(const char *text, time_t &out) {
  struct tm civil = {};
  char separator = 0;
  if (sscanf(text, "%4d-%2d-%2d%c%2d:%2d:%2d", &civil.tm_year, &civil.tm_mon, &civil.tm_mday,
             &separator, &civil.tm_hour, &civil.tm_min, &civil.tm_sec) != 7 ||
      (separator != ' ' && separator != 'T'))
    return false;
  civil.tm_year -= 1900;
  civil.tm_mon -= 1;
  civil.tm_isdst = -1;
  out = mktime(&civil);
  return out != static_cast<time_t>(-1);
}

// Why a file cannot be written, in the user's words.
std::string WhyNot(const output::Problem &problem) {
  switch (problem.fault) {
    case output::Fault::kDevice:
      return Say(Msg::kOutputDevice);
    case output::Fault::kFolder:
      return Say(Msg::kOutputFolder);
    case output::Fault::kNotRegular:
      return Say(Msg::kOutputNotRegular);
    case output::Fault::kReadOnly:
      return Say(Msg::kOutputReadOnly);
    case output::Fault::kDanglingLink:
      return Say(Msg::kOutputDanglingLink);
    default:
      break;
  }
  const std::string why = output::DiskFull(problem.error) ? Say(Msg::kDiskFull)
                          : problem.error != 0            ? check::ErrorText(problem.error)
                                                          : Say(Msg::kWriteError);
  return problem.fault == output::Fault::kPlace ? Say(Msg::kPlaceFailed, {why}) : why;
}

// Writes `bytes` as the file `path` (whole or not at all, replacing a file
// there only when `replace`); false with the problem.
bool WriteFile(const std::string &path, const std::string &bytes, bool replace, output::Problem *problem) {
  output::Target target;
  output::Writer writer;
  if (!output::CheckTarget(path, replace, &target, problem) || !writer.Open(target, problem)) return false;
  writer.Write(bytes);
  return writer.Commit(problem);
}

// An option that takes a value; "" when it was used, else what is wrong.
std::string TakeValue(const std::string &option, const char *value, Arguments &args) {
  if (option == "--lang") {
    lang::Language language;
    if (value == nullptr || !lang::ByName(value, &language)) return Say(Msg::kNeedsLang);
  } else if (option == "--from") {
    if (value == nullptr || !codec::CodePageByName(value, &args.from) ||
        args.from == codec::CodePage::kUtf8)
      return Say(Msg::kNeedsPage);
    args.fromGiven = true;
  } else if (option == "--keys" || option == "--host" || option == "--log") {
    if (value == nullptr) return Say(option == "--host" ? Msg::kNeedsFolder : Msg::kNeedsFile, {option});
    if (option == "--keys") args.keysGiven = true;
    (option == "--keys" ? args.keys : option == "--host" ? args.host : args.log) = value;
  } else if (option == "--log-start") {
    if (value == nullptr || !ParseStamp(value, args.logStart))
      return Say(Msg::kNeedsTime);
    args.logStartGiven = true;
  } else {  // --delay
    char *end = nullptr;
    long delay = value != nullptr ? strtol(value, &end, 10) : -1;
    if (value == nullptr || *value == 0 || *end != 0 || delay < 0 || delay > 65535)
      return Say(Msg::kNeedsDelay);
    args.delay = delay;
  }
  return std::string();
}

// The command line; -1 to go on, else the exit status.
int ParseArguments(const std::vector<std::string> &argv, Arguments &args) {
  const size_t argc = argv.size();
  for (size_t i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      lang::Write(stdout, Usage());
      return 0;
    } else if (arg == "--convert") {
      args.convert = true;
    } else if (arg == "--dry-run" || arg == "--characters") {
      args.dryRun = true;
      args.eachCharacter = args.eachCharacter || arg == "--characters";
    } else if (arg == "--json") {
      args.json = true;
    } else if (arg == "--color" || arg == "--no-color") {
      args.color = arg == "--color" ? 1 : 0;
    } else if (arg == "--keys" || arg == "--host" || arg == "--log" || arg == "--log-start" ||
               arg == "--delay" || arg == "--lang" || arg == "--from") {
      std::string error = TakeValue(arg, i + 1 < argc ? argv[++i].c_str() : nullptr, args);
      if (!error.empty()) return UsageError(error);
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
      return UsageError(Say(Msg::kUnknownOption, {arg}));
    } else {
      for (const std::string &name : lang::ExpandWildcard(arg)) args.macros.push_back(name);
    }
  }
  if (args.fromGiven && !args.convert) return UsageError(Say(Msg::kFromWithoutConvert));
  if (args.macros.empty() && (args.convert || (!args.keysGiven && args.host.empty())))
    return UsageError(Say(Msg::kNameAMacro));
  return -1;
}

// A file of the host's folder.
std::string InHostFolder(const Arguments &args, const std::string &relative) {
  if (args.host.empty()) return relative;
  char last = args.host.back();
  return args.host + (last == '/' || last == '\\' ? "" : "/") + relative;
}

check::KeyDelay ChooseDelay(const Arguments &args) {
  if (args.delay < 0) return check::HostKeyDelay(InHostFolder(args, kHostSettings));
  check::KeyDelay given;
  given.milliseconds = static_cast<uint16_t>(args.delay);
  given.source = Say(Msg::kDelayGiven);
  return given;
}

// Writes the macros' log; the exit status it leaves.
int WriteLog(const std::string &path, const check::CheckResult &result, int status) {
  std::string log;
  for (const check::MacroReport &m : result.macros) log += m.log;
  output::Problem problem;
  // Written afresh, replacing an older log of that name.
  if (WriteFile(path, log, true, &problem)) return status;
  lang::Write(stderr, "tastiro-check: " + Say(Msg::kCannotWriteLog, {path, WhyNot(problem)}) + "\n");
  return 2;
}

void Print(const Arguments &args, const check::KeyDelay &delay, const check::CheckResult &result) {
  check::OutputOptions output;
  output.dryRun = args.dryRun;
  output.eachCharacter = args.eachCharacter;
  output.keyDelay = delay.milliseconds;
  output.delaySource = delay.source;
  output.color = !args.json && (args.color == 1 || (args.color == -1 && getenv("NO_COLOR") == nullptr &&
                                                    lang::TakesColor(stdout)));
  if (args.json)
    check::PrintJson(stdout, result.keys, result.macros, output);
  else
    check::PrintText(stdout, result.keys, result.macros, output);
  fflush(stdout);
}

void SayDone(const Arguments &args, const check::CheckResult &result);
int Convert(const Arguments &args);

// The check and its report; the exit status.
int Check(const Arguments &args, bool ownWindow, std::vector<std::string> *inOtherCodePages) {
  const check::KeyDelay delay = ChooseDelay(args);
  check::PlayOptions play;
  play.keyDelay = delay.milliseconds;
  play.keepLog = !args.log.empty();
  play.logStart = args.logStartGiven ? args.logStart : time(nullptr);

  check::FileText keys = check::ReadFileText(
      args.keysGiven ? args.keys : InHostFolder(args, check::KeyFileInHostFolder()));
  std::vector<check::FileText> macros;
  for (const std::string &path : args.macros) macros.push_back(check::ReadFileText(path));
  const check::CheckResult result = check::RunCheck(keys, macros, play);

  int status = check::Count(result.keys, result.macros).ExitStatus();
  if (!args.log.empty()) status = WriteLog(args.log, result, status);
  Print(args, delay, result);
  if (ownWindow) SayDone(args, result);
  for (const check::MacroReport &m : result.macros)
    for (const check::Diagnostic &d : m.diagnostics)
      if (d.id == "code-page") inOtherCodePages->push_back(m.file);
  return status;
}

// --convert: each macro's UTF-8 copy beside it, never over a file.
int Convert(const Arguments &args) {
  int status = 0;
  for (const std::string &path : args.macros) {
    check::FileText file = check::ReadFileText(path);
    if (!file.readable) {
      lang::Write(stderr, "tastiro-check: " + Say(Msg::kCannotRead, {path, file.error}) + "\n");
      status = 2;
      continue;
    }
    check::FileEncoding found = check::GuessEncoding(file.content);
    codec::CodePage page = args.fromGiven ? args.from : found.page;
    if (!args.fromGiven && found.page == codec::CodePage::kUtf8) {
      lang::Write(stdout, Say(Msg::kAlreadyUtf8, {path}) + "\n");
      continue;
    }
    std::string utf8;
    size_t bad = 0;
    const std::string body = check::StartsWithBom(file.content) ? file.content.substr(3) : file.content;
    if (page != codec::CodePage::kMazovia && !args.fromGiven) {
      utf8 = check::ConvertToUtf8(file.content, page);
    } else if (page == codec::CodePage::kMazovia) {
      utf8 = check::FileBytesToUtf8(body);  // as the host reads it
    } else if (!codec::DecodeToUtf8(page, body, &utf8, &bad)) {
      char hex[8];
      snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(static_cast<uint8_t>(body[bad])));
      lang::Write(stderr, "tastiro-check: " +
                              Say(Msg::kCannotReadAs, {path, hex, check::CodePageTitle(page)}) + "\n");
      status = 2;
      continue;
    }
    const std::string copy = check::Utf8CopyName(path);
    output::Problem problem;
    if (!WriteFile(copy, utf8, false, &problem)) {
      lang::Write(stderr, "tastiro-check: " +
                              (problem.fault == output::Fault::kExists
                                   ? Say(Msg::kCopyExists, {path, copy})
                                   : Say(Msg::kCannotWrite, {path, copy, WhyNot(problem)})) +
                              "\n");
      status = 2;
      continue;
    }
    lang::Write(stdout, Say(Msg::kConverted, {path, copy, check::CodePageTitle(page)}) + "\n");
  }
  return status;
}

// The language: --lang anywhere on the command line, else the user's.
void ChooseLanguage(const std::vector<std::string> &argv) {
  lang::Language language = lang::FromEnvironment();
  for (size_t i = 1; i + 1 < argv.size(); ++i)
    if (argv[i] == "--lang") lang::ByName(argv[i + 1], &language);
  lang::Set(language);
}

// What a window of its own says before it closes.
void SayDone(const Arguments &args, const check::CheckResult &result) {
  const check::Totals totals = check::Count(result.keys, result.macros);
  std::string host = result.keys.file;
  for (char &c : host)
    if (c == '/') c = '\\';
  const std::string files = std::to_string(args.macros.size());
  lang::Write(stdout, "\n" +
                          Say(totals.errors + totals.warnings > 0 ? Msg::kCheckedFound : Msg::kCheckedClean,
                              {files, host}) +
                          "\n");
}

int Run(const std::vector<std::string> &arguments) {
  ChooseLanguage(arguments);
  // Started by a double-click or by files dropped on it: the window closes
  // when the tool ends, so it waits for Enter; the host is the folder the
  // tool stands in.
  const bool ownWindow = lang::OwnConsoleWindow();
  Arguments args;
  if (ownWindow && arguments.size() <= 1) {
    lang::Write(stdout, Say(Msg::kDropHelp) + "\n");
    lang::WaitForEnter(Say(Msg::kPressEnter));
    return 0;
  }
  int status = ParseArguments(arguments, args);
  if (status < 0 && args.convert) status = Convert(args);
  if (status >= 0) {
    if (ownWindow) lang::WaitForEnter("\n" + Say(Msg::kPressEnter));
    return status;
  }
  if (ownWindow && args.host.empty() && !args.keysGiven) args.host = lang::HostFolderOfProgram();
  std::vector<std::string> inOtherCodePages;
  status = Check(args, ownWindow, &inOtherCodePages);
  // Dropped macros saved in another code page: their UTF-8 copies at once,
  // if the user wants them.
  if (ownWindow && !inOtherCodePages.empty() &&
      lang::AskYes("\n" + Say(Msg::kAskConvert, {std::to_string(inOtherCodePages.size())}) + " ")) {
    Arguments convert;
    convert.macros = inOtherCodePages;
    Convert(convert);
  }
  if (ownWindow) lang::WaitForEnter("\n" + Say(Msg::kPressEnter));
  return status;
}

}  // namespace

int main(int argc, char **argv) {
  const int status = Run(lang::Utf8Arguments(argc, argv));
  // A report lost on its way (a full disk, a closed pipe) is an error, never
  // a success.
  if (!lang::Flush(stdout)) {
    const int error = errno;
    lang::Write(stderr, "tastiro-check: " +
                            Say(Msg::kCannotWriteStdout,
                                {output::DiskFull(error) ? Say(Msg::kDiskFull) : check::ErrorText(error)}) +
                            "\n");
    return 2;
  }
  return status;
}
