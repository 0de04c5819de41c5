// Scripted keys: what a person would type, written as text.
//
//   plain text            typed character by character (UTF-8 in the script)
//   <Shift+F11> <F12>     a key by name (key_codes.h: F1-F12 with Shift+,
//   <Enter> <Alt+P> ...   Ctrl+, Alt+; Enter, Tab, Esc, Backspace, Up, Down,
//                         Left, Right, Home, End, PgUp, PgDn, Ins, Del; Alt+
//                         a letter or digit)
//   <Wait:500>            the next key comes 500 ms after the one before,
//                         whether or not the host is busy
//   <<                    the character '<'
// Line breaks in the script type nothing (use <Enter>).  Without <Wait:...>
// a key is given only when the host is idle: no key waits and the key
// filters feed none, as when a macro has ended or waits for the user.
#pragma once

#include <stdint.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/app/core/keyboard.h"

namespace volmar {

struct ScriptStep {
  uint16_t key;
  bool timed;       // given `wait` ms after the previous key, idle or not
  uint32_t wait;
};

bool ParseKeyScript(std::string_view utf8, std::vector<ScriptStep> &steps, std::string &error);

class ScriptInput final : public KeyInput {
 public:
  ScriptInput(std::vector<ScriptStep> steps, std::function<uint32_t()> now,
              std::function<void(uint32_t)> sleep, uint32_t timeoutMilliseconds);

  void Pump(bool quiet) override;
  bool Peek(uint16_t &key) override;
  bool Take(uint16_t &key) override;
  bool PumpAndPeek(uint16_t &key) override;
  void Wait(uint32_t milliseconds) override;
  bool Ended() override;
  bool Aborted() override;

  bool timedOut() const { return timedOut_; }

 private:
  std::vector<ScriptStep> steps_;
  std::function<uint32_t()> now_;
  std::function<void(uint32_t)> sleep_;
  uint32_t timeout_;
  uint32_t start_;
  uint32_t lastGiven_;
  size_t next_ = 0;
  bool ready_ = false;
  uint16_t readyKey_ = 0;
  bool timedOut_ = false;
};

}  // namespace volmar
