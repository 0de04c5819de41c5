// The key definition file, read by the player's loader on the simulated host.
//
// The loader reads the file line by line with HostFileGets and stores each
// name it parses with HostCopyText, which cuts it to 13 characters; both
// calls are recorded by the simulated host.  So each line the loader read is
// known with its number, each stored name with its full spelling and its
// column, and a line holding "#define" that no HostCopyText follows is a line
// that defined nothing.  The table itself is read back afterwards through
// the player's own lookups.
#include "tools/check/key_file_check.h"

#include <stdlib.h>
#include <string.h>

#include <map>

#include "plugin/player/key_names.h"
#include "tools/check/sim_host.h"
#include "tools/check/suggest.h"
#include "tools/check/text_util.h"

namespace check {

namespace {

constexpr size_t kLoaderLineSize = 256;  // the loader's line buffer
constexpr size_t kNameChars = 13;        // what the table keeps of a name

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

// Why a line holding "#define" defined nothing, in the loader's own terms.
std::string WhyNothing(const std::string &text, std::string &hint) {
  size_t keyword = text.find("#define");
  size_t at = keyword;
  while (at < text.size() && !IsBlank(text[at])) ++at;
  if (at >= text.size()) {
    hint = "write '#define NAME number'";
    return "no name follows '#define'";
  }
  size_t nameStart = at + 1;
  size_t nameEnd = nameStart;
  while (nameEnd < text.size() && !IsBlank(text[nameEnd])) ++nameEnd;
  std::string name = text.substr(nameStart, nameEnd - nameStart);
  size_t value = nameEnd + 1;
  while (value < text.size() && !(text[value] >= '0' && text[value] <= '9')) ++value;
  if (nameEnd >= text.size() || value >= text.size()) {
    hint = "put the key's code behind the name";
    return name.empty() ? "no name and no number"
                        : "no number behind '" + FileBytesToUtf8(name) + "'";
  }
  // The number reads as 0.
  std::string digits;
  for (size_t i = value; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) digits += text[i];
  if (digits.size() > 1 && digits[0] == '0' && digits.find_first_of("89") != std::string::npos) {
    hint = "a leading 0 makes the number octal; drop the 0 or write 0x for hexadecimal";
    return "the number '" + digits + "' reads as 0 (octal, which has no digit " +
           std::string(1, digits[digits.find_first_of("89")]) + ")";
  }
  hint = "key codes run from 1 to 0xFFFF";
  return "the number reads as 0";
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

}  // namespace

KeyFileReport CheckKeyFile(const std::string &path, const std::string *content,
                           const std::string &readError) {
  KeyFileReport report;
  report.file = path;
  report.readable = content != nullptr;
  report.readError = readError;
  const std::string text = content != nullptr ? *content : std::string();
  if (content != nullptr) AddSimFile(kSimKeyFileName, text);
  const SourceMap map(text);

  auto add = [&](SourcePosition position, const std::string &id, const std::string &message,
                 const std::string &hint) {
    Diagnostic d;
    d.file = path;
    d.position = position;
    d.id = id;
    d.message = message;
    d.hint = hint;
    if (position.line > 0) d.sourceLine = map.Line(position.line, kExcerptLimit);
    report.diagnostics.push_back(d);
  };

  ClearSimEvents();
  report.loaded = LoadKeyNameTable() == 0;
  RemoveSimFile(kSimKeyFileName);

  // The lines the loader read, each with the names it stored from it.
  std::vector<ReadLine> lines;
  for (const HostEvent &event : SimEvents()) {
    if (event.kind == HostEventKind::kGets) {
      lines.push_back(ReadLine{event.offset, event.text, {}});
    } else if (event.kind == HostEventKind::kCopyText && !lines.empty()) {
      lines.back().copies.push_back(&event);
    } else if (event.kind == HostEventKind::kMessage) {
      std::string message = HostToUtf8(event.text);
      while (!message.empty() && message.back() == '\n') message.pop_back();
      report.playerMessage = message;
    }
  }

  if (!report.readable) {
    Diagnostic d;
    d.file = path;
    d.severity = Severity::kError;
    d.id = "unreadable";
    d.message = "cannot read the key definitions: " + readError;
    d.hint = "name the file with --keys; without it every bracketed key name is typed as text";
    report.diagnostics.push_back(d);
    return report;
  }

  // The definitions in file order, as the loader stored them.
  std::vector<std::string> guarded;
  bool inBlockComment = false;
  for (const ReadLine &line : lines) {
    bool commented = line.text.find("#define") != std::string::npos &&
                     DefineInComment(line.text, inBlockComment);
    if (line.text.find("#define") == std::string::npos) DefineInComment(line.text, inBlockComment);
    if (line.copies.empty()) {
      if (line.text.find("#define") != std::string::npos && !IsIncludeGuard(line.text, guarded)) {
        std::string hint;
        std::string why = WhyNothing(line.text, hint);
        add(map.At(static_cast<size_t>(line.offset) + line.text.find("#define")),
            "defines-nothing", "this '#define' line defines no key: " + why, hint);
      }
      NoteGuard(line.text, guarded);
      continue;
    }
    for (const HostEvent *copy : line.copies) {
      Parsed parsed = ParseLine(line.text);
      KeyDefinition definition;
      size_t column = copy->column >= 0 ? static_cast<size_t>(copy->column) : parsed.nameColumn;
      definition.namePosition = map.At(static_cast<size_t>(line.offset) + column);
      definition.line = definition.namePosition.line;
      definition.fullName = copy->text;
      definition.storedName = copy->copied;
      definition.code = parsed.code;
      definition.stored = true;
      report.definitions.push_back(definition);
      if (parsed.defines && parsed.code == 0) {
        add(map.At(static_cast<size_t>(line.offset) + parsed.numberColumn), "code-zero",
            "the number " + parsed.number + " has 0 in its low 16 bits: '" +
                FileBytesToUtf8(definition.storedName) + "' gets the code 0 and [" +
                FileBytesToUtf8(definition.storedName) + "] is typed as text",
            "key codes are 16 bits: 1 to 0xFFFF");
      }
      if (commented)
        add(definition.namePosition, "commented-definition",
            "this definition stands in a comment, but the loader reads it all the same",
            "delete the line to drop the key");
    }
  }

  // Lines behind the table's last entry are never read.
  if (KeyNameCount() == kKeyTableCapacity && !lines.empty()) {
    const ReadLine &last = lines.back();
    size_t rest = static_cast<size_t>(last.offset) + last.text.size();
    // The text-mode reader handed over CR LF as LF: one byte more in the file.
    if (!last.text.empty() && last.text.back() == '\n' && rest <= text.size() &&
        text[rest - 1] == '\r')
      ++rest;
    size_t ignored = 0;
    SourcePosition first;
    while (rest < text.size()) {
      size_t end = text.find('\n', rest);
      end = end == std::string::npos ? text.size() : end + 1;
      Parsed parsed = ParseLine(text.substr(rest, end - rest));
      if (parsed.defines) {
        KeyDefinition definition;
        definition.namePosition = map.At(rest + parsed.nameColumn);
        definition.line = definition.namePosition.line;
        definition.fullName = parsed.name;
        definition.storedName = parsed.name.substr(0, kNameChars);
        definition.code = parsed.code;
        definition.stored = false;
        report.definitions.push_back(definition);
        if (ignored++ == 0) first = definition.namePosition;
      }
      rest = end;
    }
    if (ignored > 0)
      add(first, "too-many-definitions",
          "the key-name table holds 300 definitions: this one and " + std::to_string(ignored - 1) +
              " more behind it are ignored",
          "remove definitions that no macro uses");
  }

  // Read the table back through the player's own lookup.
  for (KeyDefinition &d : report.definitions)
    d.reachable = d.stored && !d.storedName.empty() && d.code != 0 &&
                  FindKeyCode(d.storedName.c_str()) == d.code;

  // The first empty name in table order stops every search by name there.
  const KeyNameEntry *entries = KeyNameEntries();
  int blockingCode = -1;
  for (uint32_t i = 0; i < KeyNameCount(); ++i)
    if (entries[i].name[0] == 0) {
      blockingCode = entries[i].code;
      break;
    }
  std::vector<std::string> hidden;
  for (const KeyDefinition &d : report.definitions)
    if (d.stored && !d.storedName.empty() && d.code != 0 &&
        FindKeyCode(d.storedName.c_str()) == 0)
      hidden.push_back(FileBytesToUtf8(d.storedName));
  bool blockerNamed = false;

  std::map<std::string, const KeyDefinition *> firstByFullName;
  for (const KeyDefinition &d : report.definitions) {
    if (!d.stored) continue;
    const std::string shown = FileBytesToUtf8(d.fullName);
    const std::string stored = FileBytesToUtf8(d.storedName);
    if (d.fullName.size() > kNameChars) {
      std::vector<std::string> collisions;
      for (const KeyDefinition &other : report.definitions)
        if (&other != &d && other.stored && other.storedName == d.storedName)
          collisions.push_back("'" + FileBytesToUtf8(other.fullName) + "' (line " +
                               std::to_string(other.line) + ")");
      std::string message = "key name '" + shown + "' has " + std::to_string(d.fullName.size()) +
                            " characters; the table keeps 13, so the player knows it as [" +
                            stored + "]";
      std::string hint = "shorten the name to at most 13 characters";
      if (!collisions.empty()) {
        message += ", the same as " + Join(collisions, 4);
        uint32_t code = FindKeyCode(d.storedName.c_str());
        hint = "cut to 13 characters the names are equal: [" + stored + "] gives " +
               (code != 0 ? Hex4(code) : std::string("no key")) + "; make their first 13 characters differ";
      }
      add(d.namePosition, "name-too-long", message, hint);
    }
    if (d.fullName.empty()) {
      std::string message = "empty key name (two blanks behind '#define'?)";
      std::string hint = "remove the extra blank";
      if (!blockerNamed && static_cast<int>(d.code) == blockingCode) {
        blockerNamed = true;
        if (!hidden.empty()) {
          message += ": the player's search by name stops at it, so " +
                     std::to_string(hidden.size()) + (hidden.size() == 1 ? " name" : " names") +
                     " behind it in code order " + (hidden.size() == 1 ? "is" : "are") +
                     " never found: " + Join(hidden, 8);
        }
      }
      add(d.namePosition, "empty-name", message, hint);
    }
    for (const std::string &command : kCommandNames)
      if (d.storedName == command)
        add(d.namePosition, "name-is-command",
            "'" + stored + "' is a command: [" + stored + "] always runs the command, never this key",
            "rename the key; its code is still named in the log");
    if (!d.fullName.empty()) {
      auto earlier = firstByFullName.find(d.fullName);
      if (earlier == firstByFullName.end()) {
        firstByFullName[d.fullName] = &d;
      } else {
        uint32_t code = FindKeyCode(d.storedName.c_str());
        std::string outcome = d.code == earlier->second->code
                                  ? "with the same code"
                                  : "[" + stored + "] gives " + Hex4(code) + ", the lower code";
        add(d.namePosition, "duplicate-name",
            "'" + shown + "' is defined again (first on line " +
                std::to_string(earlier->second->line) + "): " + outcome,
            "keep one of the two lines");
      }
    }
  }

  if (!report.loaded)
    add(SourcePosition{}, "no-definitions",
        "no line defines a key: the player has no key names, and every bracketed key name is "
        "typed as text",
        "write lines of the form '#define NAME number'");
  return report;
}

}  // namespace check
