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

#include "tools/check/check_command.h"
#include "tools/checker/checker.h"
#include "tools/checker/encoding.h"
#include "tools/checker/key_file_check.h"
#include "tools/texts/check_texts.h"
#include "tools/checker/report.h"
#include "tools/macro/text_util.h"
#include "tools/cli/command_line.h"
#include "tools/lang/console.h"
#include "tools/output/output_file.h"
#include "tools/lang/memory_guard.h"
#include "tools/text/source.h"
#include "tools/text/text_reader.h"

using check::Msg;
using check::Say;
using check_command::Arguments;

namespace {

// Where the host keeps its settings, relative to its folder.
const char kHostSettings[] = "VOLMAR.ini";

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

void Print(const Arguments &args, const check::KeyDelay &delay, const check::CheckResult &result,
           const check::StreamSource &stream) {
  check::OutputOptions output;
  output.dryRun = args.dryRun;
  output.eachCharacter = args.eachCharacter;
  output.keyDelay = delay.milliseconds;
  output.delaySource = delay.source;
  output.color = !args.json && (args.color == 1 || (args.color == -1 && getenv("NO_COLOR") == nullptr &&
                                                    lang::TakesColor(stdout)));
  if (args.json)
    check::PrintJson(stdout, result.keys, result.macros, output, stream);
  else
    check::PrintText(stdout, result.keys, result.macros, output, stream);
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
  Print(args, delay, result, check::ReplayStreams(keys, macros, play));
  if (ownWindow) SayDone(args, result);
  for (const check::MacroReport &m : result.macros)
    for (const check::Diagnostic &d : m.diagnostics)
      if (d.id == "code-page" || d.id == "utf-16") inOtherCodePages->push_back(m.file);
  return status;
}

// A macro's text as UTF-8, read as `args` or its bytes say; false with the
// message.  `title` gets what it was read as.
bool ConvertedText(const Arguments &args, const std::string &path, const std::string &bytes,
                   std::string *utf8, std::string *title, std::string *error) {
  check::FileEncoding found = check::GuessEncoding(bytes);
  if (found.utf16) {
    // UTF-16 is told by its mark or its zero bytes; no code page has either.
    text::StringSource source(bytes);
    text::TextReader reader(source, text::ReadSettings());
    text::ReadError problem;
    std::string piece;
    while (reader.Next(&piece, &problem)) *utf8 += piece;
    *title = check::Utf16Title();
    if (problem.problem == text::ReadProblem::kNone) return true;
    *error = Say(Msg::kCannotReadAs, {path, lang::Hex(problem.byte), *title});
    return false;
  }
  const codec::CodePage page = args.fromGiven ? args.from : found.page;
  *title = check::CodePageTitle(page);
  size_t bad = 0;
  const std::string body = check::StartsWithBom(bytes) ? bytes.substr(3) : bytes;
  if (page != codec::CodePage::kMazovia && !args.fromGiven) {
    *utf8 = check::ConvertToUtf8(bytes, page);
  } else if (page == codec::CodePage::kMazovia) {
    *utf8 = check::FileBytesToUtf8(body);  // as the host reads it
  } else if (!codec::DecodeToUtf8(page, body, utf8, &bad)) {
    *error = Say(Msg::kCannotReadAs, {path, lang::Hex(static_cast<uint8_t>(body[bad])), *title});
    return false;
  }
  return true;
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
    const check::FileEncoding found = check::GuessEncoding(file.content);
    if (!args.fromGiven && !found.utf16 && found.page == codec::CodePage::kUtf8) {
      lang::Write(stdout, Say(Msg::kAlreadyUtf8, {path}) + "\n");
      continue;
    }
    std::string utf8, title, error;
    if (!ConvertedText(args, path, file.content, &utf8, &title, &error)) {
      lang::Write(stderr, "tastiro-check: " + error + "\n");
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
    lang::Write(stdout, Say(Msg::kConverted, {path, copy, title}) + "\n");
  }
  return status;
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
  cli::ChooseLanguage(arguments);
  lang::GuardAllocation(Say(Msg::kOutOfMemory));
  // Started by a double-click or by files dropped on it: the window closes
  // when the tool ends, so it waits for Enter; the host is the folder the
  // tool stands in.
  const bool ownWindow = lang::OwnConsoleWindow();
  Arguments args;
  if (ownWindow && arguments.size() <= 1) {
    lang::Write(stdout, Say(Msg::kDropHelp, {lang::ToolCommand("tastiro-check")}) + "\n");
    lang::WaitForEnter(Say(Msg::kPressEnter));
    return 0;
  }
  int status = check_command::ParseArguments(arguments, args);
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
  const int status = Run(cli::Utf8Arguments(argc, argv));
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
