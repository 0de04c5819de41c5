// The one table of a tool's options: each row names the option, its value,
// the modes it applies in and its help in both languages, and says how it
// sets the tool's arguments.  The table drives the parsing of the command
// line and the usage text alike, so that an option cannot be read but left
// out of the help (or the other way round), and an option given in a mode
// it does not apply to is an error, never silently ignored.
//
// Adding an option is adding a row:
//   {"--no-log", nullptr, nullptr, kMerge, &Arguments::noLog,
//    "write no log beside the macro", "nie zapisuje dziennika obok makra"},
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

namespace cli {

// The modes of a tool (check, convert; merge, learn, dry run, drop ...), one
// bit each, as the tool numbers them.
using Modes = unsigned;

// What a row says of itself, whatever the tool.
struct OptionText {
  const char *names;    // "-o, --output": every name the option has
  const char *valueEn;  // "FILE"; nullptr for an option without a value
  const char *valuePl;  // "PLIK"
  Modes modes;          // the modes it applies in
  const char *helpEn;   // one line or more ('\n' between them)
  const char *helpPl;
};

// How a row sets the tool's arguments: a flag set true, a text stored, or a
// function given the option as written and its value (nullptr for an
// option without one), which says what is wrong ("" when taken).
template <class Args>
struct Setter {
  using Reader = std::string (*)(const std::string &option, const char *value, Args &args);
  Setter(bool Args::*member) : flag(member) {}
  Setter(std::string Args::*member) : text(member) {}
  Setter(Reader function) : read(function) {}
  bool Args::*flag = nullptr;
  std::string Args::*text = nullptr;
  Reader read = nullptr;
};

// The setters both tools' tables share, for an Args with the members each
// names: --delay MS (`delay`, milliseconds from 0 to 65535), --characters
// (a dry run, `dryRun`, of each character, `eachCharacter`), --color and
// --no-color (`color` 1 or 0).
bool ReadDelay(const char *value, long *delay);
std::string BadDelay();
template <class Args>
std::string TakeDelay(const std::string &, const char *value, Args &args) {
  return ReadDelay(value, &args.delay) ? std::string() : BadDelay();
}
template <class Args>
std::string TakeCharacters(const std::string &, const char *, Args &args) {
  args.dryRun = args.eachCharacter = true;
  return std::string();
}
template <class Args>
std::string TakeColor(const std::string &option, const char *, Args &args) {
  args.color = option == "--color" ? 1 : 0;
  return std::string();
}

// The rows of the options both tools have, with the same help in both.
template <class Args>
struct Option;
template <class Args>
Option<Args> CharactersOption(Modes modes);
template <class Args>
Option<Args> DelayOption(Modes modes);
template <class Args>
Option<Args> ColorOption(Modes modes);

// An option may be given once (a second time is an error, never "the last
// wins"), unless its row is `repeatable` (--at Column=N, one per column).
template <class Args>
struct Option : OptionText {
  Option(const char *names, const char *valueEn, const char *valuePl, Modes modes,
         Setter<Args> set, const char *helpEn, const char *helpPl, bool repeatable = false)
      : OptionText{names, valueEn, valuePl, modes, helpEn, helpPl}, set(set), repeatable(repeatable) {}
  Setter<Args> set;
  bool repeatable;
};

template <class Args>
Option<Args> CharactersOption(Modes modes) {
  return {"--characters", nullptr, nullptr, modes, TakeCharacters<Args>,
          "the dry run with one line for each character typed",
          "to samo, ale każdy wpisany znak w osobnym wierszu"};
}
template <class Args>
Option<Args> DelayOption(Modes modes) {
  return {"--delay", "MS", "MS", modes, TakeDelay<Args>,
          "the key delay (default: the one stored in VOLMAR.ini\nof --host or of the current folder, else 100 ms)",
          "odstęp między klawiszami (domyślnie ten zapisany w VOLMAR.ini\nfolderu z --host albo bieżącego, a bez niego 100 ms)"};
}
template <class Args>
Option<Args> ColorOption(Modes modes) {
  return {"--color, --no-color", nullptr, nullptr, modes, TakeColor<Args>,
          "colours on or off (default: where the window shows them)",
          "kolory włączone albo wyłączone (domyślnie tam, gdzie okno je pokazuje)"};
}

// The parts of a tool's usage text around its options, and how it names
// its modes in a message ("with --learn"), in the current language: each
// mode, and any set of modes it has one name for ("" for another set).
struct ToolText {
  const char *tool;                  // "tastiro-merge"
  std::string (*head)();             // the synopsis and what the tool does
  std::string (*tail)();             // behind the options: output, exit status
  std::string (*modeName)(Modes mode);
  size_t helpColumn;                 // where the options' help starts
};

// The usage text: the head, every row with its help, then --lang and
// --help, which every tool has, and the tail.
std::string Usage(const ToolText &tool, const std::vector<const OptionText *> &rows);
// The row that has `arg` among its names; -1 for none.
int FindOption(const std::vector<const OptionText *> &rows, const std::string &arg);
// Whether `arg` is meant as an option ("-x", "--x"; "-" alone is a file).
bool LooksLikeOption(const std::string &arg);
// Why an option given does not fit the mode: "" when it applies in it.
std::string NotInMode(const ToolText &tool, const OptionText &row, const std::string &given,
                      Modes mode);
// Whether "-h" or "--help" stands anywhere on the command line: the usage
// is shown whatever else is wrong.
bool AsksForHelp(const std::vector<std::string> &argv);
// Whether `name` names a language, as --lang takes it.
bool LanguageName(const std::string &name);
// The messages of a command line that cannot be read.
std::string UnknownOption(const std::string &arg);
std::string NeedsValue(const std::string &arg);
std::string EmptyValue(const std::string &arg);
std::string GivenTwice(const std::string &first, const std::string &again);
std::string BadLanguage();
// "--", after which every argument is a file, even one that starts with '-'.
inline bool EndsOptions(const std::string &arg) { return arg == "--"; }

// The rows of a table, as Usage and FindOption take them.
template <class Args, size_t N>
std::vector<const OptionText *> Rows(const Option<Args> (&table)[N]) {
  std::vector<const OptionText *> rows;
  for (const Option<Args> &row : table) rows.push_back(&row);
  return rows;
}

// What reading a command line came to.
struct Parsed {
  enum Outcome { kGoOn, kHelp, kError } outcome = kGoOn;
  std::string error;  // kError: what is wrong
};

// Reads argv[1..] into `args` by the table: options by their rows, the
// rest as `positional` (in order), and everything behind "--" too; "-h"
// and "--help" ask for the usage, and "--lang pl|en", which every tool
// takes, is checked (ChooseLanguage has set the language before).  An
// option given twice is an error unless its row is repeatable, and so is
// an empty value of a row that stores its text (a row with a function says
// itself why an empty value is wrong).
// Then every option given must apply in the mode the arguments make
// (modeOf).
template <class Args, size_t N>
Parsed Parse(const Option<Args> (&table)[N], Modes (*modeOf)(const Args &),
             const ToolText &tool, const std::vector<std::string> &argv, Args *args,
             std::vector<std::string> *positional) {
  const std::vector<const OptionText *> rows = Rows(table);
  if (AsksForHelp(argv)) return {Parsed::kHelp, ""};
  std::vector<std::pair<int, std::string>> given;
  bool languageGiven = false;
  for (size_t i = 1; i < argv.size(); ++i) {
    const std::string &arg = argv[i];
    if (EndsOptions(arg)) {
      positional->insert(positional->end(), argv.begin() + static_cast<long>(i) + 1, argv.end());
      break;
    }
    if (arg == "--lang") {  // every tool's, in every mode (see ChooseLanguage)
      if (i + 1 >= argv.size()) return {Parsed::kError, NeedsValue(arg)};
      if (languageGiven) return {Parsed::kError, GivenTwice(arg, arg)};
      languageGiven = true;
      if (!LanguageName(argv[++i])) return {Parsed::kError, BadLanguage()};
      continue;
    }
    const int found = FindOption(rows, arg);
    if (found < 0) {
      if (LooksLikeOption(arg)) return {Parsed::kError, UnknownOption(arg)};
      positional->push_back(arg);
      continue;
    }
    const Option<Args> &row = table[found];
    for (const auto &[earlier, as] : given)
      if (earlier == found && !row.repeatable) return {Parsed::kError, GivenTwice(as, arg)};
    const char *value = nullptr;
    if (row.valueEn != nullptr) {
      if (i + 1 >= argv.size()) return {Parsed::kError, NeedsValue(arg)};
      value = argv[++i].c_str();
      if (*value == 0 && row.set.text != nullptr) return {Parsed::kError, EmptyValue(arg)};
    }
    std::string error;
    if (row.set.flag != nullptr) args->*row.set.flag = true;
    else if (row.set.text != nullptr) args->*row.set.text = value;
    else error = row.set.read(arg, value, *args);
    if (!error.empty()) return {Parsed::kError, error};
    given.push_back({found, arg});
  }
  const Modes mode = modeOf(*args);
  for (const auto &[row, arg] : given) {
    const std::string error = NotInMode(tool, table[row], arg, mode);
    if (!error.empty()) return {Parsed::kError, error};
  }
  return {};
}

// What a tool does with what Parse came to: the usage on standard output
// for --help (exit status 0); for an error, one line saying what is wrong and
// one pointing to --help on standard error (exit status 2); -1 to go on.
int Answer(const ToolText &tool, const std::vector<const OptionText *> &rows, const Parsed &parsed);

}  // namespace cli
