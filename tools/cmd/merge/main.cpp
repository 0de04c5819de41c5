// tastiro-merge: one macro from a template and a table of data.
//
//   tastiro-merge [options] TEMPLATE DATA
//   tastiro-merge --learn [options] RECORDING DATA -o TEMPLATE
//   tastiro-merge [options] TEMPLATE DATA --resume LOG -o REST
//   files dropped on the program: the merge of a template and a table
//
// Exit status: 0 written and clean (--resume: or every row typed already),
// 1 written with warnings (a log that could not be made, text lost on
// standard output after the files were written included), 2 nothing
// written (a macro on standard output that could not be written included).
#include <errno.h>

#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "tools/cli/command_line.h"
#include "tools/os/console.h"
#include "tools/os/memory_guard.h"
#include "tools/cmd/merge/merge_command.h"

using namespace merge;

namespace {

// Started by a double-click or by files dropped on it: only file names (a
// shortcut may add --lang), and a window that closes when the tool ends.
bool DroppedFiles(const std::vector<std::string> &arguments, std::vector<std::string> *files) {
  if (!os::OwnConsoleWindow()) return false;
  for (size_t i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == "--lang" && i + 1 < arguments.size()) ++i;
    else if (arguments[i].empty() || arguments[i][0] == '-') return false;
    else files->push_back(arguments[i]);
  }
  return true;
}

int Run(const std::vector<std::string> &arguments) {
  cli::ChooseLanguage(arguments);
  os::GuardAllocation(messages::Tell(messages::Severity::kError, kToolName, Say(Msg::kOutOfMemory)));
#if defined(_WIN32)
  // Into a file, a pipe or the NUL device, the C library would hand each
  // line to Windows on its own: a dry run of many rows would take minutes.
  // (_isatty says yes to NUL too: only a console answers GetConsoleMode.)
  static char buffer[64 * 1024];
  DWORD mode = 0;
  if (!GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode))
    setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
#endif
  std::vector<std::string> files;
  if (DroppedFiles(arguments, &files)) return RunInOwnWindow(files);
  Arguments args;
  const int parsed = ParseArguments(arguments, &args);
  if (parsed >= 0) return parsed;
  if (args.learn) return LearnTemplate(args);
  return args.resume.empty() ? Merge(args) : Resume(args);
}

}  // namespace

int main(int argc, char **argv) {
  // The arguments as UTF-8 (on Windows read as wide text), so that a file
  // named with Polish letters is that file, whatever the ANSI code page.
  writer::PrepareProcess();
  const int status = Run(cli::Utf8Arguments(argc, argv));
  // Text lost on its way to standard output (a full disk, a closed pipe) is
  // an error, never a success; once a file is written, a warning (2 says
  // nothing was written).
  if (!os::Flush(stdout)) {
    const writer::Problem lost = {writer::Fault::kWrite, errno};
    if (StdoutFailureSaid()) return 2;
    if (!writer::WroteAny()) return StdoutFailed(lost);
    messages::TellOn(stderr, messages::Severity::kWarning, kToolName,
                     Say(messages::SharedMsg::kStdoutLostAfterWriting, {writer::WhyNot(lost)}));
    return status > 1 ? status : 1;
  }
  return status;
}
