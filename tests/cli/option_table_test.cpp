// The one option table (tools/cli) as both tools use it: every option in
// both usage texts, and an option given in a mode it does not apply to
// refused, never ignored.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "tools/cmd/check/check_command.h"
#include "tools/cli/option_table.h"
#include "tools/os/console.h"
#include "tools/lang/lang.h"
#include "tools/cmd/merge/merge_command.h"
#include "tools/messages/cli_texts.h"

namespace {

using lang::Language;

struct LanguageScope {
  ~LanguageScope() { lang::Set(Language::kEnglish); }
};

// Every name of every row, with its value, and its help's first line.
void ExpectEveryOptionIn(const std::string &usage, const std::vector<const cli::OptionText *> &rows,
                         bool polish) {
  for (const cli::OptionText *row : rows) {
    std::string names = row->names;
    const char *value = polish ? row->valuePl : row->valueEn;
    if (value != nullptr) names += std::string(" ") + value;
    EXPECT_NE(std::string::npos, usage.find("  " + names + " ")) << names;
    const std::string help = polish ? row->helpPl : row->helpEn;
    ASSERT_FALSE(help.empty()) << names;
    EXPECT_NE(std::string::npos, usage.find(help.substr(0, help.find('\n')))) << names;
  }
  EXPECT_NE(std::string::npos, usage.find("  --lang pl|en ")) << usage;
  EXPECT_NE(std::string::npos, usage.find("  -h, --help ")) << usage;
}

TEST(OptionTable, EveryOptionOfBothToolsIsInBothUsageTexts) {
  LanguageScope scope;
  for (Language language : {Language::kEnglish, Language::kPolish}) {
    lang::Set(language);
    const bool polish = language == Language::kPolish;
    SCOPED_TRACE(polish ? "Polish" : "English");
    ExpectEveryOptionIn(check::Usage(), check::OptionRows(), polish);
    ExpectEveryOptionIn(merge::Usage(), merge::OptionRows(), polish);
    EXPECT_EQ(0u, merge::Usage().find(polish ? "użycie: tastiro-merge" : "usage: tastiro-merge"));
  }
  EXPECT_EQ("", lang::CheckCatalog(messages::Catalog<messages::CliMsg>::kTexts, messages::Catalog<messages::CliMsg>::kCount));
}

// A command line, and the error it gets ("" when it is read).
struct Case {
  std::vector<std::string> argv;
  const char *error;
};

std::vector<std::string> WithProgram(const std::vector<std::string> &args) {
  std::vector<std::string> argv = {"tool"};
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

TEST(OptionTable, AMergeOptionOutsideItsModeIsAnError) {
  const Case cases[] = {
      {{"--at", "Nazwa=2", "-o", "m.txt", "t.txt", "d.csv"}, "--at does not apply to a merge (only with --learn)"},
      {{"--learn", "--rows", "2-", "r.txt", "d.csv", "-o", "t.txt"}, "--rows does not apply with --learn"},
      {{"--learn", "--before", "b.txt", "r.txt", "d.csv", "-o", "t.txt"}, "--before does not apply with --learn"},
      {{"--learn", "--characters", "r.txt", "d.csv", "-o", "t.txt"}, "--characters does not apply with --learn (only with --dry-run)"},
      {{"--learn", "--dry-run", "r.txt", "d.csv"}, ""},
      {{"--learn", "--keep-empty-rows", "r.txt", "d.csv", "-o", "t.txt"}, "--keep-empty-rows does not apply with --learn"},
      {{"--characters", "--at", "A=1", "t.txt", "d.csv"}, "--at does not apply with --dry-run (only with --learn)"},
      {{"--learn", "--at", "Nazwa=2", "--newline", "ENTER", "r.txt", "d.csv", "-o", "t.txt"}, ""},
      {{"--dry-run", "--rows", "2-", "--force", "-o", "m.txt", "t.txt", "d.csv"}, ""},
      {{"--lang", "pl", "--strict", "t.txt", "d.csv"}, ""},
      // The run's log and --resume: modes of their own.
      {{"--no-log", "-o", "m.txt", "t.txt", "d.csv"}, ""},
      {{"--no-log", "t.txt", "d.csv"}, "--no-log does not apply to a merge on standard output (only to a merged macro written with -o)"},
      {{"--no-log", "--dry-run", "-o", "m.txt", "t.txt", "d.csv"}, "--no-log does not apply with --dry-run (only to a merged macro written with -o)"},
      {{"--learn", "--no-log", "r.txt", "d.csv", "-o", "t.txt"}, "--no-log does not apply with --learn (only to a merged macro written with -o)"},
      {{"--resume", "r.log", "--no-log", "--skip-cut", "--strict", "-o", "m.txt", "t.txt", "d.csv"}, ""},
      {{"--resume", "r.log", "--no-log", "t.txt", "d.csv"}, "--no-log does not apply with --resume on standard output (only to a merged macro written with -o)"},
      {{"--resume", "r.log", "--characters", "--skip-cut", "t.txt", "d.csv"}, ""},
      {{"--resume", "r.log", "--rows", "2-", "-o", "m.txt", "t.txt", "d.csv"}, "--rows does not apply with --resume"},
      {{"--skip-cut", "t.txt", "d.csv"}, "--skip-cut does not apply to a merge on standard output (only with --resume)"},
      {{"--learn", "--resume", "r.log", "r.txt", "d.csv", "-o", "t.txt"}, "--resume does not apply with --learn"},
      {{"--resume", "", "t.txt", "d.csv"}, "--resume needs a value, not an empty text"},
      {{"--frobnicate", "t.txt", "d.csv"}, "unknown option --frobnicate"},
      {{"t.txt", "d.csv", "--rows"}, "--rows needs a value"},
      {{"--lang", "de", "t.txt", "d.csv"}, "--lang is pl or en"},
  };
  for (const Case &c : cases) {
    merge::Arguments args;
    const cli::Parsed parsed = merge::ReadCommandLine(WithProgram(c.argv), &args);
    EXPECT_EQ(c.error, parsed.error) << c.argv[0] << " " << c.argv[1];
    EXPECT_EQ(*c.error == 0 ? cli::Parsed::kGoOn : cli::Parsed::kError, parsed.outcome);
  }
}

TEST(OptionTable, ACheckOptionOutsideItsModeIsAnError) {
  const Case cases[] = {
      {{"--from", "cp1250", "m.txt"}, "--from does not apply to a check (only with --convert)"},
      {{"--convert", "--json", "m.txt"}, "--json does not apply with --convert (only to a check)"},
      {{"--convert", "--keys", "k.h", "m.txt"}, "--keys does not apply with --convert (only to a check)"},
      {{"--convert", "--from", "cp852", "m.txt"}, ""},
      {{"--dry-run", "--characters", "--delay", "50", "--no-color", "m.txt"}, ""},
      {{"--delay", "x", "m.txt"}, "--delay needs a number of milliseconds from 0 to 65535"},
  };
  for (const Case &c : cases) {
    check::Arguments args;
    std::vector<std::string> files;
    const cli::Parsed parsed = check::ReadCommandLine(WithProgram(c.argv), &args, &files);
    EXPECT_EQ(c.error, parsed.error) << c.argv[0] << " " << c.argv[1];
    if (*c.error == 0) {
      EXPECT_EQ(std::vector<std::string>{"m.txt"}, files);
    }
  }
}

// Every option that takes a value refuses an empty one, in both tools:
// an empty value is never taken for "none".
TEST(OptionTable, AnEmptyValueIsAnError) {
  for (const cli::OptionText *row : merge::OptionRows()) {
    if (row->valueEn == nullptr) continue;
    const std::string name = std::string(row->names).substr(std::string(row->names).rfind(' ') + 1);
    merge::Arguments args;
    const cli::Parsed parsed = merge::ReadCommandLine(WithProgram({name, "", "-o", "m.txt", "t.txt", "d.csv"}), &args);
    EXPECT_EQ(cli::Parsed::kError, parsed.outcome) << name;
  }
  for (const cli::OptionText *row : check::OptionRows()) {
    if (row->valueEn == nullptr) continue;
    check::Arguments args;
    std::vector<std::string> files;
    EXPECT_EQ(cli::Parsed::kError, check::ReadCommandLine(WithProgram({row->names, "", "m.txt"}), &args, &files).outcome)
        << row->names;
  }
}

// An option given twice is refused (never "the last wins"), but for --at,
// one per column; "--" ends the options.
TEST(OptionTable, RepeatedOptionsAndTheEndOfOptions) {
  const Case cases[] = {
      {{"--keys", "a.h", "--keys", "b.h", "t.txt", "d.csv"}, "--keys is given twice: give it once"},
      {{"--force", "-o", "m.txt", "--force", "t.txt", "d.csv"}, "--force is given twice: give it once"},
      {{"-o", "a.txt", "--output", "b.txt", "t.txt", "d.csv"}, "--output is given beside -o, which says the opposite or the same: give one of them"},
      {{"--color", "--no-color", "t.txt", "d.csv"}, "--no-color is given beside --color, which says the opposite or the same: give one of them"},
      {{"--lang", "en", "--lang", "pl", "t.txt", "d.csv"}, "--lang is given twice: give it once"},
      {{"--learn", "--at", "A=1", "--at", "B=2", "r.txt", "d.csv", "-o", "t.txt"}, ""},
      {{"-o", "m.txt", "--", "-t.txt", "--help"}, ""},
  };
  for (const Case &c : cases) {
    merge::Arguments args;
    const cli::Parsed parsed = merge::ReadCommandLine(WithProgram(c.argv), &args);
    EXPECT_EQ(c.error, parsed.error) << c.argv[0] << " " << c.argv[1];
  }
  merge::Arguments args;
  ASSERT_EQ(cli::Parsed::kGoOn, merge::ReadCommandLine(WithProgram({"-o", "m.txt", "--", "-t.txt", "--help"}), &args).outcome);
  EXPECT_EQ((std::vector<std::string>{"-t.txt", "--help"}), args.files);
  check::Arguments checkArgs;
  std::vector<std::string> files;
  EXPECT_EQ("--log is given twice: give it once",
            check::ReadCommandLine(WithProgram({"--log", "a.log", "--log", "b.log", "m.txt"}), &checkArgs, &files).error);
  check::Arguments more;
  files.clear();
  EXPECT_EQ(cli::Parsed::kGoOn, check::ReadCommandLine(WithProgram({"--json", "--", "--json"}), &more, &files).outcome);
  EXPECT_EQ(std::vector<std::string>{"--json"}, files);
}

TEST(OptionTable, HelpIsAskedForAnywhereAndTheModeIsSaidInPolish) {
  LanguageScope scope;
  merge::Arguments args;
  EXPECT_EQ(cli::Parsed::kHelp,
            merge::ReadCommandLine(WithProgram({"--at", "x", "-h"}), &args).outcome);
  lang::Set(Language::kPolish);
  merge::Arguments again;
  EXPECT_EQ("--at nie ma zastosowania przy scalaniu (tylko przy --learn)",
            merge::ReadCommandLine(WithProgram({"--at", "A=1", "-o", "m", "t", "d"}), &again).error);
}

// A command a message suggests works from the folder the user is in: the
// tool named by its path from there, "./" in its own folder, its whole path
// from elsewhere (these tests stand in for the tool's folder).
TEST(ToolCommand, NamesTheToolAsItRunsFromTheCurrentFolder) {
  const std::string saved = os::CurrentFolder(), folder = os::ProgramFolder();
  ASSERT_FALSE(folder.empty());
  const size_t parent = folder.find_last_of('/', folder.size() - 2);
  ASSERT_EQ(0, chdir(folder.substr(0, parent + 1).c_str()));
  EXPECT_EQ(folder.substr(parent + 1) + "tastiro-check", os::ToolCommand("tastiro-check"));
  ASSERT_EQ(0, chdir(folder.c_str()));
  EXPECT_EQ("./tastiro-check", os::ToolCommand("tastiro-check"));
  ASSERT_EQ(0, chdir((folder + "CMakeFiles").c_str()));  // below the tool's folder
  EXPECT_EQ(folder + "tastiro-check", os::ToolCommand("tastiro-check"));
  ASSERT_EQ(0, chdir(saved.c_str()));
}

}  // namespace
