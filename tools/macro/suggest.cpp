#include "tools/macro/suggest.h"

#include <ctype.h>

#include <algorithm>

#include "plugin/contract/macro_commands.h"
#include "tools/messages/check_texts.h"

namespace macro {

using Msg = messages::CheckMsg;

#define MACRO_COMMAND_NAME_ROW(Id, name, ...) name,
const std::vector<std::string> kCommandNames = {MACRO_COMMAND_TABLE(MACRO_COMMAND_NAME_ROW)};
#undef MACRO_COMMAND_NAME_ROW

std::string CommandDescription(const std::string &name, bool polish) {
  struct Row {
    const char *name, *english, *polish;
  };
#define MACRO_COMMAND_TEXT_ROW(Id, name, english, polish) {name, english, polish},
  static const Row kRows[] = {MACRO_COMMAND_TABLE(MACRO_COMMAND_TEXT_ROW)};
#undef MACRO_COMMAND_TEXT_ROW
  for (const Row &row : kRows)
    if (name == row.name) return polish ? row.polish : row.english;
  return "";
}

namespace {

std::string Upper(const std::string &text) {
  std::string out = text;
  for (char &c : out) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string WithoutBlanks(const std::string &text) {
  std::string out;
  for (char c : text)
    if (c != ' ' && c != '\t') out += c;
  return out;
}

std::string DashesAsUnderscores(const std::string &text) {
  std::string out = text;
  for (char &c : out)
    if (c == '-' || c == ' ') c = '_';
  return out;
}

}  // namespace

int EditDistance(const std::string &a0, const std::string &b0) {
  std::string a = Upper(a0), b = Upper(b0);
  const size_t n = a.size(), m = b.size();
  std::vector<std::vector<int>> d(n + 1, std::vector<int>(m + 1, 0));
  for (size_t i = 0; i <= n; ++i) d[i][0] = static_cast<int>(i);
  for (size_t j = 0; j <= m; ++j) d[0][j] = static_cast<int>(j);
  for (size_t i = 1; i <= n; ++i) {
    for (size_t j = 1; j <= m; ++j) {
      int cost = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[n][m];
}

namespace {

// How `name` is a near miss of `word`, with its rank (0 the closest); false
// when it is none.
bool NearMiss(const std::string &word, const std::string &name, bool command, Suggestion *found) {
  if (name.empty() || name == word) return false;
  const std::string upperWord = Upper(word);
  const std::string upperName = Upper(name);
  Suggestion s{name, command, "", 0};
  if (upperWord == upperName) {
    s.reason = Say(Msg::kOtherCase);
    s.rank = 0;
  } else if (WithoutBlanks(word) != word && Upper(WithoutBlanks(word)) == upperName) {
    s.reason = Say(Msg::kBlankInside);
    s.rank = 1;
  } else if (DashesAsUnderscores(word) != word && Upper(DashesAsUnderscores(word)) == upperName) {
    s.reason = word.find('-') != std::string::npos ? Say(Msg::kDashForUnderscore)
                                              : Say(Msg::kBlankForUnderscore);
    s.rank = 1;
  } else {
    // Short words are too easily a few edits from anything: no edit below
    // four letters, one at four, two from five on.
    int allowed = word.size() >= 5 ? 2 : word.size() == 4 ? 1 : 0;
    if (allowed == 0) return false;
    int distance = EditDistance(WithoutBlanks(word), name);
    if (distance > allowed || static_cast<size_t>(distance) >= name.size()) return false;
    s.reason = distance == 1 ? Say(Msg::kOneLetterOff) : Say(Msg::kTwoLettersOff);
    s.rank = 1 + distance;
  }
  *found = s;
  return true;
}

}  // namespace

std::vector<Suggestion> NearestNames(const std::string &word,
                                     const std::vector<std::string> &keyNames, size_t limit) {
  std::vector<Suggestion> found;
  auto consider = [&](const std::string &name, bool command) {
    Suggestion s;
    if (NearMiss(word, name, command, &s)) found.push_back(s);
  };
  for (const std::string &name : kCommandNames) consider(name, true);
  for (const std::string &name : keyNames) consider(name, false);
  // Only the closest kind of miss: beside '-' written for '_' in
  // [SHIFT-F3], [SHIFT_F1] is no hint but a different key.  Among equally
  // close names, those that begin as the word does come first ([PGDN]
  // before [DOWN] for [PGDOWN]); then the order of the names given.
  int best = found.empty() ? 0 : found.front().rank;
  for (const Suggestion &s : found) best = std::min(best, s.rank);
  std::vector<Suggestion> closest;
  for (const Suggestion &s : found)
    if (s.rank == best) closest.push_back(s);
  const std::string upperWord = Upper(word);
  auto sharedStart = [&](const Suggestion &s) {
    const std::string name = Upper(s.name);
    size_t n = 0;
    while (n < name.size() && n < upperWord.size() && name[n] == upperWord[n]) ++n;
    return n;
  };
  std::stable_sort(closest.begin(), closest.end(), [&](const Suggestion &a, const Suggestion &b) {
    return sharedStart(a) > sharedStart(b);
  });
  found = closest;
  // A name may be listed once only (a key name spelled like a command).
  std::vector<Suggestion> unique;
  for (const Suggestion &s : found) {
    bool seen = false;
    for (const Suggestion &u : unique) seen = seen || u.name == s.name;
    if (!seen) unique.push_back(s);
    if (unique.size() == limit) break;
  }
  return unique;
}

}  // namespace macro
