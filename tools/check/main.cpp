// tastiro-check: finds a macro's silent mistakes before it runs.
//
//   tastiro-check [--keys FILE] [--dry-run] [--delay MS] [--log FILE] [--json] MACRO...
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
#include "tools/check/report.h"

namespace {

const char kUsage[] =
    "usage: tastiro-check [options] MACRO.txt...\n"
    "\n"
    "Plays each macro with the player's own code on a simulated host and reports\n"
    "what would go wrong silently: bracketed words typed as text, commands in the\n"
    "wrong case, words cut off, endless RESTART loops, problems of keys.h.\n"
    "\n"
    "  --keys FILE        the key definitions (default: wtyczki/keys.h)\n"
    "  --dry-run          list the key stream, the user's actions, the number of\n"
    "                     keys and the least playback time\n"
    "  --delay MS         the key delay for the time (default: the start form's)\n"
    "  --log FILE         write the log the player would write\n"
    "  --log-start TIME   the log's first stamp, \"YYYY-MM-DD HH:MM:SS\" (default: now)\n"
    "  --json             JSON output for editors and scripts\n"
    "  --color, --no-color  colours on or off (default: on a terminal only)\n"
    "  -h, --help         this text\n"
    "\n"
    "Exit status: 0 clean, 1 warnings, 2 a file that cannot be read.\n";

const char kDefaultKeys[] = "wtyczki/keys.h";

struct Arguments {
  std::string keys = kDefaultKeys;
  bool keysGiven = false;
  std::vector<std::string> macros;
  bool dryRun = false;
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

}  // namespace

int main(int argc, char **argv) {
#if defined(_WIN32)
  SetConsoleOutputCP(CP_UTF8);
#endif
  Arguments args;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    // The value behind an option, or null at the end of the line.
    auto value = [&]() -> const char * { return i + 1 < argc ? argv[++i] : nullptr; };
    if (arg == "-h" || arg == "--help") {
      fputs(kUsage, stdout);
      return 0;
    } else if (arg == "--dry-run") {
      args.dryRun = true;
    } else if (arg == "--json") {
      args.json = true;
    } else if (arg == "--color") {
      args.color = 1;
    } else if (arg == "--no-color") {
      args.color = 0;
    } else if (arg == "--keys") {
      const char *v = value();
      if (v == nullptr) return UsageError("--keys needs a file name");
      args.keys = v;
      args.keysGiven = true;
    } else if (arg == "--log") {
      const char *v = value();
      if (v == nullptr) return UsageError("--log needs a file name");
      args.log = v;
    } else if (arg == "--log-start") {
      const char *v = value();
      if (v == nullptr || !ParseStamp(v, args.logStart))
        return UsageError("--log-start needs a time \"YYYY-MM-DD HH:MM:SS\"");
      args.logStartGiven = true;
    } else if (arg == "--delay") {
      const char *v = value();
      char *end = nullptr;
      long delay = v != nullptr ? strtol(v, &end, 10) : -1;
      if (v == nullptr || *v == 0 || *end != 0 || delay < 0 || delay > 65535)
        return UsageError("--delay needs a number of milliseconds from 0 to 65535");
      args.delay = delay;
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
      return UsageError("unknown option " + arg);
    } else {
      args.macros.push_back(arg);
    }
  }

  if (args.macros.empty() && !args.keysGiven)
    return UsageError("name at least one macro file (or the key definitions with --keys)");

  check::PlayOptions play;
  play.keyDelay = args.delay >= 0 ? static_cast<uint16_t>(args.delay) : check::DefaultKeyDelay();
  play.keepLog = !args.log.empty();
  play.logStart = args.logStartGiven ? args.logStart : time(nullptr);

  check::FileText keys = check::ReadFileText(args.keys);
  std::vector<check::FileText> macros;
  for (const std::string &path : args.macros) macros.push_back(check::ReadFileText(path));

  check::CheckResult result = check::RunCheck(keys, macros, play);

  int status = check::Count(result.keys, result.macros).ExitStatus();
  if (!args.log.empty()) {
    std::string log;
    for (const check::MacroReport &m : result.macros) log += m.log;
    std::string error;
    if (!WriteFile(args.log, log, error)) {
      fprintf(stderr, "tastiro-check: cannot write the log %s: %s\n", args.log.c_str(), error.c_str());
      status = 2;
    }
  }

  check::OutputOptions output;
  output.dryRun = args.dryRun;
  output.keyDelay = play.keyDelay;
  output.color = !args.json && (args.color == 1 || (args.color == -1 && IsTerminal() &&
                                                    getenv("NO_COLOR") == nullptr));
  if (args.json)
    check::PrintJson(stdout, result.keys, result.macros, output);
  else
    check::PrintText(stdout, result.keys, result.macros, output);
  fflush(stdout);
  return status;
}
