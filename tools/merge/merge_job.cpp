// tastiro-merge TEMPLATE DATA: the table is read, merged, checked and
// written a row at a time, so that the memory the merge takes does not grow
// with the table.
#include <stdlib.h>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include <filesystem>
#include <system_error>

#include "tools/lang/console.h"
#include "tools/macro/suggest.h"

#include "tools/merge/merge_command.h"

namespace merge_command {

namespace {

// Whether findings may be coloured: a terminal; on Windows a console whose
// virtual-terminal mode is on or can be turned on (tools/lang).
bool IsTerminal(FILE *stream) { return lang::TakesColor(stream); }

// The table is read once for the header and once for the merge: a pipe or
// a device would give its rows to the first reading only, and the next
// open would wait for ever.  Such a table is refused before any work.
int CheckDataInput(const std::string &path) {
  if (int status = CheckInput(path, msg::kWhatData)) return status;
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
    return Fail(Format(msg::kDataNotAFile, path.c_str()));
  return 0;
}

// Reads the template, the texts and the keys.  0, or the exit status.
int ReadInputs(const Arguments &args, Job &job) {
  for (const auto &[path, what] : {std::pair{args.files[0], msg::kWhatTemplate},
                                   std::pair{args.before, msg::kWhatBefore},
                                   std::pair{args.after, msg::kWhatAfter}})
    if (!path.empty())
      if (int status = CheckInput(path, what)) return status;
  if (int status = CheckDataInput(args.files[1])) return status;
  if (!Read(args.files[0], msg::kWhatTemplate, &job.tpl)) return 2;
  if (!args.before.empty() && !Read(args.before, msg::kWhatBefore, &job.before)) return 2;
  if (!args.after.empty() && !Read(args.after, msg::kWhatAfter, &job.after)) return 2;
  std::string error;
  if (!merge::ReadMacroText(args.files[0], job.tpl.content, args.templateEncoding, args.encoding,
                 &job.tplText, &error) ||
      (!args.before.empty() && !merge::ReadMacroText(args.before, job.before.content, args.templateEncoding,
                                          args.encoding, &job.beforeText, &error)) ||
      (!args.after.empty() && !merge::ReadMacroText(args.after, job.after.content, args.templateEncoding,
                                         args.encoding, &job.afterText, &error)))
    return Fail(error);
  const std::string keysPath = KeysPath(args);
  job.keys = check::ReadFileText(keysPath);
  if (!job.keys.readable)
    return Fail(Format(msg::kCannotReadKeys, keysPath.c_str(), job.keys.error.c_str()));
  return 0;
}

bool IsCommand(const std::string &name) {
  for (const std::string &command : check::kCommandNames)
    if (command == name) return true;
  return false;
}

// A key name given for --newline or --tab.  0, or the exit status.
int CheckKeyOption(const Arguments &args, const char *option, const std::string &name) {
  if (name.empty()) return 0;
  if (IsCommand(name)) return ToolError(Format(msg::kOptionIsCommand, option, name.c_str(), name.c_str(), option));
  merge::KeyLookup lookup = merge::LookUpKeys(check::ReadFileText(KeysPath(args)), name);
  if (!lookup.newlineFound)
    return ToolError(Format(msg::kOptionNoKey, option, name.c_str(), KeysPath(args).c_str()));
  return 0;
}

// The template's pieces, the keys and the merge's settings.  0, or the exit
// status.
int ParseInputs(const Arguments &args, Job &job) {
  merge::TemplateError templateError;
  if (!merge::ParseTemplate(job.tplText, args.encoding, job.table.headers, &job.pieces,
                            &templateError)) {
    check::SourcePosition at = check::SourceMap(job.tplText).At(templateError.offset);
    std::string message = templateError.message;
    if (job.table.delimiterGuessed)
      message += Format(msg::kGuessedDelimiter, job.table.delimiter == '\t' ? msg::kDelimiterTab
                                                : job.table.delimiter == ',' ? msg::kDelimiterComma
                                                                             : msg::kDelimiterSemicolon);
    return Fail(Format(msg::kPlaceError, args.files[0].c_str(), at.line, at.column, message.c_str()));
  }
  if (int status = CheckKeyOption(args, "--newline", args.newline)) return status;
  if (int status = CheckKeyOption(args, "--tab", args.tab)) return status;
  job.lookup = merge::LookUpKeys(job.keys, args.newline);
  merge::MergeSources &sources = job.sources;
  sources.dataName = args.files[1];
  sources.templateBytes = &job.tplText;
  sources.pieces = &job.pieces;
  sources.before = args.before.empty() ? nullptr : &job.beforeText;
  sources.after = args.after.empty() ? nullptr : &job.afterText;
  sources.headers = &job.table.headers;
  merge::MergeSettings &settings = job.settings;
  settings.encoding = args.encoding;
  settings.bracketKey = job.lookup.bracketKey;
  settings.bracketHint = Format(msg::kBracketHint, KeysPath(args).c_str(), merge::kBracketDefine);
  settings.newlineKey = args.newline;
  settings.tabKey = args.tab;
  settings.strict = args.strict;
  settings.checkEveryRow = args.dryRun;
  return 0;
}

// Hands the merged bytes on to `out` (none: dropped); false on a write error.
bool Drain(std::string &macro, output::Writer *out, bool all) {
  if (!all && macro.size() < kWritePiece) return true;
  bool ok = out == nullptr || out->Write(macro);
  macro.clear();
  return ok;
}

// A write error of the macro said; the exit status (2).
int OutputFailed(const Arguments &args, const output::Problem &problem) {
  if (args.output.empty()) return ToolError(Format(msg::kCannotWriteStdout, WriteProblem(problem).c_str()));
  return WriteFailed(msg::kCannotWrite, args.output, problem);
}

// What a pass over the rows counted.
struct PassResult {
  int status = 0;
  size_t rows = 0;         // data rows in the table
  size_t merged = 0;       // rows merged
  size_t emptyLines = 0;   // one-column rows from empty lines
  std::vector<int> emptyLinesShown;
  size_t nonBreakingSpaces = 0;
  merge::ValueProblems problems;
};

// One pass over the table: every row in the chosen range merged, its
// bytes written to `out` (may be null) and, with `check`, checked.
int MergePass(const Arguments &args, Job &job, output::Writer *out, merge::StreamCheck *check,
              PassResult *result) {
  FILE *dataFile = nullptr;
  std::unique_ptr<merge::FileSource> source;
  std::unique_ptr<merge::TableStream> stream;
  merge::Table table;
  int status = OpenData(args, &dataFile, &source, &stream, &table);
  if (status != 0) {
    if (dataFile != nullptr) fclose(dataFile);
    return status;
  }
  const size_t first = args.firstRow > 0 ? static_cast<size_t>(args.firstRow - 1) : 0;
  const size_t end = args.lastRow > 0 ? static_cast<size_t>(args.lastRow) : SIZE_MAX;
  merge::MergeResult piece;
  merge::RowMerger merger(job.sources, job.settings, &piece);
  merger.Before();
  merge::TableRow row;
  merge::TableError error;
  size_t index = 0;
  for (; stream->Next(&row, &error); ++index) {
    if (row.emptyLine) {
      if (result->emptyLinesShown.size() < kWarningsShown) result->emptyLinesShown.push_back(row.line);
      ++result->emptyLines;
    }
    if (index < first || index >= end) continue;
    merger.Row(row, index);
    ++result->merged;
    // A write error (a full disk) ends the merge at once.
    if (!Drain(piece.macro, out, false)) break;
    if (check != nullptr && piece.checked.size() >= kCheckPiece && merger.CanCut()) {
      check->Check(piece);
      piece.ClearChecked();
    }
  }
  fclose(dataFile);
  if (out != nullptr && !out->ok()) return OutputFailed(args, out->problem());
  result->rows = index;
  if (!error.message.empty())
    return Fail(Format(msg::kFileError, args.files[1].c_str(),
                       error.line > 0 ? (":" + std::to_string(error.line)).c_str() : "",
                       error.message.c_str()));
  job.table.otherCodePageLine = table.otherCodePageLine;
  job.table.otherCodePage = table.otherCodePage;
  merger.After();
  if (!Drain(piece.macro, out, true)) return OutputFailed(args, out->problem());
  if (check != nullptr && !piece.checked.empty()) check->Check(piece);
  result->problems = merger.problems();
  result->nonBreakingSpaces = merger.nonBreakingSpaces();
  if (args.lastRow > 0 && static_cast<size_t>(args.lastRow) > index)
    return ToolError(Format(msg::kRowsBeyond, args.files[1].c_str(), index));
  if (args.firstRow > 0 && static_cast<size_t>(args.firstRow) > index && index > 0)
    return ToolError(Format(msg::kRowsBeyond, args.files[1].c_str(), index));
  return 0;
}

// The warnings about the data, counted into `warnings`.
void ReportData(FILE *to, const Arguments &args, const Job &job, const PassResult &pass,
                size_t *warnings) {
  const char *data = args.files[1].c_str();
  for (int line : pass.emptyLinesShown) {
    lang::Write(to, Format(msg::kEmptyLineRow, data, line) + "\n");
    ++*warnings;
  }
  if (pass.emptyLines > pass.emptyLinesShown.size()) {
    lang::Write(to, Format(msg::kMoreEmptyLines, data, pass.emptyLines - pass.emptyLinesShown.size()) + "\n");
    *warnings += pass.emptyLines - pass.emptyLinesShown.size();
  }
  if (job.table.otherCodePageLine > 0) {
    const char *other = codec::CodePageName(job.table.otherCodePage);
    lang::Write(to, Format(msg::kOtherCodePage, data, job.table.otherCodePageLine,
                               codec::CodePageName(args.dataEncoding), other, other,
                               other) + "\n");
    ++*warnings;
  }
  if (pass.nonBreakingSpaces > 0)
    lang::Write(to, Format(msg::kNonBreakingSpaces, data, pass.nonBreakingSpaces) + "\n");
  if (pass.rows == 0 || pass.merged == 0) {
    lang::Write(to, Format(pass.rows == 0 ? msg::kNoDataRows : msg::kNoRowsChosen, data) + "\n");
    ++*warnings;
  }
}

// The check's findings and the data's warnings, said; the exit status they
// give (2 when the check found errors).
int ReportMerge(const Arguments &args, const Job &job, const PassResult &pass, merge::StreamCheck &check,
                FILE *reportTo, bool color) {
  merge::MergeReport report = check.Finish();
  if (pass.merged == 0) {
    // The data's warning says why the macro is empty.
    auto &found = report.diagnostics;
    for (auto d = found.begin(); d != found.end();) {
      if (d->id != "empty-macro") {
        ++d;
        continue;
      }
      report.warnings -= d->severity == check::Severity::kWarning;
      d = found.erase(d);
    }
  }
  size_t dataWarnings = 0;
  ReportData(reportTo, args, job, pass, &dataWarnings);
  merge::PrintReport(reportTo, report, color);
  if (args.dryRun)
    lang::Write(reportTo, Format(msg::kDryRunSummary, pass.merged, report.keysPosted,
                                 report.textsTyped, report.commandsRun, report.userActions,
                                 static_cast<double>(report.leastMilliseconds) / 1000) +
                              "\n");
  const size_t warnings = report.warnings + dataWarnings;
  if (warnings + report.errors > 0)
    lang::Write(reportTo, Format(msg::kSummary, warnings, warnings == 1 ? "" : "s",
                                     report.errors, report.errors == 1 ? "" : "s") + "\n");
  fflush(reportTo);
  return report.errors > 0 ? 2 : warnings > 0 ? 1 : 0;
}

// What the check names and reads: the output, the template, the texts.
merge::CheckSources SourcesOfCheck(const Arguments &args, const Job &job) {
  merge::CheckSources sources;
  sources.outputName = args.output.empty() ? msg::kStdoutName : args.output;
  sources.templateName = args.files[0];
  sources.templateBytes = &job.tplText;
  sources.beforeName = args.before;
  sources.before = job.sources.before;
  sources.afterName = args.after;
  sources.after = job.sources.after;
  sources.dataName = args.files[1];
  sources.headers = &job.table.headers;
  sources.encoding = args.encoding;
  return sources;
}

// The merged macro, checked, put in its place: the file renamed into -o's
// place, or the scratch file copied to standard output.  The exit status.
int Deliver(const Arguments &args, output::Writer &out, int status) {
  output::Problem problem;
  if (!args.output.empty()) return out.Commit(&problem) ? status : OutputFailed(args, problem);
#if defined(_WIN32)
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  // (To a Windows console as wide text, so that it reads right there too.)
  return out.CopyTo(stdout, &problem) ? status : OutputFailed(args, problem);
}

}  // namespace

int PrepareMerge(const Arguments &args, Job &job) {
  if (int status = CheckOutputTarget(args, job)) return status;
  if (int status = ReadInputs(args, job)) return status;
  {
    FILE *file = nullptr;
    std::unique_ptr<merge::FileSource> source;
    std::unique_ptr<merge::TableStream> stream;
    int status = OpenData(args, &file, &source, &stream, &job.table);
    if (file != nullptr) fclose(file);
    if (status != 0) return status;
  }
  return ParseInputs(args, job);
}

int Merge(const Arguments &args) {
  Job job;
  if (int status = PrepareMerge(args, job)) return status;

  // The macro goes to a temporary file beside -o's target, or to a scratch
  // file for standard output, copied out once the check has passed.
  output::Writer out;
  if (!args.dryRun) {
    output::Problem problem;
    const bool opened = args.output.empty() ? out.OpenScratch(&problem) : out.Open(job.target, &problem);
    if (!opened) return OutputFailed(args, problem);
  }
  FILE *reportTo = args.output.empty() && !args.dryRun ? stderr : stdout;
  const bool color = args.color == 1 || (args.color == -1 && IsTerminal(reportTo) &&
                                         getenv("NO_COLOR") == nullptr);
  const check::KeyDelay delay = ChooseDelay(args);
  const merge::CheckSources checkSources = SourcesOfCheck(args, job);
  check::PlayOptions play;
  play.keyDelay = delay.milliseconds;
  merge::DryRun dryRun;
  if (args.dryRun) {
    dryRun.out = reportTo;
    dryRun.eachCharacter = args.eachCharacter;
    dryRun.color = color;
    lang::Write(reportTo, Format(msg::kDryRunHead, checkSources.outputName.c_str(),
                                     static_cast<unsigned>(delay.milliseconds),
                                     delay.source.c_str()) + "\n");
  }
  merge::StreamCheck check(job.keys, checkSources, play, dryRun);
  PassResult pass;
  if (int status = MergePass(args, job, args.dryRun ? nullptr : &out, &check, &pass))
    return status;
  if (pass.problems.count > 0) {
    for (const std::string &problem : pass.problems.shown)
      lang::Write(stderr, Format(msg::kValueError, problem.c_str()) + "\n");
    if (pass.problems.count > pass.problems.shown.size())
      lang::Write(stderr, Format(msg::kMoreValueErrors, pass.problems.count - pass.problems.shown.size()) + "\n");
    return ToolError(Format(msg::kNothingWritten, pass.problems.count));
  }
  const int status = ReportMerge(args, job, pass, check, reportTo, color);
  if (args.dryRun || status == 2) return status;
  const int delivered = Deliver(args, out, status);
  if (delivered < 2 && pass.merged > 0) {
    const size_t first = args.firstRow > 0 ? static_cast<size_t>(args.firstRow) : 1;
    MakeRunLog(args, first, args.lastRow > 0 ? static_cast<size_t>(args.lastRow) : pass.rows,
               reportTo);
  }
  return delivered;
}

}  // namespace merge_command
