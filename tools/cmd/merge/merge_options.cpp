// tastiro-merge's options: one table drives the reading of the command line
// and the usage text in both languages, and says which options apply in
// which mode (a merge written to a file or to standard output, --dry-run,
// --learn, --resume written to a file, to standard output or dry-run).
#include <stdlib.h>

#include <string>

#include "tools/cli/option_table.h"
#include "tools/os/console.h"

#include "tools/cmd/merge/merge_command.h"

namespace merge {

using Msg = messages::MergeMsg;

namespace {

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

std::string TakeOutput(const std::string &, const char *value, Arguments &args) {
  args.outputGiven = true;
  if (*value == 0) return Say(Msg::kEmptyOutput);
  args.output = std::string(value) == "-" ? std::string() : value;
  return std::string();
}

std::string TakeAt(const std::string &, const char *value, Arguments &args) {
  const std::string text = value;
  const size_t equals = text.rfind('=');
  char *end = nullptr;
  const long n = equals == std::string::npos ? 0 : strtol(text.c_str() + equals + 1, &end, 10);
  if (equals == std::string::npos || equals == 0 || n < 1 || *end != 0) return Say(Msg::kBadAt);
  args.at.push_back({text.substr(0, equals), static_cast<size_t>(n)});
  return std::string();
}

std::string TakeDelimiter(const std::string &, const char *value, Arguments &args) {
  const std::string d = value;
  if (d == ";" || d == ",") args.delimiter = d[0];
  else if (d == "tab" || d == "\t") args.delimiter = '\t';
  else return Say(Msg::kBadDelimiter);
  return std::string();
}

std::string TakeDataEncoding(const std::string &, const char *value, Arguments &args) {
  args.dataEncodingGiven = true;
  if (!codec::CodePageByName(value, &args.dataEncoding) ||
      args.dataEncoding == codec::CodePage::kMazovia)
    return Say(Msg::kBadDataEncoding);
  return std::string();
}

std::string TakeTemplateEncoding(const std::string &, const char *value, Arguments &args) {
  if (!codec::CodePageByName(value, &args.templateEncoding)) return Say(Msg::kBadTemplateEncoding);
  return std::string();
}

std::string TakeEncoding(const std::string &, const char *value, Arguments &args) {
  if (!codec::CodePageByName(value, &args.encoding)) return Say(Msg::kBadEncoding);
  if (args.encoding != codec::CodePage::kCp852 && args.encoding != codec::CodePage::kCp1250)
    return std::string();
  const char *name = codec::CodePageName(args.encoding);
  return Say(Msg::kRefusedEncoding, {name, name, name});
}

std::string TakeRows(const std::string &, const char *value, Arguments &args) {
  return ParseRows(value, &args.firstRow, &args.lastRow) ? std::string() : Say(Msg::kBadRows);
}

std::string TakeResume(const std::string &option, const char *value, Arguments &args) {
  if (*value == 0) return cli::EmptyValue(option);
  args.resume = value;
  return std::string();
}

using Option = cli::Option<Arguments>;
constexpr cli::Modes kResumes = kResume | kResumeStdout | kResumeDryRun;  // --resume, any output
constexpr cli::Modes kWhole = kMerge | kStdout | kDryRun;  // a merge of the rows chosen
constexpr cli::Modes kMerging = kWhole | kResumes;         // a merge, written or not
constexpr cli::Modes kReading = kMerging | kLearn;         // every mode that reads the table
constexpr cli::Modes kLogged = kMerge | kResume | kDrop;   // a macro written to a file: its log

// Every option of tastiro-merge, the modes it applies in, and its help.
const Option kOptions[] = {
    {"-o, --output", "FILE", "PLIK", kReading, TakeOutput,
     "the merged macro ('-': standard output, the default);\nwith --learn the template to write",
     "plik gotowego makra ('-': wypisanie na ekran, domyślnie);\nz --learn plik szablonu do zapisania"},
    {"--force", nullptr, nullptr, kReading, &Arguments::force,
     "replace FILE when it exists (it keeps its permissions)",
     "zastępuje PLIK, jeśli istnieje (zachowuje jego uprawnienia)"},
    {"--host", "DIR", "FOLDER", kReading, &Arguments::host,
     "the host's folder: its key names and its key delay",
     "folder programu VOLMAR: jego nazwy klawiszy i odstęp między nimi"},
    {"--keys", "FILE", "PLIK", kReading, &Arguments::keys,
     "the host's key-name file (default: wtyczki/keys.h)",
     "plik z nazwami klawiszy (domyślnie wtyczki/keys.h)"},
    {"--before", "FILE", "PLIK", kMerging, &Arguments::before,
     "text played once before the first row", "tekst odtwarzany raz przed pierwszym wierszem"},
    {"--after", "FILE", "PLIK", kMerging, &Arguments::after,
     "text played once after the last row", "tekst odtwarzany raz po ostatnim wierszu"},
    {"--delimiter", "C", "Z", kReading, TakeDelimiter,
     "';', ',' or 'tab' (default: guessed from the first lines)",
     "';', ',' albo 'tab' (domyślnie rozpoznany z pierwszych wierszy)"},
    {"--data-encoding", "NAME", "NAZWA", kReading, TakeDataEncoding,
     "utf-8 (a BOM is accepted), cp1250, cp852 (default: told by\nthe Polish letters; UTF-16 is read with or without its BOM)",
     "kodowanie danych: utf-8 (znacznik na początku jest w porządku),\ncp1250, cp852 (domyślnie rozpoznane po polskich literach;\nUTF-16 jest czytane ze znacznikiem albo bez)"},
    {"--template-encoding", "NAME", "NAZWA", kReading, TakeTemplateEncoding,
     "the template's (and --before's, --after's, the recording's):\nutf-8 (default; a BOM is skipped), cp1250, cp852, mazovia",
     "kodowanie szablonu (i plików --before, --after, nagrania):\nutf-8 (domyślnie; znacznik jest pomijany), cp1250, cp852, mazovia"},
    {"--encoding", "NAME", "NAZWA", kMerging, TakeEncoding,
     "the macro's: utf-8 (default) or mazovia, the host's own",
     "kodowanie makra: utf-8 (domyślnie) albo mazovia, kodowanie programu"},
    {"--newline", "NAME", "NAZWA", kReading, &Arguments::newline,
     "type a line break inside a value as the key NAME",
     "koniec wiersza w wartości wpisuje jako klawisz NAZWA"},
    {"--tab", "NAME", "NAZWA", kReading, &Arguments::tab,
     "type a tab inside a value as the key NAME", "tabulator w wartości wpisuje jako klawisz NAZWA"},
    {"--strict", nullptr, nullptr, kMerging, &Arguments::strict,
     "refuse non-breaking spaces, office quotes and dashes\ninstead of typing their plain form, and quotes inside\na field that does not start with one",
     "odrzuca twarde spacje, cudzysłowy i myślniki z autokorekty\nzamiast wpisywać ich zwykłą postać, a także cudzysłów\nw środku pola, które nie zaczyna się od cudzysłowu"},
    {"--keep-empty-rows", nullptr, nullptr, kMerging, &Arguments::keepEmptyRows,
     "type rows whose fields are all empty too (by default\nthey are left out, their numbers kept)",
     "wpisuje też wiersze, w których wszystkie pola są puste\n(domyślnie są pomijane, a ich numery zachowane)"},
    {"--rows", "FROM-TO", "OD-DO", kWhole, TakeRows,
     "only these data rows (1-based, header excluded; FROM- to\nthe end)",
     "tylko te wiersze danych (od 1, bez nagłówka; OD- do końca)"},
    {"--dry-run", nullptr, nullptr, kDryRun | kResumeDryRun | kLearn, &Arguments::dryRun,
     "write nothing; show each row's keys on one line (with\n--learn: show the template)",
     "niczego nie zapisuje; pokazuje klawisze każdego wiersza\n(z --learn: pokazuje szablon)"},
    cli::CharactersOption<Arguments>(kDryRun | kResumeDryRun),
    cli::DelayOption<Arguments>(kMerging),
    {"--learn", nullptr, nullptr, kLearn, &Arguments::learn,
     "write a template learnt from RECORDING (see above)",
     "zapisuje szablon nauczony z NAGRANIA (zobacz wyżej)"},
    {"--at", "COLUMN=N", "KOLUMNA=N", kLearn, TakeAt,
     "--learn: the value of COLUMN is its Nth place in the\nrecording",
     "--learn: wartość KOLUMNY to jej N-te wystąpienie w nagraniu", true},
    {"--no-log", nullptr, nullptr, kLogged, &Arguments::noLog,
     "make no log beside FILE (by default FILE's name with\n.log is made, and the player logs the run into it)",
     "bez dziennika obok PLIKU (domyślnie powstaje PLIK z końcówką\n.log, a odtwarzacz zapisuje w nim przebieg odtwarzania)"},
    {"--resume", "LOG", "DZIENNIK", kResumes, TakeResume,
     "where the run logged in LOG stopped; FILE gets the rows\nfrom the cut row on",
     "gdzie zatrzymało się odtwarzanie zapisane w DZIENNIKU;\nPLIK dostaje wiersze od przerwanego do końca"},
    {"--skip-cut", nullptr, nullptr, kResumes, &Arguments::skipCut,
     "--resume: the cut row was finished by hand; start after it",
     "--resume: przerwany wiersz dokończono ręcznie; zacznij za nim"},
    cli::ColorOption<Arguments>(kMerging),
};

cli::Modes ModeOf(const Arguments &args) {
  if (args.learn) return kLearn;
  const bool resume = !args.resume.empty();
  if (args.dryRun) return resume ? kResumeDryRun : kDryRun;
  if (args.output.empty()) return resume ? kResumeStdout : kStdout;
  return resume ? kResume : kMerge;
}

// A mode, or a set of modes that has a name of its own; "" for another set.
std::string ModeName(cli::Modes mode) {
  switch (mode) {
    case kMerge: return Say(Msg::kModeMerge);
    case kLearn: return Say(Msg::kModeLearn);
    case kDryRun: case kDryRun | kResumeDryRun: return Say(Msg::kModeDryRun);
    case kDrop: return Say(Msg::kModeDrop);
    case kStdout: return Say(Msg::kModeStdout);
    case kResume: case kResumes: return Say(Msg::kModeResume);
    case kResumeStdout: return Say(Msg::kModeResumeStdout);
    case kResumeDryRun: return Say(Msg::kModeResumeDryRun);
    case kLogged: return Say(Msg::kModeLogged);
    default: return std::string();
  }
}

std::string UsageHead() { return Say(Msg::kUsageHead); }
std::string UsageTail() { return Say(Msg::kUsageTail); }

const cli::ToolText kTool = {"tastiro-merge", UsageHead, UsageTail, ModeName, 27};

}  // namespace

int UsageError(const std::string &message) {
  return cli::Answer(kTool, cli::Rows(kOptions), {cli::Parsed::kError, message});
}

cli::Parsed ReadCommandLine(const std::vector<std::string> &argv, Arguments *args) {
  return cli::Parse(kOptions, ModeOf, kTool, argv, args, &args->files);
}

std::string Usage() { return cli::Usage(kTool, cli::Rows(kOptions)); }

std::vector<const cli::OptionText *> OptionRows() { return cli::Rows(kOptions); }

int ParseArguments(const std::vector<std::string> &argv, Arguments *args) {
  const cli::Parsed parsed = ReadCommandLine(argv, args);
  if (int status = cli::Answer(kTool, cli::Rows(kOptions), parsed); status >= 0) return status;
  if (args->learn) {
    if (args->files.size() != 2) return UsageError(Say(Msg::kLearnNeedsFiles));
    if (!args->dryRun && (!args->outputGiven || args->output.empty()))
      return UsageError(Say(Msg::kLearnNeedsOutput));
  } else if (args->files.size() != 2) {
    return UsageError(Say(Msg::kNeedsFiles));
  }
  return -1;
}

}  // namespace merge
