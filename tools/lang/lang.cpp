#include "tools/lang/lang.h"

#include <stdlib.h>
#include <string.h>

#include <set>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace lang {

namespace {

Language g_current = Language::kEnglish;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

}  // namespace

Language FromLocaleName(const char *name) {
  if (name == nullptr || Lower(name[0]) != 'p' || Lower(name[1]) != 'l') return Language::kEnglish;
  char next = name[2];
  return next == 0 || next == '_' || next == '-' || next == '.' || next == '@' ? Language::kPolish
                                                                              : Language::kEnglish;
}

Language FromEnvironment() {
#if defined(_WIN32)
  // The primary language of the interface the user reads Windows in.
  return (GetUserDefaultUILanguage() & 0x3FF) == LANG_POLISH ? Language::kPolish
                                                             : Language::kEnglish;
#else
  for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char *value = getenv(variable);
    if (value != nullptr && *value != 0) return FromLocaleName(value);
  }
  return Language::kEnglish;
#endif
}

bool ByName(const std::string &name, Language *language) {
  std::string lower;
  for (char c : name) lower += Lower(c);
  if (lower == "pl") *language = Language::kPolish;
  else if (lower == "en") *language = Language::kEnglish;
  else return false;
  return true;
}

void Set(Language language) { g_current = language; }
Language Current() { return g_current; }

std::string Say(const Text &text, std::initializer_list<std::string> values) {
  return Fill(g_current == Language::kPolish ? text.pl : text.en, values);
}

std::string Fill(const char *pattern, std::initializer_list<std::string> values) {
  std::string out;
  for (const char *p = pattern; *p != 0; ++p) {
    if ((p[0] == '{' && p[1] == '{') || (p[0] == '}' && p[1] == '}')) {
      out += *p++;
    } else if (p[0] == '{' && p[1] >= '1' && p[1] <= '9' && p[2] == '}' &&
               static_cast<size_t>(p[1] - '0') <= values.size()) {
      out += values.begin()[p[1] - '1'];
      p += 2;
    } else {
      out += *p;
    }
  }
  return out;
}

long Placeholders(const char *pattern) {
  long used = 0;
  for (const char *p = pattern; *p != 0; ++p) {
    if ((p[0] == '{' && p[1] == '{') || (p[0] == '}' && p[1] == '}')) {
      ++p;
    } else if (p[0] == '{' && p[1] >= '1' && p[1] <= '9' && p[2] == '}') {
      used |= 1L << (p[1] - '0');
      p += 2;
    } else if (*p == '{' || *p == '}') {
      return -1;
    }
  }
  return used;
}

Text::operator const char *() const { return g_current == Language::kPolish ? pl : en; }

std::string PrintfConversions(const char *format) {
  std::string out;
  for (const char *p = format; *p != 0; ++p) {
    if (*p != '%') continue;
    ++p;
    if (*p == '%') continue;
    while (*p != 0 && strchr("-+ #0123456789.*", *p) != nullptr) ++p;
    std::string length;
    while (*p != 0 && strchr("hljztL", *p) != nullptr) length += *p++;
    if (*p == 0) return out + "?";
    out += "%" + length + *p;
  }
  return out;
}

std::string CheckCatalog(const Text *texts, size_t count, Placeholding placeholding) {
  std::string faults;
  std::set<std::string> ids;
  for (size_t i = 0; i < count; ++i) {
    const Text &t = texts[i];
    const std::string id = t.id != nullptr ? t.id : "(no id)";
    if (t.id == nullptr || *t.id == 0) faults += "entry " + std::to_string(i) + " has no id\n";
    if (!ids.insert(id).second) faults += id + ": the id is used twice\n";
    if (t.en == nullptr || *t.en == 0) faults += id + ": no English text\n";
    if (t.pl == nullptr || *t.pl == 0) faults += id + ": no Polish text\n";
    if (t.en == nullptr || t.pl == nullptr) continue;
    if (placeholding == Placeholding::kPrintf) {
      if (PrintfConversions(t.en) != PrintfConversions(t.pl))
        faults += id + ": the conversions differ (" + PrintfConversions(t.en) + " and " +
                  PrintfConversions(t.pl) + ")\n";
      continue;
    }
    long en = Placeholders(t.en), pl = Placeholders(t.pl);
    if (en < 0) faults += id + ": a stray brace in the English text\n";
    if (pl < 0) faults += id + ": a stray brace in the Polish text\n";
    if (en >= 0 && pl >= 0 && en != pl) faults += id + ": the placeholders differ\n";
  }
  return faults;
}

}  // namespace lang
