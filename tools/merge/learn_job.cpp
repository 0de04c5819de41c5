// tastiro-merge --learn RECORDING DATA -o TEMPLATE: a template learnt from
// a recording in which the table's first data row was typed by hand.
#include <algorithm>

#include "tools/lang/console.h"
#include "tools/macro/text_util.h"
#include "tools/merging/learn.h"

#include "tools/merge/merge_command.h"

namespace merge_command {

namespace {

// Prints what the learn found for each value; the number placed.
size_t ReportLearnt(FILE *to, const Arguments &args, const merge::Table &table,
                    const merge::LearnResult &learnt) {
  const char *recording = args.files[0].c_str();
  size_t placed = 0;
  for (const merge::LearnedValue &v : learnt.values) {
    const char *column = table.headers[v.column].c_str();
    const std::string shown = check::Visible(v.value);
    std::string places;
    for (size_t i = 0; i < v.places.size(); ++i)
      places += (i ? ", " : "") + std::to_string(v.places[i].line) + ":" +
                std::to_string(v.places[i].column);
    std::string line;
    switch (v.outcome) {
      case merge::LearnOutcome::kPlaced:
        ++placed;
        line = Say(Msg::kLearnPlaced, {recording, v.placedAt.line, v.placedAt.column, column, shown});
        break;
      case merge::LearnOutcome::kAmbiguous:
        line = Say(Msg::kLearnAmbiguous, {recording, shown, column, v.places.size(), places, column, v.places.size()});
        break;
      case merge::LearnOutcome::kMissing:
      case merge::LearnOutcome::kInsideWord:
        line = Say(v.outcome == merge::LearnOutcome::kMissing ? Msg::kLearnMissing
                                                              : Msg::kLearnInsideWord,
                   {recording, shown, column});
        break;
      case merge::LearnOutcome::kEmpty:
        line = Say(Msg::kLearnEmpty, {recording, column});
        break;
      case merge::LearnOutcome::kAtTooFar: {
        size_t n = 0;
        for (const auto &[name, at] : args.at)
          if (name == table.headers[v.column]) n = at;
        line = Say(Msg::kLearnAtTooFar, {recording, column, n, shown, v.places.size()});
        break;
      }
      case merge::LearnOutcome::kBadName:
        line = Say(Msg::kLearnBadName, {recording, column});
        break;
    }
    lang::Write(to, line + "\n");
  }
  return placed;
}

// The command that merges the table's other rows with the template just
// written, with the options that read the table and the keys as this one
// did, as the user can run it from the folder they are in.
std::string RestCommand(const Arguments &args) {
  std::string command = lang::ToolCommand("tastiro-merge");
  auto add = [&command](const char *option, const std::string &value) {
    if (!value.empty()) command += std::string(" ") + option + " " + Quoted(value);
  };
  add("--host", args.host);
  add("--keys", args.keys);
  if (args.delimiter != 0) add("--delimiter", args.delimiter == '\t' ? "tab" : std::string(1, args.delimiter));
  if (args.dataEncoding != codec::CodePage::kUtf8) add("--data-encoding", codec::CodePageName(args.dataEncoding));
  add("--newline", args.newline);
  add("--tab", args.tab);
  return command + " --rows 2- -o " + Quoted(MacroNameBeside(args.output, 1)) + " " +
         Quoted(args.output) + " " + Quoted(args.files[1]);
}

}  // namespace

// --learn RECORDING DATA -o TEMPLATE.  The exit status.
int LearnTemplate(const Arguments &args) {
  Job job;
  if (int status = CheckOutputTarget(args, job)) return status;
  for (const auto &[path, what] : {std::pair{args.files[0], Msg::kWhatRecording},
                                   std::pair{args.files[1], Msg::kWhatData}})
    if (int status = CheckInput(path, what)) return status;
  check::FileText recording;
  if (!Read(args.files[0], Msg::kWhatRecording, &recording)) return 2;
  std::string text, error;
  if (!merge::ReadMacroText(args.files[0], recording.content, args.templateEncoding, codec::CodePage::kUtf8,
                 &text, &error))
    return Fail(error);
  const std::string keysPath = KeysPath(args);
  check::FileText keys = check::ReadFileText(keysPath);
  if (!keys.readable)
    return Fail(Say(Msg::kCannotReadKeys, {keysPath, keys.error}));

  FILE *file = nullptr;
  std::unique_ptr<merge::FileSource> source;
  std::unique_ptr<merge::TableStream> stream;
  merge::Table table;
  int status = OpenData(args, &file, &source, &stream, &table);
  merge::TableRow first;
  merge::TableError tableError;
  const bool haveRow = status == 0 && stream->Next(&first, &tableError);
  if (file != nullptr) fclose(file);
  if (status != 0) return status;
  if (!tableError.message.empty())
    return FailOnTable(args.files[1], tableError);
  if (!haveRow) return Fail(Say(Msg::kLearnNoRow, {args.files[1]}));
  merge::LearnOptions options;
  for (const auto &[name, n] : args.at) {
    if (std::find(table.headers.begin(), table.headers.end(), name) == table.headers.end())
      return UsageError(Say(Msg::kAtNoColumn, {name, name}));
    options.at.push_back({name, n});
  }
  options.bracketKey = merge::LookUpKeys(keys, "").bracketKey;
  options.newlineKey = args.newline;
  options.tabKey = args.tab;
  const merge::LearnResult learnt = merge::Learn(text, table.headers, first, options);

  const size_t placed = ReportLearnt(stdout, args, table, learnt);
  output::Writer writer;
  output::Problem problem;
  if (!writer.Open(job.target, &problem) || !writer.Write(learnt.templateText) || !writer.Commit(&problem))
    return WriteFailed(Msg::kCannotWriteTemplate, args.output,
                       writer.ok() ? problem : writer.problem());
  lang::Write(stdout, Say(Msg::kLearnWritten, {args.output, placed, learnt.values.size(), lang::Whole(RestCommand(args))}) + "\n");
  fflush(stdout);
  return learnt.Clean() ? 0 : 1;
}

}  // namespace merge_command
