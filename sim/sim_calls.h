// The simulated host's record of calls: each host function call as its name
// and its arguments' text, in order.
//
// Argument text: signed numbers in decimal, unsigned ones in hex ("0x8000"),
// texts quoted with C escapes ("\"a\\n\""), wide texts as u"..." in host
// text, output buffers as buf / wbuf, other pointers as ptr or null.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <type_traits>
#include <vector>

#include "plugin/contract/host_api.h"
#include "sim/sim_text.h"

namespace sim {

struct HostCall {
  std::string name;  // e.g. "HostSetFlags"
  std::string args;  // e.g. "0x8000, 1"

  std::string Text() const { return name + "(" + args + ")"; }
};

class CallLog {
 public:
  std::vector<HostCall> calls;

  void Record(const char *name, std::string args) {
    calls.push_back(HostCall{name, std::move(args)});
  }
  // "HostGetFlags()\nHostSetFlags(0x8000, 1)\n..." of every call, or of those
  // whose names are listed in `only`.
  std::string Trace(const std::vector<std::string> &only = {}) const;
  // The names of the calls in order.
  std::vector<std::string> Names() const;
  size_t Count(const std::string &name) const;
  void ClearCalls() { calls.clear(); }
};

// ---- Argument text -----------------------------------------------------------
inline std::string ArgText(const char *text) {
  return text == nullptr ? "null" : "\"" + Escaped(text) + "\"";
}
inline std::string ArgText(char *) { return "buf"; }
inline std::string ArgText(const HostWideChar *text) {
  return text == nullptr ? "null" : "u\"" + Escaped(Narrow(WideText(text))) + "\"";
}
inline std::string ArgText(HostWideChar *) { return "wbuf"; }
inline std::string ArgText(KeyFilter f) { return f == nullptr ? "null" : "filter"; }
inline std::string ArgText(FieldCallback f) { return f == nullptr ? "null" : "callback"; }

template <typename T>
std::string ArgText(T value) {
  if constexpr (std::is_pointer_v<T>) {
    return value == nullptr ? "null" : "ptr";
  } else if constexpr (std::is_signed_v<T>) {
    return std::to_string(static_cast<long long>(value));
  } else {
    char text[16];
    snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
  }
}

inline std::string JoinArgs() { return ""; }
template <typename First, typename... Rest>
std::string JoinArgs(First first, Rest... rest) {
  std::string text = ArgText(first);
  if constexpr (sizeof...(rest) > 0) text += ", " + JoinArgs(rest...);
  return text;
}

}  // namespace sim
