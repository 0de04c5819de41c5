// Helpers shared by the host's unit tests: a key input fed by the test, a
// key filter that records what it is offered, a screen that keeps the last
// canvas, and a settable clock.
#pragma once

#include <stdint.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "host/app/core/keyboard.h"
#include "host/app/core/text_codec.h"
#include "host/app/core/ui.h"

namespace volmar::testing {

struct TestClock {
  uint32_t now = 1000;
  uint32_t operator()() const { return now; }
};

// Keys the test queues; once they are used up the input has ended (unless
// the test keeps it open).  Every wait moves the clock on by the time
// waited.
class TestInput : public KeyInput {
 public:
  explicit TestInput(TestClock &clock) : clock_(clock) {}
  void Pump(bool quiet) override {
    if (quiet) ++quietCalls;
  }
  bool Peek(uint16_t &key) override {
    if (keys.empty()) return false;
    key = keys.front();
    return true;
  }
  bool Take(uint16_t &key) override {
    if (!Peek(key)) return false;
    keys.pop_front();
    return true;
  }
  void Wait(uint32_t milliseconds) override {
    clock_.now += milliseconds;
    ++waits;
  }
  bool Ended() override { return keys.empty() && !open; }
  bool Aborted() override { return waits > 100000; }

  std::deque<uint16_t> keys;
  bool open = false;  // more keys may come: the input has not ended when empty
  int quietCalls = 0;
  int waits = 0;

 private:
  TestClock &clock_;
};

// A keyboard on a test input and a settable clock, as the host's fixtures
// build it: a fixture derives from it.
struct TestKeyboard {
  TestClock clock;
  TestInput input{clock};
  Keyboard keyboard{input, std::ref(clock)};
};

// The key filter a test installs: records every key it is offered (the
// no-key calls too) and answers what the test's reaction answers, or the key.
struct FilterLog {
  std::vector<uint32_t> seen;
  std::function<uint32_t(uint32_t)> react;
};
inline FilterLog g_filter;

inline uint32_t HOST_STDCALL RecordingFilter(uint32_t key) {
  g_filter.seen.push_back(key);
  return g_filter.react ? g_filter.react(key) : key;
}

class TestScreen : public Screen {
 public:
  void Size(int &width, int &height) override {
    width = 80;
    height = 25;
  }
  void Present(const Canvas &canvas) override { last = canvas; }
  // Every row of the last canvas, as UTF-8, one per line.
  std::string Text() const {
    std::string text;
    for (int y = 0; y < last.height(); ++y) text += Utf16ToUtf8(last.Row(y)) + "\n";
    return text;
  }
  Canvas last;
};

}  // namespace volmar::testing
