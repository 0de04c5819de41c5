// tastiro-merge --learn RECORDING DATA -o TEMPLATE: a template learnt from
// a recording in which the table's first data row was typed by hand.
#include <algorithm>

#include "tools/lang/console.h"
#include "tools/macro/text_util.h"
#include "tools/merging/learn.h"

#include "tools/merge/merge_command.h"

namespace merge_command {

namespace {

size_t Unnamed(const merge::LearnResult &learnt) {
  size_t n = 0;
  for (const merge::LearnedValue &v : learnt.values) n += v.outcome == merge::LearnOutcome::kUnnamed;
  return n;
}

// "2:5, 3:1" and, beyond the places shown, how many more.
std::string PlaceList(const std::vector<check::SourcePosition> &places, size_t count) {
  std::string list;
  for (size_t i = 0; i < places.size(); ++i)
    list += (i ? ", " : "") + std::to_string(places[i].line) + ":" +
            std::to_string(places[i].column);
  if (count > places.size()) list += Format(msg::kMorePlaces, count - places.size());
  return list;
}

// What the learn found for one value, as a line of the report.
std::string LearntLine(const Arguments &args, const merge::Table &table,
                       const merge::LearnedValue &v) {
  const char *recording = args.files[0].c_str();
  const char *column = table.headers[v.column].c_str();
  const std::string shown = check::Visible(v.value);
  switch (v.outcome) {
    case merge::LearnOutcome::kPlaced:
      return Format(v.corrected ? msg::kLearnCorrected : msg::kLearnPlaced, recording,
                    v.placedAt.line, v.placedAt.column, column, shown.c_str());
    case merge::LearnOutcome::kAmbiguous:
      return Format(msg::kLearnAmbiguous, recording, shown.c_str(), column, v.placeCount,
                    PlaceList(v.places, v.placeCount).c_str(), column, v.placeCount);
    case merge::LearnOutcome::kNear:
      return Format(msg::kLearnNear, recording, shown.c_str(), column,
                    PlaceList(v.nearPlaces, v.nearCount).c_str(), column);
    case merge::LearnOutcome::kMissing:
      if (v.nearestAt.line > 0)
        return Format(msg::kLearnNearest, recording, v.nearestAt.line, v.nearestAt.column,
                      shown.c_str(), column, check::Visible(v.nearest).c_str());
      return Format(msg::kLearnMissing, recording, shown.c_str(), column);
    case merge::LearnOutcome::kInsideWord:
      return Format(msg::kLearnInsideWord, recording, shown.c_str(), column);
    case merge::LearnOutcome::kEmpty:
      return Format(msg::kLearnEmpty, recording, column);
    case merge::LearnOutcome::kAtTooFar: {
      size_t n = 0;
      for (const auto &[name, at] : args.at)
        if (name == table.headers[v.column]) n = at;
      return Format(msg::kLearnAtTooFar, recording, column, n, shown.c_str(), v.placeCount);
    }
    case merge::LearnOutcome::kBadName:
      return Format(msg::kLearnBadName, recording, column);
    case merge::LearnOutcome::kUnnamed:
      break;
  }
  return std::string();
}

// Prints what the learn found for each value, in the recording's order;
// the number placed.
size_t ReportLearnt(FILE *to, const Arguments &args, const merge::Table &table,
                    const merge::LearnResult &learnt) {
  size_t placed = 0;
  for (const merge::LearnedValue &v : learnt.values) {
    placed += v.outcome == merge::LearnOutcome::kPlaced;
    const std::string line = LearntLine(args, table, v);
    if (!line.empty()) lang::Write(to, line + "\n");
  }
  return placed;
}

// The table's first data row that is not empty, which the recording
// typed.  0, or the exit status.
int FirstRow(const Arguments &args, merge::Table *table, merge::TableRow *first, size_t *number) {
  FILE *file = nullptr;
  std::unique_ptr<merge::FileSource> source;
  std::unique_ptr<merge::TableStream> stream;
  int status = OpenData(args, &file, &source, &stream, table);
  merge::TableError error;
  bool haveRow = false;
  *number = 0;
  while (status == 0 && (haveRow = stream->Next(first, &error)) && (++*number, true) &&
         merge::IsEmptyRow(*first, table->unnamed))
    haveRow = false;
  if (file != nullptr) fclose(file);
  if (status != 0) return status;
  if (!error.message.empty())
    return Fail(Format(msg::kFileError, args.files[1].c_str(),
                       (":" + std::to_string(error.line)).c_str(), error.message.c_str()));
  if (!haveRow) return Fail(Format(msg::kLearnNoRow, args.files[1].c_str()));
  return 0;
}

// Writes the template (or, for a dry run, shows it).  0, or the exit status.
int WriteTemplate(const Arguments &args, Job &job, const std::string &text) {
  if (args.dryRun) {
    if (!lang::Write(stdout, text) || fflush(stdout) != 0) return ToolError(msg::kCannotWriteStdout);
    return 0;
  }
  merge::TemporaryOutput temporary;
  std::string error;
  if (!temporary.Open(job.target, &error) ||
      fwrite(text.data(), 1, text.size(), temporary.file()) != text.size() ||
      !temporary.Commit(&error))
    return Fail(Format(msg::kCannotWriteTemplate, args.output.c_str(), error.c_str()));
  return 0;
}

}  // namespace

// --learn RECORDING DATA -o TEMPLATE.  The exit status.
int LearnTemplate(const Arguments &args) {
  Job job;
  if (int status = CheckOutputTarget(args, job)) return status;
  for (const auto &[path, what] : {std::pair{args.files[0], msg::kWhatRecording},
                                   std::pair{args.files[1], msg::kWhatData}})
    if (int status = CheckInput(path, what)) return status;
  check::FileText recording;
  if (!Read(args.files[0], msg::kWhatRecording, &recording)) return 2;
  std::string text, error;
  if (!merge::ReadMacroText(args.files[0], recording.content, args.templateEncoding, codec::CodePage::kUtf8,
                 &text, &error))
    return Fail(error);
  const std::string keysPath = KeysPath(args);
  check::FileText keys = check::ReadFileText(keysPath);
  if (!keys.readable)
    return Fail(Format(msg::kCannotReadKeys, keysPath.c_str(), keys.error.c_str()));

  merge::Table table;
  merge::TableRow first;
  size_t number = 0;  // the row's number in the table
  if (int status = FirstRow(args, &table, &first, &number)) return status;
  merge::LearnOptions options;
  for (const auto &[name, n] : args.at) {
    if (std::find(table.headers.begin(), table.headers.end(), name) == table.headers.end())
      return UsageError(Format(msg::kAtNoColumn, name.c_str(), name.c_str()));
    options.at.push_back({name, n});
  }
  options.bracketKey = merge::LookUpKeys(keys, "").bracketKey;
  options.newlineKey = args.newline;
  options.tabKey = args.tab;
  const merge::LearnResult learnt = merge::Learn(text, table.headers, first, options);

  // A dry run shows the template on standard output, the report beside it.
  FILE *report = args.dryRun ? stderr : stdout;
  const size_t placed = ReportLearnt(report, args, table, learnt);
  if (int status = WriteTemplate(args, job, learnt.templateText)) return status;
  const size_t values = learnt.values.size() - Unnamed(learnt);
  lang::Write(report, (args.dryRun ? Format(msg::kLearnDryRun, args.files[0].c_str(), placed, values)
                                   : Format(msg::kLearnWritten, args.output.c_str(), placed, values,
                                            number + 1)) + "\n");
  fflush(report);
  return learnt.Clean() ? 0 : 1;
}

}  // namespace merge_command
