// The inputs of tastiro-merge's jobs, read and checked the same way by
// each: the files named, the key definitions, the output's target, the data's
// header and the key delay.
#include <errno.h>
#include <string.h>

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
    if (output::SameFile(args.output, input))
      return ToolError(Format(msg::kOutputIsInput, args.output.c_str(), input.c_str()));
  output::Problem problem;
  if (!output::CheckTarget(args.output, args.force, &job.target, &problem))
    return ToolError(Format(TargetMessage(problem.fault), args.output.c_str()));
  return 0;
}

const char *TargetMessage(output::Fault fault) {
  switch (fault) {
    case output::Fault::kDevice:
      return msg::kOutputDevice;
    case output::Fault::kFolder:
      return msg::kOutputFolder;
    case output::Fault::kNotRegular:
      return msg::kOutputNotRegular;
    case output::Fault::kReadOnly:
      return msg::kOutputReadOnly;
    case output::Fault::kDanglingLink:
      return msg::kOutputDanglingLink;
    default:
      return msg::kOutputExists;
  }
}

std::string WriteProblem(const output::Problem &problem) {
  std::string why = output::DiskFull(problem.error) ? lang::Str(msg::kDiskFull)
                    : problem.error == ENOENT      ? lang::Str(msg::kNoFolder)
                    : problem.error == EACCES      ? lang::Str(msg::kNoPermission)
                    : problem.error != 0           ? std::string(strerror(problem.error))
                                                   : lang::Str(msg::kWriteError);
  return problem.fault == output::Fault::kPlace ? Format(msg::kPlaceFailed, why.c_str()) : why;
}

int WriteFailed(const char *cannotWrite, const std::string &path, const output::Problem &problem) {
  // A file of that name made meanwhile by someone else: kept.
  if (problem.fault == output::Fault::kExists) return ToolError(Format(msg::kOutputExists, path.c_str()));
  return Fail(Format(cannotWrite, path.c_str(), WriteProblem(problem).c_str()));
}

// Opens the data and reads its header.  0, or the exit status.
int OpenData(const Arguments &args, FILE **file, std::unique_ptr<merge::FileSource> *source,
             std::unique_ptr<merge::TableStream> *stream, merge::Table *table) {
  const std::string &dataPath = args.files[1];
  *file = lang::OpenFile(dataPath, "rb");
  if (*file == nullptr)
    return Fail(Format(msg::kCannotRead, dataPath.c_str(), msg::kWhatData, strerror(errno)));
  source->reset(new merge::FileSource(*file));
  merge::TableOptions options;
  options.delimiter = args.delimiter;
  options.encoding = args.dataEncoding;
  stream->reset(new merge::TableStream(**source, options));
  merge::TableError error;
  if (!(*stream)->ReadHeader(table, &error))
    return Fail(Format(msg::kFileError, dataPath.c_str(),
                       error.line > 0 ? (":" + std::to_string(error.line)).c_str() : "",
                       error.message.c_str()));
  return 0;
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
