#include "host/app/core/text_style.h"

#include "plugin/contract/mazovia.h"

namespace volmar {

static std::vector<std::vector<StyledChar>> Wrap(const std::vector<StyledChar> &line, int width) {
  std::vector<std::vector<StyledChar>> lines;
  if (width <= 0 || static_cast<int>(line.size()) <= width) {
    lines.push_back(line);
    return lines;
  }
  size_t start = 0;
  while (start < line.size()) {
    size_t end = start + width;
    if (end >= line.size()) {
      lines.emplace_back(line.begin() + start, line.end());
      break;
    }
    size_t cut = end;
    while (cut > start && line[cut].ch != u' ') --cut;
    if (cut == start) cut = end;  // one long word: cut it
    lines.emplace_back(line.begin() + start, line.begin() + cut);
    start = cut;
    while (start < line.size() && line[start].ch == u' ') ++start;
  }
  return lines;
}

StyledText LayOutHostText(std::string_view text, int width, bool tildeHotLetter) {
  StyledText result;
  if (text.size() >= 2 && text[0] == '\x01' && text[1] == 'c') {
    result.centred = true;
    text.remove_prefix(2);
  }
  uint8_t style = 0;
  std::vector<StyledChar> line;
  auto endLine = [&]() {
    for (auto &wrapped : Wrap(line, width)) result.lines.push_back(std::move(wrapped));
    line.clear();
  };
  for (size_t i = 0; i < text.size(); ++i) {
    uint8_t byte = static_cast<uint8_t>(text[i]);
    switch (byte) {
      case 0x01: style = 0; continue;
      case 0x02: style |= kStyleEmphasis; continue;
      case 0x05: style |= kStyleKey; continue;
      case 0xFF: style ^= kStyleBright; continue;
      case '\n': endLine(); continue;
      case '\r': continue;
      default: break;
    }
    if (tildeHotLetter && byte == '~') {
      style ^= kStyleHot;
      continue;
    }
    char16_t ch = byte == '\t' ? u' ' : byte < 0x20 ? u'·' : MazoviaToUnicode(byte);
    line.push_back(StyledChar{ch, style});
  }
  endLine();
  return result;
}

int WidestLine(const StyledText &text) {
  int widest = 0;
  for (const auto &line : text.lines)
    if (static_cast<int>(line.size()) > widest) widest = static_cast<int>(line.size());
  return widest;
}

uint16_t Palette::For(uint8_t style) const {
  uint16_t attr = style & kStyleHot ? hot : style & kStyleKey ? key : style & kStyleEmphasis ? emphasis : plain;
  if (style & kStyleBright) attr ^= 0x08;
  return attr;
}

}  // namespace volmar
