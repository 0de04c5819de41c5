// The player's macro log, read back: what a run of a merged macro sent.
//
// The log is a text file the player appends to, one entry a key, text or
// notice.  An entry is the host's date text, "=", its time text, a blank
// and a body; the stand-in host writes "2026-12-07=10:11:12 " (each text at
// most 11 characters).  A body that holds a line feed (the wait-for-Enter
// notice, a line-feed character sent as a key) goes on in the next line of
// the file without a stamp.  The stand-in host writes the log in UTF-8 (its
// encoding 6) in text mode, so lines end in CR LF.  The bodies:
//
//   [NAME]               a key that has a name in wtyczki/keys.h; also the
//                        commands RESTART, DELAY and SF11
//   {CHAR: c}            a key below 256 without a name: the character
//   {KSHORT: 0xHHHH}     a key of 256 and above without a name; 0xFFFF
//                        is the no-key code handed over after a command
//   {NAPIS: text}        a bracketed word typed as text
//   {KOMUNIKAT: text}    a notice: WAITENTER's, HALT's, the end of the file
//                        ("... z pliku.") and a stop by the user ("... z pliku")
//
// Keys are compared by code, not by name: a key logged as [ENTER] and one
// logged as {CHAR: \r} (no name in the key file) are the same key.  The
// key-name table must be loaded (the checker's library loads it).
//
// tastiro-merge puts one line of its own at the head of a log it makes (and
// behind the end of one that stood already): "# tastiro-merge: wiersze
// 17-30; szablon: ...; dane: ...", the rows the macro holds.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <string>

#include "tools/reader/source.h"

namespace merger {

enum class LogEntryKind : uint8_t {
  kKey,     // a key handed to the host: `code` its 16-bit code
  kName,    // [NAME] with a name that is no key (a command's own line): `text`
  kText,    // {NAPIS: ...}: `text`, UTF-8
  kNotice,  // {KOMUNIKAT: ...}: `text`, UTF-8
  kEnd,     // the notice of the end of the file or of a stop by the user
  kHeader,  // tastiro-merge's line: `first`, `last`
  kOther,   // anything else: `text`, the body as it stands
};

struct LogEntry {
  LogEntryKind kind = LogEntryKind::kOther;
  uint32_t code = 0;
  std::string text;
  size_t first = 0, last = 0;  // kHeader: the rows the macro holds
  bool stopped = false;        // kEnd: stopped by the user, not the end of the file
  size_t line = 0;             // the file's line the entry starts on (1-based)
  bool operator==(const LogEntry &other) const {
    return kind == other.kind && code == other.code && text == other.text;
  }
};

// The key code of -1, which the player hands over after a command.
inline constexpr uint32_t kNoKeyCode = 0xFFFF;

// The header line for rows first..last, without its line break.
std::string LogHeaderLine(size_t first, size_t last, const std::string &templateName,
                          const std::string &dataName);

// Reads a log's entries one at a time, a piece of the file at a time, so
// that the memory taken does not grow with the log.
class LogReader {
 public:
  // Reads `source` (a log file through the tools' one reader of bytes).
  explicit LogReader(reader::ByteSource &source) : source_(&source) {}
  // Reads `text` (the log a played macro wrote in the simulated host).
  explicit LogReader(const std::string &text) : text_(text) {}
  // The next entry; false at the end.
  bool Next(LogEntry *entry);
  // A read error ended the reading.
  bool failed() const { return failed_; }

 private:
  bool NextLine(std::string *line);
  bool Fill();

  reader::ByteSource *source_ = nullptr;
  std::string text_;
  size_t at_ = 0;
  size_t lineNumber_ = 0;
  bool haveLine_ = false;  // `line_` holds the next line, read ahead
  std::string line_;
  bool failed_ = false;
};

// The body of an entry (without the stamp) read into `entry`.
void ReadLogBody(const std::string &body, LogEntry *entry);

// How a key of the log reads to a person: a character as itself, another
// key as [NAME] (the key file's name, or its code).
std::string KeyText(uint32_t code);

// Whether `head`, the first bytes of a file, starts as a player's log does:
// with tastiro-merge's header line or with a stamped entry (after a UTF-8
// byte order mark; lines end in CR LF, LF or CR).  An empty head does not.
bool StartsAsRunLog(const std::string &head);

// What stands under a log's name, for a tool about to write there: the
// merge only adds to an empty file or a player's log, and the check's --log
// replaces a player's log only when told to.
enum class StandingLog : uint8_t {
  kNone,     // no file of that name
  kEmpty,    // an empty file (how a user asks the player for a log), or
             // one holding only a byte order mark
  kRunLog,   // a player's log (StartsAsRunLog)
  kOther,    // an ordinary file that holds something else
  kNoFile,   // a folder, a pipe, a device, a link to nothing, a file that
             // cannot be read: the writer says why it cannot be written
};
StandingLog ExamineLog(const std::string &path);

}  // namespace merger
