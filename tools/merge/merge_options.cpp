// tastiro-merge's command line: its options and their values.
#include <stdlib.h>
#include <string.h>

#include <string>

#include "tools/lang/console.h"
#include "tools/lang/lang.h"

#include "tools/merge/merge_command.h"

namespace merge_command {

int UsageError(const std::string &message) {
  lang::Write(stderr, Format(msg::kUsageError, message.c_str(), msg::kUsage));
  return 2;
}

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

bool TakesValue(const std::string &arg) {
  static const char *const kWithValue[] = {
      "-o", "--output", "--keys", "--host", "--before", "--after", "--delimiter",
      "--data-encoding", "--template-encoding", "--encoding", "--newline", "--tab", "--rows",
      "--delay", "--at", "--lang", "--resume"};
  for (const char *option : kWithValue)
    if (arg == option) return true;
  return false;
}

// An option with its value; "" when taken, else what is wrong.
std::string TakeOption(const std::string &arg, const char *v, Arguments *args) {
  if (arg == "-o" || arg == "--output") {
    args->outputGiven = true;
    if (*v == 0) return msg::kEmptyOutput;
    args->output = strcmp(v, "-") == 0 ? std::string() : v;
  } else if (arg == "--keys") {
    args->keys = v;
  } else if (arg == "--resume") {
    if (*v == 0) return Format(msg::kNeedsValue, "--resume");
    args->resume = v;
  } else if (arg == "--host") {
    args->host = v;
  } else if (arg == "--before") {
    args->before = v;
  } else if (arg == "--after") {
    args->after = v;
  } else if (arg == "--newline") {
    args->newline = v;
  } else if (arg == "--tab") {
    args->tab = v;
  } else if (arg == "--at") {
    std::string text = v;
    size_t equals = text.rfind('=');
    char *end = nullptr;
    long n = equals == std::string::npos ? 0 : strtol(text.c_str() + equals + 1, &end, 10);
    if (equals == std::string::npos || equals == 0 || n < 1 || *end != 0)
      return msg::kBadAt;
    args->at.push_back({text.substr(0, equals), static_cast<size_t>(n)});
  } else if (arg == "--delimiter") {
    std::string d = v;
    if (d == ";" || d == ",") args->delimiter = d[0];
    else if (d == "tab" || d == "\t") args->delimiter = '\t';
    else return msg::kBadDelimiter;
  } else if (arg == "--data-encoding") {
    if (!codec::CodePageByName(v, &args->dataEncoding) ||
        args->dataEncoding == codec::CodePage::kMazovia)
      return msg::kBadDataEncoding;
  } else if (arg == "--template-encoding") {
    if (!codec::CodePageByName(v, &args->templateEncoding)) return msg::kBadTemplateEncoding;
  } else if (arg == "--encoding") {
    if (!codec::CodePageByName(v, &args->encoding)) return msg::kBadEncoding;
    if (args->encoding == codec::CodePage::kCp852 || args->encoding == codec::CodePage::kCp1250)
      {
      const char *name = codec::CodePageName(args->encoding);
      return Format(msg::kRefusedEncoding, name, name, name);
    }
  } else if (arg == "--rows") {
    if (!ParseRows(v, &args->firstRow, &args->lastRow)) return msg::kBadRows;
  } else if (arg == "--lang") {
    lang::Language language;
    if (!lang::ByName(v, &language)) return msg::kBadLang;
  } else if (arg == "--delay") {
    char *end = nullptr;
    args->delay = strtol(v, &end, 10);
    if (*v == 0 || *end != 0 || args->delay < 0 || args->delay > 65535) return msg::kBadDelay;
  }
  return std::string();
}

// Options that belong to one mode only.  0, or the exit status.
int CheckModes(const Arguments &args) {
  if (args.learn && !args.resume.empty()) return UsageError(msg::kResumeWithLearn);
  if (args.learn && args.noLog) return UsageError(msg::kNoLogWithLearn);
  if (args.skipCut && args.resume.empty()) return UsageError(msg::kSkipCutAlone);
  if (!args.resume.empty() && args.firstRow > 0) return UsageError(msg::kResumeWithRows);
  return 0;
}

}  // namespace

// Parses the command line; a nonzero result is the exit status.
int ParseArguments(int argc, char **argv, Arguments *args) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      lang::Write(stdout, msg::kUsage);
      return -1;
    } else if (arg == "--dry-run" || arg == "--characters") {
      args->dryRun = true;
      args->eachCharacter = args->eachCharacter || arg == "--characters";
    } else if (arg == "--force") {
      args->force = true;
    } else if (arg == "--strict") {
      args->strict = true;
    } else if (arg == "--learn") {
      args->learn = true;
    } else if (arg == "--no-log") {
      args->noLog = true;
    } else if (arg == "--skip-cut") {
      args->skipCut = true;
    } else if (arg == "--color" || arg == "--no-color") {
      args->color = arg == "--color";
    } else if (TakesValue(arg)) {
      if (i + 1 >= argc) return UsageError(Format(msg::kNeedsValue, arg.c_str()));
      std::string error = TakeOption(arg, argv[++i], args);
      if (!error.empty()) return UsageError(error);
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError(Format(msg::kUnknownOption, arg.c_str()));
    } else {
      args->files.push_back(arg);
    }
  }
  if (int status = CheckModes(*args)) return status;
  if (args->learn) {
    if (args->files.size() != 2) return UsageError(msg::kLearnNeedsFiles);
    if (!args->outputGiven || args->output.empty()) return UsageError(msg::kLearnNeedsOutput);
  } else if (args->files.size() != 2) {
    return UsageError(msg::kNeedsFiles);
  }
  return 0;
}

// The language: --lang anywhere on the command line, else the user's.
void ChooseLanguage(int argc, char **argv) {
  lang::Language language = lang::FromEnvironment();
  for (int i = 1; i + 1 < argc; ++i)
    if (strcmp(argv[i], "--lang") == 0) lang::ByName(argv[i + 1], &language);
  lang::Set(language);
}

}  // namespace merge_command
