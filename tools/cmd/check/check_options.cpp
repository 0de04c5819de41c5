// tastiro-check's options: one table drives the reading of the command line
// and the usage text in both languages.
#include <stdio.h>
#include <stdlib.h>

#include "tools/cmd/check/check_command.h"
#include "tools/cli/option_table.h"
#include "tools/os/console.h"
#include "tools/messages/check_texts.h"

namespace check {

namespace {

using Msg = messages::CheckMsg;
using messages::Say;

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

std::string TakeKeys(const std::string &option, const char *value, Arguments &args) {
  if (*value == 0) return cli::EmptyValue(option);
  args.keys = value;
  args.keysGiven = true;
  return std::string();
}

std::string TakeLogStart(const std::string &, const char *value, Arguments &args) {
  if (!ParseStamp(value, args.logStart)) return Say(Msg::kNeedsTime);
  args.logStartGiven = true;
  return std::string();
}

std::string TakeFrom(const std::string &, const char *value, Arguments &args) {
  if (!codec::CodePageByName(value, &args.from) || args.from == codec::CodePage::kUtf8)
    return Say(Msg::kNeedsPage);
  args.fromGiven = true;
  return std::string();
}

using Option = cli::Option<Arguments>;

// Every option of tastiro-check, the modes it applies in, and its help.
const Option kOptions[] = {
    {"--host", "DIR", "FOLDER", kCheck, &Arguments::host,
     "the host's folder (default: the current folder): its\nwtyczki/keys.h and the key delay stored in its VOLMAR.ini",
     "folder programu (domyślnie bieżący folder): jego plik\nwtyczki/keys.h i odstęp między klawiszami zapisany w VOLMAR.ini"},
    {"--keys", "FILE", "PLIK", kCheck, TakeKeys,
     "the key definitions (default: wtyczki/keys.h in the host's folder)",
     "plik z nazwami klawiszy (domyślnie wtyczki/keys.h w folderze programu)"},
    {"--dry-run", nullptr, nullptr, kCheck, &Arguments::dryRun,
     "list the text typed, each key, command and wait with its\nplace, the number of keys and the least playback time",
     "pokazuje wpisywany tekst, każdy klawisz, polecenie i czekanie\nz miejscem w pliku, liczbę klawiszy i najkrótszy czas odtwarzania"},
    cli::CharactersOption<Arguments>(kCheck),
    cli::DelayOption<Arguments>(kCheck),
    {"--log", "FILE", "PLIK", kCheck, &Arguments::log,
     "write the log the player would write", "zapisuje dziennik, jaki zapisałaby wtyczka"},
    {"--force", nullptr, nullptr, kCheck, &Arguments::force,
     "let --log replace a file that exists (a player's run log too,\nwhich tastiro-merge --resume reads)",
     "pozwala, by --log zastąpił istniejący plik (także dziennik\nodtwarzania, z którego czyta tastiro-merge --resume)"},
    {"--log-start", "TIME", "CZAS", kCheck, TakeLogStart,
     "the log's first stamp, \"YYYY-MM-DD HH:MM:SS\" (default: now)",
     "pierwszy czas w dzienniku, \"RRRR-MM-DD GG:MM:SS\" (domyślnie teraz)"},
    {"--json", nullptr, nullptr, kCheck, &Arguments::json,
     "JSON output for editors and scripts", "wynik w formacie JSON dla edytorów i skryptów"},
    {"--convert", nullptr, nullptr, kConvert, &Arguments::convert,
     "write each macro as UTF-8 to NAME-utf8.txt beside it; the\noriginal stays, and no file is ever replaced",
     "zapisuje każde makro w UTF-8 jako NAZWA-utf8.txt obok niego;\noryginał zostaje, żaden plik nie zostanie zastąpiony"},
    {"--from", "PAGE", "KODOWANIE", kConvert, TakeFrom,
     "with --convert: the original's code page (cp1250, cp852 or\nmazovia; default: told from its letters)",
     "przy --convert: kodowanie oryginału (cp1250, cp852 albo\nmazovia; domyślnie rozpoznane po literach)"},
    cli::ColorOption<Arguments>(kCheck),
};

cli::Modes ModeOf(const Arguments &args) { return args.convert ? kConvert : kCheck; }

std::string ModeName(cli::Modes mode) {
  if (mode != kConvert && mode != kCheck) return std::string();  // a set of both
  return Say(mode == kConvert ? Msg::kModeConvert : Msg::kModeCheck);
}

std::string UsageHead() { return Say(Msg::kUsageHead); }
std::string UsageTail() { return Say(Msg::kUsageTail); }

const cli::ToolText kTool = {"tastiro-check", UsageHead, UsageTail, ModeName, 23};

}  // namespace

cli::Parsed ReadCommandLine(const std::vector<std::string> &argv, Arguments *args,
                            std::vector<std::string> *files) {
  return cli::Parse(kOptions, ModeOf, kTool, argv, args, files);
}

std::string Usage() { return cli::Usage(kTool, cli::Rows(kOptions)); }

std::vector<const cli::OptionText *> OptionRows() { return cli::Rows(kOptions); }

int ParseArguments(const std::vector<std::string> &argv, Arguments *args) {
  std::vector<std::string> files;
  const cli::Parsed parsed = ReadCommandLine(argv, args, &files);
  if (int status = cli::Answer(kTool, cli::Rows(kOptions), parsed); status >= 0) return status;
  for (const std::string &file : files)
    for (const std::string &name : os::ExpandWildcard(file)) args->macros.push_back(name);
  if (args->macros.empty() && (args->convert || (!args->keysGiven && args->host.empty())))
    return cli::Answer(kTool, cli::Rows(kOptions), {cli::Parsed::kError, Say(Msg::kNameAMacro)});
  return -1;
}

}  // namespace check
