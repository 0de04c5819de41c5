// Console key events into PC BIOS key codes, key names, and the shipped
// wtyczki/keys.h against the translation table.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "host/app/core/key_codes.h"

namespace volmar {
namespace {

struct TranslationCase {
  const char *what;
  ConsoleKey event;
  uint16_t expected;
};

constexpr uint32_t kShift = kShiftPressed, kCtrl = kLeftCtrlPressed, kAlt = kLeftAltPressed;

TEST(KeyTranslation, ConsoleEventsGiveBiosCodes) {
  const TranslationCase cases[] = {
      {"F3", {0x72, 0, 0}, 0x3D00},
      {"F12", {0x7B, 0, 0}, 0x8600},
      {"Shift+F11", {0x7A, 0, kShift}, 0x8700},
      {"F11", {0x7A, 0, 0}, 0x8500},
      {"Shift+F1", {0x70, 0, kShift}, 0x5400},
      {"Ctrl+F1", {0x70, 0, kCtrl}, 0x5E00},
      {"Alt+F1", {0x70, 0, kAlt}, 0x6800},
      {"Ctrl+F12", {0x7B, 0, kCtrl}, 0x8A00},
      {"Alt+P", {'P', u'p', kAlt}, 0x1900},
      {"Alt+K", {'K', u'k', kAlt}, 0x2500},
      {"Alt+1", {'1', u'1', kAlt}, 0x7800},
      {"Enter", {0x0D, u'\r', 0}, 13},
      {"Esc without a character", {0x1B, 0, 0}, 27},
      {"Tab", {0x09, u'\t', 0}, 9},
      {"Shift+Tab", {0x09, u'\t', kShift}, 0x0F00},
      {"Backspace", {0x08, 8, 0}, 8},
      {"Up", {0x26, 0, 0}, 0x4800},
      {"Shift+Up is Up", {0x26, 0, kShift}, 0x4800},
      {"Ctrl+Left", {0x25, 0, kCtrl}, 0x7300},
      {"Home", {0x24, 0, 0}, 0x4700},
      {"End", {0x23, 0, 0}, 0x4F00},
      {"PgUp", {0x21, 0, 0}, 0x4900},
      {"PgDn", {0x22, 0, 0}, 0x5100},
      {"Ins", {0x2D, 0, 0}, 0x5200},
      {"Del", {0x2E, 0, 0}, 0x5300},
      {"a", {'A', u'a', 0}, 'a'},
      {"Shift+a", {'A', u'A', kShift}, 'A'},
      {"Ctrl+A", {'A', 1, kCtrl}, 1},
      {"ą without a virtual key", {0, u'ą', 0}, 0x86},
      {"Ż", {0, u'Ż', kShift}, 0xA1},
      {"AltGr+a typing ą", {'A', u'ą', kRightAltPressed | kLeftCtrlPressed}, 0x86},
      {"Shift alone", {0x10, 0, kShift}, 0},
      {"Alt alone", {0x12, 0, kAlt}, 0},
      {"a character the host cannot type", {0, u'€', 0}, 0},
      {"an empty event", {0, 0, 0}, 0},
      {"Alt with a key without Alt code", {0xBA, u';', kAlt}, 0},
  };
  for (const TranslationCase &c : cases)
    EXPECT_EQ(c.expected, TranslateConsoleKey(c.event)) << c.what;
}

TEST(KeyNames, EveryTableCodeReadsBackFromItsName) {
  for (size_t i = 0; i < kKeyRowCount; ++i)
    for (uint16_t code : {kKeyRows[i].plain, kKeyRows[i].shift, kKeyRows[i].ctrl, kKeyRows[i].alt}) {
      if (code == 0) continue;
      std::string name = KeyCodeName(code);
      EXPECT_EQ(code, ParseKeyName(name)) << name;
    }
}

TEST(KeyNames, NamesIgnoreCaseAndKnowAliases) {
  EXPECT_EQ(0x8700, ParseKeyName("shift+f11"));
  EXPECT_EQ(0x1900, ParseKeyName("ALT+P"));
  EXPECT_EQ(27, ParseKeyName("Escape"));
  EXPECT_EQ(0x5100, ParseKeyName("PageDown"));
  EXPECT_EQ(0, ParseKeyName("Shift+"));
  EXPECT_EQ(0, ParseKeyName("Hyper+F1"));
  EXPECT_EQ("Shift+F11", KeyCodeName(0x8700));
  EXPECT_EQ("Up", KeyCodeName(0x4800));
  EXPECT_EQ("0x0101", KeyCodeName(0x0101));
}

TEST(KeyNames, AltCharacterCodes) {
  EXPECT_EQ(0x1900, AltCharacterCode('p'));
  EXPECT_EQ(0x2500, AltCharacterCode('K'));
  EXPECT_EQ(0x8100, AltCharacterCode('0'));
  EXPECT_EQ(0, AltCharacterCode('~'));
}

// The key definition file shipped beside the host must name exactly the
// codes the host produces (and a printable character that a macro cannot
// write as itself), each once, in names the plug-in can hold.
TEST(ShippedKeysFile, NamesEverySpecialCodeTheHostProduces) {
  std::ifstream file(TASTIRO_SOURCE_DIR "/host/app/wtyczki/keys.h");
  ASSERT_TRUE(file) << "host/app/wtyczki/keys.h";
  std::map<std::string, long> names;
  std::set<long> codes;
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream words(line);
    std::string keyword, name, value;
    if (!(words >> keyword >> name >> value) || keyword != "#define") continue;
    long code = strtol(value.c_str(), nullptr, 0);
    EXPECT_LE(name.size(), 13u) << name;
    EXPECT_TRUE(names.emplace(name, code).second) << "name twice: " << name;
    EXPECT_TRUE(codes.insert(code).second) << "code twice: " << name;
  }
  std::set<long> produced;
  for (size_t i = 0; i < kKeyRowCount; ++i)
    for (uint16_t code : {kKeyRows[i].plain, kKeyRows[i].shift, kKeyRows[i].ctrl, kKeyRows[i].alt})
      if (code != 0) produced.insert(code);
  // A printable character is produced by typing it (LBRACKET: '[' itself).
  for (long code : codes)
    EXPECT_TRUE(produced.count(code) || (code >= 0x20 && code < 0x7F)) << std::hex << "0x" << code;
  for (long code : produced) {
    if (code >= 0x100) {
      EXPECT_TRUE(codes.count(code)) << std::hex << "missing 0x" << code;
    }
  }
  EXPECT_EQ(13, names["ENTER"]);
  EXPECT_EQ(0x8700, names["SHIFT_F11"]);
  EXPECT_EQ(0x1900, names["ALT_P"]);
}

}  // namespace
}  // namespace volmar
