// tastiro-check's command: its arguments, read from the command line by the
// one option table (tools/cli) in check_options.cpp.
#pragma once

#include <time.h>

#include <string>
#include <vector>

#include "tools/cli/option_table.h"
#include "tools/codec/code_pages.h"

namespace check {

// The tool's modes, as its option table names them.
enum Mode : unsigned {
  kCheck = 1,    // MACRO... (or the key definitions alone)
  kConvert = 2,  // --convert MACRO...
};

struct Arguments {
  std::string host;  // empty: the current folder
  std::string keys;
  bool keysGiven = false;
  std::vector<std::string> macros;
  bool dryRun = false;
  bool eachCharacter = false;
  bool json = false;
  int color = -1;  // -1 on a terminal only
  long delay = -1;
  std::string log;
  bool force = false;  // --log may replace a file that stands
  time_t logStart = 0;
  bool logStartGiven = false;
  bool convert = false;
  bool fromGiven = false;
  codec::CodePage from = codec::CodePage::kCp1250;
};

// The command line read by the option table, nothing said yet; the files
// named in `files`.
cli::Parsed ReadCommandLine(const std::vector<std::string> &argv, Arguments *args,
                            std::vector<std::string> *files);
// The usage text in the current language, and the table's rows.
std::string Usage();
std::vector<const cli::OptionText *> OptionRows();

// The command line (UTF-8, argv[0] the program); -1 to go on, else the exit
// status (the usage said for --help, or the error with the usage).
int ParseArguments(const std::vector<std::string> &argv, Arguments *args);

}  // namespace check
