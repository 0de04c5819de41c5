// tastiro-merge: one macro from a template and a table of data.
//
//   tastiro-merge [options] TEMPLATE DATA
//
// Exit status: 0 written and clean, 1 written with warnings, 2 nothing
// written.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "tools/check/checker.h"
#include "tools/check/key_file_check.h"
#include "tools/codec/code_pages.h"
#include "tools/merge/merge_check.h"
#include "tools/merge/merger.h"
#include "tools/merge/table_reader.h"
#include "tools/merge/template.h"

namespace {

const char kUsage[] =
    "usage: tastiro-merge [options] TEMPLATE DATA\n"
    "\n"
    "Writes one macro: the template once for every row of the table, {{Name}}\n"
    "replaced by the row's value in the column Name, {{#}} by the row's number\n"
    "({{{{ writes a literal {{).  The merged macro is checked as tastiro-check does.\n"
    "\n"
    "  -o, --output FILE        the merged macro (default: standard output)\n"
    "  --keys FILE              the host's key-name file (default: wtyczki/keys.h)\n"
    "  --before FILE            text played once before the first row\n"
    "  --after FILE             text played once after the last row\n"
    "  --delimiter C            ';', ',' or 'tab' (default: detected from the header)\n"
    "  --data-encoding NAME     utf-8 (default; a BOM is accepted), cp1250, cp852\n"
    "  --encoding NAME          the macro's encoding: utf-8 (default), cp852, mazovia,\n"
    "                           cp1250\n"
    "  --newline NAME           type a line break inside a value as the key NAME\n"
    "  --rows FROM-TO           only these data rows (1-based, header excluded)\n"
    "  --dry-run                write nothing; show each row's keys\n"
    "  --delay MS               the key delay for the check (default: the start form's)\n"
    "  --color, --no-color      colours on or off (default: on a terminal only)\n"
    "  -h, --help               this text\n"
    "\n"
    "Exit status: 0 written and clean, 1 written with warnings, 2 nothing written.\n";

struct Arguments {
  std::vector<std::string> files;
  std::string output;
  std::string keys = check::KeyFileInHostFolder();
  std::string before, after;
  char delimiter = 0;
  codec::CodePage dataEncoding = codec::CodePage::kUtf8;
  codec::CodePage encoding = codec::CodePage::kUtf8;
  std::string newline;
  long firstRow = 0, lastRow = 0;  // 0: all
  bool dryRun = false;
  long delay = -1;
  int color = -1;
};

int UsageError(const std::string &message) {
  fprintf(stderr, "tastiro-merge: %s\n%s", message.c_str(), kUsage);
  return 2;
}

int Fail(const std::string &message) {
  fprintf(stderr, "%s\n", message.c_str());
  return 2;
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
  *last = strtol(second, &end, 10);
  return end != second && *end == 0 && *last >= *first;
}

// Parses the command line; a nonzero result is the exit status.
int ParseArguments(int argc, char **argv, Arguments *args) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> const char * { return i + 1 < argc ? argv[++i] : nullptr; };
    const char *v = nullptr;
    if (arg == "-h" || arg == "--help") {
      fputs(kUsage, stdout);
      return -1;
    } else if (arg == "--dry-run") {
      args->dryRun = true;
    } else if (arg == "--color" || arg == "--no-color") {
      args->color = arg == "--color";
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "-" && (v = value()) == nullptr) {
      return arg == "-o" || arg == "--output" || arg == "--keys" || arg == "--before" ||
                     arg == "--after" || arg == "--delimiter" || arg == "--data-encoding" ||
                     arg == "--encoding" || arg == "--newline" || arg == "--rows" ||
                     arg == "--delay"
                 ? UsageError(arg + " needs a value")
                 : UsageError("unknown option " + arg);
    } else if (v == nullptr) {
      args->files.push_back(arg);
    } else if (arg == "-o" || arg == "--output") {
      args->output = v;
    } else if (arg == "--keys") {
      args->keys = v;
    } else if (arg == "--before") {
      args->before = v;
    } else if (arg == "--after") {
      args->after = v;
    } else if (arg == "--newline") {
      args->newline = v;
    } else if (arg == "--delimiter") {
      std::string d = v;
      if (d == ";" || d == ",") args->delimiter = d[0];
      else if (d == "tab" || d == "\t") args->delimiter = '\t';
      else return UsageError("--delimiter is ';', ',' or 'tab'");
    } else if (arg == "--data-encoding") {
      if (!codec::CodePageByName(v, &args->dataEncoding) ||
          args->dataEncoding == codec::CodePage::kMazovia)
        return UsageError("--data-encoding is utf-8, cp1250 or cp852");
    } else if (arg == "--encoding") {
      if (!codec::CodePageByName(v, &args->encoding))
        return UsageError("--encoding is utf-8, cp852, mazovia or cp1250");
    } else if (arg == "--rows") {
      if (!ParseRows(v, &args->firstRow, &args->lastRow))
        return UsageError("--rows needs FROM-TO, two row numbers from 1 on, FROM not above TO");
    } else if (arg == "--delay") {
      char *end = nullptr;
      args->delay = strtol(v, &end, 10);
      if (*v == 0 || *end != 0 || args->delay < 0 || args->delay > 65535)
        return UsageError("--delay needs a number of milliseconds from 0 to 65535");
    } else {
      return UsageError("unknown option " + arg);
    }
  }
  if (args->files.size() != 2) return UsageError("name a TEMPLATE and a DATA file");
  return 0;
}

// True when `output` is the same file as one of `inputs`.
bool SameFile(const std::string &output, const std::string &input) {
  std::error_code error;
  return !input.empty() && std::filesystem::equivalent(output, input, error) && !error;
}

// Writes `bytes` to a new file beside `path`, then puts it in `path`'s place.
bool ReplaceFile(const std::string &path, const std::string &bytes, std::string *error) {
  std::string temporary;
  int fd = -1;
  for (int n = 0; n < 100 && fd < 0; ++n) {
    temporary = path + ".tastiro-merge-" + std::to_string(n) + ".tmp";
#if defined(_WIN32)
    fd = _open(temporary.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, 0644);
#else
    fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
#endif
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    *error = strerror(errno);
    return false;
  }
  FILE *out = fdopen(fd, "wb");
  bool ok = out != nullptr && fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  if (out != nullptr) ok = fclose(out) == 0 && ok;
  std::error_code renamed;
  if (ok) std::filesystem::rename(temporary, path, renamed);
  if (!ok || renamed) {
    *error = ok ? renamed.message() : "write error";
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return false;
  }
  return true;
}

// Whether findings may be coloured: never in the Windows console, whose
// escape sequences this tool does not switch on.
bool IsTerminal(FILE *stream) {
#if defined(_WIN32)
  (void)stream;
  return false;
#else
  return isatty(fileno(stream)) != 0;
#endif
}

// Reads an input file, or explains why it cannot.
bool Read(const std::string &path, const char *what, check::FileText *file) {
  *file = check::ReadFileText(path);
  if (file->readable) return true;
  fprintf(stderr, "%s: error: cannot read the %s: %s\n", path.c_str(), what, file->error.c_str());
  return false;
}

// Never write over an input, nor into a folder.  0, or the exit status.
int CheckOutputTarget(const Arguments &args) {
  if (args.output.empty() || args.dryRun) return 0;
  for (const std::string &input : {args.files[0], args.files[1], args.before, args.after, args.keys})
    if (SameFile(args.output, input))
      return Fail("tastiro-merge: error: -o " + args.output + " is an input (" + input +
                  "); nothing written");
  std::error_code error;
  if (std::filesystem::is_directory(args.output, error))
    return Fail("tastiro-merge: error: -o " + args.output + " is a folder; nothing written");
  return 0;
}

// Everything read and parsed before the merge.
struct Job {
  check::FileText tpl, data, before, after, keys;
  merge::Table table;
  std::vector<merge::TemplatePiece> pieces;
  merge::KeyLookup lookup;
  merge::MergeSources sources;
};

// Reads the five inputs.  0, or the exit status.
int ReadInputs(const Arguments &args, Job &job) {
  if (!Read(args.files[0], "template", &job.tpl) || !Read(args.files[1], "data", &job.data))
    return 2;
  if (!args.before.empty() && !Read(args.before, "--before text", &job.before)) return 2;
  if (!args.after.empty() && !Read(args.after, "--after text", &job.after)) return 2;
  job.keys = check::ReadFileText(args.keys);
  if (!job.keys.readable)
    return Fail(args.keys + ": error: cannot read the key definitions: " + job.keys.error +
                " (name them with --keys)");
  return 0;
}

// The table, the template's pieces, the keys and the rows to merge.  0, or
// the exit status.
int ParseInputs(const Arguments &args, Job &job) {
  const std::string &dataPath = args.files[1];
  merge::TableError tableError;
  merge::TableOptions tableOptions;
  tableOptions.delimiter = args.delimiter;
  tableOptions.encoding = args.dataEncoding;
  if (!merge::ReadTable(job.data.content, tableOptions, &job.table, &tableError))
    return Fail(dataPath + (tableError.line > 0 ? ":" + std::to_string(tableError.line) : "") +
                ": error: " + tableError.message);
  merge::TemplateError templateError;
  if (!merge::ParseTemplate(job.tpl.content, args.encoding, job.table.headers, &job.pieces,
                            &templateError)) {
    check::SourcePosition at = check::SourceMap(job.tpl.content).At(templateError.offset);
    return Fail(args.files[0] + ":" + std::to_string(at.line) + ":" + std::to_string(at.column) +
                ": error: " + templateError.message);
  }
  job.lookup = merge::LookUpKeys(job.keys, args.newline);
  if (!args.newline.empty() && !job.lookup.newlineFound)
    return Fail("tastiro-merge: error: --newline " + args.newline + ": " + args.keys +
                " has no key of that name that the player finds");
  merge::MergeSources &sources = job.sources;
  sources.dataName = dataPath;
  sources.templateBytes = &job.tpl.content;
  sources.pieces = &job.pieces;
  sources.before = args.before.empty() ? nullptr : &job.before.content;
  sources.after = args.after.empty() ? nullptr : &job.after.content;
  sources.table = &job.table;
  sources.firstRow = args.firstRow > 0 ? static_cast<size_t>(args.firstRow - 1) : 0;
  sources.endRow = args.lastRow > 0 ? static_cast<size_t>(args.lastRow) : job.table.rows.size();
  if (sources.endRow > job.table.rows.size())
    return Fail("tastiro-merge: error: --rows: " + dataPath + " has " +
                std::to_string(job.table.rows.size()) + " data rows");
  return 0;
}

// Checks the merged macro as tastiro-check would and prints the findings
// where the macro does not go.  The exit status they give.
int CheckAndReport(const Arguments &args, const Job &job, const merge::MergeResult &merged) {
  merge::CheckSources checkSources;
  checkSources.outputName = args.output.empty() ? "<stdout>" : args.output;
  checkSources.templateName = args.files[0];
  checkSources.templateBytes = &job.tpl.content;
  checkSources.beforeName = args.before;
  checkSources.before = job.sources.before;
  checkSources.afterName = args.after;
  checkSources.after = job.sources.after;
  checkSources.dataName = args.files[1];
  checkSources.table = &job.table;
  checkSources.encoding = args.encoding;
  check::PlayOptions play;
  play.keyDelay = args.delay >= 0 ? static_cast<uint16_t>(args.delay) : check::DefaultKeyDelay();
  merge::MergeReport report = merge::CheckMerged(job.keys, merged, checkSources, play);

  FILE *reportTo = args.output.empty() && !args.dryRun ? stderr : stdout;
  bool color = args.color == 1 || (args.color == -1 && IsTerminal(reportTo) &&
                                   getenv("NO_COLOR") == nullptr);
  int status = report.ExitStatus();
  if (job.table.rows.empty() || job.sources.firstRow >= job.sources.endRow) {
    fprintf(reportTo, "%s: warning: the table has no data rows: the macro holds no row\n",
            args.files[1].c_str());
    status = status < 1 ? 1 : status;
  }
  merge::PrintReport(reportTo, report, merged, checkSources, args.dryRun, color, play.keyDelay);
  fflush(reportTo);
  return status;
}

// The merged macro to standard output or, whole or not at all, to -o.
int WriteMacro(const Arguments &args, const std::string &macro, int status) {
  if (args.output.empty()) {
#if defined(_WIN32)
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (fwrite(macro.data(), 1, macro.size(), stdout) != macro.size() || fflush(stdout) != 0)
      return Fail("tastiro-merge: error: cannot write to standard output");
    return status;
  }
  std::string error;
  if (!ReplaceFile(args.output, macro, &error))
    return Fail(args.output + ": error: cannot write the merged macro: " + error);
  return status;
}

int Run(const Arguments &args) {
  Job job;
  if (int status = CheckOutputTarget(args)) return status;
  if (int status = ReadInputs(args, job)) return status;
  if (int status = ParseInputs(args, job)) return status;

  merge::MergeSettings settings;
  settings.encoding = args.encoding;
  settings.bracketKey = job.lookup.bracketKey;
  settings.bracketHint = args.keys + " names no such key: add the line \"" +
                         merge::kBracketDefine + "\" to it";
  settings.newlineKey = args.newline;
  settings.checkEveryRow = args.dryRun;
  merge::MergeResult merged;
  std::string error;
  if (!merge::MergeTable(job.sources, settings, &merged, &error))
    return Fail("tastiro-merge: error: " + error + "; nothing written");

  int status = CheckAndReport(args, job, merged);
  if (args.dryRun || status == 2) return status;
  return WriteMacro(args, merged.macro, status);
}

}  // namespace

int main(int argc, char **argv) {
#if defined(_WIN32)
  SetConsoleOutputCP(CP_UTF8);
#endif
  Arguments args;
  int parsed = ParseArguments(argc, argv, &args);
  if (parsed != 0) return parsed < 0 ? 0 : parsed;
  return Run(args);
}
