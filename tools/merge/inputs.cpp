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
  return Fail(Say(Msg::kToolError, {lang::Whole(message)}));
}

std::string InHostFolder(const Arguments &args, const char *relative) {
  if (args.host.empty()) return relative;
  char last = args.host.back();
  return args.host + (last == '/' || last == '\\' ? "" : "/") + relative;
}

std::string KeysPath(const Arguments &args) {
  return args.keys.empty() ? InHostFolder(args, check::KeyFileInHostFolder().c_str()) : args.keys;
}

int FailOnTable(const std::string &dataPath, const merge::TableError &error) {
  return Fail(Say(Msg::kFileError, {dataPath, error.line > 0 ? ":" + std::to_string(error.line) : "",
                                    lang::Whole(error.message)}));
}

// True when `output` is the same file as `input`.
namespace {

bool SameFile(const std::string &output, const std::string &input) {
  std::error_code error;
  return !input.empty() &&
         std::filesystem::equivalent(lang::Utf8Path(output), lang::Utf8Path(input), error) && !error;
}

}  // namespace

// A folder or a missing file named as an input is said plainly.  0, or the
// exit status.
int CheckInput(const std::string &path, Msg what) {
  std::error_code error;
  if (std::filesystem::is_directory(lang::Utf8Path(path), error))
    return Fail(Say(Msg::kInputFolder, {path, Say(what)}));
  return 0;
}

// Reads an input file whole, or explains why it cannot.
bool Read(const std::string &path, Msg what, check::FileText *file) {
  *file = check::ReadFileText(path);
  if (file->readable) return true;
  lang::Write(stderr, Say(Msg::kCannotRead, {path, Say(what), file->error}) + "\n");
  return false;
}

// Never write over an input, into a folder, a pipe or a device, nor over a
// file the user did not give up.  0, or the exit status.
int CheckOutputTarget(const Arguments &args, Job &job) {
  if (args.output.empty() || args.dryRun) return 0;
  for (const std::string &input :
       {args.files[0], args.files[1], args.before, args.after, KeysPath(args)})
    if (SameFile(args.output, input))
      return ToolError(Say(Msg::kOutputIsInput, {args.output, input}));
  std::string error;
  if (!merge::CheckOutput(args.output, args.force, &job.target, &error)) return ToolError(error);
  return 0;
}

// Opens the data and reads its header.  0, or the exit status.
int OpenData(const Arguments &args, FILE **file, std::unique_ptr<merge::FileSource> *source,
             std::unique_ptr<merge::TableStream> *stream, merge::Table *table) {
  const std::string &dataPath = args.files[1];
  *file = lang::OpenFile(dataPath, "rb");
  if (*file == nullptr)
    return Fail(Say(Msg::kCannotRead, {dataPath, Say(Msg::kWhatData), strerror(errno)}));
  source->reset(new merge::FileSource(*file));
  merge::TableOptions options;
  options.delimiter = args.delimiter;
  options.encoding = args.dataEncoding;
  options.strict = args.strict;
  stream->reset(new merge::TableStream(**source, options));
  merge::TableError error;
  if (!(*stream)->ReadHeader(table, &error))
    return FailOnTable(dataPath, error);
  return 0;
}

check::KeyDelay ChooseDelay(const Arguments &args) {
  if (args.delay >= 0) {
    check::KeyDelay given;
    given.milliseconds = static_cast<uint16_t>(args.delay);
    given.source = Say(Msg::kDelayGiven);
    return given;
  }
  // As tastiro-check: the host's settings in --host, or in the current
  // folder (where the default key file is looked for too).
  return check::HostKeyDelay(InHostFolder(args, "VOLMAR.ini"));
}

}  // namespace merge_command
