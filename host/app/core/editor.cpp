#include "host/app/core/editor.h"

#include <algorithm>

#include "host/app/core/key_codes.h"
#include "host/app/core/text_codec.h"
#include "plugin/contract/mazovia.h"

namespace volmar {

namespace {
constexpr uint16_t kTextAttr = Attr(kWhite, kBlue);
constexpr uint16_t kEmphasisAttr = Attr(kYellow, kBlue);
constexpr uint16_t kKeyAttr = Attr(kLightCyan, kBlue);
constexpr uint16_t kCodeAttr = Attr(kDarkGrey, kBlue);
constexpr uint16_t kStatusAttr = Attr(kBlack, kCyan);
constexpr uint16_t kStatusKeyAttr = Attr(kRed, kCyan);
constexpr uint16_t kActivityAttr = Attr(kWhite, kRed);
}  // namespace

Editor::Editor() : lines_(1) {}

Editor::Action Editor::HandleKey(uint32_t key) {
  switch (key) {
    case kKeyEnter: NewLine(); break;
    case kKeyBackspace: Backspace(); break;
    case kKeyDel: Delete(); break;
    case kKeyTab:
      do InsertChar(' ');
      while (column_ % kTabWidth != 0);
      break;
    case kKeyLeft: Move(0, -1); break;
    case kKeyRight: Move(0, 1); break;
    case kKeyUp: Move(-1, 0); break;
    case kKeyDown: Move(1, 0); break;
    case kKeyPgUp: Move(-std::max(1, pageHeight_ - 1), 0); break;
    case kKeyPgDn: Move(std::max(1, pageHeight_ - 1), 0); break;
    case kKeyHome: column_ = 0; break;
    case kKeyEnd: column_ = static_cast<int>(lines_[row_].size()); break;
    case kKeyCtrlHome: row_ = column_ = 0; break;
    case kKeyCtrlEnd:
      row_ = static_cast<int>(lines_.size()) - 1;
      column_ = static_cast<int>(lines_[row_].size());
      break;
    case kKeyF1: return Action::kHelp;
    case kKeyF10:
    case kKeyAltX: return Action::kQuit;
    default:
      // Printable characters; other control characters and keys do nothing.
      if (IsCharacterKey(key) && key >= 0x20 && key != 0x7F) InsertChar(static_cast<char>(key));
      break;
  }
  return Action::kNone;
}

bool Editor::TypeText(std::string_view hostText) {
  for (char c : hostText) {
    uint8_t byte = static_cast<uint8_t>(c);
    if (byte == '\n') NewLine();
    else if (byte == '\t') HandleKey(kKeyTab);
    else if (byte != '\r') InsertChar(c);  // inline codes are kept and shown as such
  }
  return true;
}

void Editor::InsertChar(char c) {
  lines_[row_].insert(lines_[row_].begin() + column_, c);
  ++column_;
}

void Editor::NewLine() {
  std::string rest = lines_[row_].substr(column_);
  lines_[row_].resize(column_);
  lines_.insert(lines_.begin() + row_ + 1, rest);
  ++row_;
  column_ = 0;
}

void Editor::Backspace() {
  if (column_ > 0) {
    lines_[row_].erase(--column_, 1);
  } else if (row_ > 0) {
    column_ = static_cast<int>(lines_[row_ - 1].size());
    lines_[row_ - 1] += lines_[row_];
    lines_.erase(lines_.begin() + row_);
    --row_;
  }
}

void Editor::Delete() {
  if (column_ < static_cast<int>(lines_[row_].size())) {
    lines_[row_].erase(column_, 1);
  } else if (row_ + 1 < static_cast<int>(lines_.size())) {
    lines_[row_] += lines_[row_ + 1];
    lines_.erase(lines_.begin() + row_ + 1);
  }
}

void Editor::Move(int rows, int columns) {
  if (columns < 0) {
    if (column_ > 0) --column_;
    else if (row_ > 0) column_ = static_cast<int>(lines_[--row_].size());
    return;
  }
  if (columns > 0) {
    if (column_ < static_cast<int>(lines_[row_].size())) ++column_;
    else if (row_ + 1 < static_cast<int>(lines_.size())) ++row_, column_ = 0;
    return;
  }
  row_ = std::clamp(row_ + rows, 0, static_cast<int>(lines_.size()) - 1);
  ClampColumn();
}

void Editor::ClampColumn() {
  column_ = std::min(column_, static_cast<int>(lines_[row_].size()));
}

std::string Editor::Text() const {
  std::string text;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) text += '\n';
    text += lines_[i];
  }
  return text;
}

void Editor::ScrollToCaret(int width, int height) {
  if (row_ < top_) top_ = row_;
  if (row_ >= top_ + height) top_ = row_ - height + 1;
  if (column_ < left_) left_ = column_;
  if (column_ >= left_ + width) left_ = column_ - width + 1;
}

void Editor::Draw(Canvas &canvas) {
  const int width = canvas.width();
  const int height = std::max(1, canvas.height() - 1);
  pageHeight_ = height;
  ScrollToCaret(width, height);
  canvas.Fill(0, 0, width, height, u' ', kTextAttr);
  for (int y = 0; y < height && top_ + y < static_cast<int>(lines_.size()); ++y) {
    const std::string &line = lines_[top_ + y];
    // Inline codes show as a dim mark and colour the rest of their line,
    // as they colour texts in boxes and forms.
    uint16_t attr = kTextAttr;
    bool bright = false;
    for (int i = 0; i < static_cast<int>(line.size()); ++i) {
      uint8_t byte = static_cast<uint8_t>(line[i]);
      char16_t ch = MazoviaToUnicode(byte);
      uint16_t cellAttr = attr;
      switch (byte) {
        case 0x01: attr = kTextAttr, bright = false, ch = u'¤', cellAttr = kCodeAttr; break;
        case 0x02: attr = kEmphasisAttr, ch = u'¤', cellAttr = kCodeAttr; break;
        case 0x05: attr = kKeyAttr, ch = u'¤', cellAttr = kCodeAttr; break;
        case 0xFF: bright = !bright, ch = u'¤', cellAttr = kCodeAttr; break;
        default:
          if (byte < 0x20) ch = u'·', cellAttr = kCodeAttr;
          if (bright) cellAttr ^= 0x08;
          break;
      }
      if (i >= left_ && i - left_ < width) canvas.Put(i - left_, y, ch, cellAttr);
    }
  }
  // The status line.
  std::u16string position = u" Wiersz " + Utf8ToUtf16(std::to_string(row_ + 1)) + u", kolumna " +
                            Utf8ToUtf16(std::to_string(column_ + 1)) + u" │ ";
  std::u16string extra = statusText ? statusText() : std::u16string();
  std::u16string keys = u"F1 pomoc  F10 koniec ";
  canvas.Fill(0, height, width, 1, u' ', kStatusAttr);
  int x = canvas.Text(0, height, position, kStatusAttr, width);
  if (std::u16string activity = activityText ? activityText() : std::u16string(); !activity.empty()) {
    x += canvas.Text(x, height, u" " + activity + u" ", kActivityAttr, width - x);
    x += canvas.Text(x, height, u" │ ", kStatusAttr, width - x);
  }
  x += canvas.Text(x, height, extra, kStatusAttr, width - x);
  int keysAt = std::max(x + 1, width - static_cast<int>(keys.size()));
  canvas.Text(keysAt, height, keys, kStatusAttr, width - keysAt);
  for (int k : {0, 1, 10, 11, 12})  // the key names "F1" and "F10"
    if (keysAt + k < width) canvas.Put(keysAt + k, height, keys[k], kStatusKeyAttr);
  canvas.cursorX = column_ - left_;
  canvas.cursorY = row_ - top_;
}

}  // namespace volmar
