// FindKeyName's search over tables of every shape it can meet: each size
// around the powers of two up to the full 300 entries, codes at both ends
// of the 16-bit range, and codes that lie between stored ones.
#include <gtest/gtest.h>
#include <stdint.h>
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "plugin/keys/key_names.h"
#include "tests/plugin/player_test_support.h"

namespace {

class KeyNameSearchTest : public PlayerTest {
 protected:
  // A table of `count` entries with the codes 3, 6, 9, ... (or, with
  // `atTheEnds`, the lowest and highest codes of the range as well), written
  // to keys.h in an order that the load has to sort.
  std::vector<uint16_t> LoadTable(uint32_t count, bool atTheEnds) {
    std::vector<uint16_t> codes;
    for (uint32_t i = 0; i < count; ++i) codes.push_back(static_cast<uint16_t>(3 * (i + 1)));
    if (atTheEnds && count >= 2) {
      codes.front() = 1;
      codes.back() = 0xFFFF;
    }
    std::string text;
    for (uint32_t i = 0; i < count; ++i) {
      // Stepping by 7 visits every entry once when 7 does not divide the
      // count; otherwise the file holds the entries backwards.
      uint32_t at = count % 7 != 0 ? (i * 7) % count : count - 1 - i;
      char line[64];
      snprintf(line, sizeof line, "#define K%u 0x%X\n", static_cast<unsigned>(codes[at]),
               static_cast<unsigned>(codes[at]));
      text += line;
    }
    LoadKeys(text);
    return codes;
  }
};

TEST_F(KeyNameSearchTest, EveryStoredCodeIsFoundAndNoOtherAtEverySize) {
  const uint32_t sizes[] = {1,  2,  3,  4,  5,  7,   8,   9,   15,  16,  17,  31,  32,
                            33, 63, 64, 65, 100, 127, 128, 129, 255, 256, 257, 299, 300};
  for (bool atTheEnds : {false, true}) {
    for (uint32_t size : sizes) {
      SCOPED_TRACE("size " + std::to_string(size) + (atTheEnds ? ", codes at the ends" : ""));
      host.Install();
      std::vector<uint16_t> codes = LoadTable(size, atTheEnds);
      ASSERT_EQ(size, KeyNameCount());
      for (uint16_t code : codes) {
        const char *name = FindKeyName(code);
        ASSERT_NE(nullptr, name) << "code " << code;
        EXPECT_EQ("K" + std::to_string(code), name);
        // Only the low 16 bits of the key count.
        EXPECT_EQ(name, FindKeyName(0xABCD0000u | code));
      }
      std::vector<uint16_t> sorted = codes;
      std::sort(sorted.begin(), sorted.end());
      for (uint32_t probe = 0; probe <= 0xFFFF; ++probe) {
        bool stored = std::binary_search(sorted.begin(), sorted.end(), probe);
        if (stored) continue;
        ASSERT_EQ(nullptr, FindKeyName(probe)) << "code " << probe;
      }
      ReleaseKeyNameTable();
    }
  }
}

TEST_F(KeyNameSearchTest, EqualCodesGiveOneOfTheirNames) {
  LoadKeys(
      "#define A 5\n"
      "#define B 9\n"
      "#define C 9\n"
      "#define D 9\n"
      "#define E 12\n");
  std::string name = FindKeyName(9);
  EXPECT_TRUE(name == "B" || name == "C" || name == "D") << name;
  EXPECT_STREQ("A", FindKeyName(5));
  EXPECT_STREQ("E", FindKeyName(12));
  EXPECT_EQ(nullptr, FindKeyName(10));
}

TEST_F(KeyNameSearchTest, NoTableNoName) {
  EXPECT_EQ(nullptr, FindKeyName(13));
  host.memory.failCalloc = true;
  EXPECT_EQ(1, LoadKeyNameTable());
  EXPECT_EQ(nullptr, FindKeyName(13));
}

}  // namespace
