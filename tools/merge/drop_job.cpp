// Files dropped on tastiro-merge (or a double-click): no options, the
// host folder the tool stands in, and a window that waits before it closes.
#include <ctype.h>

#include "tools/checker/encoding.h"
#include "tools/codec/text_guess.h"
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
  args->dropped = true;
  // The encodings, from the template's and the table's first bytes.
  const check::FileText tplText = check::ReadFileText(tpl);
  const check::FileEncoding tplEncoding = check::GuessEncoding(tplText.content);
  if (tplText.readable && tplEncoding.page != codec::CodePage::kUtf8) {
    args->templateEncoding = tplEncoding.page;
    *readAs += Format(msg::kDropReadAs, tpl.c_str(), check::CodePageTitle(tplEncoding.page).c_str()) + "\n";
  }
  if (FILE *in = lang::OpenFile(data, "rb")) {
    std::string head(64 * 1024, '\0');
    head.resize(fread(&head[0], 1, head.size(), in));
    fclose(in);
    // Cut behind the last whole line, so that no character is cut in two.
    const size_t lastBreak = head.rfind('\n');
    if (head.size() == 64 * 1024 && lastBreak != std::string::npos) head.resize(lastBreak + 1);
    const bool utf16 = head.compare(0, 2, "\xFF\xFE") == 0 || head.compare(0, 2, "\xFE\xFF") == 0;
    std::string utf8;
    size_t bad = 0;
    if (!utf16 && !codec::DecodeToUtf8(codec::CodePage::kUtf8, head, &utf8, &bad)) {
      args->dataEncoding = codec::GuessPolishCodePage(head);
      *readAs += Format(msg::kDropReadAs, data.c_str(),
                        check::CodePageTitle(args->dataEncoding).c_str()) + "\n";
    }
  }
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
  std::vector<std::string> inputs = files;
  const std::string log = TakeDroppedLog(&inputs);
  int status = ArgumentsOfDrop(inputs, &args, &readAs);
  if (status == 0 && !log.empty()) status = AskToResume(log, &args);
  if (status == 0) {
    lang::Write(stdout, readAs);
    status = args.resume.empty() ? Merge(args) : Resume(args);
  }
  lang::Write(stdout, "\n");
  std::string keys = KeysPath(args);
#if defined(_WIN32)
  for (char &c : keys)
    if (c == '/') c = '\\';  // as Windows writes it
#endif
  if (status < 2 && lang::FileExists(args.output))
    lang::Write(stdout, Format(msg::kDropDone, args.output.c_str(), args.files[0].c_str(),
                               args.files[1].c_str(), keys.c_str()) + "\n");
  else if (status == 2)
    lang::Write(stdout, msg::kDropNothing + "\n");
  lang::WaitForEnter(msg::kPressEnter);
  return status;
}

}  // namespace merge_command
