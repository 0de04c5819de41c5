// The start form template, byte for byte, against a dump written by hand
// from the documented layout (16-bit little-endian words).
#include <ctype.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "player/start/start_form.h"

namespace {

// One line per header or element; '|' separates words for the reader.
const char *const kDump[] = {
    // byte count behind it (329), body count (325), 7 elements
    "49 01 00 00 | 45 01 | 07 00",
    // form header: FFFF 1 0 0 0 0, width 48, height 10, 0 0, "Tastiromatika"
    "FF FF | 01 00 | 00 00 | 00 00 | 00 00 | 00 00 | 30 00 | 0A 00 | 00 00 | 00 00",
    "54 61 73 74 69 72 6F 6D 61 74 69 6B 61 00",
    // file button: 0x3D00, flags 0x0180, F3, (2,2) 10x1, 01 'c' 05 "F3" 01 " Plik"
    "00 00 | 00 3D | 80 01 | 00 3D | 02 00 | 02 00 | 0A 00 | 01 00 | 00 00 | 00 00",
    "01 63 05 46 33 01 20 50 6C 69 6B 00",
    // label 0x4102, Alt+P, (1,1) 1x1, " "
    "03 00 | 02 41 | 00 00 | 00 19 | 01 00 | 01 00 | 01 00 | 01 00 | 00 00 | 00 00",
    "20 00",
    // file-name field: 5, length 38, then 0x4101, flags 0x8400, (12,2) 33x1
    "05 00 | 26 00",
    "05 00 | 01 41 | 00 84 | 00 00 | 0C 00 | 02 00 | 21 00 | 01 00 | 00 00 | 00 00",
    "00 00 00 00 00 00 00 00 | 01 01 | 08 00 | 00 00 | 01 01 | 01 00 | 00",
    // label 0x4103, 'K', (2,4) 32x1, "Przerwa między ~k~lawiszami [ms]:" (ę = 91)
    "03 00 | 03 41 | 00 00 | 4B 00 | 02 00 | 04 00 | 20 00 | 01 00 | 00 00 | 00 00",
    "50 72 7A 65 72 77 61 20 6D 69 91 64 7A 79 20 7E 6B 7E 6C 61 77 69 73 7A 61 6D 69 20",
    "5B 6D 73 5D 3A 00",
    // delay field: 5, length 40, then 0x4104, flags 0x0400, (34,4) 11x1
    "05 00 | 28 00",
    "05 00 | 04 41 | 00 04 | 00 00 | 22 00 | 04 00 | 0B 00 | 01 00 | 00 00 | 00 00",
    "00 00 00 00 00 00 00 00 | 06 00 | 01 00 | 40 00 | 00 00 | 01 80 | FF 7F | 00",
    // OK button 0x5001, flags 4, F12, (18,6) 10x1, 05 "F12" 01 " OK"
    "00 00 | 01 50 | 04 00 | 00 86 | 12 00 | 06 00 | 0A 00 | 01 00 | 00 00 | 00 00",
    "05 46 31 32 01 20 4F 4B 00",
    // note, no id, (2,8) 45x2, "Zatrzymanie działającgo makra:  " (ł = 92, ą = 86),
    // then 05 FF "Shift+F11" FF 01
    "04 00 | FF FF | 00 00 | 00 00 | 02 00 | 08 00 | 2D 00 | 02 00 | 00 00 | 00 00",
    "5A 61 74 72 7A 79 6D 61 6E 69 65 20 64 7A 69 61 92 61 6A 86 63 67 6F 20",
    "6D 61 6B 72 61 3A 20 20 05 FF 53 68 69 66 74 2B 46 31 31 FF 01 00",
};

std::vector<unsigned char> DumpBytes() {
  std::vector<unsigned char> bytes;
  for (const char *line : kDump) {
    std::string digits;
    for (const char *p = line; *p != 0; ++p) {
      if (!isxdigit(static_cast<unsigned char>(*p))) continue;
      digits += *p;
      if (digits.size() == 2) {
        bytes.push_back(static_cast<unsigned char>(std::stoul(digits, nullptr, 16)));
        digits.clear();
      }
    }
    EXPECT_TRUE(digits.empty()) << line;
  }
  return bytes;
}

uint16_t WordAt(size_t offset) {
  return static_cast<uint16_t>(kStartFormTemplate[offset] | kStartFormTemplate[offset + 1] << 8);
}

TEST(StartFormTemplate, MatchesTheHandWrittenDump) {
  std::vector<unsigned char> expected = DumpBytes();
  ASSERT_EQ(333u, expected.size());
  ASSERT_EQ(expected.size(), kStartFormTemplateSize);
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(expected[i], kStartFormTemplate[i]) << "byte " << i;
}

TEST(StartFormTemplate, CountsAndFieldLengthsAgreeWithTheBytes) {
  EXPECT_EQ(kStartFormTemplateSize - 4, WordAt(0) | static_cast<size_t>(WordAt(2)) << 16);
  EXPECT_EQ(kStartFormTemplateSize - 8, WordAt(4));
  EXPECT_EQ(7, WordAt(6));
  // Each field's length word covers its kind word up to its final zero byte.
  const size_t fields[] = {8 + 34 + 32 + 22, 8 + 34 + 32 + 22 + 43 + 54};
  for (size_t at : fields) {
    ASSERT_EQ(5, WordAt(at)) << at;
    size_t length = WordAt(at + 2);
    EXPECT_EQ(5, WordAt(at + 4)) << at;
    EXPECT_EQ(0, kStartFormTemplate[at + 4 + length]) << at;
  }
  EXPECT_EQ(38, WordAt(fields[0] + 2));
  EXPECT_EQ(40, WordAt(fields[1] + 2));
}

}  // namespace
