// tastiro-merge TEMPLATE DATA: the table is read, merged, checked and
// written a row at a time, so that the memory the merge takes does not grow
// with the table.
#include <stdlib.h>

#include <algorithm>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include "tools/os/console.h"
#include "tools/macro/suggest.h"

#include "tools/cmd/merge/merge_command.h"

namespace merge {

using Msg = messages::MergeMsg;

namespace {

// Whether findings may be coloured: a terminal; on Windows a console whose
// virtual-terminal mode is on or can be turned on (tools/os).
bool IsTerminal(FILE *stream) { return os::TakesColor(stream); }

// Reads the template, the texts and the keys.  0, or the exit status.
int ReadInputs(const Arguments &args, Job &job) {
  for (const auto &[path, what] : {std::pair{args.files[0], Msg::kWhatTemplate},
                                   std::pair{args.before, Msg::kWhatBefore},
                                   std::pair{args.after, Msg::kWhatAfter}})
    if (!path.empty())
      if (int status = CheckInput(path, what)) return status;
  if (int status = CheckInput(args.files[1], Msg::kWhatData)) return status;
  if (!Read(args.files[0], Msg::kWhatTemplate, &job.tpl)) return 2;
  if (!args.before.empty() && !Read(args.before, Msg::kWhatBefore, &job.before)) return 2;
  if (!args.after.empty() && !Read(args.after, Msg::kWhatAfter, &job.after)) return 2;
  std::string error;
  if (!merger::ReadMacroText(args.files[0], job.tpl.content, args.templateEncoding, args.encoding,
                 &job.tplText, &error) ||
      (!args.before.empty() && !merger::ReadMacroText(args.before, job.before.content, args.templateEncoding,
                                          args.encoding, &job.beforeText, &error)) ||
      (!args.after.empty() && !merger::ReadMacroText(args.after, job.after.content, args.templateEncoding,
                                         args.encoding, &job.afterText, &error)))
    return Fail(error);
  const std::string keysPath = KeysPath(args);
  job.keys = checker::ReadFileText(keysPath);
  if (!job.keys.readable)
    return Fail(keysPath, Say(Msg::kCannotReadKeys, {job.keys.error}));
  return 0;
}

bool IsCommand(const std::string &name) {
  for (const std::string &command : macro::kCommandNames)
    if (command == name) return true;
  return false;
}

// A key name given for --newline or --tab.  0, or the exit status.
int CheckKeyOption(const Arguments &args, const char *option, const std::string &name) {
  if (name.empty()) return 0;
  if (IsCommand(name)) return ToolError(Say(Msg::kOptionIsCommand, {option, name, name, option}));
  merger::KeyLookup lookup = merger::LookUpKeys(checker::ReadFileText(KeysPath(args)), name);
  if (!lookup.newlineFound)
    return ToolError(Say(Msg::kOptionNoKey, {option, name, KeysPath(args)}));
  return 0;
}

// The template's pieces, the keys and the merge's settings.  0, or the exit
// status.
int ParseInputs(const Arguments &args, Job &job) {
  merger::TemplateError templateError;
  if (!merger::ParseTemplate(job.tplText, args.encoding, job.table.headers, &job.pieces,
                            &templateError)) {
    macro::SourcePosition at = macro::SourceMap(job.tplText).At(templateError.offset);
    std::string message = templateError.message;
    message += table::GuessedDelimiterNote(job.table, nullptr);
    return Fail(messages::Where(args.files[0], at.line, at.column), message);
  }
  if (int status = CheckKeyOption(args, "--newline", args.newline)) return status;
  if (int status = CheckKeyOption(args, "--tab", args.tab)) return status;
  job.lookup = merger::LookUpKeys(job.keys, args.newline);
  merger::MergeSources &sources = job.sources;
  sources.dataName = args.files[1];
  sources.templateBytes = &job.tplText;
  sources.pieces = &job.pieces;
  sources.before = args.before.empty() ? nullptr : &job.beforeText;
  sources.after = args.after.empty() ? nullptr : &job.afterText;
  sources.headers = &job.table.headers;
  merger::MergeSettings &settings = job.settings;
  settings.encoding = args.encoding;
  settings.bracketKey = job.lookup.bracketKey;
  settings.bracketHint = Say(Msg::kBracketHint, {KeysPath(args), merger::kBracketDefine});
  settings.newlineKey = args.newline;
  settings.tabKey = args.tab;
  settings.strict = args.strict;
  settings.checkEveryRow = args.dryRun;
  return 0;
}

// Hands the merged bytes on to `out` (none: dropped); false on a write error.
bool Drain(std::string &macro, writer::Writer *out, bool all) {
  if (!all && macro.size() < kWritePiece) return true;
  bool ok = out == nullptr || out->Write(macro);
  macro.clear();
  return ok;
}

// A write error of the macro said; the exit status (2).
int OutputFailed(const Arguments &args, const writer::Problem &problem) {
  if (args.output.empty()) return StdoutFailed(problem);
  return WriteFailed(Msg::kCannotWriteMacro, args.output, problem);
}

// Milliseconds as seconds with one decimal ("1.5").
std::string Tenths(uint64_t milliseconds) {
  const uint64_t tenths = (milliseconds + 50) / 100;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

// What a pass over the rows counted.
struct PassResult {
  int status = 0;
  size_t rows = 0;         // data rows in the table
  size_t merged = 0;       // rows merged
  size_t emptyLines = 0;   // one-column rows from empty lines
  std::vector<int> emptyLinesShown;
  size_t nonBreakingSpaces = 0;
  size_t plainPunctuation = 0;
  size_t emptyRows = 0;    // rows with every field empty, not typed
  std::vector<int> emptyRowsShown;
  size_t unnamedCells = 0; // cells with text in columns with no name
  int unnamedCellLine = 0;
  merger::ValueProblems problems;
};

// Counts what the notes say of a row in the chosen range; true for an
// empty row that is not typed (it keeps its number all the same).
bool SkipRow(const Arguments &args, const table::Table &table, const table::TableRow &row,
             PassResult *result) {
  for (size_t i = 0; i < row.fields.size() && table.unnamedCount > 0; ++i)
    if (table.unnamed[i] && !row.fields[i].empty() && result->unnamedCells++ == 0)
      result->unnamedCellLine = row.line;
  if (args.keepEmptyRows || !table::IsEmptyRow(row, table.unnamed)) return false;
  if (result->emptyRowsShown.size() < kWarningsShown) result->emptyRowsShown.push_back(row.line);
  ++result->emptyRows;
  return true;
}

// The one pass over the table, behind its header (the stream keeps
// job.table up to date): every row in the chosen range merged, its bytes
// written to `out` (may be null) and, with `check`, checked.
int MergePass(const Arguments &args, Job &job, table::TableStream &stream, writer::Writer *out,
              merger::StreamCheck *check, PassResult *result) {
  const size_t first = args.firstRow > 0 ? static_cast<size_t>(args.firstRow - 1) : 0;
  const size_t end = args.lastRow > 0 ? static_cast<size_t>(args.lastRow) : SIZE_MAX;
  merger::MergeResult piece;
  merger::RowMerger merger(job.sources, job.settings, &piece);
  merger.Before();
  table::TableRow row;
  table::TableError error;
  size_t index = 0;
  for (; stream.Next(&row, &error); ++index) {
    if (index < first || index >= end || SkipRow(args, job.table, row, result)) continue;
    if (row.emptyLine) {
      if (result->emptyLinesShown.size() < kWarningsShown) result->emptyLinesShown.push_back(row.line);
      ++result->emptyLines;
    }
    merger.Row(row, index);
    ++result->merged;
    // A write error (a full disk) ends the merge at once.
    if (!Drain(piece.macro, out, false)) break;
    if (check != nullptr && piece.checked.size() >= kCheckPiece && merger.CanCut()) {
      check->Check(piece);
      piece.ClearChecked();
    }
  }
  if (out != nullptr && !out->ok()) return OutputFailed(args, out->problem());
  result->rows = index;
  if (!error.message.empty())
    return FailOnTable(args.files[1], error);
  merger.After();
  if (!Drain(piece.macro, out, true)) return OutputFailed(args, out->problem());
  if (check != nullptr && !piece.checked.empty()) check->Check(piece);
  result->problems = merger.problems();
  result->nonBreakingSpaces = merger.nonBreakingSpaces();
  result->plainPunctuation = merger.plainPunctuation();
  if (args.lastRow > 0 && static_cast<size_t>(args.lastRow) > index)
    return ToolError(Say(Msg::kRowsBeyond, {args.files[1], index}));
  if (args.firstRow > 0 && static_cast<size_t>(args.firstRow) > index && index > 0)
    return ToolError(Say(Msg::kRowsBeyond, {args.files[1], index}));
  return 0;
}

// The notes on what a spreadsheet writes and the merge took as it is
// meant: empty rows, columns with no name, office punctuation, quotes
// inside fields.
void ReportSheetShapes(FILE *to, const Arguments &args, const Job &job, const PassResult &pass) {
  const char *data = args.files[1].c_str();
  if (pass.emptyRows > 0) {
    std::string lines;
    for (int line : pass.emptyRowsShown) lines += (lines.empty() ? "" : ", ") + std::to_string(line);
    if (pass.emptyRows > pass.emptyRowsShown.size())
      lines += Say(Msg::kMorePlaces, {pass.emptyRows - pass.emptyRowsShown.size()});
    TellOn(to, Severity::kNote, data, Say(Msg::kEmptyRowsSkipped, {pass.emptyRows, lang::Whole(lines)}));
  }
  if (job.table.unnamedCount > 0) {
    std::string columns;
    for (size_t i = 0; i < job.table.unnamed.size(); ++i)
      if (job.table.unnamed[i]) columns += (columns.empty() ? "" : ", ") + std::to_string(i + 1);
    std::string line = Say(Msg::kUnnamedColumns, {lang::Whole(columns)});
    if (pass.unnamedCells > 0) line += Say(Msg::kUnnamedCells, {pass.unnamedCells, pass.unnamedCellLine});
    TellOn(to, Severity::kNote, data, line);
  }
  if (pass.plainPunctuation > 0)
    TellOn(to, Severity::kNote, data, Say(Msg::kPlainPunctuation, {pass.plainPunctuation}));
  if (job.table.bareQuotes > 0)
    TellOn(to, Severity::kNote, messages::Where(data, job.table.bareQuoteLine),
           Say(Msg::kBareQuotes, {job.table.bareQuotes}));
}

// What the table was read as, when guessed, and an encoding that reads it
// better; the number of warnings (0 or 1).
size_t ReportEncoding(FILE *to, const Arguments &args, const Job &job) {
  const char *data = args.files[1].c_str();
  if (job.table.pageGuessed)
    TellOn(to, Severity::kNote, data, Say(Msg::kDataReadAs, {codec::CodePageName(job.table.page)}));
  if (job.table.doubtLine > 0) {
    const char *read = codec::CodePageName(job.table.page);
    const char *other = codec::CodePageName(job.table.doubtCodePage);
    TellOn(to, Severity::kWarning, messages::Where(data, job.table.doubtLine),
           Say(Msg::kDataInDoubt, {read, other, job.table.doubtWordRead, job.table.doubtWordOther}));
    return 1;
  }
  if (job.table.otherCodePageLine == 0) return 0;
  const char *other = codec::CodePageName(job.table.otherCodePage);
  TellOn(to, Severity::kWarning, messages::Where(data, job.table.otherCodePageLine),
         Say(Msg::kOtherCodePage, {codec::CodePageName(job.table.page), other, other, other}));
  return 1;
}

// The warnings about the data, counted into `warnings`.
void ReportData(FILE *to, const Arguments &args, const Job &job, const PassResult &pass,
                size_t *warnings) {
  const char *data = args.files[1].c_str();
  for (int line : pass.emptyLinesShown) {
    TellOn(to, Severity::kWarning, messages::Where(data, line), Say(Msg::kEmptyLineRow));
    ++*warnings;
  }
  if (pass.emptyLines > pass.emptyLinesShown.size()) {
    TellOn(to, Severity::kWarning, data, Say(Msg::kMoreEmptyLines, {pass.emptyLines - pass.emptyLinesShown.size()}));
    *warnings += pass.emptyLines - pass.emptyLinesShown.size();
  }
  *warnings += ReportEncoding(to, args, job);
  if (pass.nonBreakingSpaces > 0)
    TellOn(to, Severity::kNote, data, Say(Msg::kNonBreakingSpaces, {pass.nonBreakingSpaces}));
  ReportSheetShapes(to, args, job, pass);
  if (pass.rows == 0 || pass.merged == 0) {
    const Msg why = pass.rows == 0       ? Msg::kNoDataRows
                    : pass.emptyRows > 0 ? Msg::kAllRowsEmpty
                                         : Msg::kNoRowsChosen;
    TellOn(to, Severity::kWarning, data, Say(why));
    ++*warnings;
  }
}

}  // namespace

// Reads and parses everything the rows need, the table opened (once) and
// its header read into job.table.  0, or the exit status.
int PrepareJob(const Arguments &args, Job &job, DataInput *data) {
  if (int status = CheckOutputTarget(args, job)) return status;
  if (int status = ReadInputs(args, job)) return status;
  if (int status = OpenData(args, data, &job.table)) return status;
  return ParseInputs(args, job);
}

namespace {

// Where the findings go and how they look.
struct Reporting {
  FILE *to = stdout;
  bool color = false;
  checker::KeyDelay delay;
};

Reporting ChooseReporting(const Arguments &args) {
  Reporting reporting;
  reporting.to = args.output.empty() && !args.dryRun ? stderr : stdout;
  reporting.color = args.color == 1 || (args.color == -1 && IsTerminal(reporting.to) &&
                                        getenv("NO_COLOR") == nullptr);
  reporting.delay = checker::ChooseDelay(args.delay, args.host);
  return reporting;
}

// The names and texts the check's findings point into.
merger::CheckSources SourcesToCheck(const Arguments &args, const Job &job) {
  merger::CheckSources sources;
  sources.outputName = args.output.empty() ? Say(Msg::kStdoutName) : args.output;
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

// The dry run's settings, its head line said.
merger::DryRun StartDryRun(const Arguments &args, const Reporting &reporting,
                          const std::string &outputName) {
  merger::DryRun dryRun;
  if (!args.dryRun) return dryRun;
  dryRun.out = reporting.to;
  dryRun.eachCharacter = args.eachCharacter;
  dryRun.color = reporting.color;
  os::Write(reporting.to, Say(Msg::kDryRunHead, {outputName, reporting.delay.milliseconds,
                                                   reporting.delay.source}) + "\n");
  return dryRun;
}

// Values that cannot be typed: each said (up to a number), then the error.
// Letters that cannot be typed often come from a table read in the wrong
// encoding ("'Ă' has no key" for UTF-8 read as cp1250): that is said first.
int ReportProblems(const Arguments &args, const Job &job, const merger::ValueProblems &problems) {
  ReportEncoding(stderr, args, job);
  for (const std::string &problem : problems.shown)
    TellOn(stderr, Severity::kError, "", problem);
  if (problems.count > problems.shown.size())
    TellOn(stderr, Severity::kError, "", Say(Msg::kMoreValueErrors, {problems.count - problems.shown.size()}));
  return ToolError(Say(Msg::kNothingWritten, {problems.count}));
}

// With no row merged, the data's warning says why the macro is empty: the
// check's own finding about it goes.
void DropEmptyMacroFinding(merger::MergeReport &report) {
  auto &found = report.diagnostics;
  for (auto d = found.begin(); d != found.end();) {
    if (d->id != "empty-macro") {
      ++d;
      continue;
    }
    report.warnings -= d->severity == macro::Severity::kWarning;
    d = found.erase(d);
  }
}

// Every finding, the dry run's figures and the counts.  The exit status the
// findings make.
int ReportAll(const Arguments &args, const Job &job, const PassResult &pass,
              merger::MergeReport &report, const Reporting &reporting) {
  if (pass.merged == 0) DropEmptyMacroFinding(report);
  size_t dataWarnings = 0;
  ReportData(reporting.to, args, job, pass, &dataWarnings);
  merger::PrintReport(reporting.to, report, reporting.color);
  if (args.dryRun)
    os::Write(reporting.to, Say(Msg::kDryRunSummary, {pass.merged, report.keysPosted, report.textsTyped,
                                                        report.commandsRun, report.userActions,
                                                        Tenths(report.leastMilliseconds)}) +
                                  "\n");
  const size_t warnings = report.warnings + dataWarnings;
  if (warnings + report.errors > 0)
    os::Write(reporting.to, Say(Msg::kSummary, {warnings, report.errors}) + "\n");
  fflush(reporting.to);
  return report.errors > 0 ? 2 : warnings > 0 ? 1 : 0;
}

// The merged macro, checked, put in its place: the file renamed into -o's
// place, or the scratch file copied to standard output.  The exit status.
int Deliver(const Arguments &args, writer::Writer &out, int status) {
  writer::Problem problem;
  if (!args.output.empty()) return out.Commit(&problem) ? status : OutputFailed(args, problem);
#if defined(_WIN32)
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  // (To a Windows console as wide text, so that it reads right there too.)
  return out.CopyTo(stdout, &problem) ? status : OutputFailed(args, problem);
}

}  // namespace

// The job read, the rows merged and checked as they are written to a
// temporary file beside -o's target (or to a scratch file for standard
// output), the findings said; the file put in place (or the scratch file
// copied out) only when the check passed.
int Merge(const Arguments &args) {
  Job job;
  DataInput data;
  if (int status = PrepareJob(args, job, &data)) return status;
  writer::Writer out;
  if (!args.dryRun) {
    writer::Problem problem;
    const bool opened = args.output.empty() ? out.OpenScratch(&problem) : out.Open(job.target, &problem);
    if (!opened) return OutputFailed(args, problem);
  }
  const Reporting reporting = ChooseReporting(args);
  const merger::CheckSources checkSources = SourcesToCheck(args, job);
  checker::PlayOptions play;
  play.keyDelay = reporting.delay.milliseconds;
  merger::StreamCheck check(job.keys, checkSources, play,
                           StartDryRun(args, reporting, checkSources.outputName));
  PassResult pass;
  if (int status = MergePass(args, job, *data.stream, args.dryRun ? nullptr : &out, &check, &pass))
    return status;
  if (pass.problems.count > 0) return ReportProblems(args, job, pass.problems);
  merger::MergeReport report = check.Finish();
  const int status = ReportAll(args, job, pass, report, reporting);
  if (args.dryRun || status == 2) return status;
  const int delivered = Deliver(args, out, status);
  // The log beside a macro written to a file, for the rows it holds; one
  // that cannot be made is a warning.
  if (delivered < 2 && pass.merged > 0) {
    const size_t first = args.firstRow > 0 ? static_cast<size_t>(args.firstRow) : 1;
    if (!MakeRunLog(args, first, args.lastRow > 0 ? static_cast<size_t>(args.lastRow) : pass.rows,
                    reporting.to))
      return std::max(delivered, 1);
  }
  return delivered;
}

}  // namespace merge
