#include "host/app/core/key_script.h"

#include <stdlib.h>

#include "host/app/core/key_codes.h"
#include "host/app/core/text_codec.h"
#include "plugin/contract/mazovia.h"

namespace volmar {

bool ParseKeyScript(std::string_view utf8, std::vector<ScriptStep> &steps, std::string &error) {
  steps.clear();
  bool timed = false;
  uint32_t wait = 0;
  auto add = [&](uint16_t key) {
    steps.push_back(ScriptStep{key, timed, wait});
    timed = false;
    wait = 0;
  };
  std::u16string text = Utf8ToUtf16(utf8);
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'\r' || c == u'\n') continue;
    if (c == u'<' && i + 1 < text.size() && text[i + 1] == u'<') {
      add('<');
      ++i;
      continue;
    }
    if (c == u'<') {
      size_t close = text.find(u'>', i);
      if (close == std::u16string::npos) {
        error = "'<' without '>'";
        return false;
      }
      std::string name = Utf16ToUtf8(text.substr(i + 1, close - i - 1));
      i = close;
      if (name.rfind("Wait:", 0) == 0 || name.rfind("wait:", 0) == 0) {
        char *end = nullptr;
        unsigned long ms = strtoul(name.c_str() + 5, &end, 10);
        if (end == name.c_str() + 5 || *end != 0 || ms > 3600000) {
          error = "bad wait <" + name + ">";
          return false;
        }
        timed = true;
        wait = static_cast<uint32_t>(ms);
        continue;
      }
      uint16_t key = ParseKeyName(name);
      if (key == 0) {
        error = "unknown key <" + name + ">";
        return false;
      }
      add(key);
      continue;
    }
    int byte = UnicodeToMazovia(c);
    if (byte <= 0) {
      error = "character U+" + std::to_string(static_cast<unsigned>(c)) + " cannot be typed";
      return false;
    }
    add(static_cast<uint16_t>(byte));
  }
  if (timed) add(kKeyNone);  // a trailing wait: hold on that long before ending
  return true;
}

ScriptInput::ScriptInput(std::vector<ScriptStep> steps, std::function<uint32_t()> now,
                         std::function<void(uint32_t)> sleep, uint32_t timeoutMilliseconds)
    : steps_(std::move(steps)), now_(std::move(now)), sleep_(std::move(sleep)),
      timeout_(timeoutMilliseconds), start_(now_()), lastGiven_(start_) {}

void ScriptInput::Pump(bool quiet) {
  if (ready_ || next_ >= steps_.size()) return;
  const ScriptStep &step = steps_[next_];
  bool due = step.timed ? static_cast<uint32_t>(now_() - lastGiven_) >= step.wait : quiet;
  if (!due) return;
  ++next_;
  lastGiven_ = now_();
  if (step.key == kKeyNone) return;  // the trailing wait has passed
  ready_ = true;
  readyKey_ = step.key;
}

bool ScriptInput::Peek(uint16_t &key) {
  if (!ready_) return false;
  key = readyKey_;
  return true;
}

bool ScriptInput::Take(uint16_t &key) {
  if (!Peek(key)) return false;
  ready_ = false;
  return true;
}

bool ScriptInput::PumpAndPeek(uint16_t &key) {
  Pump(false);
  return Peek(key);
}

void ScriptInput::Wait(uint32_t milliseconds) { sleep_(milliseconds); }

bool ScriptInput::Ended() { return !ready_ && next_ >= steps_.size(); }

bool ScriptInput::Aborted() {
  if (!timedOut_ && static_cast<uint32_t>(now_() - start_) > timeout_) timedOut_ = true;
  return timedOut_;
}

}  // namespace volmar
