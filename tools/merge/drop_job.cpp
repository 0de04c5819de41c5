// Files dropped on tastiro-merge (or a double-click): no options, the
// host folder the tool stands in, and a window that waits before it closes.
#include <ctype.h>

#include "tools/checker/encoding.h"
#include "tools/lang/console.h"

#include "tools/merge/merge_command.h"

namespace merge_command {

namespace {

// Files dropped on the program.  The template and the table are told apart
// by their names; the macro goes beside the template under a name no file
// has; the key names and key delay are those of the host folder the tool
// stands in; a template or table that is not UTF-8 is read in the code page
// its Polish letters show (a user who drops files gives no options).  0, or
// the exit status.
int ArgumentsOfDrop(const std::vector<std::string> &files, Arguments *args,
                    std::string *readAs) {
  if (files.size() != 2) return ToolError(msg::kDropTwoFiles);
  auto isTable = [](const std::string &path) {
    std::string tail = path.size() >= 4 ? path.substr(path.size() - 4) : path;
    for (char &c : tail) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return tail == ".csv" || tail == ".tsv";
  };
  if (isTable(files[0]) == isTable(files[1])) return ToolError(msg::kDropWhich);
  const std::string &tpl = isTable(files[0]) ? files[1] : files[0];
  const std::string &data = isTable(files[0]) ? files[0] : files[1];
  args->files = {tpl, data};
  args->host = lang::HostFolderOfProgram();
  // The macro's name: the template's with "-makro", then -makro-2, ...
  const size_t slash = tpl.find_last_of("/\\");
  size_t dot = tpl.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = tpl.size();
  for (int n = 1; n < 1000 && args->output.empty(); ++n) {
    std::string name = tpl.substr(0, dot) + "-makro" + (n > 1 ? "-" + std::to_string(n) : "") + ".txt";
    if (!lang::FileExists(name)) args->output = name;
  }
  if (args->output.empty()) return ToolError(Format(msg::kDropNoName, tpl.c_str()));
  args->outputGiven = true;
  // The template's encoding, from its Polish letters.
  const check::FileText tplText = check::ReadFileText(tpl);
  const check::FileEncoding tplEncoding = check::GuessEncoding(tplText.content);
  if (tplText.readable && tplEncoding.page != codec::CodePage::kUtf8) {
    args->templateEncoding = tplEncoding.page;
    *readAs += Format(msg::kDropReadAs, tpl.c_str(), check::CodePageTitle(tplEncoding.page).c_str()) + "\n";
  }
  // The table's encoding is guessed as it is read, as on the command line.
  return 0;
}

}  // namespace

// A window of its own (a double-click, files dropped on the program): the
// drop's merge, what it did, and a wait for Enter before the window closes.
int RunInOwnWindow(const std::vector<std::string> &files) {
  if (files.empty()) {
    lang::Write(stdout, Format(msg::kDropHelp) + "\n");
    lang::WaitForEnter(msg::kPressEnter);
    return 0;
  }
  Arguments args;
  std::string readAs;
  int status = ArgumentsOfDrop(files, &args, &readAs);
  if (status == 0) {
    lang::Write(stdout, readAs);
    status = Merge(args);
  }
  lang::Write(stdout, "\n");
  std::string keys = KeysPath(args);
#if defined(_WIN32)
  for (char &c : keys)
    if (c == '/') c = '\\';  // as Windows writes it
#endif
  if (status < 2)
    lang::Write(stdout, Format(msg::kDropDone, args.output.c_str(), args.files[0].c_str(),
                               args.files[1].c_str(), keys.c_str()) + "\n");
  else
    lang::Write(stdout, msg::kDropNothing + "\n");
  lang::WaitForEnter(msg::kPressEnter);
  return status;
}

}  // namespace merge_command
