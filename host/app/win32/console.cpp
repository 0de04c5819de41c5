#include "host/app/win32/console.h"

#include "host/app/core/key_codes.h"

namespace volmar {

ConsoleScreen::ConsoleScreen() : output_(GetStdHandle(STD_OUTPUT_HANDLE)) {}

ConsoleScreen::~ConsoleScreen() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(output_, &info)) return;
  DWORD written;
  COORD origin = {info.srWindow.Left, info.srWindow.Top};
  DWORD cells = static_cast<DWORD>(info.dwSize.X) * (info.srWindow.Bottom - info.srWindow.Top + 1);
  FillConsoleOutputCharacterW(output_, L' ', cells, origin, &written);
  FillConsoleOutputAttribute(output_, 0x07, cells, origin, &written);
  SetConsoleCursorPosition(output_, origin);
  CONSOLE_CURSOR_INFO cursor = {25, TRUE};
  SetConsoleCursorInfo(output_, &cursor);
}

void ConsoleScreen::Size(int &width, int &height) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(output_, &info)) return;
  width = info.srWindow.Right - info.srWindow.Left + 1;
  height = info.srWindow.Bottom - info.srWindow.Top + 1;
}

void ConsoleScreen::Present(const Canvas &canvas) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(output_, &info)) return;
  const int width = canvas.width(), height = canvas.height();
  cells_.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      CHAR_INFO &cell = cells_[static_cast<size_t>(y) * width + x];
      cell.Char.UnicodeChar = static_cast<WCHAR>(canvas.At(x, y).ch);
      cell.Attributes = canvas.At(x, y).attr;
    }
  SMALL_RECT region = {info.srWindow.Left, info.srWindow.Top,
                       static_cast<SHORT>(info.srWindow.Left + width - 1),
                       static_cast<SHORT>(info.srWindow.Top + height - 1)};
  WriteConsoleOutputW(output_, cells_.data(), COORD{static_cast<SHORT>(width), static_cast<SHORT>(height)},
                      COORD{0, 0}, &region);
  const bool visible = canvas.cursorX >= 0 && canvas.cursorY >= 0 && canvas.cursorX < width &&
                       canvas.cursorY < height;
  if (visible)
    SetConsoleCursorPosition(output_, COORD{static_cast<SHORT>(info.srWindow.Left + canvas.cursorX),
                                            static_cast<SHORT>(info.srWindow.Top + canvas.cursorY)});
  CONSOLE_CURSOR_INFO cursor = {25, visible ? TRUE : FALSE};
  SetConsoleCursorInfo(output_, &cursor);
}

ConsoleInput::ConsoleInput() : input_(GetStdHandle(STD_INPUT_HANDLE)) {
  if (GetConsoleMode(input_, &savedMode_))
    // Keys one by one, unechoed; Ctrl+C still ends the program.
    SetConsoleMode(input_, ENABLE_PROCESSED_INPUT | ENABLE_WINDOW_INPUT | ENABLE_EXTENDED_FLAGS);
}

ConsoleInput::~ConsoleInput() { SetConsoleMode(input_, savedMode_); }

void ConsoleInput::Pump(bool) {
  DWORD count = 0;
  while (GetNumberOfConsoleInputEvents(input_, &count) && count > 0) {
    INPUT_RECORD record;
    DWORD read = 0;
    if (!ReadConsoleInputW(input_, &record, 1, &read) || read == 0) return;
    if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) continue;
    const KEY_EVENT_RECORD &event = record.Event.KeyEvent;
    uint16_t key = TranslateConsoleKey(ConsoleKey{event.wVirtualKeyCode,
                                                  static_cast<char16_t>(event.uChar.UnicodeChar),
                                                  event.dwControlKeyState});
    if (key == 0) continue;
    for (WORD n = 0; n < event.wRepeatCount && n < 32 && keys_.size() < 4096; ++n) keys_.push_back(key);
  }
}

bool ConsoleInput::Peek(uint16_t &key) {
  if (keys_.empty()) return false;
  key = keys_.front();
  return true;
}

bool ConsoleInput::Take(uint16_t &key) {
  if (!Peek(key)) return false;
  keys_.pop_front();
  return true;
}

void ConsoleInput::Wait(uint32_t milliseconds) { WaitForSingleObject(input_, milliseconds); }

}  // namespace volmar
