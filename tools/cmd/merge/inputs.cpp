// The inputs of tastiro-merge's jobs, read and checked the same way by
// each: the files named, the key definitions, the output's target, the data's
// header and the key delay.
#include <errno.h>
#include <string.h>

#include <filesystem>
#include <system_error>

#include "tools/checker/key_file_check.h"
#include "tools/merger/run_log.h"
#include "tools/os/console.h"

#include "tools/cmd/merge/merge_command.h"

namespace merge {

using Msg = messages::MergeMsg;

int Fail(const std::string &said) {
  os::Write(stderr, said + "\n");
  return 2;
}

int ToolError(const std::string &message) { return Fail(kToolName, message); }

std::string KeysPath(const Arguments &args) { return checker::KeysIn(args.host, args.keys, !args.keys.empty()); }

int FailOnTable(const std::string &dataPath, const table::TableError &error) {
  return Fail(messages::Where(dataPath, error.line), error.message);
}

// A folder or a missing file named as an input is said plainly.  0, or the
// exit status.
int CheckInput(const std::string &path, Msg what) {
  std::error_code error;
  if (std::filesystem::is_directory(os::Utf8Path(path), error))
    return Fail(path, Say(Msg::kInputFolder, {Say(what)}));
  return 0;
}

// Reads an input file whole, or explains why it cannot.
bool Read(const std::string &path, Msg what, checker::FileText *file) {
  *file = checker::ReadFileText(path);
  if (file->readable) return true;
  Fail(path, Say(Msg::kCannotRead, {Say(what), file->error}));
  return false;
}

// Never write over an input, into a folder, a pipe or a device, nor over a
// file the user did not give up; the log beside -o is added to only when
// it is empty or a player's log.  Every file the run will write is compared
// with every file it reads by identity (a link, another spelling), before
// any work.  0, or the exit status.
int CheckOutputTarget(const Arguments &args, Job &job) {
  if (args.output.empty() || args.dryRun) return 0;
  const std::vector<std::string> inputs = {args.files[0], args.files[1], args.before, args.after,
                                           KeysPath(args), checker::HostSettingsIn(args.host), args.resume};
  writer::Clash clash;
  if (writer::FindClash({args.output}, inputs, &clash))
    return ToolError(Say(Msg::kOutputIsInput, {args.output, clash.input}));
  // (--learn writes a template, which has no log.)
  const std::string log = args.learn || args.noLog ? std::string() : RunLogName(args.output);
  if (!log.empty() && writer::FindClash({log}, inputs, &clash))
    return ToolError(Say(Msg::kBesideLogIsInput, {log, args.output, clash.input}));
  writer::Problem problem;
  if (!writer::CheckTarget(args.output, args.force, &job.target, &problem))
    return ToolError(Say(TargetMessage(problem.fault), {args.output}));
  // A log that cannot be made at all (a folder ...) only warns, after the
  // macro is written; a file of the user's is never added to.
  if (!log.empty() && merger::ExamineLog(log) == merger::StandingLog::kOther)
    return ToolError(Say(Msg::kLogNotPlayers, {log, args.output}));
  return 0;
}

Msg TargetMessage(writer::Fault fault) {
  switch (fault) {
    case writer::Fault::kDevice:
      return Msg::kOutputDevice;
    case writer::Fault::kFolder:
      return Msg::kOutputFolder;
    case writer::Fault::kNotRegular:
      return Msg::kOutputNotRegular;
    case writer::Fault::kReadOnly:
      return Msg::kOutputReadOnly;
    case writer::Fault::kDanglingLink:
      return Msg::kOutputDanglingLink;
    default:
      return Msg::kOutputExists;
  }
}

namespace {
bool g_stdoutFailureSaid = false;
}  // namespace

int StdoutFailed(const writer::Problem &problem) {
  g_stdoutFailureSaid = true;
  return ToolError(Say(messages::SharedMsg::kCannotWriteStdout, {writer::WhyNot(problem)}));
}

bool StdoutFailureSaid() { return g_stdoutFailureSaid; }

int WriteFailed(Msg cannotWrite, const std::string &path, const writer::Problem &problem) {
  // A file of that name made meanwhile by someone else: kept.
  if (problem.fault == writer::Fault::kExists) return ToolError(Say(Msg::kOutputExists, {path}));
  return Fail(path, Say(cannotWrite, {writer::WhyNot(problem)}));
}

// Opens the data and reads its header.  0, or the exit status.
int OpenData(const Arguments &args, DataInput *data, table::Table *table) {
  const std::string &dataPath = args.files[1];
  int openError = 0;
  if (!data->source.Open(dataPath, &openError))
    return Fail(dataPath, Say(Msg::kCannotRead, {Say(Msg::kWhatData), checker::ErrorText(openError)}));
  table::TableOptions options;
  options.delimiter = args.delimiter;
  options.encoding = args.dataEncoding;
  options.guessEncoding = !args.dataEncodingGiven;
  options.strict = args.strict;
  data->stream.reset(new table::TableStream(data->source, options));
  table::TableError error;
  if (!data->stream->ReadHeader(table, &error)) return FailOnTable(dataPath, error);
  return 0;
}

std::string MacroNameBeside(const std::string &tpl, int n) {
  const size_t slash = tpl.find_last_of("/\\");
  size_t dot = tpl.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = tpl.size();
  return tpl.substr(0, dot) + "-makro" + (n > 1 ? "-" + std::to_string(n) : "") + ".txt";
}

std::string Quoted(const std::string &value) {
  if (!value.empty() && value.find_first_of(" ;,&|<>()'\"\t") == std::string::npos) return value;
  return "\"" + value + "\"";
}

}  // namespace merge
