// tastiro-check: finds a macro's silent mistakes before it runs.
//
//   tastiro-check [--host DIR] [--keys FILE] [--dry-run [--characters]] [--delay MS]
//                 [--log FILE] [--json] MACRO...
//
// Exit status: 0 nothing found, 1 warnings, 2 a file that cannot be read (or
// a command line that cannot be understood).
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <string>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "tools/check/checker.h"
#include "tools/check/key_file_check.h"
#include "tools/check/report.h"

namespace {

const char kUsage[] =
    "usage: tastiro-check [options] MACRO.txt...\n"
    "       tastiro-check [options] --keys FILE      (the key definitions alone)\n"
    "\n"
    "Plays each macro with the player's own code on a simulated host and reports\n"
    "what would go wrong silently: bracketed words typed as text, commands in the\n"
    "wrong case, words cut off, endless RESTART loops, problems of keys.h.\n"
    "\n"
    "  --host DIR         the host's folder (default: the current folder): its\n"
    "                     wtyczki/keys.h and the key delay stored in its VOLMAR.ini\n"
    "  --keys FILE        the key definitions (default: wtyczki/keys.h in the host's folder)\n"
    "  --dry-run          list the text typed, each key, command and wait with its\n"
    "                     place, the number of keys and the least playback time\n"
    "  --characters       the dry run with one line for each character typed\n"
    "  --delay MS         the key delay for the time (default: the one stored in the\n"
    "                     host's folder, else the start form's 100 ms)\n"
    "  --log FILE         write the log the player would write\n"
    "  --log-start TIME   the log's first stamp, \"YYYY-MM-DD HH:MM:SS\" (default: now)\n"
    "  --json             JSON output for editors and scripts\n"
    "  --color, --no-color  colours on or off (default: on a terminal only)\n"
    "  -h, --help         this text\n"
    "\n"
    "Exit status: 0 clean, 1 warnings, 2 a file that cannot be read.\n";

// Where the host keeps its settings, relative to its folder.
const char kHostSettings[] = "VOLMAR.ini";

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
  time_t logStart = 0;
  bool logStartGiven = false;
};

int UsageError(const std::string &message) {
  fprintf(stderr, "tastiro-check: %s\n%s", message.c_str(), kUsage);
  return 2;
}

// "YYYY-MM-DD HH:MM:SS" (or with 'T') as local time.
bool ParseStamp(const char *text, time_t &out) {
  struct tm civil = {};
  char separator = 0;
  if (sscanf(text, "%4d-%2d-%2d%c%2d:%2d:%2d", &civil.tm_year, &civil.tm_mon, &civil.tm_mday,
             &separator, &civil.tm_hour, &civil.tm_min, &civil.tm_sec) != 7 ||
      (separator != ' ' && separator != 'T'))
    return false;
  civil.tm_year -= 1900;
  civil.tm_mon -= 1;
  civil.tm_isdst = -1;
  out = mktime(&civil);
  return out != static_cast<time_t>(-1);
}

bool IsTerminal() {
#if defined(_WIN32)
  if (!_isatty(_fileno(stdout))) return false;
  // Colours need the console's escape sequences.
  HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (!GetConsoleMode(console, &mode)) return false;
  return SetConsoleMode(console, mode | 0x0004 /* ENABLE_VIRTUAL_TERMINAL_PROCESSING */) != 0;
#else
  return isatty(fileno(stdout)) != 0;
#endif
}

bool WriteFile(const std::string &path, const std::string &bytes, std::string &error) {
  FILE *out = fopen(path.c_str(), "wb");
  if (out == nullptr) {
    error = strerror(errno);
    return false;
  }
  bool ok = fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  ok = fclose(out) == 0 && ok;
  if (!ok) error = "write error";
  return ok;
}

// An option that takes a value; "" when it was used, else what is wrong.
std::string TakeValue(const std::string &option, const char *value, Arguments &args) {
  if (option == "--keys" || option == "--host" || option == "--log") {
    if (value == nullptr) return option + " needs a " + (option == "--host" ? "folder" : "file name");
    if (option == "--keys") args.keysGiven = true;
    (option == "--keys" ? args.keys : option == "--host" ? args.host : args.log) = value;
  } else if (option == "--log-start") {
    if (value == nullptr || !ParseStamp(value, args.logStart))
      return "--log-start needs a time \"YYYY-MM-DD HH:MM:SS\"";
    args.logStartGiven = true;
  } else {  // --delay
    char *end = nullptr;
    long delay = value != nullptr ? strtol(value, &end, 10) : -1;
    if (value == nullptr || *value == 0 || *end != 0 || delay < 0 || delay > 65535)
      return "--delay needs a number of milliseconds from 0 to 65535";
    args.delay = delay;
  }
  return std::string();
}

// The command line; -1 to go on, else the exit status.
int ParseArguments(int argc, char **argv, Arguments &args) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      fputs(kUsage, stdout);
      return 0;
    } else if (arg == "--dry-run" || arg == "--characters") {
      args.dryRun = true;
      args.eachCharacter = args.eachCharacter || arg == "--characters";
    } else if (arg == "--json") {
      args.json = true;
    } else if (arg == "--color" || arg == "--no-color") {
      args.color = arg == "--color" ? 1 : 0;
    } else if (arg == "--keys" || arg == "--host" || arg == "--log" || arg == "--log-start" ||
               arg == "--delay") {
      std::string error = TakeValue(arg, i + 1 < argc ? argv[++i] : nullptr, args);
      if (!error.empty()) return UsageError(error);
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
      return UsageError("unknown option " + arg);
    } else {
      args.macros.push_back(arg);
    }
  }
  if (args.macros.empty() && !args.keysGiven && args.host.empty())
    return UsageError("name at least one macro file (or the key definitions with --keys or --host)");
  return -1;
}

// A file of the host's folder.
std::string InHostFolder(const Arguments &args, const std::string &relative) {
  if (args.host.empty()) return relative;
  char last = args.host.back();
  return args.host + (last == '/' || last == '\\' ? "" : "/") + relative;
}

check::KeyDelay ChooseDelay(const Arguments &args) {
  if (args.delay < 0) return check::HostKeyDelay(InHostFolder(args, kHostSettings));
  check::KeyDelay given;
  given.milliseconds = static_cast<uint16_t>(args.delay);
  given.source = "given with --delay";
  return given;
}

// Writes the macros' log; the exit status it leaves.
int WriteLog(const std::string &path, const check::CheckResult &result, int status) {
  std::string log;
  for (const check::MacroReport &m : result.macros) log += m.log;
  std::string error;
  if (WriteFile(path, log, error)) return status;
  fprintf(stderr, "tastiro-check: cannot write the log %s: %s\n", path.c_str(), error.c_str());
  return 2;
}

void Print(const Arguments &args, const check::KeyDelay &delay, const check::CheckResult &result) {
  check::OutputOptions output;
  output.dryRun = args.dryRun;
  output.eachCharacter = args.eachCharacter;
  output.keyDelay = delay.milliseconds;
  output.delaySource = delay.source;
  output.color = !args.json && (args.color == 1 || (args.color == -1 && IsTerminal() &&
                                                    getenv("NO_COLOR") == nullptr));
  if (args.json)
    check::PrintJson(stdout, result.keys, result.macros, output);
  else
    check::PrintText(stdout, result.keys, result.macros, output);
  fflush(stdout);
}

}  // namespace

int main(int argc, char **argv) {
#if defined(_WIN32)
  SetConsoleOutputCP(CP_UTF8);
#endif
  Arguments args;
  if (int status = ParseArguments(argc, argv, args); status >= 0) return status;

  const check::KeyDelay delay = ChooseDelay(args);
  check::PlayOptions play;
  play.keyDelay = delay.milliseconds;
  play.keepLog = !args.log.empty();
  play.logStart = args.logStartGiven ? args.logStart : time(nullptr);

  check::FileText keys = check::ReadFileText(
      args.keysGiven ? args.keys : InHostFolder(args, check::KeyFileInHostFolder()));
  std::vector<check::FileText> macros;
  for (const std::string &path : args.macros) macros.push_back(check::ReadFileText(path));
  const check::CheckResult result = check::RunCheck(keys, macros, play);

  int status = check::Count(result.keys, result.macros).ExitStatus();
  if (!args.log.empty()) status = WriteLog(args.log, result, status);
  Print(args, delay, result);
  return status;
}
