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
// Exit status: 0 nothing found, 1 warnings (or the report lost on standard
// output after --log or a copy was written), 2 a file that cannot be read
// or written, standard output included (or a command line that cannot be
// understood).
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <string>
#include <vector>

#include "tools/cmd/check/check_command.h"
#include "tools/checker/checker.h"
#include "tools/checker/encoding.h"
#include "tools/checker/key_file_check.h"
#include "tools/messages/check_texts.h"
#include "tools/checker/report.h"
#include "tools/macro/text_util.h"
#include "tools/merger/run_log.h"
#include "tools/cli/command_line.h"
#include "tools/os/console.h"
#include "tools/writer/output_file.h"
#include "tools/writer/why_not.h"
#include "tools/messages/tell.h"
#include "tools/os/memory_guard.h"
#include "tools/reader/source.h"
#include "tools/reader/text_reader.h"

using Msg = messages::CheckMsg;
using messages::Say;
using check::Arguments;

namespace {

// The tool's name, where an error belongs to no file.
constexpr char kTool[] = "tastiro-check";

// Writes `bytes` as the file `path` (whole or not at all, replacing a file
// there only when `replace`); false with the problem.
bool WriteFile(const std::string &path, const std::string &bytes, bool replace, writer::Problem *problem) {
  writer::Target target;
  writer::Writer writer;
  if (!writer::CheckTarget(path, replace, &target, problem) || !writer.Open(target, problem)) return false;
  writer.Write(bytes);
  return writer.Commit(problem);
}

// The key definitions' file the check reads.
std::string KeysPath(const Arguments &args) { return checker::KeysIn(args.host, args.keys, args.keysGiven); }

// Whether --log may be written, before any work: never one of the inputs
// (the macros, the key definitions, the host's settings), and a file that
// stands (a player's run log above all, which tastiro-merge --resume reads)
// only with --force.  0, or the exit status.
int CheckLogTarget(const Arguments &args) {
  if (args.log.empty()) return 0;
  std::vector<std::string> inputs = args.macros;
  inputs.push_back(KeysPath(args));
  inputs.push_back(checker::HostSettingsIn(args.host));
  writer::Clash clash;
  std::string message;
  writer::Target target;
  writer::Problem problem;
  if (writer::FindClash({args.log}, inputs, &clash))
    message = Say(Msg::kLogIsInput, {args.log, clash.input});
  else if (!args.force && merger::ExamineLog(args.log) == merger::StandingLog::kRunLog)
    message = Say(Msg::kLogIsRunLog, {args.log});
  else if (!writer::CheckTarget(args.log, args.force, &target, &problem))
    message = problem.fault == writer::Fault::kExists ? Say(Msg::kLogExists, {args.log})
                                                       : Say(Msg::kCannotWriteLog, {args.log, writer::WhyNot(problem)});
  return message.empty() ? 0 : messages::Fail(kTool, message);
}

// Writes the macros' log (its target checked by CheckLogTarget); the exit
// status it leaves.
int WriteLog(const Arguments &args, const checker::CheckResult &result, int status) {
  std::string log;
  for (const macro::MacroReport &m : result.macros) log += m.log;
  writer::Problem problem;
  if (WriteFile(args.log, log, args.force, &problem)) return status;
  return messages::Fail(kTool, Say(Msg::kCannotWriteLog, {args.log, writer::WhyNot(problem)}));
}

void Print(const Arguments &args, const checker::KeyDelay &delay, const checker::CheckResult &result,
           const checker::StreamSource &stream) {
  checker::OutputOptions output;
  output.dryRun = args.dryRun;
  output.eachCharacter = args.eachCharacter;
  output.keyDelay = delay.milliseconds;
  output.delaySource = delay.source;
  output.color = !args.json && (args.color == 1 || (args.color == -1 && getenv("NO_COLOR") == nullptr &&
                                                    os::TakesColor(stdout)));
  if (args.json)
    checker::PrintJson(stdout, result.keys, result.macros, output, stream);
  else
    checker::PrintText(stdout, result.keys, result.macros, output, stream);
  fflush(stdout);
}

void SayDone(const Arguments &args, const checker::CheckResult &result);
int Convert(const Arguments &args);

// The check and its report; the exit status.
int Check(const Arguments &args, bool ownWindow, std::vector<std::string> *inOtherCodePages) {
  const checker::KeyDelay delay = checker::ChooseDelay(args.delay, args.host);
  checker::PlayOptions play;
  play.keyDelay = delay.milliseconds;
  play.keepLog = !args.log.empty();
  play.logStart = args.logStartGiven ? args.logStart : time(nullptr);

  checker::FileText keys = checker::ReadFileText(KeysPath(args));
  std::vector<checker::FileText> macros;
  for (const std::string &path : args.macros) macros.push_back(checker::ReadFileText(path));
  const checker::CheckResult result = checker::RunCheck(keys, macros, play);

  int status = checker::Count(result.keys, result.macros).ExitStatus();
  if (!args.log.empty()) status = WriteLog(args, result, status);
  Print(args, delay, result, checker::ReplayStreams(keys, macros, play));
  if (ownWindow) SayDone(args, result);
  for (const macro::MacroReport &m : result.macros)
    for (const macro::Diagnostic &d : m.diagnostics)
      if (d.id == "code-page" || d.id == "utf-16") inOtherCodePages->push_back(m.file);
  return status;
}

// A macro's text as UTF-8, read as `args` or its bytes say; false with the
// message (said of the file by the caller).  `title` gets what it was read as.
bool ConvertedText(const Arguments &args, const std::string &bytes,
                   std::string *utf8, std::string *title, std::string *error) {
  checker::FileEncoding found = checker::GuessEncoding(bytes);
  if (found.utf16) {
    // UTF-16 is told by its mark or its zero bytes; no code page has either.
    reader::StringSource source(bytes);
    reader::TextReader reader(source, reader::ReadSettings());
    reader::ReadError problem;
    std::string piece;
    while (reader.Next(&piece, &problem)) *utf8 += piece;
    *title = checker::Utf16Title();
    if (problem.problem == reader::ReadProblem::kNone) return true;
    *error = Say(Msg::kCannotReadAs, {lang::Hex(problem.byte), *title});
    return false;
  }
  const codec::CodePage page = args.fromGiven ? args.from : found.page;
  *title = checker::CodePageTitle(page);
  size_t bad = 0;
  const std::string body = macro::StartsWithBom(bytes) ? bytes.substr(3) : bytes;
  if (page != codec::CodePage::kMazovia && !args.fromGiven) {
    *utf8 = checker::ConvertToUtf8(bytes, page);
  } else if (page == codec::CodePage::kMazovia) {
    *utf8 = macro::FileBytesToUtf8(body);  // as the host reads it
  } else if (!codec::DecodeToUtf8(page, body, utf8, &bad)) {
    *error = Say(Msg::kCannotReadAs, {lang::Hex(static_cast<uint8_t>(body[bad])), *title});
    return false;
  }
  return true;
}

// --convert: each macro's UTF-8 copy beside it, never over a file, and
// never over one of the macros (a link of the copy's name to one of them),
// which refuses the whole run before any copy is written.
int Convert(const Arguments &args) {
  for (const std::string &path : args.macros) {
    writer::Clash clash;
    if (!writer::FindClash({checker::Utf8CopyName(path)}, args.macros, &clash)) continue;
    return messages::Fail(path, Say(Msg::kCopyIsInput, {clash.output, clash.input}));
  }
  int status = 0;
  for (const std::string &path : args.macros) {
    checker::FileText file = checker::ReadFileText(path);
    if (!file.readable) {
      status = messages::Fail(path, Say(Msg::kConvertCannotRead, {file.error}));
      continue;
    }
    const checker::FileEncoding found = checker::GuessEncoding(file.content);
    const bool inDoubt = !args.fromGiven && !found.utf16 && found.inDoubt;
    if (!args.fromGiven && !found.utf16 && found.page == codec::CodePage::kUtf8) {
      if (inDoubt) {
        messages::TellOn(stderr, messages::Severity::kWarning, path,
                         Say(Msg::kAlreadyUtf8Doubt, {checker::CodePageTitle(found.doubtPage),
                                                      codec::CodePageName(found.doubtPage)}));
        status = status > 1 ? status : 1;
      } else {
        os::Write(stdout, Say(Msg::kAlreadyUtf8, {path}) + "\n");
      }
      continue;
    }
    std::string utf8, title, error;
    if (!ConvertedText(args, file.content, &utf8, &title, &error)) {
      status = messages::Fail(path, error);
      continue;
    }
    const std::string copy = checker::Utf8CopyName(path);
    writer::Problem problem;
    if (!WriteFile(copy, utf8, false, &problem)) {
      status = messages::Fail(path, problem.fault == writer::Fault::kExists
                                        ? Say(Msg::kCopyExists, {copy})
                                        : Say(Msg::kConvertCannotWrite, {copy, writer::WhyNot(problem)}));
      continue;
    }
    os::Write(stdout, Say(Msg::kConverted, {path, copy, title}) + "\n");
    // The letters could not tell the code page: the copy is written as the
    // leading reading, with a warning naming the other and --from.
    if (inDoubt) {
      messages::TellOn(stderr, messages::Severity::kWarning, path,
                       Say(Msg::kConvertDoubt, {title, checker::CodePageTitle(found.doubtPage), copy,
                                                codec::CodePageName(found.doubtPage)}));
      status = status > 1 ? status : 1;
    }
  }
  return status;
}

// What a window of its own says before it closes.
void SayDone(const Arguments &args, const checker::CheckResult &result) {
  const checker::Totals totals = checker::Count(result.keys, result.macros);
  std::string host = result.keys.file;
  for (char &c : host)
    if (c == '/') c = '\\';
  const std::string files = std::to_string(args.macros.size());
  os::Write(stdout, "\n" +
                          Say(totals.errors + totals.warnings > 0 ? Msg::kCheckedFound : Msg::kCheckedClean,
                              {files, host}) +
                          "\n");
}

int Run(const std::vector<std::string> &arguments) {
  cli::ChooseLanguage(arguments);
  os::GuardAllocation(messages::Tell(messages::Severity::kError, kTool, Say(Msg::kOutOfMemory)));
  // Started by a double-click or by files dropped on it: the window closes
  // when the tool ends, so it waits for Enter; the host is the folder the
  // tool stands in.
  const bool ownWindow = os::OwnConsoleWindow();
  Arguments args;
  if (ownWindow && arguments.size() <= 1) {
    os::Write(stdout, Say(Msg::kDropHelp, {os::ToolCommand("tastiro-check")}) + "\n");
    os::WaitForEnter(Say(messages::SharedMsg::kPressEnter));
    return 0;
  }
  int status = check::ParseArguments(arguments, &args);
  if (status < 0 && args.convert) status = Convert(args);
  if (status >= 0) {
    if (ownWindow) os::WaitForEnter("\n" + Say(messages::SharedMsg::kPressEnter));
    return status;
  }
  if (ownWindow && args.host.empty() && !args.keysGiven) args.host = os::HostFolderOfProgram();
  if ((status = CheckLogTarget(args)) != 0) {
    if (ownWindow) os::WaitForEnter("\n" + Say(messages::SharedMsg::kPressEnter));
    return status;
  }
  std::vector<std::string> inOtherCodePages;
  status = Check(args, ownWindow, &inOtherCodePages);
  // Dropped macros saved in another code page: their UTF-8 copies at once,
  // if the user wants them.
  if (ownWindow && !inOtherCodePages.empty() &&
      os::AskYes("\n" + Say(Msg::kAskConvert, {std::to_string(inOtherCodePages.size())}) + " ")) {
    Arguments convert;
    convert.macros = inOtherCodePages;
    Convert(convert);
  }
  if (ownWindow) os::WaitForEnter("\n" + Say(messages::SharedMsg::kPressEnter));
  return status;
}

}  // namespace

int main(int argc, char **argv) {
  writer::PrepareProcess();
  const int status = Run(cli::Utf8Arguments(argc, argv));
  // A report lost on its way (a full disk, a closed pipe) is an error, never
  // a success; once a file is written (--log, a copy), a warning: 2 says
  // nothing was written.
  if (!os::Flush(stdout)) {
    writer::Problem lost;
    lost.error = errno;
    const std::string why = writer::WhyNot(lost);
    if (writer::WroteAny()) {
      messages::TellOn(stderr, messages::Severity::kWarning, kTool,
                       Say(messages::SharedMsg::kStdoutLostAfterWriting, {why}));
      return status > 1 ? status : 1;
    }
    return messages::Fail(kTool, Say(messages::SharedMsg::kCannotWriteStdout, {why}));
  }
  return status;
}
