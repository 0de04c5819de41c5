#include "host/app/core/options.h"

#include <stdlib.h>

#include "host/app/core/text_codec.h"

namespace volmar {

namespace {

bool ParseUnsigned(const std::string &text, unsigned long limit, unsigned long &value) {
  if (text.empty() || text[0] == '-') return false;
  char *end = nullptr;
  value = strtoul(text.c_str(), &end, 0);
  return *end == 0 && value <= limit;
}

std::vector<std::string> Split(const std::string &text) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    if (comma > start) parts.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  return parts;
}

}  // namespace

bool ParseOptions(const std::vector<std::u16string> &args, Options &options, std::string &error) {
  auto fail = [&](const std::string &reason) {
    error = reason;
    return false;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    std::string name = Utf16ToUtf8(args[i]);
    if (name == "--help" || name == "-h" || name == "/?") {
      options.help = true;
      continue;
    }
    if (name == "--time-keys" || name == "--paint-stack") {
      (name == "--time-keys" ? options.timeKeys : options.paintStack) = true;
      continue;
    }
    static const char *const kWithValue[] = {"--features", "--build-date", "--api-level", "--refuse",
                                              "--withdraw", "--keys", "--keys-file", "--answers",
                                              "--timeout", "--ini"};
    bool known = false;
    for (const char *option : kWithValue) known = known || name == option;
    if (!known) return fail("unknown argument " + name);
    if (i + 1 >= args.size()) return fail(name + " needs a value");
    const std::u16string &wide = args[++i];
    std::string value = Utf16ToUtf8(wide);
    unsigned long number = 0;
    if (name == "--features") {
      if (!ParseUnsigned(value, 0xFFFFFFFFul, number)) return fail("bad --features " + value);
      options.features = static_cast<uint32_t>(number);
    } else if (name == "--build-date") {
      options.buildDate = value;
    } else if (name == "--api-level") {
      char *end = nullptr;
      long level = strtol(value.c_str(), &end, 0);
      if (value.empty() || *end != 0) return fail("bad --api-level " + value);
      options.apiLevel = static_cast<int32_t>(level);
    } else if (name == "--refuse") {
      options.refusal = value;
    } else if (name == "--withdraw") {
      for (const std::string &part : Split(value)) {
        if (!ParseUnsigned(part, 0xFFFF, number) || number == 0)
          return fail("bad ordinal " + part + " in --withdraw");
        options.withdraw.push_back(static_cast<uint16_t>(number));
      }
    } else if (name == "--keys") {
      options.scripted = true;
      options.keys = value;
    } else if (name == "--keys-file") {
      options.scripted = true;
      options.keysFile = wide;
    } else if (name == "--answers") {
      options.answers = Split(value);
    } else if (name == "--timeout") {
      if (!ParseUnsigned(value, 86400, number) || number == 0) return fail("bad --timeout " + value);
      options.timeoutSeconds = static_cast<uint32_t>(number);
    } else if (name == "--ini") {
      options.iniPath = wide;
    }
  }
  return true;
}

std::string UsageText() {
  return "VOLMAR: a text editor that hosts plug-ins from its wtyczki folder.\n"
         "\n"
         "  VOLMAR.exe [options]\n"
         "\n"
         "Scripted mode (no terminal needed):\n"
         "  --keys TEXT         type TEXT: plain text, key names such as <Shift+F11>,\n"
         "                      <F3>, <F12>, <Enter>, <Alt+P>, and <Wait:MS>; then, once\n"
         "                      the host is idle, print the editor's text and exit\n"
         "  --keys-file FILE    the same, the keys read from FILE (UTF-8)\n"
         "  --answers LIST      answers for the boxes that ask, in order: yes or no for\n"
         "                      a question, dontshow or ok for a notice (yes,dontshow,no)\n"
         "  --timeout SECONDS   give up after SECONDS (default 120)\n"
         "  --time-keys         print the key loop's time and how many keys it processed\n"
         "  --paint-stack       print the deepest stack of one call of the key filters\n"
         "\n"
         "What the host tells plug-ins (to see their diagnostics):\n"
         "  --features MASK     HostQuery(1, 1) answer; bits other than 0 are missing features\n"
         "  --build-date DATE   the host's own build date, e.g. \"May 16 2023\"\n"
         "  --api-level N       the plug-in interface level (default 112)\n"
         "  --refuse TEXT       the host refuses every plug-in with TEXT\n"
         "  --withdraw LIST     host functions to withdraw, by ordinal (52249,35802)\n"
         "\n"
         "  --ini FILE          the settings file (default VOLMAR.ini beside the host)\n"
         "\n"
         "Exit status: 0 all went well; 1 a plug-in was refused or missing, or an\n"
         "error message was shown; 2 bad arguments; 3 the scripted run timed out.\n";
}

}  // namespace volmar
