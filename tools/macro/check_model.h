// What the checker finds: diagnostics with their positions, the key stream
// of a dry run, and the summary of each file.  Texts that the player hands
// to the host are kept as host text (Mazovia bytes) and turned into UTF-8
// only when printed.
#pragma once

#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

#include "tools/codec/code_pages.h"
#include "tools/messages/tell.h"

namespace macro {

// A place in a file, both counted from 1; 0 when the finding has no place.
// Columns count characters from the start of the line: a UTF-8 sequence is
// one character, any other byte is one (a file in the host's 8-bit text, or
// in another code page; see SourceMap).
struct SourcePosition {
  int line = 0;
  int column = 0;
};

// Maps byte offsets of a file to lines and columns.  A line ends behind its
// line feed; a carriage return before the line feed belongs to the line.
class SourceMap {
 public:
  SourceMap() = default;
  // `reading`: how the file's bytes make characters (see FileBytesToUtf8).
  // A UTF-8 byte-order mark at the start counts as no column.
  explicit SourceMap(const std::string &content,
                     codec::CodePage reading = codec::CodePage::kMazovia);
  // The same over `content` itself, which the caller keeps alive and
  // unchanged as long as the map is used: no copy of a large file.
  static SourceMap Borrowing(const std::string &content,
                             codec::CodePage reading = codec::CodePage::kMazovia);
  SourcePosition At(size_t offset) const;
  // The text of a line (1-based) without its line break; empty when it is
  // longer than `limit` bytes (too long to show).
  std::string Line(int line, size_t limit = std::string::npos) const;

 private:
  SourceMap(std::shared_ptr<const std::string> text, codec::CodePage reading);

  std::shared_ptr<const std::string> text_;  // owned, or borrowed (no deleter)
  codec::CodePage reading_ = codec::CodePage::kMazovia;
  size_t bom_ = 0;  // bytes of a byte-order mark at the start
  std::vector<size_t> lineStarts_;
  // The last place asked for: the items of a macro come in file order, so
  // the next column is counted on from there (long lines stay linear).
  mutable size_t cachedOffset_ = 0;
  mutable size_t cachedLine_ = 0;
  mutable size_t cachedColumn_ = 0;
};

// The findings of one macro kept in full; more are only counted.
inline constexpr size_t kKeptFindings = 1000;

// Lines longer than this are not shown under a finding.
inline constexpr size_t kExcerptLimit = 300;

// A finding's severity is the one every message of the tools has.
using Severity = messages::Severity;

struct Diagnostic {
  std::string file;         // as the user named it
  SourcePosition position;  // 0:0 for the file as a whole
  int64_t offset = -1;      // the byte the position stands for, -1 for none
  Severity severity = Severity::kWarning;
  std::string id;           // short stable name, e.g. "typed-as-text"
  std::string message;      // UTF-8
  std::string hint;         // UTF-8, may be empty
  std::string sourceLine;   // the raw bytes of the line, for the excerpt
  // How the line's bytes read as characters (the file's code page).
  codec::CodePage reading = codec::CodePage::kMazovia;
  // The key names a finding of the key definitions is about (file bytes):
  // it is shown in full beside macros only when one of them uses a name.
  std::vector<std::string> names;
  // Counted in a summary line instead of shown (a key-file finding about
  // names no checked macro uses).
  bool summarized = false;
};

// One item of the dry run's stream, in the order the player produces it.
enum class StreamKind {
  kCharacter,    // a character handed to the host as a key
  kKey,          // a bracketed key name: its code handed to the host
  kCommand,      // one of the six commands
  kText,         // a text typed as a whole (a bracketed word that is no name)
  kUserEnter,    // the user must press Enter (WAITENTER, WAIT)
  kUserShiftF11, // the user must press Shift+F11 (HALT), or stops an endless loop
  kQuestion,     // the player asks whether to stop; `text` holds the answer given
  kPassStart,    // RESTART has sent playback back to the start of the file
  kEnd,          // the end of the file ended the macro
  kStopped,      // the macro was stopped (the check's bound on RESTART)
};

struct StreamItem {
  StreamKind kind = StreamKind::kCharacter;
  SourcePosition position;
  int64_t offset = -1;  // the byte the position stands for, -1 for none
  uint32_t code = 0;  // the 16-bit key code handed over (characters, keys, SF11)
  std::string name;   // key or command name, host text
  std::string text;   // typed text (host text), or a note
  int pass = 1;       // 1, or 2 after a RESTART
};

struct MacroReport {
  std::string file;
  bool readable = true;
  std::string readError;  // why the file could not be read
  std::vector<Diagnostic> diagnostics;
  // Warnings found beyond the first kKeptFindings: counted, not kept.
  size_t warningsNotKept = 0;
  std::vector<StreamItem> stream;
  uint32_t keysPosted = 0;           // keys the host receives (the no-key code not counted)
  uint32_t keysFirstPass = 0;        // the same, up to the first RESTART
  uint32_t textsTyped = 0;
  uint32_t commandsRun = 0;
  uint32_t userActions = 0;          // Enter or Shift+F11 presses, stop answers
  uint64_t leastMilliseconds = 0;    // pauses and sleeps of what was played
  uint64_t leastFirstPass = 0;       // the same, up to the first RESTART
  uint32_t keyPauses = 0;            // pauses of the key delay armed
  uint32_t delayPauses = 0;          // pauses armed by DELAY
  uint64_t delayMilliseconds = 0;    // their length together
  uint64_t sleptMilliseconds = 0;    // the player's sleeps (WAITENTER)
  bool restarts = false;             // RESTART sends playback back to the start
  bool endless = false;              // ... and nothing in the loop waits for the user
  std::vector<uint32_t> postedKeys;  // every HostPostKey argument, in order
  // The bracketed words it holds, each once (file bytes), that a finding of
  // the key definitions could be about (no longer than its longest name).
  std::vector<std::string> words;
  std::string log;                   // the log lines, as the log file would hold them
};

// A definition line of the key definition file, as the loader took it.
struct KeyDefinition {
  int line = 0;
  SourcePosition namePosition;
  std::string fullName;    // the name as it stands in the file
  std::string storedName;  // the name in the table (cut to 13 characters)
  uint32_t code = 0;       // the low 16 bits of the number
  bool stored = false;     // false: behind the table's 300 entries, ignored
  bool reachable = false;  // the player finds it by name ([NAME] gives its code)
  uint32_t givenCode = 0;  // what [storedName] gives: this code, another, or 0 for no key
};

// A "#define" line that defines no key, with the name it meant to define.
struct UnusableDefinition {
  int line = 0;
  std::string name;  // file bytes; empty when the line has none
  std::string why;   // UTF-8, the finding's message behind "defines no key: "
};

struct KeyFileReport {
  std::string file;
  bool readable = true;
  std::string readError;
  std::string playerMessage;  // the error the player would show, UTF-8
  bool loaded = false;        // the player has a key-name table
  std::vector<Diagnostic> diagnostics;
  std::vector<KeyDefinition> definitions;  // in file order
  std::vector<UnusableDefinition> unusable;  // in file order
  int blockingLine = 0;  // the empty name that stops the search by name, or 0
};

}  // namespace macro
