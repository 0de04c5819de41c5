// The key-name table: the keys.h line parser, loading with its three
// states, allocation failures, and both lookups.
#include "plugin/contract/host_values.h"
#include "plugin/keys/key_names.h"

#include <gtest/gtest.h>
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "tests/plugin/player_test_support.h"

namespace {

struct ParseCase {
  const char *line;
  bool stored;
  const char *name;
  uint32_t code;
};

TEST(ParseKeyDefinition, ReadsLinesAsTheHostWritesThem) {
  const ParseCase cases[] = {
      {"#define KEY 13", true, "KEY", 13},
      {"#define\tKEY\t13", true, "KEY", 13},
      {"#define KEY 13\n", true, "KEY", 13},
      {"#define KEY 13\r\n", true, "KEY", 13},
      {"// #define KEY 65", true, "KEY", 65},
      {"   #define KEY 65", true, "KEY", 65},
      {"x#define KEY 5", true, "KEY", 5},
      {"#define KEY -65", true, "KEY", 65},
      {"#define KEY OTHER1", true, "KEY", 1},
      {"#define KEY 0", false, nullptr, 0},
      {"#define KEY", false, nullptr, 0},
      {"#define KEY\n", false, nullptr, 0},
      {"#define KEY abc", false, nullptr, 0},
      {"#define KEY 010", true, "KEY", 8},
      {"#define KEY 09", false, nullptr, 0},
      {"#define KEY 0x1F", true, "KEY", 0x1F},
      {"#define KEY 0X8700", true, "KEY", 0x8700},
      {"#define KEY 0x", false, nullptr, 0},
      {"#define KEY 0x10000", true, "KEY", 0},
      {"#define KEY 0x12345", true, "KEY", 0x2345},
      {"#define KEY 99999999999", true, "KEY", 0xFFFF},  // read as 2147483647
      {"#define KEY 12abc", true, "KEY", 12},
      {"#define KEY 5 6", true, "KEY", 5},
      {"#define KEY (0x4800)", true, "KEY", 0x4800},
      {"#define  KEY 13", true, "", 13},  // a second blank: an empty name
      {"#define", false, nullptr, 0},
      {"#define\n", false, nullptr, 0},
      {"#defineKEY 13", false, nullptr, 0},  // the name would be "13", with no value
      {"#DEFINE KEY 5", false, nullptr, 0},
      {"#ifndef KEYS_H", false, nullptr, 0},
      {"", false, nullptr, 0},
      {"#define A_VERY_LONG_KEY_NAME 7", true, "A_VERY_LONG_KEY_NAME", 7},
  };
  for (const ParseCase &c : cases) {
    char line[256];
    snprintf(line, sizeof line, "%s", c.line);
    const char *name = nullptr;
    uint32_t code = 0;
    bool stored = ParseKeyDefinition(line, &name, &code);
    EXPECT_EQ(c.stored, stored) << '\'' << Escaped(c.line) << '\'';
    if (!c.stored || !stored) continue;
    EXPECT_STREQ(c.name, name) << '\'' << Escaped(c.line) << '\'';
    EXPECT_EQ(c.code, code) << '\'' << Escaped(c.line) << '\'';
  }
}

class KeyNamesTest : public PlayerTest {
 protected:
  std::vector<std::pair<uint16_t, std::string>> Entries() const {
    std::vector<std::pair<uint16_t, std::string>> entries;
    for (uint32_t i = 0; i < KeyNameCount(); ++i)
      entries.emplace_back(KeyNameEntries()[i].code, KeyNameEntries()[i].name);
    return entries;
  }
};

TEST_F(KeyNamesTest, LoadsSortsAndShrinksTheTable) {
  host.AddFile(kKeysPath,
               "/* klawisze */\n"
               "#define SHIFT_F11 0x8700\n"
               "#define ENTER 13\n"
               "#define F3 0x3D00\n");
  EXPECT_EQ(0, LoadKeyNameTable());
  EXPECT_EQ(
      "HostCalloc(0x12C, 0x10)\n"
      "HostMakePathW(wbuf, 260, u\"wtyczki\\\\keys.h\")\n"
      "HostFileOpenW(u\"C:\\\\VOLMAR\\\\wtyczki\\\\keys.h\", u\"rt\", 64, 0, -1)\n"
      "HostFileGets(buf, 256, 0x1)\n"
      "HostFileGets(buf, 256, 0x1)\n"
      "HostCopyText(buf, \"SHIFT_F11\", 13)\n"
      "HostFileGets(buf, 256, 0x1)\n"
      "HostCopyText(buf, \"ENTER\", 13)\n"
      "HostFileGets(buf, 256, 0x1)\n"
      "HostCopyText(buf, \"F3\", 13)\n"
      "HostFileGets(buf, 256, 0x1)\n"
      "HostFileClose(0x1)\n"
      "HostRealloc(ptr, 0x30)\n",
      host.Trace());
  // Unsigned order: 0x8700 after 0x3D00.
  EXPECT_EQ((std::vector<std::pair<uint16_t, std::string>>{
                {13, "ENTER"}, {host::kKeyF3, "F3"}, {host::kKeyShiftF11, "SHIFT_F11"}}),
            Entries());
  for (const KeyNameEntry *e = KeyNameEntries(); e != KeyNameEntries() + KeyNameCount(); ++e)
    for (size_t i = strlen(e->name); i < sizeof e->name; ++i) EXPECT_EQ(0, e->name[i]);
  EXPECT_EQ(1u, host.memory.Live());
}

TEST_F(KeyNamesTest, NamesOfOneCodeKeepTheirFileOrderInAFullTable) {
  // 300 definitions in descending code order, every code under three names:
  // enough for any sort to move them far, and each code's names must still
  // stand in file order.
  std::string file;
  std::vector<std::pair<uint16_t, std::string>> expected;
  for (int code = 100; code > 0; --code)
    for (int alias = 0; alias < 3; ++alias)
      file += "#define K" + std::to_string(code) + "_" + std::to_string(alias) + " " +
              std::to_string(code) + "\n";
  for (int code = 1; code <= 100; ++code)
    for (int alias = 0; alias < 3; ++alias)
      expected.emplace_back(code, "K" + std::to_string(code) + "_" + std::to_string(alias));
  host.AddFile(kKeysPath, file);
  ASSERT_EQ(0, LoadKeyNameTable());
  EXPECT_EQ(expected, Entries());
}

TEST_F(KeyNamesTest, ALoadedTableIsNotReadAgain) {
  LoadKeys("#define ENTER 13\n");
  host.AddFile(kKeysPath, "#define TAB 9\n");
  EXPECT_EQ(0, LoadKeyNameTable());
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(nullptr, FindKeyName(9));
}

TEST_F(KeyNamesTest, TheTearDownReleasesALoadedTableAndTheNextLoadReadsAgain) {
  LoadKeys("#define ENTER 13\n");
  ReleaseKeyNameTable();
  EXPECT_EQ("HostFree(ptr)\n", host.Trace());
  EXPECT_EQ(0u, host.memory.Live());
  EXPECT_EQ(nullptr, FindKeyName(13));
  EXPECT_EQ(0u, FindKeyCode("ENTER"));

  host.AddFile(kKeysPath, "#define TAB 9\n");
  EXPECT_EQ(0, LoadKeyNameTable());
  EXPECT_STREQ("TAB", FindKeyName(9));
}

TEST_F(KeyNamesTest, AMissingFileIsReportedOnceAndNeverRetried) {
  host.files.openErrno = 13;
  host.files.openDosErrno = 5;
  EXPECT_EQ(1, LoadKeyNameTable());
  EXPECT_EQ(
      "HostErrorMessageF(13, 5, \"B\\x92\\x86"
      "d %d (systemowy %d) \\x92"
      "adowania definicji "
      "klawiszy z pliku '%s'\\n\\n\", u\"wtyczki\\\\keys.h\", 0xE001)\n"
      "HostFree(ptr)\n",
      host.Trace({"HostErrorMessageF", "HostFree"}));
  ASSERT_EQ(1u, host.errorMessages.size());
  EXPECT_EQ(
      "B\x92\x86"
      "d 13 (systemowy 5) \x92"
      "adowania definicji klawiszy z pliku "
      "'wtyczki\\keys.h'\n\n",
      host.errorMessages[0]);
  EXPECT_EQ(0u, host.memory.Live());

  // Failed stays failed: not tried again, not even after a tear-down.
  host.ClearCalls();
  host.AddFile(kKeysPath, "#define ENTER 13\n");
  EXPECT_EQ(1, LoadKeyNameTable());
  ReleaseKeyNameTable();
  EXPECT_EQ(1, LoadKeyNameTable());
  EXPECT_TRUE(host.calls.empty()) << host.Trace();
  EXPECT_EQ(0u, FindKeyCode("ENTER"));
}

TEST_F(KeyNamesTest, AFileWithoutDefinitionsFailsSilently) {
  for (const char *content : {"", "#ifndef KEYS_H\n#define KEYS_H\n#endif\n", "#define KEY 0\n"}) {
    host.Install();
    host.AddFile(kKeysPath, content);
    EXPECT_EQ(1, LoadKeyNameTable()) << content;
    EXPECT_EQ(0u, host.Count("HostMessage") + host.Count("HostErrorMessageF"));
    EXPECT_EQ(1u, host.Count("HostFileClose"));
    EXPECT_EQ(1u, host.Count("HostFree"));
    EXPECT_EQ(0u, host.Count("HostRealloc"));
    EXPECT_EQ(0u, host.memory.Live());
    EXPECT_EQ(nullptr, FindKeyName(0));
  }
}

TEST_F(KeyNamesTest, NoMemoryShowsItsMessageUnderTheDescriptionsFirstLine) {
  host.memory.failCalloc = true;
  EXPECT_EQ(1, LoadKeyNameTable());
  EXPECT_EQ(
      "HostCalloc(0x12C, 0x10)\n"
      "HostMessage(15000, \"Wtyczka 'Tastiromatika'\", "
      "\"Brak pami\\x91ci na tablic\\x91 nazw klawiszy!\", 0xE001)\n",
      host.Trace());
  host.memory.failCalloc = false;
  host.AddFile(kKeysPath, "#define ENTER 13\n");
  host.ClearCalls();
  EXPECT_EQ(1, LoadKeyNameTable());
  EXPECT_TRUE(host.calls.empty());
}

TEST_F(KeyNamesTest, AFailedShrinkKeepsTheFullBlock) {
  host.memory.failRealloc = true;
  host.AddFile(kKeysPath, "#define F1 0x3B00\n#define ESC 27\n");
  EXPECT_EQ(0, LoadKeyNameTable());
  EXPECT_EQ(1u, host.Count("HostRealloc"));
  EXPECT_EQ(2u, KeyNameCount());
  EXPECT_STREQ("ESC", FindKeyName(27));
  EXPECT_EQ(0x3B00u, FindKeyCode("F1"));
  ReleaseKeyNameTable();
  EXPECT_EQ(0u, host.memory.Live());
}

TEST_F(KeyNamesTest, OnlyTheFirst300DefinitionsAreRead) {
  std::string file;
  for (int i = 0; i < 301; ++i) {
    char line[64];
    // Codes in descending order, so that the table must be sorted.
    snprintf(line, sizeof line, "#define K%d %d\n", i, 1000 - i);
    file += line;
  }
  host.AddFile(kKeysPath, file);
  EXPECT_EQ(0, LoadKeyNameTable());
  EXPECT_EQ(300u, host.Count("HostFileGets"));  // the 301st line stays unread
  EXPECT_EQ(0u, host.Count("HostRealloc"));     // a full block keeps its size
  ASSERT_EQ(300u, KeyNameCount());
  for (int i = 0; i < 300; ++i) {
    std::string name = "K" + std::to_string(i);
    EXPECT_STREQ(name.c_str(), FindKeyName(1000 - i));
    EXPECT_EQ(static_cast<uint32_t>(1000 - i), FindKeyCode(name.c_str()));
  }
  EXPECT_EQ(nullptr, FindKeyName(700));
  EXPECT_EQ(0u, FindKeyCode("K300"));
}

TEST_F(KeyNamesTest, FindKeyNameFindsEveryCodeAndNoOther) {
  for (int size : {1, 2, 3, 4, 7, 8, 31}) {
    host.Install();
    std::string file;
    for (int i = 0; i < size; ++i)
      file += "#define N" + std::to_string(i) + " " + std::to_string(0x8000 + 4 * i + 2) + "\n";
    LoadKeys(file);
    for (int i = 0; i < size; ++i) {
      EXPECT_STREQ(("N" + std::to_string(i)).c_str(), FindKeyName(0x8000 + 4 * i + 2)) << size;
      EXPECT_EQ(nullptr, FindKeyName(0x8000 + 4 * i + 1)) << size;
      EXPECT_EQ(nullptr, FindKeyName(0x8000 + 4 * i + 3)) << size;
    }
    EXPECT_EQ(nullptr, FindKeyName(0)) << size;
    EXPECT_EQ(nullptr, FindKeyName(0xFFFF)) << size;
    // Only the low 16 bits are the code.
    EXPECT_STREQ("N0", FindKeyName(0xFFFF8002u)) << size;
    EXPECT_TRUE(host.calls.empty());
    ReleaseKeyNameTable();
  }
}

TEST_F(KeyNamesTest, TheWalkByNameStopsAtTheFirstEmptyName) {
  LoadKeys(
      "#define A 3\n"
      "#define  EMPTY 5\n"
      "#define B 7\n");
  EXPECT_EQ(3u, FindKeyCode("A"));
  EXPECT_EQ(0u, FindKeyCode("B"));
  EXPECT_EQ(0u, FindKeyCode(""));
  EXPECT_STREQ("B", FindKeyName(7));
  EXPECT_STREQ("", FindKeyName(5));
}

TEST_F(KeyNamesTest, TheLowerCodeOfADuplicateNameWins) {
  LoadKeys("#define K 20\n#define K 10\n");
  EXPECT_EQ(10u, FindKeyCode("K"));
  EXPECT_STREQ("K", FindKeyName(20));
}

TEST_F(KeyNamesTest, ALongNameIsFoundOnlyByItsFirst13Characters) {
  LoadKeys("#define ABCDEFGHIJKLMNOP 5\n");
  EXPECT_STREQ("ABCDEFGHIJKLM", FindKeyName(5));
  EXPECT_EQ(5u, FindKeyCode("ABCDEFGHIJKLM"));
  EXPECT_EQ(0u, FindKeyCode("ABCDEFGHIJKLMNOP"));
}

TEST_F(KeyNamesTest, AnEntryWithCodeZeroIsNoMatchByName) {
  LoadKeys("#define KEY 0x10000\n#define OTHER 4\n");
  EXPECT_EQ(0u, FindKeyCode("KEY"));
  EXPECT_EQ(4u, FindKeyCode("OTHER"));
  EXPECT_STREQ("KEY", FindKeyName(0));
}

TEST_F(KeyNamesTest, AHostCopyWithoutTerminatorStillLeavesATerminatedName) {
  host.handlers.HostCopyText = [](char *destination, const char *, int32_t) {
    memset(destination, 'X', 14);
    return destination;
  };
  LoadKeys("#define K 5\n");
  EXPECT_STREQ("XXXXXXXXXXXXX", FindKeyName(5));
}

TEST_F(KeyNamesTest, NothingIsFoundWithoutATable) {
  EXPECT_EQ(nullptr, FindKeyName(13));
  EXPECT_EQ(0u, FindKeyCode("ENTER"));
  ReleaseKeyNameTable();
  EXPECT_TRUE(host.calls.empty());
}

}  // namespace
