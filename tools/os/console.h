// The tools' text on the screen.  The tools build their text as UTF-8.  To a
// Windows console it goes as wide text (WriteConsoleW), so that Polish
// letters show right whatever code page the console has (852, 1250 or
// 65001); to a pipe or a file, and everywhere but Windows, it goes as the
// UTF-8 bytes.
#pragma once

#include <stdio.h>

#include <filesystem>
#include <string>
#include <vector>

namespace os {

// Writes UTF-8 text to a stream; false when not all of it was written.
bool Write(FILE *stream, const std::string &utf8);

// Flushes `stream`; false when any text written to it was lost (a write
// error of the stream, a full disk behind it, a console that refused
// text).  The tools call it on standard output before they exit: output
// that was lost is an error (exit status 2), never a success.
bool Flush(FILE *stream);

// Whether `stream` shows colour escapes: a terminal elsewhere; on Windows a
// console whose virtual-terminal mode is on or could be turned on (this
// turns it on, and it is turned back at exit).
bool TakesColor(FILE *stream);

// Whether the console window is the tool's own: no command window started
// it, a double-click or files dropped on it did, and the window closes when
// the tool ends.  Always false but on Windows.
bool OwnConsoleWindow();

// Writes `prompt` and waits for Enter (or the end of the input).
void WaitForEnter(const std::string &prompt);
// Writes `prompt` and reads the line typed (UTF-8, without its line break).
std::string ReadAnswer(const std::string &prompt);
// Writes `prompt` and reads a yes ("t", "tak", "y", "yes", any case) or
// anything else (no).
bool AskYes(const std::string &prompt);

// The folder the running program stands in, with a trailing separator;
// "" when it cannot be told.
std::string ProgramFolder();

// The folder the tool runs in (its current folder), with a trailing
// separator; "" when it cannot be told.
std::string CurrentFolder();

// How the user runs the tool `tool` ("tastiro-check"), which stands in this
// program's folder (as the package lays the tools out), from the folder
// they are in: its bare name when that folder is on the PATH (or, on
// Windows, is the current folder), else its path from the current folder
// ("tastiromatika-1.0.0\tastiro-check.exe" in VOLMAR's), else its whole
// path; in quotes when it holds a blank.  So that a command a message
// suggests works as written.
std::string ToolCommand(const std::string &tool);

// The host folder a tool stands in: the program's folder when it holds
// the host's wtyczki/keys.h, else its parent when that does (the package
// puts the tools in a folder of their own inside the host's); else the
// program's folder.  With a trailing separator; "" when it cannot be told.
std::string HostFolderOfProgram();

// A file name with * or ? (which Windows's command window leaves to the
// program) as the names of the files it matches, sorted; the name itself
// when it has no wildcard or matches nothing.  As it is but on Windows,
// where the shell does this.
std::vector<std::string> ExpandWildcard(const std::string &name);

// fopen for a file name as the command line gave it: on Windows, a UTF-8
// name (cli::Utf8Arguments) through the wide name, a name in the system's code
// page (plain argv) as it is.
FILE *OpenFile(const std::string &utf8Path, const char *mode);

// A UTF-8 file name as std::filesystem takes it (on Windows its wide name).
std::filesystem::path Utf8Path(const std::string &utf8Path);

// Whether a file (or folder) of that name exists; the name as OpenFile takes it.
bool FileExists(const std::string &path);

}  // namespace os
