// The simulated host's settings store, allocator, argument text and text
// helpers.  (The call record is exercised by every test of tests/plugin, the
// clock by the checker's dry-run tests.)
#include <gtest/gtest.h>

#include "plugin/contract/host_values.h"
#include "sim/sim_calls.h"
#include "sim/sim_memory.h"
#include "sim/sim_settings.h"
#include "sim/sim_text.h"

namespace {

int32_t Profile(sim::Settings &settings, int32_t operation, const char *key, const char *format,
                ...) {
  va_list values;
  va_start(values, format);
  int32_t result = settings.Profile(operation, "S", key, format, values);
  va_end(values);
  return result;
}

TEST(SimSettings, ReadsAsTheHostDoes) {
  sim::Settings settings;
  settings["S/n"] = "70000";
  settings["S/hex"] = "0x10";
  settings["S/word"] = "abc";
  settings["S/text"] = "C:\\m\\demo.txt";
  struct Case {
    const char *key;
    int32_t result;
    int16_t number;  // stored; 7 when nothing is
  } numbers[] = {{"n", 0, static_cast<int16_t>(70000)}, {"hex", 0, 16}, {"word", 1, 7},
                 {"none", 1, 7}};
  for (const Case &c : numbers) {
    int16_t number = 7;
    EXPECT_EQ(c.result, Profile(settings, host::kProfileReadNumber, c.key, "%d", &number)) << c.key;
    EXPECT_EQ(c.number, number) << c.key;
  }
  char text[8];
  memset(text, 'x', sizeof text);
  EXPECT_EQ(0, Profile(settings, host::kProfileReadText, "text", "%*s", 6, text));
  EXPECT_EQ(std::string("C:\\m\\d\0x", 8), std::string(text, 8)) << "six characters and a zero";
  EXPECT_EQ(1, Profile(settings, host::kProfileReadText, "none", "%*s", 6, text));
}

TEST(SimSettings, WritesNumbersAndTexts) {
  sim::Settings settings;
  EXPECT_EQ(0, Profile(settings, host::kProfileWrite, "Delay", "%d", 300));
  EXPECT_EQ(0, Profile(settings, host::kProfileWrite, "File", "%s", "a.txt"));
  EXPECT_EQ("300", settings["S/Delay"]);
  EXPECT_EQ("a.txt", settings["S/File"]);
}

TEST(SimMemory, CountsBlocksAndFailsOnRequest) {
  sim::Memory memory;
  void *block = memory.Calloc(300, 16);
  ASSERT_NE(nullptr, block);
  EXPECT_EQ(1u, memory.Live());
  memory.failRealloc = true;
  EXPECT_EQ(nullptr, memory.Realloc(block, 32));
  EXPECT_TRUE(memory.Owns(block)) << "a failed realloc keeps the block";
  memory.failRealloc = false;
  void *moved = memory.Realloc(block, 32);
  ASSERT_NE(nullptr, moved);
  EXPECT_TRUE(memory.Owns(moved));
  EXPECT_EQ(1u, memory.Live());
  int stranger = 0;
  EXPECT_FALSE(memory.Free(&stranger));
  EXPECT_EQ(nullptr, memory.Realloc(&stranger, 8));
  memory.Calloc(1, 1);
  memory.FreeAll();
  EXPECT_EQ(0u, memory.Live());
}

TEST(SimCalls, ArgumentsReadAsText) {
  char buffer[4];
  HostWideChar wide[] = u"C:\\ą";
  struct Case {
    std::string text, expected;
  } cases[] = {
      {sim::JoinArgs(int32_t{-1}, uint32_t{0x8000}), "-1, 0x8000"},
      {sim::JoinArgs("a\"\n\x86", static_cast<const char *>(nullptr)), "\"a\\\"\\n\\x86\", null"},
      {sim::JoinArgs(static_cast<const HostWideChar *>(wide), wide, buffer), "u\"C:\\\\\\x86\", wbuf, buf"},
      {sim::JoinArgs(static_cast<void *>(buffer), static_cast<KeyFilter>(nullptr)), "ptr, null"},
  };
  for (const Case &c : cases) EXPECT_EQ(c.expected, c.text);
}

TEST(SimText, ConvertsCopiesAndStoresAsTheHost) {
  EXPECT_EQ(u"Łódź", sim::Wide("\x9C\xA2\x64\xA6"));
  EXPECT_EQ("\x9C\xA2\x64\xA6?", sim::Narrow(u"Łódź€"));

  struct Case {
    const char *source;
    int32_t maxChars;
    const char *copied;
  } copies[] = {{"abcdef", 3, "abc"}, {"ab", 13, "ab"}, {nullptr, 5, ""}, {"abc", 0, ""}};
  for (const Case &c : copies) {
    char out[16];
    EXPECT_EQ(out, sim::CopyText(out, c.source, c.maxChars));
    EXPECT_STREQ(c.copied, out);
  }
  EXPECT_EQ(nullptr, sim::CopyText(nullptr, "a", 1));

  HostWideChar path[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(0, sim::StoreWide(path, 4, u"abc"));
  EXPECT_EQ(u"abc", sim::WideText(path));
  EXPECT_EQ(-1, sim::StoreWide(path, 4, u"abcd"));
  EXPECT_EQ(0, path[0]) << "no room: no path at all";
}

}  // namespace
