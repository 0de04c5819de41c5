// A small check harness for the Wine tests: one line per check, a closing
// "N passed, M failed" line, and an exit code that is nonzero on failure.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

// Prints "ok   <what>" or "FAIL <what>" and counts the outcome.
bool Check(bool ok, const std::string &what);
// Byte-exact comparison; on failure both sides are printed with C escapes.
bool CheckBytes(const std::string &expected, const std::string &actual, const std::string &what);
// Integer comparison; on failure both values are printed.
bool CheckValue(int64_t expected, int64_t actual, const std::string &what);
// Two lists compared line by line; on failure the first difference is shown.
bool CheckLines(const std::vector<std::string> &expected, const std::vector<std::string> &actual,
                const std::string &what);
// A check that cannot run here: printed as "skip", counted as neither.
void Skip(const std::string &what, const std::string &why);

// Prints the closing line; returns 0 when nothing failed, else 1.
int CheckSummary();
int FailedChecks();

// The bytes with C escapes for everything outside printable ASCII.
std::string Escaped(const std::string &bytes);
// printf into a std::string.
std::string Format(const char *format, ...) __attribute__((format(printf, 1, 2)));
