// The tools' two languages: Polish for the host's users, English for the
// rest.  Each tool keeps its texts in a catalog (a list of Text, one entry a
// message in both languages, with the same numbered placeholders {1}, {2},
// ...), and prints the one of the language chosen at its start.
#pragma once

#include <stddef.h>

#include <initializer_list>
#include <string>

namespace lang {

enum class Language { kEnglish, kPolish };

// One message of a catalog.  Read as a C string it is the text of the
// current language (so a catalog of printf formats can stand where the
// English ones stood).
struct Text {
  const char *id;  // the catalog's name of the message, for its test
  const char *en;
  const char *pl;
  operator const char *() const;
  operator std::string() const { return static_cast<const char *>(*this); }
};

// The current language's text of a catalog entry.
inline std::string Str(const Text &entry) { return static_cast<const char *>(entry); }

// A catalog entry joined to a text, as its current language's text.
inline std::string operator+(const std::string &text, const Text &entry) {
  return text + static_cast<const char *>(entry);
}
inline std::string operator+(const Text &entry, const std::string &text) {
  return static_cast<const char *>(entry) + text;
}

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

// The message in the current language, its placeholders {1}..{9} filled.
std::string Say(const Text &text, std::initializer_list<std::string> values = {});
// A pattern's placeholders filled: "{n}" by the n-th value; "{{" and "}}"
// stand for one brace.  A placeholder without a value is left as it is.
std::string Fill(const char *pattern, std::initializer_list<std::string> values);
// The placeholder numbers a pattern uses, as a bit set (bit n for {n});
// -1 for a pattern with a brace that is no placeholder.
long Placeholders(const char *pattern);

// The conversions of a printf format, in order, each as its length and
// kind ("zu", "s", "d", "02X" gives "X"); flags, width and precision, which
// do not change what a conversion takes, are left out.  "" for a format
// without any; "?" for one that ends inside a conversion.
std::string PrintfConversions(const char *format);

// How a catalog's texts take their values.
enum class Placeholding { kNumbered, kPrintf };

// The catalogs' own check: "" when every entry has an id, both languages
// and the same placeholders in both (for printf formats: the same
// conversions in the same order), else one line for each fault.
std::string CheckCatalog(const Text *texts, size_t count,
                         Placeholding placeholding = Placeholding::kNumbered);

}  // namespace lang
