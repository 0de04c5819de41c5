#include "tests/wine/check.h"

#include <stdarg.h>
#include <stdio.h>

static int g_passed = 0;
static int g_failed = 0;

std::string Format(const char *format, ...) {
  char text[4096];
  va_list values;
  va_start(values, format);
  vsnprintf(text, sizeof text, format, values);
  va_end(values);
  text[sizeof text - 1] = 0;  // msvcrt leaves a full buffer unterminated
  return text;
}

std::string Escaped(const std::string &bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    switch (c) {
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      default:
        if (c < 0x20 || c >= 0x7F) out += Format("\\x%02X", c);
        else out += static_cast<char>(c);
    }
  }
  return out;
}

bool Check(bool ok, const std::string &what) {
  printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
  fflush(stdout);
  (ok ? g_passed : g_failed)++;
  return ok;
}

bool CheckBytes(const std::string &expected, const std::string &actual, const std::string &what) {
  bool ok = expected == actual;
  Check(ok, what);
  if (!ok) {
    printf("     expected: \"%s\"\n     actual:   \"%s\"\n", Escaped(expected).c_str(),
           Escaped(actual).c_str());
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
    printf("     first difference at byte %u\n", static_cast<unsigned>(at));
  }
  return ok;
}

bool CheckValue(int64_t expected, int64_t actual, const std::string &what) {
  bool ok = expected == actual;
  Check(ok, what);
  if (!ok)
    printf("     expected: %lld (0x%llX)\n     actual:   %lld (0x%llX)\n",
           static_cast<long long>(expected), static_cast<unsigned long long>(expected),
           static_cast<long long>(actual), static_cast<unsigned long long>(actual));
  return ok;
}

bool CheckLines(const std::vector<std::string> &expected, const std::vector<std::string> &actual,
                const std::string &what) {
  bool ok = expected == actual;
  Check(ok, what);
  if (!ok) {
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
    printf("     %u expected, %u actual; first difference at line %u\n",
           static_cast<unsigned>(expected.size()), static_cast<unsigned>(actual.size()),
           static_cast<unsigned>(at));
    size_t from = at >= 3 ? at - 3 : 0;
    for (size_t i = from; i < at + 4 && (i < expected.size() || i < actual.size()); ++i)
      printf("     %3u  expected %-40s  actual %s\n", static_cast<unsigned>(i),
             i < expected.size() ? expected[i].c_str() : "-",
             i < actual.size() ? actual[i].c_str() : "-");
  }
  return ok;
}

void Skip(const std::string &what, const std::string &why) {
  printf("skip %s (%s)\n", what.c_str(), why.c_str());
  fflush(stdout);
}

int FailedChecks() { return g_failed; }

int CheckSummary() {
  printf("%d passed, %d failed\n", g_passed, g_failed);
  fflush(stdout);
  return g_failed == 0 && g_passed > 0 ? 0 : 1;
}
