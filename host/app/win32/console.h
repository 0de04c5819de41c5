// The Windows console as the host's screen and keyboard.
#pragma once

#include <windows.h>

#include <deque>
#include <vector>

#include "host/app/core/keyboard.h"
#include "host/app/core/ui.h"

namespace volmar {

// Draws the canvas into the console window with WriteConsoleOutputW.
class ConsoleScreen : public Screen {
 public:
  ConsoleScreen();
  ~ConsoleScreen() override;  // leaves a blank screen and a visible caret
  void Size(int &width, int &height) override;
  void Present(const Canvas &canvas) override;

 private:
  HANDLE output_;
  std::vector<CHAR_INFO> cells_;
};

// Reads console key events and translates them into the host's key codes.
class ConsoleInput : public KeyInput {
 public:
  ConsoleInput();
  ~ConsoleInput() override;  // restores the console mode
  void Pump(bool quiet) override;
  bool Peek(uint16_t &key) override;
  bool Take(uint16_t &key) override;
  void Wait(uint32_t milliseconds) override;
  bool Ended() override { return false; }
  bool Aborted() override { return false; }

 private:
  HANDLE input_;
  DWORD savedMode_ = 0;
  std::deque<uint16_t> keys_;
};

}  // namespace volmar
