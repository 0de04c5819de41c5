#include "recorder/session/key_naming.h"

#include <string.h>

#include "plugin/binding/host_calls.h"
#include "plugin/contract/bounded_format.h"
#include "plugin/contract/host_values.h"
#include "plugin/contract/key_rows.h"
#include "plugin/keys/key_names.h"
#include "recorder/session/key_table.h"
#include "recorder/session/recorder_boxes.h"
#include "recorder/session/recorder_texts.h"
#include "recorder/session/recording.h"
#include "recorder/writer/key_writer.h"

namespace {

constexpr int32_t kLineSize = 256;
constexpr size_t kNameChars = sizeof(KeyFileName) - 1;
// Behind "KLAWISZ_XXXX" when that name is taken for another code.
constexpr char kSuffixes[] = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";
// ASCII only: the same bytes in every code page the file may be written in.
constexpr char kCommentLine[] = "// Nazwa nadana przy nagrywaniu (wtyczka Zapis klawiszy)";

// What the file holds, as far as the naming needs it.
struct KeysFile {
  bool read = false;
  uint32_t definitions = 0;   // lines the plug-ins take as definitions
  bool crLf = false;          // its first line end is CR LF
  bool endsWithLine = true;   // empty, or its last byte is a line feed
  bool nameTaken = false;     // `name` stands for another code
  bool nameHere = false;      // `name` already stands for the code
};

bool SameName(const char *a, const char *b) { return strncmp(a, b, kNameChars) == 0; }

void Path(HostWideChar (&path)[host::kPathChars]) {
  path[0] = 0;
  HostMakePathW(path, host::kPathChars, kKeyFileRelativePath);
  path[host::kPathChars - 1] = 0;
}

// Reads the file in binary, line by line as the key table does.
KeysFile ReadKeysFile(const char *name, uint16_t code) {
  KeysFile file;
  HostWideChar path[host::kPathChars];
  Path(path);
  HostFile handle = HostFileOpenW(path, u"rb", host::kOpenShare, 0, -1);
  if (handle == 0) return file;
  file.read = true;
  bool firstEnd = true;
  char line[kLineSize];
  while (HostFileGets(line, kLineSize, handle) != nullptr) {
    line[kLineSize - 1] = 0;
    size_t length = strlen(line);
    if (length == 0) continue;
    file.endsWithLine = line[length - 1] == '\n';
    if (firstEnd && file.endsWithLine) {
      file.crLf = length >= 2 && line[length - 2] == '\r';
      firstEnd = false;
    }
    const char *defined = nullptr;
    uint32_t value = 0;
    if (!ParseKeyDefinition(line, &defined, &value)) continue;
    ++file.definitions;
    if (!SameName(defined, name)) continue;
    if (value == code) file.nameHere = true;
    else file.nameTaken = true;
  }
  HostFileClose(handle);
  return file;
}

// The comment and the definition at the end of the file; true when all of
// it was written.
bool AppendDefinition(const KeysFile &file, const char *name, uint16_t code) {
  HostWideChar path[host::kPathChars];
  Path(path);
  HostFile handle = HostFileOpenW(path, u"ab", host::kOpenShare, 0, -1);
  if (handle == 0) return false;
  const char *end = file.crLf ? "\r\n" : "\n";
  char text[160];
  size_t length = FormatBounded(text, sizeof text, "%s%s%s#define %s 0x%04X%s",
                                file.endsWithLine ? "" : end, kCommentLine, end, name, code, end);
  bool written = HostFilePrintf(handle, "%s", text) >= static_cast<int32_t>(length) &&
                 HostFileFlush(handle) == 0;
  return HostFileClose(handle) == 0 && written;
}

// The name to offer for `code`, and the file as read for it: the name
// people would look for when the file does not hold it for another code,
// else the first free KLAWISZ_XXXX; true when the file was read and the
// name is free there (or stands for `code` already).
bool ChooseName(uint16_t code, KeyFileName &name, KeysFile *file) {
  char peoples[kKeyNameTextSize];
  if (host::WriteKeyRowName(code, peoples, sizeof peoples) && KeyNameOfPeoplesName(peoples, name)) {
    *file = ReadKeysFile(name, code);
    if (!file->read) return false;
    if (!file->nameTaken) return true;
  }
  FormatBounded(name, sizeof name, "KLAWISZ_%04X", code);
  *file = ReadKeysFile(name, code);
  for (const char *suffix = kSuffixes; file->read && file->nameTaken; ++suffix) {
    if (*suffix == 0) return false;
    FormatBounded(name, sizeof name, "KLAWISZ_%04X%c", code, *suffix);
    *file = ReadKeysFile(name, code);
  }
  return file->read;
}

bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool KeyNameOfPeoplesName(const char *peoples, KeyFileName &name) {
  size_t at = 0;
  for (const char *c = peoples; *c != 0; ++c) {
    char letter = *c == '+' ? '_' : *c >= 'a' && *c <= 'z' ? static_cast<char>(*c - 'a' + 'A') : *c;
    bool fits = at < kNameChars && (IsUpper(letter) || IsDigit(letter) || letter == '_');
    if (!fits) {
      name[0] = 0;
      return false;
    }
    name[at++] = letter;
  }
  name[at] = 0;
  // A C name, as the file's other lines; a command's name plays as the command.
  bool valid = at != 0 && !IsDigit(name[0]);
  for (const char *command : kPlayerCommandNames)
    if (strcmp(name, command) == 0) valid = false;
  if (!valid) name[0] = 0;
  return valid;
}

void SuggestKeyName(uint16_t code, KeyFileName &name) {
  KeysFile file;
  ChooseName(code, name, &file);
}

bool OfferKeyName(uint16_t code, KeyFileName &name) {
  KeysFile file;
  bool free = ChooseName(code, name, &file);
  char key[kKeyNameTextSize + 16];
  char peoples[kKeyNameTextSize];
  if (host::WriteKeyRowName(code, peoples, sizeof peoples))
    FormatBounded(key, sizeof key, kKeyWithNameFormat.c_str(), peoples, code);
  else
    FormatBounded(key, sizeof key, kKeyByCodeFormat.c_str(), code);
  char text[1024];
  FormatBounded(text, sizeof text, kNameQuestionFormat.c_str(), key, name);
  if (!RecorderAskYes(text)) return false;
  bool named = free && (file.nameHere || (file.definitions < kKeyTableCapacity &&
                                           AppendDefinition(file, name, code)));
  if (named) {
    // Read anew, also after a load that failed (an empty file).
    ReleaseKeyNameTable();
    ResetKeyNameTable();
    PrepareKeyNames();
    named = PlayableName(code, g_recorderKeys.names) != nullptr;
  }
  if (!named) {
    FormatBounded(text, sizeof text, kKeysFileFullFormat.c_str(), kKeyTableCapacity);
    RecorderNotice(text);
  }
  return named;
}
