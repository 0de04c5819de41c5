// tastiro-merge: one macro from a template and a table of data.
//
//   tastiro-merge [options] TEMPLATE DATA
//   tastiro-merge --learn [options] RECORDING DATA -o TEMPLATE
//   tastiro-merge [options] TEMPLATE DATA --resume LOG -o REST
//   files dropped on the program: the merge of a template and a table
//
// Exit status: 0 written and clean (--resume: or every row typed already),
// 1 written with warnings, 2 nothing written (standard output that could
// not be written included).
#include <errno.h>
#include <string.h>

#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "tools/lang/console.h"
#include "tools/merge/merge_command.h"

using namespace merge_command;

namespace {

int Run(int argc, char **argv) {
  ChooseLanguage(argc, argv);
#if defined(_WIN32)
  // Into a file, a pipe or the NUL device, the C library would hand each
  // line to Windows on its own: a dry run of many rows would take minutes.
  // (_isatty says yes to NUL too: only a console answers GetConsoleMode.)
  static char buffer[64 * 1024];
  DWORD mode = 0;
  if (!GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode))
    setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
#endif
  // Started by a double-click or by files dropped on it: only file names,
  // and a window that closes when the tool ends.
  if (lang::OwnConsoleWindow()) {
    std::vector<std::string> files;
    bool onlyFiles = true;
    for (int i = 1; i < argc; ++i) {
      if (strcmp(argv[i], "--lang") == 0 && i + 1 < argc) ++i;  // a shortcut may add it
      else if (argv[i][0] == '-' || argv[i][0] == 0) onlyFiles = false;
      else files.push_back(argv[i]);
    }
    if (onlyFiles) return RunInOwnWindow(files);
  }
  Arguments args;
  int parsed = ParseArguments(argc, argv, &args);
  if (parsed != 0) return parsed < 0 ? 0 : parsed;
  if (args.learn) return LearnTemplate(args);
  return args.resume.empty() ? Merge(args) : Resume(args);
}

}  // namespace

int main(int argc, char **argv) {
  // The arguments as UTF-8 (on Windows read afresh as wide text), so that
  // a file named with Polish letters is that file, whatever the ANSI code
  // page.
  std::vector<std::string> arguments = lang::Utf8Arguments(argc, argv);
  std::vector<char *> utf8;
  for (std::string &argument : arguments) utf8.push_back(argument.data());
  utf8.push_back(nullptr);
  const int status = Run(argc, utf8.data());
  // Text lost on its way to standard output (a full disk, a closed pipe) is
  // an error, never a success.
  if (!lang::Flush(stdout)) {
    const output::Problem lost = {output::Fault::kWrite, errno};
    lang::Write(stderr, Format(msg::kToolError, Format(msg::kCannotWriteStdout, WriteProblem(lost).c_str()).c_str()) + "\n");
    return 2;
  }
  return status;
}
