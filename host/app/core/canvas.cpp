#include "host/app/core/canvas.h"

namespace volmar {

void Canvas::Resize(int width, int height) {
  width_ = width < 1 ? 1 : width;
  height_ = height < 1 ? 1 : height;
  cells_.assign(static_cast<size_t>(width_) * height_, Cell{});
  cursorX = cursorY = -1;
}

void Canvas::Put(int x, int y, char16_t ch, uint16_t attr) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  cells_[static_cast<size_t>(y) * width_ + x] = Cell{ch, attr};
}

void Canvas::Fill(int x, int y, int w, int h, char16_t ch, uint16_t attr) {
  for (int row = y; row < y + h; ++row)
    for (int column = x; column < x + w; ++column) Put(column, row, ch, attr);
}

int Canvas::Text(int x, int y, std::u16string_view text, uint16_t attr, int maxWidth) {
  int written = 0;
  for (char16_t ch : text) {
    if (written >= maxWidth) break;
    Put(x + written++, y, ch, attr);
  }
  return written;
}

void Canvas::Frame(int x, int y, int w, int h, uint16_t attr, std::u16string_view title) {
  if (w < 2 || h < 2) return;
  Fill(x, y, w, h, u' ', attr);
  for (int column = x + 1; column < x + w - 1; ++column) {
    Put(column, y, u'─', attr);
    Put(column, y + h - 1, u'─', attr);
  }
  for (int row = y + 1; row < y + h - 1; ++row) {
    Put(x, row, u'│', attr);
    Put(x + w - 1, row, u'│', attr);
  }
  Put(x, y, u'┌', attr);
  Put(x + w - 1, y, u'┐', attr);
  Put(x, y + h - 1, u'└', attr);
  Put(x + w - 1, y + h - 1, u'┘', attr);
  if (!title.empty()) {
    int length = static_cast<int>(title.size()) + 2;
    if (length > w - 2) length = w - 2;
    int start = x + (w - length) / 2;
    Put(start, y, u' ', attr);
    Text(start + 1, y, title, attr, length - 2);
    Put(start + length - 1, y, u' ', attr);
  }
}

void Canvas::Shadow(int x, int y, int w, int h) {
  const uint16_t shade = Attr(kDarkGrey, kBlack);
  for (int row = y + 1; row <= y + h; ++row)
    for (int column = x + w; column < x + w + 2; ++column)
      if (column < width_ && row < height_) Put(column, row, At(column, row).ch, shade);
  for (int column = x + 2; column < x + w; ++column)
    if (y + h < height_ && column < width_) Put(column, y + h, At(column, y + h).ch, shade);
}

std::u16string Canvas::Row(int y) const {
  std::u16string row;
  if (y < 0 || y >= height_) return row;
  for (int x = 0; x < width_; ++x) row.push_back(At(x, y).ch);
  return row;
}

}  // namespace volmar
