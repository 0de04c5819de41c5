// The key definition file, read by the player's loader on the simulated host.
//
// The loader reads the file line by line with HostFileGets and stores each
// name it parses with HostCopyText, which cuts it to 13 characters; both
// calls are recorded by the simulated host.  So each line the loader read is
// known with its number, each stored name with its full spelling and its
// column, and a line holding "#define" that no HostCopyText follows is a line
// that defined nothing.  The table itself is read back afterwards through
// the player's own lookups.
#include "tools/checker/key_file_check.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <utility>

#include "plugin/keys/key_names.h"
#include "tools/messages/check_texts.h"
#include "tools/checker/sim_host.h"
#include "tools/macro/suggest.h"
#include "tools/macro/text_util.h"

namespace checker {

using Msg = messages::CheckMsg;

namespace {

constexpr size_t kLoaderLineSize = 256;  // the loader's line buffer
constexpr size_t kNameChars = sizeof(KeyNameEntry{}.name) - 1;  // what the table keeps of a name

// One HostFileGets answer and the names stored from it.
struct ReadLine {
  int64_t offset = 0;  // where the piece began in the file
  std::string text;    // the piece as the loader got it
  std::vector<const HostEvent *> copies;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string Join(const std::vector<std::string> &names, size_t limit) {
  std::string text;
  for (size_t i = 0; i < names.size() && i < limit; ++i) text += (i ? ", " : "") + names[i];
  if (names.size() > limit) text += ", ...";
  return text;
}

// The player's parse of one line, on a copy: the name's column and the code.
struct Parsed {
  bool defines = false;
  size_t nameColumn = 0;
  std::string name;
  uint32_t code = 0;
  size_t numberColumn = 0;
  std::string number;
};

Parsed ParseLine(const std::string &text) {
  Parsed parsed;
  char line[kLoaderLineSize];
  size_t length = text.size() < kLoaderLineSize - 1 ? text.size() : kLoaderLineSize - 1;
  memcpy(line, text.data(), length);
  line[length] = 0;
  const char *name = nullptr;
  uint32_t code = 0;
  if (!ParseKeyDefinition(line, &name, &code)) return parsed;
  parsed.defines = true;
  parsed.nameColumn = static_cast<size_t>(name - line);
  parsed.name = name;
  parsed.code = code;
  // The number: the first digit behind the name, as far as strtol reads it.
  size_t at = parsed.nameColumn + parsed.name.size() + 1;
  while (at < length && !(text[at] >= '0' && text[at] <= '9')) ++at;
  parsed.numberColumn = at;
  if (at < length) {
    char *end = nullptr;
    strtol(text.c_str() + at, &end, 0);
    parsed.number.assign(text.c_str() + at, static_cast<size_t>(end - (text.c_str() + at)));
  }
  return parsed;
}

// Why a line holding "#define" defined nothing, in the loader's own terms;
// `name` gets the name the line meant to define, if it has one.
std::string WhyNothing(const std::string &text, std::string &hint, std::string &name) {
  size_t keyword = text.find("#define");
  size_t at = keyword;
  while (at < text.size() && !IsBlank(text[at])) ++at;
  if (at >= text.size()) {
    hint = Say(Msg::kWriteDefine);
    return Say(Msg::kNoNameAfterDefine);
  }
  size_t nameStart = at + 1;
  size_t nameEnd = nameStart;
  while (nameEnd < text.size() && !IsBlank(text[nameEnd])) ++nameEnd;
  name = text.substr(nameStart, nameEnd - nameStart);
  size_t value = nameEnd + 1;
  while (value < text.size() && !(text[value] >= '0' && text[value] <= '9')) ++value;
  if (nameEnd >= text.size() || value >= text.size()) {
    hint = Say(Msg::kPutCodeBehind);
    return name.empty() ? Say(Msg::kNoNameNoNumber) : Say(Msg::kNoNumberBehind, {macro::FileBytesToUtf8(name)});
  }
  // The number reads as 0.
  std::string digits;
  for (size_t i = value; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) digits += text[i];
  if (digits.size() > 1 && digits[0] == '0' && digits.find_first_of("89") != std::string::npos) {
    hint = Say(Msg::kOctalHint);
    return Say(Msg::kOctalReadsZero, {digits, std::string(1, digits[digits.find_first_of("89")])});
  }
  hint = Say(Msg::kCodesRange);
  return Say(Msg::kNumberReadsZero);
}

// The names that "#ifndef NAME" lines guard, so that the matching
// "#define NAME" of an include guard is not taken for a mistake.
bool IsIncludeGuard(const std::string &text, const std::vector<std::string> &guarded) {
  size_t keyword = text.find("#define");
  size_t at = keyword + 7;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  size_t end = at;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  std::string name = text.substr(at, end - at);
  for (size_t rest = end; rest < text.size(); ++rest)
    if (!IsBlank(text[rest])) return false;
  for (const std::string &g : guarded)
    if (!name.empty() && g == name) return true;
  return false;
}

void NoteGuard(const std::string &text, std::vector<std::string> &guarded) {
  size_t at = text.find("#ifndef");
  if (at == std::string::npos) return;
  at += 7;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  size_t end = at;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  if (end > at) guarded.push_back(text.substr(at, end - at));
}

// Whether the "#define" of `text` stands in a comment: behind "//" or "/*"
// on its line, or inside a block comment opened on an earlier line.
// `inBlock` carries the block-comment state from line to line.
bool DefineInComment(const std::string &text, bool &inBlock) {
  size_t keyword = text.find("#define");
  bool commented = false;
  bool lineComment = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i == keyword) commented = inBlock || lineComment;
    if (lineComment) continue;
    if (inBlock) {
      if (text.compare(i, 2, "*/") == 0) {
        inBlock = false;
        ++i;
      }
    } else if (text.compare(i, 2, "/*") == 0) {
      inBlock = true;
      ++i;
    } else if (text.compare(i, 2, "//") == 0) {
      lineComment = true;
      ++i;
    }
  }
  return commented;
}

// Runs the player's loader over the file and reads off what it made of it.
class KeyFileChecker {
 public:
  KeyFileChecker(const std::string &path, const std::string *content, const std::string &readError)
      : text_(content != nullptr ? *content : std::string()), map_(text_) {
    report_.file = path;
    report_.readable = content != nullptr;
    report_.readError = readError;
  }

  macro::KeyFileReport Run();

 private:
  void Add(macro::SourcePosition position, const std::string &id, const std::string &message,
           const std::string &hint, std::vector<std::string> names = {});
  macro::SourcePosition At(int64_t lineOffset, size_t column) const {
    return map_.At(static_cast<size_t>(lineOffset) + column);
  }
  void LoadAndWatch();
  void ReadDefinitions();
  void LineDefiningNothing(const ReadLine &line);
  void StoredDefinitions(const ReadLine &line, bool commented);
  void IgnoredDefinitions();
  void ReadTableBack();
  void CheckLongName(const macro::KeyDefinition &d);
  void CheckEmptyName(const macro::KeyDefinition &d);
  void CheckCommandName(const macro::KeyDefinition &d);
  void CheckDuplicate(const macro::KeyDefinition &d);

  const std::string text_;
  const macro::SourceMap map_;
  macro::KeyFileReport report_;
  std::vector<ReadLine> lines_;  // the lines the loader read, with the names stored from each
  std::vector<std::string> guarded_;  // names of "#ifndef" lines so far
  int blockingCode_ = -1;             // the code of the first empty name in table order
  std::vector<std::string> hidden_;   // the names it hides, in code order, each once
  std::map<std::string, const macro::KeyDefinition *> firstByFullName_;
};

void KeyFileChecker::Add(macro::SourcePosition position, const std::string &id, const std::string &message,
                         const std::string &hint, std::vector<std::string> names) {
  macro::Diagnostic d;
  d.file = report_.file;
  d.position = position;
  d.id = id;
  d.message = message;
  d.hint = hint;
  d.names = std::move(names);
  if (position.line > 0) d.sourceLine = map_.Line(position.line, macro::kExcerptLimit);
  report_.diagnostics.push_back(d);
}

macro::KeyFileReport KeyFileChecker::Run() {
  LoadAndWatch();
  if (!report_.readable) {
    Add(macro::SourcePosition{}, "unreadable", Say(Msg::kCannotReadKeys, {report_.readError}),
        Say(Msg::kCannotReadKeysHint));
    report_.diagnostics.back().severity = macro::Severity::kError;
    return report_;
  }
  ReadDefinitions();
  IgnoredDefinitions();
  ReadTableBack();
  for (const macro::KeyDefinition &d : report_.definitions) {
    if (!d.stored) continue;
    CheckLongName(d);
    CheckEmptyName(d);
    CheckCommandName(d);
    CheckDuplicate(d);
  }
  if (!report_.loaded)
    Add(macro::SourcePosition{}, "no-definitions", Say(Msg::kNoDefinitions), Say(Msg::kWriteDefine));
  return report_;
}

// The player's loader on the simulated host: each line it read, each name
// it stored from it, and the message it showed.
void KeyFileChecker::LoadAndWatch() {
  if (report_.readable) AddSimFile(kSimKeyFileName, text_);
  ClearSimEvents();
  report_.loaded = LoadKeyNameTable() == 0;
  RemoveSimFile(kSimKeyFileName);
  for (const HostEvent &event : SimEvents()) {
    if (event.kind == HostEventKind::kGets) {
      lines_.push_back(ReadLine{event.offset, event.text, {}});
    } else if (event.kind == HostEventKind::kCopyText && !lines_.empty()) {
      lines_.back().copies.push_back(&event);
    } else if (event.kind == HostEventKind::kMessage) {
      std::string message = macro::HostToUtf8(event.text);
      while (!message.empty() && message.back() == '\n') message.pop_back();
      report_.playerMessage = message;
    }
  }
}

// The definitions in file order, as the loader stored them, and the
// "#define" lines that stored nothing.
void KeyFileChecker::ReadDefinitions() {
  bool inBlockComment = false;
  for (const ReadLine &line : lines_) {
    const bool defines = line.text.find("#define") != std::string::npos;
    const bool commented = DefineInComment(line.text, inBlockComment) && defines;
    if (!line.copies.empty()) {
      StoredDefinitions(line, commented);
    } else {
      if (defines && !IsIncludeGuard(line.text, guarded_)) LineDefiningNothing(line);
      NoteGuard(line.text, guarded_);
    }
  }
}

void KeyFileChecker::LineDefiningNothing(const ReadLine &line) {
  std::string hint;
  std::string name;
  std::string why = WhyNothing(line.text, hint, name);
  macro::SourcePosition at = At(line.offset, line.text.find("#define"));
  report_.unusable.push_back(macro::UnusableDefinition{at.line, name, why});
  std::vector<std::string> names;
  if (!name.empty()) names.push_back(name);
  Add(at, "defines-nothing", Say(Msg::kDefinesNothing, {why}), hint, names);
}

void KeyFileChecker::StoredDefinitions(const ReadLine &line, bool commented) {
  for (const HostEvent *copy : line.copies) {
    Parsed parsed = ParseLine(line.text);
    macro::KeyDefinition definition;
    size_t column = copy->column >= 0 ? static_cast<size_t>(copy->column) : parsed.nameColumn;
    definition.namePosition = At(line.offset, column);
    definition.line = definition.namePosition.line;
    definition.fullName = copy->text;
    definition.storedName = copy->copied;
    definition.code = parsed.code;
    definition.stored = true;
    report_.definitions.push_back(definition);
    const std::vector<std::string> names = {definition.fullName, definition.storedName};
    const std::string stored = macro::FileBytesToUtf8(definition.storedName);
    if (parsed.defines && parsed.code == 0)
      Add(At(line.offset, parsed.numberColumn), "code-zero",
          Say(Msg::kCodeZero, {parsed.number, stored}), Say(Msg::kCodeZeroHint), names);
    if (commented)
      Add(definition.namePosition, "commented-definition",
          Say(Msg::kCommented), Say(Msg::kCommentedHint), names);
  }
}

// Lines behind the table's last entry are never read.
void KeyFileChecker::IgnoredDefinitions() {
  if (KeyNameCount() != kKeyTableCapacity || lines_.empty()) return;
  const ReadLine &last = lines_.back();
  size_t rest = static_cast<size_t>(last.offset) + last.text.size();
  // The text-mode reader handed over CR LF as LF: one byte more in the file.
  if (!last.text.empty() && last.text.back() == '\n' && rest <= text_.size() &&
      text_[rest - 1] == '\r')
    ++rest;
  std::vector<std::string> ignored;
  macro::SourcePosition first;
  while (rest < text_.size()) {
    size_t end = text_.find('\n', rest);
    end = end == std::string::npos ? text_.size() : end + 1;
    Parsed parsed = ParseLine(text_.substr(rest, end - rest));
    if (parsed.defines) {
      macro::KeyDefinition definition;
      definition.namePosition = map_.At(rest + parsed.nameColumn);
      definition.line = definition.namePosition.line;
      definition.fullName = parsed.name;
      definition.storedName = parsed.name.substr(0, kNameChars);
      definition.code = parsed.code;
      report_.definitions.push_back(definition);
      if (ignored.empty()) first = definition.namePosition;
      ignored.push_back(parsed.name);
    }
    rest = end;
  }
  if (!ignored.empty())
    Add(first, "too-many-definitions",
        Say(Msg::kTooMany, {std::to_string(ignored.size() - 1)}), Say(Msg::kTooManyHint), ignored);
}

// The table read back through the player's own lookup: what each name
// gives, and which names the first empty name in table order hides.
void KeyFileChecker::ReadTableBack() {
  for (macro::KeyDefinition &d : report_.definitions) {
    d.givenCode = d.stored && !d.storedName.empty() ? FindKeyCode(d.storedName.c_str()) : 0;
    d.reachable = d.stored && !d.storedName.empty() && d.code != 0 && d.givenCode == d.code;
  }
  const KeyNameEntry *entries = KeyNameEntries();
  for (uint32_t i = 0; i < KeyNameCount(); ++i)
    if (entries[i].name[0] == 0) {
      blockingCode_ = entries[i].code;
      break;
    }
  // Listed in code order; names of equal codes in file order, whatever
  // order the table's sort left them in.
  std::vector<const macro::KeyDefinition *> hidden;
  for (const macro::KeyDefinition &d : report_.definitions)
    if (d.stored && !d.storedName.empty() && d.code != 0 && d.givenCode == 0) hidden.push_back(&d);
  std::stable_sort(hidden.begin(), hidden.end(),
                   [](const macro::KeyDefinition *a, const macro::KeyDefinition *b) { return a->code < b->code; });
  for (const macro::KeyDefinition *d : hidden)
    if (std::find(hidden_.begin(), hidden_.end(), d->storedName) == hidden_.end())
      hidden_.push_back(d->storedName);
  for (const macro::KeyDefinition &d : report_.definitions)
    if (d.stored && d.fullName.empty() && static_cast<int>(d.code) == blockingCode_) {
      report_.blockingLine = d.line;
      break;
    }
}

void KeyFileChecker::CheckLongName(const macro::KeyDefinition &d) {
  if (d.fullName.size() <= kNameChars) return;
  const std::vector<std::string> names = {d.fullName, d.storedName};
  std::vector<std::string> collisions;
  for (const macro::KeyDefinition &other : report_.definitions)
    if (&other != &d && other.stored && other.storedName == d.storedName) {
      collisions.push_back(
          Say(Msg::kNameOnLine, {macro::FileBytesToUtf8(other.fullName), std::to_string(other.line)}));
    }
  const std::string stored = macro::FileBytesToUtf8(d.storedName);
  std::string message = Say(Msg::kNameTooLong, {macro::FileBytesToUtf8(d.fullName),
                                                 std::to_string(d.fullName.size()), stored});
  if (!collisions.empty()) message += Say(Msg::kSameAs, {Join(collisions, 4)});
  if (!d.reachable) message += Say(Msg::kButWhy, {WhyNotReachable(report_, d)});
  std::string hint = Say(Msg::kShortenName);
  if (!collisions.empty())
    hint = Say(Msg::kCutEqual, {stored, d.givenCode != 0 ? macro::Hex4(d.givenCode) : Say(Msg::kNoKey)});
  Add(d.namePosition, "name-too-long", message, hint, names);
}

void KeyFileChecker::CheckEmptyName(const macro::KeyDefinition &d) {
  if (!d.fullName.empty()) return;
  std::string message = Say(Msg::kEmptyName);
  std::vector<std::string> names;
  if (d.line == report_.blockingLine && !hidden_.empty()) {
    std::vector<std::string> shown;
    for (const std::string &name : hidden_) shown.push_back(macro::FileBytesToUtf8(name));
    message += Say(Msg::kEmptyNameHides,
                   {lang::Whole(Say(Msg::kNamesBehind, {shown.size()})), Join(shown, 8)});
    names = hidden_;
    for (const macro::KeyDefinition &other : report_.definitions)
      if (other.stored && other.givenCode == 0 && other.fullName != other.storedName)
        names.push_back(other.fullName);
  }
  Add(d.namePosition, "empty-name", message, Say(Msg::kRemoveBlank), names);
}

void KeyFileChecker::CheckCommandName(const macro::KeyDefinition &d) {
  const std::string stored = macro::FileBytesToUtf8(d.storedName);
  for (const std::string &command : macro::kCommandNames)
    if (d.storedName == command)
      Add(d.namePosition, "name-is-command",
          Say(Msg::kNameIsCommand, {stored}), Say(Msg::kNameIsCommandHint), {d.storedName});
}

void KeyFileChecker::CheckDuplicate(const macro::KeyDefinition &d) {
  if (d.fullName.empty()) return;
  auto earlier = firstByFullName_.find(d.fullName);
  if (earlier == firstByFullName_.end()) {
    firstByFullName_[d.fullName] = &d;
    return;
  }
  std::string outcome = d.code == earlier->second->code
                            ? Say(Msg::kSameCode)
                            : Say(Msg::kGivesLowerCode, {macro::FileBytesToUtf8(d.storedName), macro::Hex4(d.givenCode)});
  Add(d.namePosition, "duplicate-name",
      Say(Msg::kDuplicate, {macro::FileBytesToUtf8(d.fullName), std::to_string(earlier->second->line), outcome}),
      Say(Msg::kDuplicateHint), {d.fullName});
}

}  // namespace

std::string WhyNotReachable(const macro::KeyFileReport &keys, const macro::KeyDefinition &d) {
  if (!d.stored) return Say(Msg::kWhyBehind300);
  if (d.code == 0) return Say(Msg::kWhyCodeZero);
  if (d.storedName.empty()) return Say(Msg::kWhyEmpty);
  const std::string word = "[" + macro::FileBytesToUtf8(d.storedName) + "]";
  if (d.givenCode == 0) {
    std::string where = keys.blockingLine > 0 ? Say(Msg::kAtLine, {std::to_string(keys.blockingLine)})
                                              : std::string();
    return Say(Msg::kWhyHidden, {word, where});
  }
  if (d.givenCode == d.code) return std::string();
  // The definition whose key the name gives: the first one found by it.
  for (const macro::KeyDefinition &other : keys.definitions)
    if (other.stored && other.storedName == d.storedName && other.code == d.givenCode)
      return Say(Msg::kWhyGivesKeyOf, {word, macro::Hex4(d.givenCode), macro::FileBytesToUtf8(other.fullName),
                                       std::to_string(other.line)});
  return Say(Msg::kWhyGivesOther, {word, macro::Hex4(d.givenCode)});
}

macro::KeyFileReport CheckKeyFile(const std::string &path, const std::string *content,
                           const std::string &readError) {
  KeyFileChecker checker(path, content, readError);
  return checker.Run();
}

std::string KeyFileInHostFolder() {
  std::string path;
  for (const HostWideChar *c = kKeyFileRelativePath; *c != 0; ++c)
    path += *c == u'\\' ? '/' : static_cast<char>(*c);
  return path;
}

}  // namespace checker
