// Near misses: the key names and commands a mistyped bracketed word was
// probably meant to be.
#pragma once

#include <string>
#include <vector>

namespace macro {

// The six command names in the player's search order, from the one command
// table (plugin/contract/macro_commands.h).
extern const std::vector<std::string> kCommandNames;

// The command's one-line description from that table, in English or in
// Polish; empty for a word that is no command.
std::string CommandDescription(const std::string &name, bool polish = false);

struct Suggestion {
  std::string name;    // the key name or command as it must be written
  bool command = false;
  std::string reason;  // "other letter case", "a blank inside the brackets", ...
  int rank = 0;        // smaller is closer
};

// The closest names to `word`, at most `limit`, all of the closest kind of
// miss found: the same letters in another case; else the word with its
// blanks taken out or '-' written for '_'; else one edit away (for words of
// four characters and more); else two (from five on).  An edit is a letter
// added, dropped, changed, or two neighbours swapped.  Names that begin as
// the word does come first, then those given first.
std::vector<Suggestion> NearestNames(const std::string &word,
                                     const std::vector<std::string> &keyNames, size_t limit = 3);

// The edit distance of two texts, letter case ignored (optimal string
// alignment: insert, delete, substitute, swap two neighbours).
int EditDistance(const std::string &a, const std::string &b);

}  // namespace macro
