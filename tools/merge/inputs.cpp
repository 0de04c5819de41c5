// The inputs of tastiro-merge's jobs, read and checked the same way by
// each: the files named, the key definitions, the output's target, the data's
// header and the key delay.
#include <filesystem>
#include <system_error>

#include "tools/checker/key_file_check.h"
#include "tools/lang/console.h"

#include "tools/merge/merge_command.h"

namespace merge_command {

int Fail(const std::string &message) {
  lang::Write(stderr, message + "\n");
  return 2;
}

int ToolError(const std::string &message) {
  return Fail(Format(msg::kToolError, message.c_str()));
}

std::string InHostFolder(const Arguments &args, const char *relative) {
  if (args.host.empty()) return relative;
  char last = args.host.back();
  return args.host + (last == '/' || last == '\\' ? "" : "/") + relative;
}

std::string KeysPath(const Arguments &args) {
  return args.keys.empty() ? InHostFolder(args, check::KeyFileInHostFolder().c_str()) : args.keys;
}

// True when `output` is the same file as `input`.
namespace {

bool SameFile(const std::string &output, const std::string &input) {
  std::error_code error;
  return !input.empty() && std::filesystem::equivalent(output, input, error) && !error;
}

}  // namespace

// A folder or a missing file named as an input is said plainly.  0, or the
// exit status.
int CheckInput(const std::string &path, const char *what) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error))
    return Fail(Format(msg::kInputFolder, path.c_str(), what));
  return 0;
}

// Reads an input file whole, or explains why it cannot.
bool Read(const std::string &path, const char *what, check::FileText *file) {
  *file = check::ReadFileText(path);
  if (file->readable) return true;
  lang::Write(stderr, Format(msg::kCannotRead, path.c_str(), what, file->error.c_str()) + "\n");
  return false;
}

// Never write over an input, into a folder, a pipe or a device, nor over a
// file the user did not give up.  0, or the exit status.
int CheckOutputTarget(const Arguments &args, Job &job) {
  if (args.output.empty() || args.dryRun) return 0;
  for (const std::string &input :
       {args.files[0], args.files[1], args.before, args.after, KeysPath(args)})
    if (SameFile(args.output, input))
      return ToolError(Format(msg::kOutputIsInput, args.output.c_str(), input.c_str()));
  std::string error;
  if (!merge::CheckOutput(args.output, args.force, &job.target, &error)) return ToolError(error);
  return 0;
}

// Opens the data and reads its header.  0, or the exit status.
int OpenData(const Arguments &args, DataInput *data, merge::Table *table) {
  const std::string &dataPath = args.files[1];
  int openError = 0;
  if (!data->source.Open(dataPath, &openError))
    return Fail(Format(msg::kCannotRead, dataPath.c_str(), msg::kWhatData,
                       check::ErrorText(openError).c_str()));
  merge::TableOptions options;
  options.delimiter = args.delimiter;
  options.encoding = args.dataEncoding;
  options.guessEncoding = !args.dataEncodingGiven;
  data->stream.reset(new merge::TableStream(data->source, options));
  merge::TableError error;
  if (!data->stream->ReadHeader(table, &error)) return DataError(args, error);
  return 0;
}

int DataError(const Arguments &args, const merge::TableError &error) {
  return Fail(Format(msg::kFileError, args.files[1].c_str(),
                     error.line > 0 ? (":" + std::to_string(error.line)).c_str() : "",
                     error.message.c_str()));
}

check::KeyDelay ChooseDelay(const Arguments &args) {
  if (args.delay >= 0) {
    check::KeyDelay given;
    given.milliseconds = static_cast<uint16_t>(args.delay);
    given.source = lang::Str(msg::kDelayGiven);
    return given;
  }
  // As tastiro-check: the host's settings in --host, or in the current
  // folder (where the default key file is looked for too).
  return check::HostKeyDelay(InHostFolder(args, "VOLMAR.ini"));
}

}  // namespace merge_command
