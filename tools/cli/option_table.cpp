#include "tools/cli/option_table.h"

#include <stdlib.h>

#include "tools/os/console.h"
#include "tools/lang/lang.h"
#include "tools/messages/cli_texts.h"

namespace cli {

using Msg = messages::CliMsg;

namespace {

// "-o, --output" holds "-o" and "--output".
bool HasName(const char *names, const std::string &arg) {
  const std::string all = names;
  for (size_t at = 0; at < all.size();) {
    size_t end = all.find(", ", at);
    if (end == std::string::npos) end = all.size();
    if (all.compare(at, end - at, arg) == 0 && end - at == arg.size()) return true;
    at = end + 2;
  }
  return false;
}

// One option of the usage: its names and value, then its help, its
// further lines under the first.
std::string UsageRow(const std::string &names, const std::string &help, size_t column) {
  std::string out = "  " + names;
  out += out.size() + 1 < column ? std::string(column - out.size(), ' ') : " ";
  for (char c : help) {
    out += c;
    if (c == '\n') out += std::string(column, ' ');
  }
  return out + "\n";
}

}  // namespace

std::string Usage(const ToolText &tool, const std::vector<const OptionText *> &rows) {
  const bool polish = lang::Current() == lang::Language::kPolish;
  std::string out = tool.head();
  for (const OptionText *row : rows) {
    std::string names = row->names;
    if (row->valueEn != nullptr) names += std::string(" ") + (polish ? row->valuePl : row->valueEn);
    out += UsageRow(names, polish ? row->helpPl : row->helpEn, tool.helpColumn);
  }
  out += UsageRow("--lang pl|en", Say(Msg::kLangHelp), tool.helpColumn);
  out += UsageRow("-h, --help", Say(Msg::kHelpHelp), tool.helpColumn);
  return out + tool.tail();
}

int FindOption(const std::vector<const OptionText *> &rows, const std::string &arg) {
  for (size_t i = 0; i < rows.size(); ++i)
    if (HasName(rows[i]->names, arg)) return static_cast<int>(i);
  return -1;
}

bool LooksLikeOption(const std::string &arg) { return arg.size() > 1 && arg[0] == '-'; }

std::string NotInMode(const ToolText &tool, const OptionText &row, const std::string &given,
                      Modes mode) {
  if ((row.modes & mode) != 0) return std::string();
  std::string error = Say(Msg::kNotInMode, {given, tool.modeName(mode)});
  // Where it does apply, when the tool has a name for that mode (or that
  // set of modes) other than the option itself.
  const std::string only = row.modes != 0 ? tool.modeName(row.modes) : std::string();
  if (!only.empty() && only.find(given) == std::string::npos)
    error += Say(Msg::kOnlyInMode, {only});
  return error;
}

bool AsksForHelp(const std::vector<std::string> &argv) {
  for (size_t i = 1; i < argv.size() && !EndsOptions(argv[i]); ++i)
    if (argv[i] == "-h" || argv[i] == "--help") return true;
  return false;
}

bool LanguageName(const std::string &name) {
  lang::Language ignored;
  return lang::ByName(name, &ignored);
}

std::string UnknownOption(const std::string &arg) { return Say(Msg::kUnknownOption, {arg}); }
std::string NeedsValue(const std::string &arg) { return Say(Msg::kNeedsValue, {arg}); }
std::string EmptyValue(const std::string &arg) { return Say(Msg::kEmptyValue, {arg}); }
std::string GivenTwice(const std::string &first, const std::string &again) {
  return first == again ? Say(Msg::kGivenTwice, {again}) : Say(Msg::kGivenTwiceAs, {again, first});
}
std::string BadLanguage() { return Say(Msg::kBadLanguage); }

int Answer(const ToolText &tool, const std::vector<const OptionText *> &rows, const Parsed &parsed) {
  if (parsed.outcome == Parsed::kHelp) {
    os::Write(stdout, Usage(tool, rows));
    return 0;
  }
  if (parsed.outcome == Parsed::kError) {
    // What is wrong and where the options are told, never the whole help:
    // the one line that matters would scroll away behind it.
    os::Write(stderr, std::string(tool.tool) + ": " + parsed.error + "\n" +
                          Say(Msg::kSeeHelp, {tool.tool}) + "\n");
    return 2;
  }
  return -1;
}

}  // namespace cli

namespace cli {

bool ReadDelay(const char *value, long *delay) {
  char *end = nullptr;
  const long read = strtol(value, &end, 10);
  if (*value == 0 || *end != 0 || read < 0 || read > 65535) return false;
  *delay = read;
  return true;
}

std::string BadDelay() { return Say(Msg::kBadDelay); }

}  // namespace cli
