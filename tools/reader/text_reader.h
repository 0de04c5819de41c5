// The one reader of text files: a file's bytes (tools/reader/source.h) as
// UTF-8 text, in pieces, whatever form it was saved in.
//
// The form comes from the first bytes: a UTF-8 byte order mark, a UTF-16
// one (little or big endian), or UTF-16 without its mark, told by the zero
// bytes between its ASCII letters.  Other text is UTF-8 or an 8-bit code
// page: the page the caller declares, or, when the caller lets the reader
// guess, the one the Polish letters show (tools/reader/polish_guess.h).  A
// guess is taken at the first byte above 0x7F, from the 4 KB from there on:
// every byte before it is ASCII and reads alike in every page, so nothing
// read is ever read again.
//
// Memory does not grow with the file: a chunk at a time is read and handed
// on, and only a character cut by a chunk's end is held over.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

#include "tools/codec/code_pages.h"
#include "tools/reader/polish_guess.h"
#include "tools/reader/source.h"

namespace reader {

// How a file's first bytes say it is written.
enum class Form {
  kBytes,    // no mark: UTF-8 or an 8-bit code page
  kUtf8Bom,  // UTF-8 behind its byte order mark
  kUtf16Le,
  kUtf16Be,
};

struct Start {
  Form form = Form::kBytes;
  size_t markLength = 0;  // the byte order mark's bytes (0 for UTF-16 without its mark)
};

// The form of a file whose first bytes are `head` (as many as at hand, a
// chunk at best: UTF-16 without its mark is told by its zero bytes).
Start DetectStart(const char *head, size_t size);
inline bool IsUtf16(Form form) { return form == Form::kUtf16Le || form == Form::kUtf16Be; }

struct ReadSettings {
  // The code page of text without a mark; with `guess`, only where the first
  // byte above 0x7F shows nothing else.
  codec::CodePage page = codec::CodePage::kUtf8;
  // Without a declared page: the page is guessed among `guessAmong`.
  bool guess = false;
  PageList guessAmong = kTablePages;
  size_t chunk = 64 * 1024;  // bytes read at a time
};

// The most bytes a guess keeps undecoded while the letters have not told.
inline constexpr size_t kGuessHold = 64 * 1024;

enum class ReadProblem {
  kNone,
  kReadFailed,      // the system's read failed
  kBomButCodePage,  // a UTF-8 mark on text declared to be in a code page
  kNotUtf8,         // a byte that is no UTF-8; `likely` names the page it looks like (`inDoubt`: or `alsoLikely`)
  kNotInCodePage,   // a byte the code page leaves undefined
  kNotUtf16,        // a lone surrogate, or an odd last byte
  kNul,             // a zero byte in text without a UTF-16 form
};

struct ReadError {
  ReadProblem problem = ReadProblem::kNone;
  int line = 0;            // the line of the text it stands on (1-based)
  size_t offset = 0;       // its offset in the file
  uint8_t byte = 0;        // the byte that cannot be read
  codec::CodePage page = codec::CodePage::kUtf8;    // what it was read as
  codec::CodePage likely = codec::CodePage::kCp1250;  // kNotUtf8: the page its letters show
  bool inDoubt = false;    // kNotUtf8: its letters do not tell `likely` from `alsoLikely`
  codec::CodePage alsoLikely = codec::CodePage::kCp852;
  bool nulsBetweenLetters = false;  // kNul: the zeros fall between letters, as in UTF-16
};

class TextReader {
 public:
  TextReader(ByteSource &source, const ReadSettings &settings);

  // The next piece of the text as UTF-8 (whole characters, the mark left
  // out); false at the end (with error->problem kNone) or with `error`.
  bool Next(std::string *utf8, ReadError *error);

  Form form() const { return start_.form; }
  // What the text was read as: kUtf8 for UTF-8 and UTF-16 alike.
  codec::CodePage page() const { return page_; }
  // Whether the page was guessed (a code page the guess chose).
  bool guessed() const { return guessed_; }
  // What the weighing of the text says (text without a mark).
  const Weighing &weighing() const { return weighing_; }
  // Another encoding that clearly reads the text better than the one it was
  // read in, and the line where that shows first.
  bool BetterEncoding(codec::CodePage *better, int *line) const;
  // At the end of a guessed text: its letters never told the encoding it
  // was read in from `other`; the line where the two first differ.
  bool EncodingInDoubt(codec::CodePage *other, int *line) const;

 private:
  bool Begin(std::string *raw, ReadError *error);
  void Decide(std::string &raw);
  bool Decode(std::string &raw, std::string *utf8, ReadError *error);
  bool DecodeUtf16(std::string &raw, std::string *utf8, ReadError *error);
  bool Fail(ReadError *error, ReadProblem problem, const std::string &raw, size_t bad,
            const std::string &decoded);
  void CountLines(const std::string &utf8);

  ByteSource &source_;
  ReadSettings settings_;
  Start start_;
  codec::CodePage page_;
  bool started_ = false, ended_ = false, decided_ = false, guessed_ = false;
  std::string pending_;  // raw bytes of a character cut by a chunk's end
  size_t offset_ = 0;    // the file's offset of the next raw byte to decode
  int line_ = 1;         // the line of the next decoded character
  bool afterCr_ = false; // the last decoded character was a CR
  Weighing weighing_;
};

// A whole text file as UTF-8 (a template, --before, --after, a recording):
// opened by name ("-": standard input) and read as `settings` say.  False
// with errno's value in `openError`, or with `error`.  `form`, when given,
// gets what the reader saw.
bool ReadText(const std::string &utf8Path, const ReadSettings &settings, std::string *utf8,
              int *openError, ReadError *error, Form *form = nullptr);

}  // namespace reader
