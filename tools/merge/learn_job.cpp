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
        line = Format(msg::kLearnPlaced, recording, v.placedAt.line, v.placedAt.column, column,
                      shown.c_str());
        break;
      case merge::LearnOutcome::kAmbiguous:
        line = Format(msg::kLearnAmbiguous, recording, shown.c_str(), column, v.places.size(),
                      places.c_str(), column, v.places.size());
        break;
      case merge::LearnOutcome::kMissing:
      case merge::LearnOutcome::kInsideWord:
        line = Format(v.outcome == merge::LearnOutcome::kMissing ? msg::kLearnMissing
                                                                 : msg::kLearnInsideWord,
                      recording, shown.c_str(), column);
        break;
      case merge::LearnOutcome::kEmpty:
        line = Format(msg::kLearnEmpty, recording, column);
        break;
      case merge::LearnOutcome::kAtTooFar: {
        size_t n = 0;
        for (const auto &[name, at] : args.at)
          if (name == table.headers[v.column]) n = at;
        line = Format(msg::kLearnAtTooFar, recording, column, n, shown.c_str(), v.places.size());
        break;
      }
      case merge::LearnOutcome::kBadName:
        line = Format(msg::kLearnBadName, recording, column);
        break;
    }
    lang::Write(to, line + "\n");
  }
  return placed;
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
    return Fail(Format(msg::kFileError, args.files[1].c_str(),
                       (":" + std::to_string(tableError.line)).c_str(), tableError.message.c_str()));
  if (!haveRow) return Fail(Format(msg::kLearnNoRow, args.files[1].c_str()));
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

  const size_t placed = ReportLearnt(stdout, args, table, learnt);
  output::Writer writer;
  output::Problem problem;
  if (!writer.Open(job.target, &problem) || !writer.Write(learnt.templateText) || !writer.Commit(&problem))
    return WriteFailed(msg::kCannotWriteTemplate, args.output,
                       writer.ok() ? problem : writer.problem());
  lang::Write(stdout, Format(msg::kLearnWritten, args.output.c_str(), placed,
                        learnt.values.size()) + "\n");
  fflush(stdout);
  return learnt.Clean() ? 0 : 1;
}

}  // namespace merge_command
