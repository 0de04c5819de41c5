#include "tools/cli/command_line.h"

#include <string.h>

#if defined(_WIN32)
#include <windows.h>
#include <shellapi.h>
#endif

#include "tools/lang/lang.h"

namespace cli {

#if defined(_WIN32)

namespace {

std::string Narrow(const wchar_t *wide, UINT codePage) {
  const int n = WideCharToMultiByte(codePage, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, wide, -1, &out[0], n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char **argv) {
  std::vector<std::string> out;
  int count = 0;
  wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
  // The wide arguments only where they are argv's own, word for word: the C
  // runtime may have expanded a wildcard ("*.txt") into file names.
  bool same = wide != nullptr && count == argc;
  for (int i = 1; same && i < count; ++i) same = Narrow(wide[i], CP_ACP) == argv[i];
  for (int i = 0; i < argc; ++i) out.push_back(same ? Narrow(wide[i], CP_UTF8) : std::string(argv[i]));
  if (wide != nullptr) LocalFree(wide);
  return out;
}

#else

std::vector<std::string> Utf8Arguments(int argc, char **argv) {
  return std::vector<std::string>(argv, argv + argc);
}

#endif

void ChooseLanguage(const std::vector<std::string> &argv) {
  lang::Language language = lang::FromEnvironment();
  for (size_t i = 1; i + 1 < argv.size() && argv[i] != "--"; ++i)
    if (argv[i] == "--lang") lang::ByName(argv[i + 1], &language);
  lang::Set(language);
}

}  // namespace cli
