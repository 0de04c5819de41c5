// The tools' two languages: Polish for the host's users, English for the
// rest.  Each tool keeps its texts in a catalog (a list of Text, one entry a
// message in both languages, with the same numbered placeholders {1}, {2},
// ...), and prints the one of the language chosen at its start.
#pragma once

#include <stddef.h>

#include <initializer_list>
#include <string>
#include <type_traits>

namespace lang {

enum class Language { kEnglish, kPolish };

// One message of a catalog: its text in both languages, with the same
// numbered placeholders.  "{n}" is the n-th value; "{n|one|other}" (English)
// and "{n|one|few|many}" (Polish) is the plural form the n-th value, a
// number, takes ("{1} {1|plik|pliki|plików}": 1 plik, 3 pliki, 5 plików,
// 12 plików, 22 pliki); "{{" and "}}" stand for one brace.
struct Text {
  const char *id;  // the catalog's name of the message, for its test
  const char *en;
  const char *pl;
};

// A value put into a message.  A value is cut to kLongestValue characters
// (a header line of a table may be megabytes long); a message said inside
// another is taken whole (Whole).
struct Arg {
  Arg(const std::string &value) : text(value) {}
  Arg(const char *value) : text(value != nullptr ? value : "") {}
  template <class Number, class = std::enable_if_t<std::is_integral_v<Number> &&
                                                    !std::is_same_v<Number, bool> &&
                                                    !std::is_same_v<Number, char>>>
  Arg(Number number) : text(std::to_string(number)) {}
  std::string text;
  bool whole = false;
};
constexpr size_t kLongestValue = 200;
Arg Whole(const std::string &message);

// "0x"-less upper-case hex of a number, at least `digits` digits ("0A").
std::string Hex(unsigned long value, int digits = 2);

// A locale name as the environment holds it ("pl_PL.UTF-8", "pl", "C"):
// Polish for "pl" and "pl_..."/"pl.../pl@...", English for anything else.
Language FromLocaleName(const char *name);
// The user's language.  On Windows the user's interface language; elsewhere
// the first of LC_ALL, LC_MESSAGES and LANG that is set and not empty.
Language FromEnvironment();
// "pl" or "en" (any letter case), as --lang takes it.
bool ByName(const std::string &name, Language *language);

// The language the tool speaks; English until Set.
void Set(Language language);
Language Current();

// The message in the current language, its placeholders filled.
std::string Say(const Text &text, std::initializer_list<Arg> values = {});
// A pattern's placeholders filled (see Text).  A placeholder without a
// value is left as it is.
std::string Fill(const char *pattern, std::initializer_list<Arg> values);
// The form of a plural that the number n takes, counted from 0: of two
// forms (English) 1 takes the first; of three (Polish) 1 the first, 2-4,
// 22-24, ... (not 12-14) the second, any other the third.
size_t PluralForm(unsigned long long n, size_t forms);
// The placeholder numbers a pattern uses, as a bit set (bit n for {n});
// -1 for a pattern with a brace that is no placeholder, or a plural with
// other than `forms` forms.
long Placeholders(const char *pattern, size_t forms);

// The catalogs' own check: "" when every entry has an id, both languages
// and the same placeholders in both, its English plurals of two forms and
// its Polish of three; else one line for each fault.
std::string CheckCatalog(const Text *texts, size_t count);

}  // namespace lang
