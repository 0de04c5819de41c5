// The one way the tools say an error, a warning or a note: "where: error:
// text", the severity's word in the user's language put in by the kind of
// the message, never written inside a message's own text.  `where` is a
// file (with its line and column), the tool's name, or empty.
#pragma once

#include <stdio.h>

#include <string>

namespace messages {

enum class Severity { kNote, kWarning, kError };

// "error", "warning", "note" in the current language.
std::string SeverityWord(Severity kind);

// "file", "file:line" or "file:line:column": a place for `where` (a line
// or a column of 0 is left out).
std::string Where(const std::string &file, long line = 0, long column = 0);

// "where: error: text" ("error: text" where `where` is empty), in the
// current language.
std::string Tell(Severity kind, const std::string &where, const std::string &text);

// The same said on `to` (standard error unless told), with a line feed.
void TellOn(FILE *to, Severity kind, const std::string &where, const std::string &text);

// An error said on standard error; the exit status 2 (a file that cannot be
// read or written, nothing written).
int Fail(const std::string &where, const std::string &text);

}  // namespace messages
