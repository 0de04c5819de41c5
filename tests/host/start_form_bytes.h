// The start form's template built here, byte by byte, in the host's form
// layout: the reference the form reader and engine are tested against
// (beside the plug-in's own template bytes).
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

namespace volmar::testing {

class TemplateBuilder {
 public:
  void Word(uint16_t word) {
    body_.push_back(static_cast<uint8_t>(word));
    body_.push_back(static_cast<uint8_t>(word >> 8));
  }
  void Text(const std::string &text) {
    body_.insert(body_.end(), text.begin(), text.end());
    body_.push_back(0);
  }
  void Header(uint16_t width, uint16_t height, const std::string &title) {
    for (uint16_t word : {0xFFFF, 1, 0, 0, 0, 0}) Word(word);
    Word(width);
    Word(height);
    Word(0);
    Word(0);
    Text(title);
  }
  void Element(uint16_t kind, uint16_t id, uint16_t flags, uint16_t hotKey, uint16_t column,
               uint16_t row, uint16_t width, uint16_t height, const std::string &text) {
    for (uint16_t word : {kind, id, flags, hotKey, column, row, width, height, uint16_t(0), uint16_t(0)})
      Word(word);
    Text(text);
  }
  void Field(uint16_t id, uint16_t flags, uint16_t column, uint16_t row, uint16_t width,
             const std::vector<uint16_t> &data) {
    Word(5);
    Word(static_cast<uint16_t>(20 + 8 + 2 * data.size()));
    for (uint16_t word : {uint16_t(5), id, flags, uint16_t(0), column, row, width, uint16_t(1),
                          uint16_t(0), uint16_t(0)})
      Word(word);
    body_.insert(body_.end(), 8, 0);
    for (uint16_t word : data) Word(word);
    body_.push_back(0);
  }
  // The whole template: the 32-bit count, the element byte count, the
  // element count, then what was built.
  std::vector<uint8_t> Build(uint16_t elements) const {
    std::vector<uint8_t> bytes;
    uint32_t count = static_cast<uint32_t>(body_.size() + 4);
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(count >> (8 * i)));
    uint16_t rest = static_cast<uint16_t>(body_.size());
    bytes.push_back(static_cast<uint8_t>(rest));
    bytes.push_back(static_cast<uint8_t>(rest >> 8));
    bytes.push_back(static_cast<uint8_t>(elements));
    bytes.push_back(static_cast<uint8_t>(elements >> 8));
    bytes.insert(bytes.end(), body_.begin(), body_.end());
    return bytes;
  }

 private:
  std::vector<uint8_t> body_;
};

inline std::vector<uint8_t> StartFormBytes() {
  TemplateBuilder b;
  b.Header(48, 10, "Tastiromatika");
  b.Element(0, 0x3D00, 0x0180, 0x3D00, 2, 2, 10, 1, "\x01" "c\x05" "F3\x01 Plik");
  b.Element(3, 0x4102, 0, 0x1900, 1, 1, 1, 1, " ");
  b.Field(0x4101, 0x8400, 12, 2, 33, {257, 8, 0, 257, 1});
  b.Element(3, 0x4103, 0, 0x004B, 2, 4, 32, 1, "Przerwa mi\x91" "dzy ~k~lawiszami [ms]:");
  b.Field(0x4104, 0x0400, 34, 4, 11, {6, 1, 0x40, 0, 0x8001, 0x7FFF});
  b.Element(0, 0x5001, 0x0004, 0x8600, 18, 6, 10, 1, "\x05" "F12\x01 OK");
  b.Element(4, 0xFFFF, 0, 0, 2, 8, 45, 2,
            "Zatrzymanie dzia\x92" "aj\x86" "cgo makra:  \x05\xFF" "Shift+F11\xFF\x01");
  return b.Build(7);
}

}  // namespace volmar::testing
