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
// Exit status: 0 nothing found, 1 warnings, 2 a file that cannot be read (or
// a command line that cannot be understood).
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

using check::Msg;
using check::Say;
using check_command::Arguments;

namespace {

// Where the host keeps its settings, relative to its folder.
const char kHostSettings[] = "VOLMAR.ini";

bool WriteAll(FILE *out, const std::string &bytes, std::string &error) {
  bool ok = fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  ok = fclose(out) == 0 && ok;
  if (!ok) error = Say(Msg::kWriteError);
  return ok;
}

bool WriteFile(const std::string &path, const std::string &bytes, std::string &error) {
  FILE *out = lang::OpenFile(path, "wb");
  if (out == nullptr) {
    error = check::ErrorText(errno);
    return false;
  }
  return WriteAll(out, bytes, error);
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
  std::string error;
  if (WriteFile(path, log, error)) return status;
  lang::Write(stderr, "tastiro-check: " + Say(Msg::kCannotWriteLog, {path, error}) + "\n");
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
    FILE *out = lang::CreateNewFile(copy);
    std::string error;
    if (out == nullptr) {
      const bool exists = errno == EEXIST;
      lang::Write(stderr, "tastiro-check: " +
                              (exists ? Say(Msg::kCopyExists, {path, copy})
                                      : Say(Msg::kCannotWrite, {path, copy, check::ErrorText(errno)})) +
                              "\n");
      status = 2;
      continue;
    }
    if (!WriteAll(out, utf8, error)) {
      lang::Write(stderr, "tastiro-check: " + Say(Msg::kCannotWrite, {path, copy, error}) + "\n");
      status = 2;
      continue;
    }
    lang::Write(stdout, Say(Msg::kConverted, {path, copy, check::CodePageTitle(page)}) + "\n");
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

}  // namespace

int main(int argc, char **argv) {
  const std::vector<std::string> arguments = cli::Utf8Arguments(argc, argv);
  cli::ChooseLanguage(arguments);
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
