// The simulated host's settings store, answering HostProfile as the host
// does.  Entries are "section/key" -> the stored text.
//
//   read number (1)  "%d": stores a 16-bit number at the address;
//   read text (8)    "%*s": takes the width, then the address, and stores
//                    at most that many characters and a zero;
//   write (2, 9)     "%d" stores the number's text, "%s" the text.
// A read of an entry that is not there, or not a number, gives 1 and stores
// nothing; every other call gives 0.
#pragma once

#include <stdarg.h>
#include <stdint.h>

#include <map>
#include <string>

namespace sim {

class Settings : public std::map<std::string, std::string> {
 public:
  static std::string Name(const char *section, const char *key);
  int32_t Profile(int32_t operation, const char *section, const char *key, const char *format,
                  va_list values);
};

}  // namespace sim
