// tastiro-merge: one macro from a template and a table of data.
//
//   tastiro-merge [options] TEMPLATE DATA
//
// The table is read, merged, checked and written a row at a time, so that
// the memory the merge takes does not grow with the table.
//
// Exit status: 0 written and clean, 1 written with warnings, 2 nothing
// written.
#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "tools/check/checker.h"
#include "tools/check/encoding.h"
#include "tools/check/key_file_check.h"
#include "tools/check/suggest.h"
#include "tools/check/text_util.h"
#include "tools/codec/code_pages.h"
#include "tools/codec/text_guess.h"
#include "tools/lang/console.h"
#include "tools/merge/learn.h"
#include "tools/merge/merge_check.h"
#include "tools/merge/merger.h"
#include "tools/merge/messages.h"
#include "tools/merge/output_file.h"
#include "tools/merge/table_reader.h"
#include "tools/merge/template.h"

namespace {

using merge::Format;
namespace msg = merge::msg;

// The merged macro is handed on in pieces of about this size, and the
// checked text played in pieces of about this size.
constexpr size_t kWritePiece = 64 * 1024;
constexpr size_t kCheckPiece = 256 * 1024;
constexpr size_t kWarningsShown = 20;

struct Arguments {
  std::vector<std::string> files;
  bool outputGiven = false;
  std::string output;  // empty: standard output
  bool force = false;
  std::string host;
  std::string keys;
  std::string before, after;
  char delimiter = 0;
  codec::CodePage dataEncoding = codec::CodePage::kUtf8;
  codec::CodePage templateEncoding = codec::CodePage::kUtf8;
  codec::CodePage encoding = codec::CodePage::kUtf8;
  std::string newline, tab;
  bool strict = false;
  long firstRow = 0, lastRow = 0;  // 0: all; lastRow -1: to the end
  bool dryRun = false;
  bool eachCharacter = false;
  long delay = -1;
  int color = -1;
  bool learn = false;
  std::vector<std::pair<std::string, size_t>> at;  // --at Column=N
};

int UsageError(const std::string &message) {
  lang::Write(stderr, Format(msg::kUsageError, message.c_str(), msg::kUsage));
  return 2;
}

int Fail(const std::string &message) {
  lang::Write(stderr, message + "\n");
  return 2;
}

int ToolError(const std::string &message) {
  return Fail(Format(msg::kToolError, message.c_str()));
}

bool ParseRows(const std::string &text, long *first, long *last) {
  char *end = nullptr;
  *first = strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *first < 1) return false;
  if (*end == 0) {
    *last = *first;
    return true;
  }
  if (*end != '-') return false;
  const char *second = end + 1;
  if (*second == 0) {
    *last = -1;  // "2-": to the end
    return true;
  }
  *last = strtol(second, &end, 10);
  return end != second && *end == 0 && *last >= *first;
}

bool TakesValue(const std::string &arg) {
  static const char *const kWithValue[] = {
      "-o", "--output", "--keys", "--host", "--before", "--after", "--delimiter",
      "--data-encoding", "--template-encoding", "--encoding", "--newline", "--tab", "--rows",
      "--delay", "--at", "--lang"};
  for (const char *option : kWithValue)
    if (arg == option) return true;
  return false;
}

// An option with its value; "" when taken, else what is wrong.
std::string TakeOption(const std::string &arg, const char *v, Arguments *args) {
  if (arg == "-o" || arg == "--output") {
    args->outputGiven = true;
    if (*v == 0) return msg::kEmptyOutput;
    args->output = strcmp(v, "-") == 0 ? std::string() : v;
  } else if (arg == "--keys") {
    args->keys = v;
  } else if (arg == "--host") {
    args->host = v;
  } else if (arg == "--before") {
    args->before = v;
  } else if (arg == "--after") {
    args->after = v;
  } else if (arg == "--newline") {
    args->newline = v;
  } else if (arg == "--tab") {
    args->tab = v;
  } else if (arg == "--at") {
    std::string text = v;
    size_t equals = text.rfind('=');
    char *end = nullptr;
    long n = equals == std::string::npos ? 0 : strtol(text.c_str() + equals + 1, &end, 10);
    if (equals == std::string::npos || equals == 0 || n < 1 || *end != 0)
      return msg::kBadAt;
    args->at.push_back({text.substr(0, equals), static_cast<size_t>(n)});
  } else if (arg == "--delimiter") {
    std::string d = v;
    if (d == ";" || d == ",") args->delimiter = d[0];
    else if (d == "tab" || d == "\t") args->delimiter = '\t';
    else return msg::kBadDelimiter;
  } else if (arg == "--data-encoding") {
    if (!codec::CodePageByName(v, &args->dataEncoding) ||
        args->dataEncoding == codec::CodePage::kMazovia)
      return msg::kBadDataEncoding;
  } else if (arg == "--template-encoding") {
    if (!codec::CodePageByName(v, &args->templateEncoding)) return msg::kBadTemplateEncoding;
  } else if (arg == "--encoding") {
    if (!codec::CodePageByName(v, &args->encoding)) return msg::kBadEncoding;
    if (args->encoding == codec::CodePage::kCp852 || args->encoding == codec::CodePage::kCp1250)
      {
      const char *name = codec::CodePageName(args->encoding);
      return Format(msg::kRefusedEncoding, name, name, name);
    }
  } else if (arg == "--rows") {
    if (!ParseRows(v, &args->firstRow, &args->lastRow)) return msg::kBadRows;
  } else if (arg == "--lang") {
    lang::Language language;
    if (!lang::ByName(v, &language)) return msg::kBadLang;
  } else if (arg == "--delay") {
    char *end = nullptr;
    args->delay = strtol(v, &end, 10);
    if (*v == 0 || *end != 0 || args->delay < 0 || args->delay > 65535) return msg::kBadDelay;
  }
  return std::string();
}

// Parses the command line; a nonzero result is the exit status.
int ParseArguments(int argc, char **argv, Arguments *args) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      lang::Write(stdout, msg::kUsage);
      return -1;
    } else if (arg == "--dry-run" || arg == "--characters") {
      args->dryRun = true;
      args->eachCharacter = args->eachCharacter || arg == "--characters";
    } else if (arg == "--force") {
      args->force = true;
    } else if (arg == "--strict") {
      args->strict = true;
    } else if (arg == "--learn") {
      args->learn = true;
    } else if (arg == "--color" || arg == "--no-color") {
      args->color = arg == "--color";
    } else if (TakesValue(arg)) {
      if (i + 1 >= argc) return UsageError(Format(msg::kNeedsValue, arg.c_str()));
      std::string error = TakeOption(arg, argv[++i], args);
      if (!error.empty()) return UsageError(error);
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError(Format(msg::kUnknownOption, arg.c_str()));
    } else {
      args->files.push_back(arg);
    }
  }
  if (args->learn) {
    if (args->files.size() != 2) return UsageError(msg::kLearnNeedsFiles);
    if (!args->outputGiven || args->output.empty()) return UsageError(msg::kLearnNeedsOutput);
  } else if (args->files.size() != 2) {
    return UsageError(msg::kNeedsFiles);
  }
  return 0;
}

std::string InHostFolder(const Arguments &args, const char *relative) {
  if (args.host.empty()) return relative;
  char last = args.host.back();
  return args.host + (last == '/' || last == '\\' ? "" : "/") + relative;
}

std::string KeysPath(const Arguments &args) {
  return args.keys.empty() ? InHostFolder(args, check::KeyFileInHostFolder().c_str()) : args.keys;
}

// True when `output` is the same file as `input`.
bool SameFile(const std::string &output, const std::string &input) {
  std::error_code error;
  return !input.empty() && std::filesystem::equivalent(output, input, error) && !error;
}

// Whether findings may be coloured: a terminal; on Windows a console whose
// virtual-terminal mode is on or can be turned on (tools/lang).
bool IsTerminal(FILE *stream) { return lang::TakesColor(stream); }

// A folder or a missing file named as an input is said plainly.  0, or the
// exit status.
int CheckInput(const std::string &path, const char *what) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error))
    return Fail(Format(msg::kInputFolder, path.c_str(), what));
  return 0;
}

// The table is read once for the header, once for the merge and, when the
// macro goes to standard output, once more after the check: a pipe or a
// device would give its rows to the first reading only, and the next open
// would wait for ever.  Such a table is refused before any work.
int CheckDataInput(const std::string &path) {
  if (int status = CheckInput(path, msg::kWhatData)) return status;
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
    return Fail(Format(msg::kDataNotAFile, path.c_str()));
  return 0;
}

// Reads an input file whole, or explains why it cannot.
bool Read(const std::string &path, const char *what, check::FileText *file) {
  *file = check::ReadFileText(path);
  if (file->readable) return true;
  lang::Write(stderr, Format(msg::kCannotRead, path.c_str(), what, file->error.c_str()) + "\n");
  return false;
}

// Everything read and parsed before the rows.
struct Job {
  check::FileText tpl, before, after, keys;
  std::string tplText, beforeText, afterText;  // in the macro's encoding
  merge::Table table;
  std::vector<merge::TemplatePiece> pieces;
  merge::KeyLookup lookup;
  merge::MergeSources sources;
  merge::MergeSettings settings;
  merge::OutputTarget target;
};

// Never write over an input, into a folder, a pipe or a device, nor over a
// file the user did not give up.  0, or the exit status.
int CheckOutputTarget(const Arguments &args, Job &job) {
  if (args.output.empty() || args.dryRun) return 0;
  for (const std::string &input :
       {args.files[0], args.files[1], args.before, args.after, KeysPath(args)})
    if (SameFile(args.output, input))
      return ToolError(Format(msg::kOutputIsInput, args.output.c_str(), input.c_str()));
  std::string error;
  if (!merge::CheckOutput(args.output, args.force, &job.target, &error)) return ToolError(error);
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

// Opens the data and reads its header.  0, or the exit status.
int OpenData(const Arguments &args, FILE **file, std::unique_ptr<text::FileSource> *source,
             std::unique_ptr<merge::TableStream> *stream, merge::Table *table) {
  const std::string &dataPath = args.files[1];
  *file = nullptr;
  source->reset(new text::FileSource());
  int openError = 0;
  if (!(*source)->Open(dataPath, &openError))
    return Fail(Format(msg::kCannotRead, dataPath.c_str(), msg::kWhatData, strerror(openError)));
  merge::TableOptions options;
  options.delimiter = args.delimiter;
  options.encoding = args.dataEncoding;
  stream->reset(new merge::TableStream(**source, options));
  merge::TableError error;
  if (!(*stream)->ReadHeader(table, &error))
    return Fail(Format(msg::kFileError, dataPath.c_str(),
                       error.line > 0 ? (":" + std::to_string(error.line)).c_str() : "",
                       error.message.c_str()));
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
bool Drain(std::string &macro, FILE *out, bool all) {
  if (!all && macro.size() < kWritePiece) return true;
  // (To a Windows console as wide text, so that it reads right there too.)
  bool ok = out == nullptr || lang::Write(out, macro);
  macro.clear();
  return ok;
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
  bool writeFailed = false;
};

// One pass over the table: every row in the chosen range merged, its
// bytes written to `out` (may be null) and, with `check`, checked.
int MergePass(const Arguments &args, Job &job, FILE *out, merge::StreamCheck *check,
              PassResult *result) {
  FILE *dataFile = nullptr;
  std::unique_ptr<text::FileSource> source;
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
    if (!Drain(piece.macro, out, false)) result->writeFailed = true;
    if (check != nullptr && piece.checked.size() >= kCheckPiece && merger.CanCut()) {
      check->Check(piece);
      piece.ClearChecked();
    }
  }
  if (dataFile != nullptr) fclose(dataFile);
  result->rows = index;
  if (!error.message.empty())
    return Fail(Format(msg::kFileError, args.files[1].c_str(),
                       error.line > 0 ? (":" + std::to_string(error.line)).c_str() : "",
                       error.message.c_str()));
  job.table.otherCodePageLine = table.otherCodePageLine;
  job.table.otherCodePage = table.otherCodePage;
  merger.After();
  if (!Drain(piece.macro, out, true)) result->writeFailed = true;
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

check::KeyDelay ChooseDelay(const Arguments &args) {
  if (args.delay >= 0) {
    check::KeyDelay given;
    given.milliseconds = static_cast<uint16_t>(args.delay);
    given.source = lang::Str(msg::kDelayGiven);
    return given;
  }
  // As tastiro-check: the host's settings in --host, or in the current
  // folder (where the default key file is looked for too).
  return check::HostKeyDelay(InHostFolder(args, "VOLMAR.ini"));
}

// Writes the merge again, this time to standard output (the check has
// passed).  The exit status.
int WriteToStdout(const Arguments &args, Job &job, int status) {
#if defined(_WIN32)
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  PassResult again;
  if (int failed = MergePass(args, job, stdout, nullptr, &again)) return failed;
  if (again.writeFailed || fflush(stdout) != 0) return ToolError(msg::kCannotWriteStdout);
  return status;
}

int Merge(const Arguments &args) {
  Job job;
  if (int status = CheckOutputTarget(args, job)) return status;
  if (int status = ReadInputs(args, job)) return status;
  {
    FILE *file = nullptr;
    std::unique_ptr<text::FileSource> source;
    std::unique_ptr<merge::TableStream> stream;
    int status = OpenData(args, &file, &source, &stream, &job.table);
    if (file != nullptr) fclose(file);
    if (status != 0) return status;
  }
  if (int status = ParseInputs(args, job)) return status;

  merge::TemporaryOutput temporary;
  const bool toFile = !args.output.empty() && !args.dryRun;
  if (toFile) {
    std::string error;
    if (!temporary.Open(job.target, &error))
      return Fail(Format(msg::kCannotWrite, args.output.c_str(), error.c_str()));
  }
  FILE *reportTo = args.output.empty() && !args.dryRun ? stderr : stdout;
  const bool color = args.color == 1 || (args.color == -1 && IsTerminal(reportTo) &&
                                         getenv("NO_COLOR") == nullptr);
  const check::KeyDelay delay = ChooseDelay(args);
  merge::CheckSources checkSources;
  checkSources.outputName = args.output.empty() ? msg::kStdoutName : args.output;
  checkSources.templateName = args.files[0];
  checkSources.templateBytes = &job.tplText;
  checkSources.beforeName = args.before;
  checkSources.before = job.sources.before;
  checkSources.afterName = args.after;
  checkSources.after = job.sources.after;
  checkSources.dataName = args.files[1];
  checkSources.headers = &job.table.headers;
  checkSources.encoding = args.encoding;
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
  if (int status = MergePass(args, job, toFile ? temporary.file() : nullptr, &check, &pass))
    return status;
  if (pass.problems.count > 0) {
    for (const std::string &problem : pass.problems.shown)
      lang::Write(stderr, Format(msg::kValueError, problem.c_str()) + "\n");
    if (pass.problems.count > pass.problems.shown.size())
      lang::Write(stderr, Format(msg::kMoreValueErrors, pass.problems.count - pass.problems.shown.size()) + "\n");
    return ToolError(Format(msg::kNothingWritten, pass.problems.count));
  }
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
  int status = report.errors > 0 ? 2 : warnings > 0 ? 1 : 0;
  if (args.dryRun || status == 2) return status;
  if (!toFile) return WriteToStdout(args, job, status);
  std::string error;
  if (pass.writeFailed || !temporary.Commit(&error))
    return Fail(Format(msg::kCannotWrite, args.output.c_str(),
                       pass.writeFailed ? msg::kWriteError : error.c_str()));
  return status;
}

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
  std::unique_ptr<text::FileSource> source;
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
  merge::TemporaryOutput temporary;
  if (!temporary.Open(job.target, &error) ||
      fwrite(learnt.templateText.data(), 1, learnt.templateText.size(), temporary.file()) !=
          learnt.templateText.size() ||
      !temporary.Commit(&error))
    return Fail(Format(msg::kCannotWriteTemplate, args.output.c_str(), error.c_str()));
  lang::Write(stdout, Format(msg::kLearnWritten, args.output.c_str(), placed,
                        learnt.values.size()) + "\n");
  fflush(stdout);
  return learnt.Clean() ? 0 : 1;
}

}  // namespace

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

// The language: --lang anywhere on the command line, else the user's.
void ChooseLanguage(int argc, char **argv) {
  lang::Language language = lang::FromEnvironment();
  for (int i = 1; i + 1 < argc; ++i)
    if (strcmp(argv[i], "--lang") == 0) lang::ByName(argv[i + 1], &language);
  lang::Set(language);
}

int main(int argc, char **argv) {
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
  return args.learn ? LearnTemplate(args) : Merge(args);
}
