// tastiro-merge's command: what its jobs (merge, learn, drop, resume) share.  The
// command line is read into Arguments (merge_options.cpp); each job is a
// file of its own; the inputs every job reads and checks the same way are
// in inputs.cpp.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tools/checker/checker.h"
#include "tools/codec/code_pages.h"
#include "tools/merging/merge_check.h"
#include "tools/merging/template.h"
#include "tools/output/output_file.h"
#include "tools/table/table_reader.h"
#include "tools/texts/merge_texts.h"

namespace merge_command {

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
  bool noLog = false;   // --no-log: no log beside the macro
  std::string resume;   // --resume LOG: the log of a run to go on from
  bool skipCut = false; // --resume: the cut row was finished by hand
  bool dropped = false;  // files dropped on the program: say what was made
};

// Everything read and parsed before the rows.
struct Job {
  check::FileText tpl, before, after, keys;
  std::string tplText, beforeText, afterText;  // in the macro's encoding
  merge::Table table;
  std::vector<merge::TemplatePiece> pieces;
  merge::KeyLookup lookup;
  merge::MergeSources sources;
  merge::MergeSettings settings;
  output::Target target;
};

// The command line.  0 to go on, -1 when it was --help (said), else the
// exit status of a usage error (said).
int ParseArguments(int argc, char **argv, Arguments *args);
// The language: --lang anywhere on the command line, else the user's.
void ChooseLanguage(int argc, char **argv);
// A usage error said with the usage text; the exit status.
int UsageError(const std::string &message);

// A message on standard error; the exit status 2.
int Fail(const std::string &message);
// Fail with the tool's "nothing written" framing.
int ToolError(const std::string &message);
std::string InHostFolder(const Arguments &args, const char *relative);
// The key definition file: --keys, else the host folder's wtyczki/keys.h.
std::string KeysPath(const Arguments &args);
// A folder named as an input is said plainly.  0, or the exit status.
int CheckInput(const std::string &path, const char *what);
// Reads an input file whole, or says why it cannot.
bool Read(const std::string &path, const char *what, check::FileText *file);
// Never write over an input, into a folder, a pipe or a device, nor over a
// file the user did not give up.  0, or the exit status.
int CheckOutputTarget(const Arguments &args, Job &job);
// The "-o %s ..." message of a target the writer refuses.
const char *TargetMessage(output::Fault fault);
// Why a file could not be written (a full disk ...), for "cannot write".
std::string WriteProblem(const output::Problem &problem);
// `cannotWrite` ("%s: error: cannot write ...: %s") said for `path`; 2.
int WriteFailed(const char *cannotWrite, const std::string &path, const output::Problem &problem);
// Opens the data and reads its header.  0, or the exit status.
int OpenData(const Arguments &args, FILE **file, std::unique_ptr<merge::FileSource> *source,
             std::unique_ptr<merge::TableStream> *stream, merge::Table *table);
// The key delay: --delay, else the host's settings.
check::KeyDelay ChooseDelay(const Arguments &args);

// Reads the inputs of a merge, the data's header included, and checks the
// output's target.  0, or the exit status.
int PrepareMerge(const Arguments &args, Job &job);
// The log beside a merged macro written to a file (none with --no-log),
// made with its header line for rows first..last; said on `to`.
void MakeRunLog(const Arguments &args, size_t first, size_t last, FILE *to);

// The jobs; each gives the exit status.
int Merge(const Arguments &args);          // TEMPLATE DATA
int Resume(const Arguments &args);         // TEMPLATE DATA --resume LOG
int LearnTemplate(const Arguments &args);  // --learn RECORDING DATA -o TEMPLATE
// A log (.log) among dropped files, taken out of them; empty when none.
std::string TakeDroppedLog(std::vector<std::string> *files);
// Asks whether to make the rest of the run logged in `log`; yes sets
// --resume and the rest's name beside the log.  0, or the exit status.
int AskToResume(const std::string &log, Arguments *args);
// Files dropped on the program, in a window of its own.
int RunInOwnWindow(const std::vector<std::string> &files);

}  // namespace merge_command
