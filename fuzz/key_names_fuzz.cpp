// Fuzz target: the key-definition parser and LoadKeyNameTable on arbitrary
// file bytes: lines over 255 bytes, NUL bytes, no final line end, and, by
// repetition, files of 10,000 definitions and more.
//
// Input: one mode byte, three answer bytes of the host (its allocator and
// the open), then the file's bytes.
//
// The table the plug-in loads is compared with a reference reading of the
// same file, written here from the file format's rules: the same entries
// (first 300 definitions with a nonzero number, names cut to 13), sorted by
// code, zero-filled names; both lookups agree with the reference.  The line
// parser also gets the whole input as one line.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "fuzz/fuzz_host.h"
#include "plugin/keys/key_names.h"

namespace {

struct Definition {
  uint16_t code;
  std::string name;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The next line of `file` from `*at` as the host's line reader hands it
// over: at most 255 bytes, through its line feed; for the plug-in's text
// functions it ends at its first NUL.
std::string NextLine(const std::string &file, size_t *at) {
  size_t start = *at;
  size_t end = start;
  while (end < file.size() && end - start < 255) {
    if (file[end++] == '\n') break;
  }
  *at = end;
  std::string piece = file.substr(start, end - start);
  return piece.substr(0, piece.find('\0'));
}

// One definition by the file format's rules; false when the line stores none.
bool ReferenceParse(const std::string &line, Definition *definition) {
  size_t keyword = line.find("#define");
  if (keyword == std::string::npos) return false;
  size_t blank = keyword;
  while (blank < line.size() && !IsBlank(line[blank])) ++blank;
  if (blank == line.size()) return false;
  size_t nameEnd = blank + 1;
  while (nameEnd < line.size() && !IsBlank(line[nameEnd])) ++nameEnd;
  if (nameEnd == line.size()) return false;
  size_t digit = nameEnd + 1;
  while (digit < line.size() && !(line[digit] >= '0' && line[digit] <= '9')) ++digit;
  if (digit == line.size()) return false;
  long long number = strtoll(line.c_str() + digit, nullptr, 0);
  if (number > 2147483647LL) number = 2147483647LL;
  if (number == 0) return false;
  definition->code = static_cast<uint16_t>(number & 0xFFFF);
  definition->name = line.substr(blank + 1, std::min<size_t>(nameEnd - blank - 1, 13));
  return true;
}

bool ByCode(const Definition &a, const Definition &b) {
  return a.code != b.code ? a.code < b.code : a.name < b.name;
}

// The file this input stands for.
std::string FileOf(uint8_t mode, const std::string &bytes) {
  switch (mode & 3) {
    case 1: {
      // Repeated to 10,000 lines or more, within 256 KB.
      size_t lines = static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
      std::string file;
      size_t copies = lines == 0 ? 10000 : 10000 / lines + 1;
      while (copies-- > 0 && file.size() + bytes.size() <= (1u << 18)) file += bytes;
      return file;
    }
    case 2: {
      std::string file = bytes;
      while (!file.empty() && file.back() == '\n') file.pop_back();  // no final line end
      return file;
    }
    case 3: {
      std::string file;
      for (int i = 0; i < 300 && file.size() + bytes.size() <= (1u << 18); ++i) file += bytes;
      return file;
    }
    default:
      return bytes;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > (1u << 16)) return 0;
  fuzz::FuzzInput input(data, size);
  uint8_t mode = input.Byte();
  std::string answerBytes = input.Bytes(3);
  std::string bytes = input.Rest();

  // The line parser on the whole input as one line, however long.
  {
    std::string line = bytes;
    const char *name = nullptr;
    uint32_t code = 0;
    if (ParseKeyDefinition(line.data(), &name, &code)) {
      FUZZ_CHECK(name >= line.data() && name <= line.data() + line.size(), "name outside the line");
      FUZZ_CHECK(code <= 0xFFFF, "code %#x", code);
    }
  }

  fuzz::FuzzInput answers(reinterpret_cast<const uint8_t *>(answerBytes.data()),
                          answerBytes.size());
  fuzz::HostFiles files;
  files.keys = FileOf(mode, bytes);
  files.keysExist = (mode & 4) == 0;
  fuzz::HostConduct conduct;
  conduct.answers = &answers;
  fuzz::InstallHost(files, conduct);

  int result = LoadKeyNameTable();
  uint32_t count = KeyNameCount();
  const KeyNameEntry *entries = KeyNameEntries();
  FUZZ_CHECK((result == 0) == (count > 0 && entries != nullptr), "result %d, %u entries", result,
             count);
  FUZZ_CHECK(count <= 300, "%u entries", count);

  // The reference reading; without memory or file it has no table.
  std::vector<Definition> expected;
  for (size_t at = 0; at < files.keys.size() && expected.size() < 300;) {
    Definition definition;
    if (ReferenceParse(NextLine(files.keys, &at), &definition)) expected.push_back(definition);
  }
  if (result == 0) {
    FUZZ_CHECK(count == expected.size(), "%u entries, the reference has %zu", count,
               expected.size());
    std::vector<Definition> loaded;
    for (uint32_t i = 0; i < count; ++i) {
      const KeyNameEntry &entry = entries[i];
      FUZZ_CHECK(i == 0 || entries[i - 1].code <= entry.code, "entries out of order at %u", i);
      size_t length = strnlen(entry.name, sizeof entry.name);
      FUZZ_CHECK(length <= 13, "name without terminator at %u", i);
      for (size_t k = length; k < sizeof entry.name; ++k)
        FUZZ_CHECK(entry.name[k] == 0, "name not zero-filled at %u", i);
      loaded.push_back({entry.code, std::string(entry.name, length)});
    }
    std::vector<Definition> sorted = expected;
    std::sort(sorted.begin(), sorted.end(), ByCode);
    std::sort(loaded.begin(), loaded.end(), ByCode);
    for (size_t i = 0; i < loaded.size(); ++i)
      FUZZ_CHECK(loaded[i].code == sorted[i].code && loaded[i].name == sorted[i].name,
                 "entry %zu differs from the reference", i);

    // By name: the first entry so named in table order, up to the first
    // entry without a name.
    std::map<std::string, uint32_t> firstByName;
    for (uint32_t k = 0; k < count && entries[k].name[0] != 0; ++k)
      firstByName.emplace(entries[k].name, entries[k].code);
    std::vector<bool> stored(0x10000);
    for (uint32_t i = 0; i < count; ++i) {
      stored[entries[i].code] = true;
      const char *name = FindKeyName(0x12340000u | entries[i].code);
      FUZZ_CHECK(name != nullptr, "code %#x not found", entries[i].code);
      const KeyNameEntry *found = reinterpret_cast<const KeyNameEntry *>(name - 2);
      FUZZ_CHECK(found >= entries && found < entries + count && found->code == entries[i].code,
                 "FindKeyName(%#x) gave another code's name", entries[i].code);
      auto first = firstByName.find(entries[i].name);
      uint32_t want = first == firstByName.end() ? 0 : first->second;
      FUZZ_CHECK(FindKeyCode(entries[i].name) == want, "FindKeyCode(\"%s\")", entries[i].name);
    }
    for (uint32_t code = 0; code <= 0xFFFF; code += 97)
      FUZZ_CHECK((FindKeyName(code) != nullptr) == stored[code], "FindKeyName(%#x)", code);
  } else {
    FUZZ_CHECK(FindKeyName(13) == nullptr && FindKeyCode("ENTER") == 0, "lookups without a table");
  }
  // A second load reads nothing and answers as the first.
  FUZZ_CHECK(LoadKeyNameTable() == result, "a second load answered otherwise");

  fuzz::FinishHost();
  return 0;
}
