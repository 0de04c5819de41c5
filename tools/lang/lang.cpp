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

Arg Whole(const std::string &message) {
  Arg arg(message);
  arg.whole = true;
  return arg;
}

std::string Hex(unsigned long value, int digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (; value != 0 || digits > 0; value >>= 4, --digits) out.insert(out.begin(), kDigits[value & 15]);
  return out;
}

std::string Say(const Text &text, std::initializer_list<Arg> values) {
  return Fill(g_current == Language::kPolish ? text.pl : text.en, values);
}

size_t PluralForm(unsigned long long n, size_t forms) {
  if (forms < 3) return n == 1 ? 0 : 1;
  if (n == 1) return 0;
  const unsigned long long ones = n % 10, tens = n % 100;
  return ones >= 2 && ones <= 4 && (tens < 12 || tens > 14) ? 1 : 2;
}

namespace {

// A value as the message shows it: cut behind kLongestValue characters.
std::string Shown(const Arg &value) {
  if (value.whole) return value.text;
  size_t characters = 0;
  for (size_t i = 0; i < value.text.size(); ++i) {
    if ((static_cast<unsigned char>(value.text[i]) & 0xC0) == 0x80) continue;
    if (++characters > kLongestValue) return value.text.substr(0, i) + "\xE2\x80\xA6";  // …
  }
  return value.text;
}

// One placeholder at `p` ("{n}" or "{n|form|...}"): its number, its forms
// (none for "{n}") and its length; false when `p` holds none.
struct Placeholder {
  size_t number = 0;
  std::string forms[4];
  size_t formCount = 0;
  size_t length = 0;
};

bool ReadPlaceholder(const char *p, Placeholder *out) {
  if (p[0] != '{' || p[1] < '1' || p[1] > '9') return false;
  out->number = static_cast<size_t>(p[1] - '0');
  if (p[2] == '}') {
    out->length = 3;
    return true;
  }
  if (p[2] != '|') return false;
  const char *q = p + 3;
  for (;;) {
    const char *end = q;
    while (*end != 0 && *end != '|' && *end != '}' && *end != '{') ++end;
    if (*end != '|' && *end != '}') return false;
    if (out->formCount == 4) return false;
    out->forms[out->formCount++].assign(q, end);
    q = end + 1;
    if (*end == '}') break;
  }
  out->length = static_cast<size_t>(q - p);
  return true;
}

}  // namespace

std::string Fill(const char *pattern, std::initializer_list<Arg> values) {
  std::string out;
  for (const char *p = pattern; *p != 0; ++p) {
    Placeholder placeholder;
    if ((p[0] == '{' && p[1] == '{') || (p[0] == '}' && p[1] == '}')) {
      out += *p++;
    } else if (ReadPlaceholder(p, &placeholder) && placeholder.number <= values.size()) {
      const Arg &value = values.begin()[placeholder.number - 1];
      if (placeholder.formCount == 0) {
        out += Shown(value);
      } else {
        const unsigned long long n = strtoull(value.text.c_str(), nullptr, 10);
        out += placeholder.forms[PluralForm(n, placeholder.formCount)];
      }
      p += placeholder.length - 1;
    } else {
      out += *p;
    }
  }
  return out;
}

long Placeholders(const char *pattern, size_t forms) {
  long used = 0;
  for (const char *p = pattern; *p != 0; ++p) {
    Placeholder placeholder;
    if ((p[0] == '{' && p[1] == '{') || (p[0] == '}' && p[1] == '}')) {
      ++p;
    } else if (ReadPlaceholder(p, &placeholder)) {
      if (placeholder.formCount != 0 && placeholder.formCount != forms) return -1;
      used |= 1L << placeholder.number;
      p += placeholder.length - 1;
    } else if (*p == '{' || *p == '}') {
      return -1;
    }
  }
  return used;
}

std::string CheckCatalog(const Text *texts, size_t count) {
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
    const long en = Placeholders(t.en, 2), pl = Placeholders(t.pl, 3);
    if (en < 0) faults += id + ": a stray brace or a plural without two forms in the English text\n";
    if (pl < 0) faults += id + ": a stray brace or a plural without three forms in the Polish text\n";
    if (en >= 0 && pl >= 0 && en != pl) faults += id + ": the placeholders differ\n";
  }
  return faults;
}

}  // namespace lang
