// Files dropped on tastiro-merge (or a double-click): no options, the
// host folder the tool stands in, and a window that waits before it closes.
#include <ctype.h>

#include <algorithm>

#include "tools/checker/encoding.h"
#include "tools/os/console.h"

#include "tools/cmd/merge/merge_command.h"

namespace merge {

using Msg = messages::MergeMsg;

namespace {

// Whether `path` ends in `extension` (".csv"), in any letter case.
bool EndsWith(const std::string &path, const char *extension) {
  std::string tail = path.size() >= 4 ? path.substr(path.size() - 4) : path;
  for (char &c : tail) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return tail == extension;
}

// Files dropped on the program.  The template and the table are told apart
// by their names; the macro goes beside the template under a name no file
// has; the key names and key delay are those of the host folder the tool
// stands in; a template or table that is not UTF-8 is read in the code page
// its Polish letters show (a user who drops files gives no options).  0, or
// the exit status.
int ArgumentsOfDrop(const std::vector<std::string> &files, Arguments *args,
                    std::string *readAs) {
  if (files.size() != 2) return ToolError(Say(Msg::kDropTwoFiles));
  auto isTable = [](const std::string &path) {
    return EndsWith(path, ".csv") || EndsWith(path, ".tsv");
  };
  if (isTable(files[0]) == isTable(files[1])) return ToolError(Say(Msg::kDropWhich));
  const std::string &tpl = isTable(files[0]) ? files[1] : files[0];
  const std::string &data = isTable(files[0]) ? files[0] : files[1];
  args->files = {tpl, data};
  args->host = os::HostFolderOfProgram();
  // The macro's name: the template's with "-makro", then -makro-2, ...
  for (int n = 1; n < 1000 && args->output.empty(); ++n)
    if (!os::FileExists(MacroNameBeside(tpl, n))) args->output = MacroNameBeside(tpl, n);
  if (args->output.empty()) return ToolError(Say(Msg::kDropNoName, {tpl}));
  args->outputGiven = true;
  args->dropped = true;
  // The template's encoding, from its Polish letters.
  const checker::FileText tplText = checker::ReadFileText(tpl);
  const checker::FileEncoding tplEncoding = checker::GuessEncoding(tplText.content);
  if (tplText.readable && tplEncoding.page != codec::CodePage::kUtf8) {
    args->templateEncoding = tplEncoding.page;
    *readAs += Say(Msg::kDropReadAs, {tpl, checker::CodePageTitle(tplEncoding.page)}) + "\n";
  }
  // The table's encoding is guessed as it is read, as on the command line.
  return 0;
}

// A free name beside `path`: its stem with `suffix`, then -2, -3 ...
// ("" when none is free).
std::string FreeNameBeside(const std::string &path, const std::string &suffix) {
  const size_t slash = path.find_last_of("/\\");
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = path.size();
  for (int n = 1; n < 1000; ++n) {
    std::string name = path.substr(0, dot) + suffix + (n > 1 ? "-" + std::to_string(n) : "") + ".txt";
    if (!os::FileExists(name)) return name;
  }
  return std::string();
}

// A log (.log) among the dropped files, taken out of them; empty when none.
std::string TakeDroppedLog(std::vector<std::string> *files) {
  for (auto file = files->begin(); file != files->end(); ++file) {
    if (!EndsWith(*file, ".log")) continue;
    const std::string log = *file;
    files->erase(file);
    return log;
  }
  return std::string();
}

// A log dropped with the template and the table: after a question, the rest
// of the run it logged, beside the log ("-reszta", then -reszta-2 ...).  0,
// or the exit status.
int AskToResume(const std::string &log, Arguments *args) {
  if (!os::AskYes(Say(Msg::kDropResumeAsk, {log}))) return 2;
  args->resume = log;
  args->output = FreeNameBeside(log, "-reszta");
  if (args->output.empty()) return ToolError(Say(Msg::kDropNoName, {log}));
  return 0;
}

// Whether the dropped macro holds no placeholder: a recording (a file the
// recorder wrote, or any macro) to learn a template from.
bool IsRecording(const std::string &path) {
  const checker::FileText text = checker::ReadFileText(path);
  return text.readable && text.content.find("{{") == std::string::npos;
}

// A recording dropped with a table: after a question, a template learnt
// from it (beside it), then, after another, the table's other rows merged
// with that template (--rows 2-).  The exit status.
int LearnThenMerge(const Arguments &dropped, bool *merged) {
  *merged = false;
  if (!os::AskYes(Say(Msg::kDropLearnAsk, {dropped.files[0]})))
    return ToolError(Say(Msg::kDropNoPlaceholder, {dropped.files[0]}));
  Arguments learn = dropped;
  learn.learn = true;
  learn.output = FreeNameBeside(dropped.files[0], "-szablon");
  if (learn.output.empty()) return ToolError(Say(Msg::kDropNoName, {dropped.files[0]}));
  int status = LearnTemplate(learn);
  if (status >= 2 || !os::AskYes(Say(Msg::kDropMergeRestAsk))) return status;
  os::Write(stdout, "\n");
  Arguments rest = dropped;
  rest.files[0] = learn.output;
  rest.templateEncoding = codec::CodePage::kUtf8;  // the learnt template is UTF-8
  rest.firstRow = 2;
  rest.lastRow = -1;
  *merged = true;
  return std::max(status, Merge(rest));
}

}  // namespace

// A window of its own (a double-click, files dropped on the program): the
// drop's merge, what it did, and a wait for Enter before the window closes.
int RunInOwnWindow(const std::vector<std::string> &files) {
  if (files.empty()) {
    os::Write(stdout, Say(Msg::kDropHelp, {os::ToolCommand("tastiro-merge")}) + "\n");
    os::WaitForEnter(Say(messages::SharedMsg::kPressEnter));
    return 0;
  }
  Arguments args;
  std::string readAs;
  bool merged = true;
  std::vector<std::string> inputs = files;
  const std::string log = TakeDroppedLog(&inputs);
  int status = ArgumentsOfDrop(inputs, &args, &readAs);
  if (status == 0 && !log.empty()) status = AskToResume(log, &args);
  if (status == 0) {
    os::Write(stdout, readAs);
    if (!args.resume.empty()) status = Resume(args);
    else status = IsRecording(args.files[0]) ? LearnThenMerge(args, &merged) : Merge(args);
  }
  os::Write(stdout, "\n");
  std::string keys = KeysPath(args);
#if defined(_WIN32)
  for (char &c : keys)
    if (c == '/') c = '\\';  // as Windows writes it
#endif
  // (A resume that finds every row typed writes nothing, with exit status 0.)
  if (status < 2 && merged && os::FileExists(args.output))
    os::Write(stdout, Say(Msg::kDropDone, {args.output, args.files[0], args.files[1], keys}) + "\n");
  else if (status >= 2)
    os::Write(stdout, Say(Msg::kDropNothing) + "\n");
  os::WaitForEnter(Say(messages::SharedMsg::kPressEnter));
  return status;
}

}  // namespace merge
