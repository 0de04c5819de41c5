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
#include "tools/cli/option_table.h"
#include "tools/codec/code_pages.h"
#include "tools/merger/merge_check.h"
#include "tools/merger/template.h"
#include "tools/writer/output_file.h"
#include "tools/writer/why_not.h"
#include "tools/table/table_reader.h"
#include "tools/reader/source.h"
#include "tools/messages/merge_texts.h"
#include "tools/messages/tell.h"

namespace merge {

using Msg = messages::MergeMsg;
using messages::Fail;  // Fail(where, text): an error said; 2
using messages::Say;
using messages::Severity;
using messages::TellOn;

// The tool's name, where an error belongs to no file.
inline constexpr char kToolName[] = "tastiro-merge";

// The merged macro is handed on in pieces of about this size, and the
// checked text played in pieces of about this size.
constexpr size_t kWritePiece = 64 * 1024;
constexpr size_t kCheckPiece = 256 * 1024;
constexpr size_t kWarningsShown = 20;

// The tool's modes, as its option table names them (merge_options.cpp): one
// for each way a command line can run, so that an option can apply to a
// macro written to a file and not to one on standard output.
enum Mode : unsigned {
  kMerge = 1,           // TEMPLATE DATA -o FILE
  kLearn = 2,           // --learn RECORDING DATA -o TEMPLATE
  kDryRun = 4,          // --dry-run TEMPLATE DATA
  kDrop = 8,            // files dropped on the program
  kStdout = 16,         // TEMPLATE DATA, the macro on standard output
  kResume = 32,         // TEMPLATE DATA --resume LOG -o REST
  kResumeStdout = 64,   // TEMPLATE DATA --resume LOG, the rest on standard output
  kResumeDryRun = 128,  // --dry-run TEMPLATE DATA --resume LOG
};

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
  bool dataEncodingGiven = false;  // else the table's Polish letters choose
  codec::CodePage templateEncoding = codec::CodePage::kUtf8;
  codec::CodePage encoding = codec::CodePage::kUtf8;
  std::string newline, tab;
  bool strict = false;
  bool keepEmptyRows = false;  // type rows whose fields are all empty
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
  checker::FileText tpl, before, after, keys;
  std::string tplText, beforeText, afterText;  // in the macro's encoding
  table::Table table;
  std::vector<merger::TemplatePiece> pieces;
  merger::KeyLookup lookup;
  merger::MergeSources sources;
  merger::MergeSettings settings;
  writer::Target target;
};

// The command line (UTF-8, argv[0] the program).  -1 to go on, else the
// exit status (the usage said for --help, or the error with the usage).
int ParseArguments(const std::vector<std::string> &argv, Arguments *args);
// The command line read by the option table, nothing said yet.
cli::Parsed ReadCommandLine(const std::vector<std::string> &argv, Arguments *args);
// The usage text in the current language, and the table's rows.
std::string Usage();
std::vector<const cli::OptionText *> OptionRows();
// A usage error said with the usage text; the exit status.
int UsageError(const std::string &message);

// A line already said whole (merger's told errors) on standard error; 2.
int Fail(const std::string &said);
// The table's error, with the data's name and line.
int FailOnTable(const std::string &dataPath, const table::TableError &error);
// An error of the tool as a whole: "tastiro-merge: error: message"; 2.
int ToolError(const std::string &message);
// The key definition file: --keys, else the host folder's wtyczki/keys.h.
std::string KeysPath(const Arguments &args);
// A folder named as an input is said plainly.  0, or the exit status.
int CheckInput(const std::string &path, Msg what);
// Reads an input file whole, or says why it cannot.
bool Read(const std::string &path, Msg what, checker::FileText *file);
// Never write over an input, into a folder, a pipe or a device, nor over a
// file the user did not give up.  0, or the exit status.
int CheckOutputTarget(const Arguments &args, Job &job);
// The "-o {1} ..." message of a target the writer refuses.
Msg TargetMessage(writer::Fault fault);
// Standard output that could not be written, said once (the tool's last
// flush says nothing more); 2.
int StdoutFailed(const writer::Problem &problem);
bool StdoutFailureSaid();
// `cannotWrite` ("cannot write ...: {1}") said as the error of `path`; 2.
int WriteFailed(Msg cannotWrite, const std::string &path, const writer::Problem &problem);
// The data, opened once ("-": standard input) and read as a stream.
struct DataInput {
  reader::FileSource source;
  std::unique_ptr<table::TableStream> stream;
};
// Opens the data and reads its header into `table`, which the stream keeps
// up to date (the encoding it found).  0, or the exit status.
int OpenData(const Arguments &args, DataInput *data, table::Table *table);
// The name of a macro made from `tpl`, beside it: the template's name with
// "-makro" (n 1), "-makro-2", ... and ".txt".
std::string MacroNameBeside(const std::string &tpl, int n);
// A file name or value as a command line takes it: in double quotes when it
// holds a blank or a character a shell would take for itself.
std::string Quoted(const std::string &value);

// Reads and parses everything the rows need (the inputs, the data opened
// once and its header read into job.table) and checks the output's target.
// 0, or the exit status.
int PrepareJob(const Arguments &args, Job &job, DataInput *data);
// The name of the log beside the macro `macro`, by the host's own rule: its
// extension replaced by ".log".  Empty when the host could not name it.
std::string RunLogName(const std::string &macro);
// The log beside a merged macro written to a file (none with --no-log),
// made with its header line for rows first..last; said on `to`.  False,
// with a warning said, when it could not be made.
bool MakeRunLog(const Arguments &args, size_t first, size_t last, FILE *to);

// The jobs; each gives the exit status.
int Merge(const Arguments &args);          // TEMPLATE DATA
int Resume(const Arguments &args);         // TEMPLATE DATA --resume LOG
int LearnTemplate(const Arguments &args);  // --learn RECORDING DATA -o TEMPLATE
// Files dropped on the program, in a window of its own.
int RunInOwnWindow(const std::vector<std::string> &files);

}  // namespace merge
