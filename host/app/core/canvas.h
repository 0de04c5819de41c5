// The screen as a grid of character cells, drawn by the host's widgets and
// handed whole to the console.  Attributes use the console's bits
// (foreground in the low nibble, background in the high one).
#pragma once

#include <stdint.h>

#include <string>
#include <string_view>
#include <vector>

namespace volmar {

enum Color : uint16_t {
  kBlack = 0, kBlue = 1, kGreen = 2, kCyan = 3, kRed = 4, kMagenta = 5, kBrown = 6, kGrey = 7,
  kDarkGrey = 8, kLightBlue = 9, kLightGreen = 10, kLightCyan = 11, kLightRed = 12,
  kLightMagenta = 13, kYellow = 14, kWhite = 15,
};
constexpr uint16_t Attr(Color foreground, Color background) {
  return static_cast<uint16_t>(foreground | background << 4);
}

struct Cell {
  char16_t ch = u' ';
  uint16_t attr = Attr(kGrey, kBlack);
  bool operator==(const Cell &other) const = default;
};

class Canvas {
 public:
  void Resize(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }

  void Put(int x, int y, char16_t ch, uint16_t attr);
  void Fill(int x, int y, int w, int h, char16_t ch, uint16_t attr);
  // Writes `text` from (x, y), at most `maxWidth` cells; returns cells written.
  int Text(int x, int y, std::u16string_view text, uint16_t attr, int maxWidth = 1 << 20);
  // A single-line frame around the w x h rectangle at (x, y), its inside
  // filled, the title centred in the top line.
  void Frame(int x, int y, int w, int h, uint16_t attr, std::u16string_view title = {});
  // A shadow to the right of and below a box.
  void Shadow(int x, int y, int w, int h);

  const Cell &At(int x, int y) const { return cells_[static_cast<size_t>(y) * width_ + x]; }
  // One row as text (for tests and the scripted mode).
  std::u16string Row(int y) const;

  // Where the caret stands; -1 hides it.
  int cursorX = -1, cursorY = -1;

  bool operator==(const Canvas &other) const = default;

 private:
  int width_ = 0, height_ = 0;
  std::vector<Cell> cells_;
};

}  // namespace volmar
