// tastiro-merge --learn RECORDING DATA -o TEMPLATE: a template learnt from
// a recording in which the table's first data row was typed by hand.
#include <errno.h>

#include <algorithm>

#include "tools/os/console.h"
#include "tools/macro/text_util.h"
#include "tools/merger/learn.h"

#include "tools/cmd/merge/merge_command.h"

namespace merge {

using Msg = messages::MergeMsg;

namespace {

size_t Unnamed(const merger::LearnResult &learnt) {
  size_t n = 0;
  for (const merger::LearnedValue &v : learnt.values) n += v.outcome == merger::LearnOutcome::kUnnamed;
  return n;
}

// "2:5, 3:1" and, beyond the places shown, how many more.
std::string PlaceList(const std::vector<macro::SourcePosition> &places, size_t count) {
  std::string list;
  for (size_t i = 0; i < places.size(); ++i)
    list += (i ? ", " : "") + std::to_string(places[i].line) + ":" +
            std::to_string(places[i].column);
  if (count > places.size()) list += Say(Msg::kMorePlaces, {count - places.size()});
  return list;
}

// What the learn found for one value, as a line of the report.
std::string LearntLine(const Arguments &args, const table::Table &table,
                       const merger::LearnedValue &v) {
  const char *recording = args.files[0].c_str();
  const char *column = table.headers[v.column].c_str();
  const std::string shown = macro::Visible(v.value);
  auto warning = [](const std::string &where, const std::string &text) {
    return messages::Tell(Severity::kWarning, where, text);
  };
  switch (v.outcome) {
    case merger::LearnOutcome::kPlaced:
      return Say(v.corrected ? Msg::kLearnCorrected : Msg::kLearnPlaced,
                 {recording, v.placedAt.line, v.placedAt.column, column, shown});
    case merger::LearnOutcome::kAmbiguous:
      return warning(recording, Say(Msg::kLearnAmbiguous, {shown, column, v.placeCount,
                                                           lang::Whole(PlaceList(v.places, v.placeCount)),
                                                           column, v.placeCount}));
    case merger::LearnOutcome::kNear:
      return warning(recording, Say(Msg::kLearnNear, {shown, column,
                                                      lang::Whole(PlaceList(v.nearPlaces, v.nearCount)), column}));
    case merger::LearnOutcome::kMissing:
      if (v.nearestAt.line > 0)
        return warning(messages::Where(recording, v.nearestAt.line, v.nearestAt.column),
                       Say(Msg::kLearnNearest, {shown, column, macro::Visible(v.nearest)}));
      return warning(recording, Say(Msg::kLearnMissing, {shown, column}));
    case merger::LearnOutcome::kInsideWord:
      return warning(recording, Say(Msg::kLearnInsideWord, {shown, column}));
    case merger::LearnOutcome::kEmpty:
      return messages::Tell(Severity::kNote, recording, Say(Msg::kLearnEmpty, {column}));
    case merger::LearnOutcome::kAtTooFar: {
      size_t n = 0;
      for (const auto &[name, at] : args.at)
        if (name == table.headers[v.column]) n = at;
      return warning(recording, Say(Msg::kLearnAtTooFar, {column, n, shown, v.placeCount}));
    }
    case merger::LearnOutcome::kBadName:
      return warning(recording, Say(Msg::kLearnBadName, {column}));
    case merger::LearnOutcome::kUnnamed:
      break;
  }
  return std::string();
}

// Prints what the learn found for each value, in the recording's order;
// the number placed.
size_t ReportLearnt(FILE *to, const Arguments &args, const table::Table &table,
                    const merger::LearnResult &learnt) {
  size_t placed = 0;
  for (const merger::LearnedValue &v : learnt.values) {
    placed += v.outcome == merger::LearnOutcome::kPlaced;
    const std::string line = LearntLine(args, table, v);
    if (!line.empty()) os::Write(to, line + "\n");
  }
  return placed;
}

// The command that merges the table's other rows (from `firstRest` on) with the template just
// written, with the options that read the table and the keys as this one
// did, as the user can run it from the folder they are in.
std::string RestCommand(const Arguments &args, size_t firstRest) {
  std::string command = os::ToolCommand("tastiro-merge");
  auto add = [&command](const char *option, const std::string &value) {
    if (!value.empty()) command += std::string(" ") + option + " " + Quoted(value);
  };
  add("--host", args.host);
  add("--keys", args.keys);
  if (args.delimiter != 0) add("--delimiter", args.delimiter == '\t' ? "tab" : std::string(1, args.delimiter));
  if (args.dataEncoding != codec::CodePage::kUtf8) add("--data-encoding", codec::CodePageName(args.dataEncoding));
  add("--newline", args.newline);
  add("--tab", args.tab);
  return command + " --rows " + std::to_string(firstRest) + "- -o " + Quoted(MacroNameBeside(args.output, 1)) + " " +
         Quoted(args.output) + " " + Quoted(args.files[1]);
}

// The table's first data row that is not empty, which the recording
// typed.  0, or the exit status.
int FirstRow(const Arguments &args, table::Table *table, table::TableRow *first, size_t *number) {
  DataInput data;
  if (int status = OpenData(args, &data, table)) return status;
  table::TableError error;
  bool haveRow = false;
  *number = 0;
  while ((haveRow = data.stream->Next(first, &error)) && (++*number, true) &&
         table::IsEmptyRow(*first, table->unnamed))
    haveRow = false;
  if (!error.message.empty())
    return FailOnTable(args.files[1], error);
  if (!haveRow) return Fail(args.files[1], Say(Msg::kLearnNoRow));
  return 0;
}

// Writes the template (or, for a dry run, shows it).  0, or the exit status.
int WriteTemplate(const Arguments &args, Job &job, const std::string &text) {
  if (args.dryRun) {
    if (os::Write(stdout, text) && os::Flush(stdout)) return 0;
    return StdoutFailed({writer::Fault::kWrite, errno});
  }
  writer::Writer writer;
  writer::Problem problem;
  if (!writer.Open(job.target, &problem) || !writer.Write(text) || !writer.Commit(&problem))
    return WriteFailed(Msg::kCannotWriteTemplate, args.output, writer.ok() ? problem : writer.problem());
  return 0;
}

}  // namespace

// --learn RECORDING DATA -o TEMPLATE.  The exit status.
int LearnTemplate(const Arguments &args) {
  Job job;
  if (int status = CheckOutputTarget(args, job)) return status;
  for (const auto &[path, what] : {std::pair{args.files[0], Msg::kWhatRecording},
                                   std::pair{args.files[1], Msg::kWhatData}})
    if (int status = CheckInput(path, what)) return status;
  checker::FileText recording;
  if (!Read(args.files[0], Msg::kWhatRecording, &recording)) return 2;
  std::string text, error;
  if (!merger::ReadMacroText(args.files[0], recording.content, args.templateEncoding, codec::CodePage::kUtf8,
                 &text, &error))
    return Fail(error);
  const std::string keysPath = KeysPath(args);
  checker::FileText keys = checker::ReadFileText(keysPath);
  if (!keys.readable)
    return Fail(keysPath, Say(Msg::kCannotReadKeys, {keys.error}));

  table::Table table;
  table::TableRow first;
  size_t number = 0;  // the row's number in the table
  if (int status = FirstRow(args, &table, &first, &number)) return status;
  merger::LearnOptions options;
  for (const auto &[name, n] : args.at) {
    if (std::find(table.headers.begin(), table.headers.end(), name) == table.headers.end())
      return UsageError(Say(Msg::kAtNoColumn, {name, name}));
    options.at.push_back({name, n});
  }
  options.bracketKey = merger::LookUpKeys(keys, "").bracketKey;
  options.newlineKey = args.newline;
  options.tabKey = args.tab;
  const merger::LearnResult learnt = merger::Learn(text, table.headers, first, options);

  // A dry run shows the template on standard output, the report beside it.
  FILE *report = args.dryRun ? stderr : stdout;
  const size_t placed = ReportLearnt(report, args, table, learnt);
  if (int status = WriteTemplate(args, job, learnt.templateText)) return status;
  const size_t values = learnt.values.size() - Unnamed(learnt);
  os::Write(report, (args.dryRun ? Say(Msg::kLearnDryRun, {args.files[0], placed, values})
                                   : Say(Msg::kLearnWritten, {args.output, placed, values,
                                                              lang::Whole(RestCommand(args, number + 1))})) +
                         "\n");
  fflush(report);
  return learnt.Clean() ? 0 : 1;
}

}  // namespace merge
