// The host's key loop: posted, delayed and typed keys through the filter.
#include <gtest/gtest.h>

#include <vector>

#include "host/app/core/key_codes.h"
#include "host/app/core/keyboard.h"
#include "host_test_support.h"

namespace volmar {
namespace {

using testing::FilterLog;
using testing::g_filter;
using testing::RecordingFilter;

class KeyboardTest : public ::testing::Test, protected testing::TestKeyboard {
 protected:
  void SetUp() override {
    g_filter = FilterLog{};
    keyboard.SetFilter(&RecordingFilter);
  }
};

TEST_F(KeyboardTest, SetFilterReturnsTheOneItReplaces) {
  EXPECT_EQ(&RecordingFilter, keyboard.SetFilter(nullptr));
  EXPECT_EQ(nullptr, keyboard.SetFilter(&RecordingFilter));
}

TEST_F(KeyboardTest, WithNoKeyWaitingTheFilterIsAskedAndItsPostedKeyComesBack) {
  int fed = 0;
  g_filter.react = [&](uint32_t key) -> uint32_t {
    if (key == kKeyNone && fed++ == 0) keyboard.Post('a');
    return key;
  };
  EXPECT_EQ('a', keyboard.NextKey());
  EXPECT_EQ((std::vector<uint32_t>{kKeyNone, 'a'}), g_filter.seen);
}

// The measuring hook (--time-keys, --paint-stack) sees every call with the
// installed filter, and its answer is the filter's.
std::vector<uint32_t> g_hooked;
uint32_t HookedCall(KeyFilter filter, uint32_t key) {
  g_hooked.push_back(key);
  return filter(key);
}

TEST_F(KeyboardTest, AFilterCallHookSeesEveryCallAndPassesTheAnswer) {
  g_hooked.clear();
  keyboard.filterCall = &HookedCall;
  int fed = 0;
  g_filter.react = [&](uint32_t key) -> uint32_t {
    if (key == kKeyNone && fed++ == 0) keyboard.Post('a');
    return key == 'a' ? 'b' : key;
  };
  EXPECT_EQ('b', keyboard.NextKey());
  EXPECT_EQ(g_filter.seen, g_hooked);
  EXPECT_EQ((std::vector<uint32_t>{kKeyNone, 'a'}), g_hooked);
}

TEST_F(KeyboardTest, PostedKeysComeBeforeTypedKeysInOrder) {
  input.keys = {'x'};
  keyboard.Post('a');
  keyboard.Post(0xFFFF8700u);  // a 32-bit key: its low 16 bits count
  EXPECT_EQ('a', keyboard.NextKey());
  EXPECT_EQ(0x8700u, keyboard.NextKey());
  EXPECT_EQ('x', keyboard.NextKey());
}

TEST_F(KeyboardTest, PostingTheNoKeyCodeAsksForNothing) {
  EXPECT_EQ(1, keyboard.Post(0xFFFFFFFFu));
  EXPECT_EQ(kKeyNone, keyboard.Pending());
}

TEST_F(KeyboardTest, AConsumedKeyIsNotProcessed) {
  input.keys = {'a', 'b'};
  g_filter.react = [](uint32_t key) -> uint32_t { return key == 'a' ? uint32_t{kKeyNone} : key; };
  EXPECT_EQ('b', keyboard.NextKey());
}

TEST_F(KeyboardTest, PendingIsTheNoKeyCodeOnlyWhenNothingWaits) {
  EXPECT_EQ(kKeyNone, keyboard.Pending());
  input.keys = {'t'};
  EXPECT_EQ('t', keyboard.Pending());
  keyboard.Delay('d');
  EXPECT_EQ('d', keyboard.Pending());
  keyboard.Post('p');
  EXPECT_EQ('p', keyboard.Pending());
}

// A pause in the filter: keys are handed back with HostDelayKey until the
// clock reaches `until`, as the plug-in's pause does.
TEST_F(KeyboardTest, DelayedKeysComeBackLaterInTheirOrder) {
  const uint32_t until = clock.now + 100;
  g_filter.react = [&](uint32_t key) -> uint32_t {
    if (key != kKeyNone && clock.now < until) {
      keyboard.Delay(key);
      return kKeyNone;
    }
    return key;
  };
  keyboard.Post('1');
  keyboard.Post('2');
  input.keys = {'3'};
  EXPECT_EQ('1', keyboard.NextKey());
  EXPECT_GE(clock.now, until);
  EXPECT_EQ('2', keyboard.NextKey());
  EXPECT_EQ('3', keyboard.NextKey());
  // While keys were held the filter was never asked for a key of its own.
  for (uint32_t key : g_filter.seen) EXPECT_NE(kKeyNone, key);
}

TEST_F(KeyboardTest, TheInputEndsOnlyWhenTheHostIsIdle) {
  input.keys.clear();
  EXPECT_EQ(kEndOfInput, keyboard.NextKey());
  EXPECT_EQ(std::vector<uint32_t>(Keyboard::kNoKeyCallsBeforeIdle, kKeyNone), g_filter.seen);
  EXPECT_EQ(1, input.quietCalls);
}

TEST_F(KeyboardTest, AFilterThatNeedsSeveralCallsForAKeyIsNotIdle) {
  int calls = 0;
  g_filter.react = [&](uint32_t key) -> uint32_t {
    if (key == kKeyNone && ++calls == 3) keyboard.Post('z');  // two bytes fed nothing
    return key;
  };
  EXPECT_EQ('z', keyboard.NextKey());
  EXPECT_EQ(0, input.quietCalls);
}

TEST_F(KeyboardTest, WorkUnderWayKeepsTheLoopGoingAfterTheInputEnded) {
  int idle = 0;
  keyboard.workPending = [&] { return ++idle < 3; };  // a macro that ends a little later
  EXPECT_EQ(kEndOfInput, keyboard.NextKey());
  EXPECT_EQ(3, idle);
  EXPECT_EQ(2, input.waits);
}

TEST_F(KeyboardTest, WithoutAFilterKeysPassAsTheyAre) {
  keyboard.SetFilter(nullptr);
  input.keys = {kKeyF3};
  EXPECT_EQ(kKeyF3, keyboard.NextKey());
}

// Where the key NextKey returns came from: every key a plug-in hands over is
// its own.  (A key held back keeps where it came from: quit_question_test.)
TEST_F(KeyboardTest, KnowsWhetherTheUserTypedTheKeyItReturns) {
  struct Case {
    const char *what;
    std::function<void()> arrange;            // before NextKey
    std::function<uint32_t(uint32_t)> react;  // the filter
    uint32_t returned;
    bool typed;
  } cases[] = {
      {"typed and handed back", [&] { input.keys = {kKeyF10}; }, nullptr, kKeyF10, true},
      {"posted", [&] { keyboard.Post(kKeyF10); }, nullptr, kKeyF10, false},
      {"fed by the filter's no-key call", nullptr,
       [](uint32_t key) -> uint32_t { return key == kKeyNone ? uint32_t{kKeyAltX} : key; }, kKeyAltX,
       false},
      {"typed, answered with another key", [&] { input.keys = {'q'}; },
       [](uint32_t key) -> uint32_t { return key == 'q' ? uint32_t{kKeyF10} : key; }, kKeyF10, false},
      {"typed, but the filter holds back a key of its own", [&] { input.keys = {'q'}; },
       [&, held = 0](uint32_t key) mutable -> uint32_t {
         if (key == 'q' && held++ == 0) {
           keyboard.Delay(kKeyF10);
           return kKeyNone;
         }
         return key;
       },
       kKeyF10, false},
  };
  for (Case &c : cases) {
    g_filter = FilterLog{};
    input.keys.clear();
    while (keyboard.Pending() != kKeyNone) keyboard.NextKey();  // nothing left from before
    g_filter.react = c.react;
    if (c.arrange) c.arrange();
    EXPECT_EQ(c.returned, keyboard.NextKey()) << c.what;
    EXPECT_EQ(c.typed, keyboard.LastKeyTyped()) << c.what;
  }
}

// The host's own question reads the user's keys alone: posted and held
// keys wait untouched, and the filter is not called, also when no key has
// been typed yet.
TEST_F(KeyboardTest, TheTypedKeyComesStraightFromTheInputAndTheRestWaits) {
  keyboard.Post('t');
  keyboard.Delay(kKeyEnter);
  int waited = 0;
  input.open = true;  // the user has not typed yet
  keyboard.beforeWait = [&] {
    if (++waited == 3) input.keys = {'n'};
  };
  EXPECT_EQ('n', keyboard.NextTypedKey());
  EXPECT_EQ(3, waited);
  EXPECT_TRUE(g_filter.seen.empty());
  input.open = false;
  EXPECT_EQ('t', keyboard.NextKey());
  EXPECT_EQ(kKeyEnter, keyboard.NextKey());
  EXPECT_EQ((std::vector<uint32_t>{'t', kKeyEnter}), g_filter.seen);
  EXPECT_EQ(kEndOfInput, keyboard.NextTypedKey()) << "the input has ended";
}

}  // namespace
}  // namespace volmar

namespace volmar {
namespace {

// The posted keys live in a fixed ring: it fills to its limit, refuses the
// next key, and keeps first-in-first-out order across its wrap.
TEST(KeyboardQueue, FillsToItsLimitRefusesMoreAndKeepsOrderAcrossTheWrap) {
  testing::TestKeyboard test;
  Keyboard &keyboard = test.keyboard;

  for (size_t i = 0; i < Keyboard::kQueueLimit; ++i)
    ASSERT_NE(0, keyboard.Post(static_cast<uint32_t>(1 + i % 200))) << i;
  EXPECT_EQ(0, keyboard.Post('z')) << "a full queue refuses";

  // Take half, post as many again (the ring wraps), then all come in order.
  std::vector<uint32_t> expected;
  for (size_t i = 0; i < Keyboard::kQueueLimit; ++i) expected.push_back(1 + i % 200);
  for (size_t i = 0; i < Keyboard::kQueueLimit / 2; ++i) {
    ASSERT_EQ(expected[i], keyboard.NextKey()) << i;
  }
  for (size_t i = 0; i < Keyboard::kQueueLimit / 2; ++i) {
    ASSERT_NE(0, keyboard.Post(static_cast<uint32_t>(0x100 + i))) << i;
    expected.push_back(0x100 + i);
  }
  EXPECT_EQ(0, keyboard.Post('z'));
  for (size_t i = Keyboard::kQueueLimit / 2; i < expected.size(); ++i)
    ASSERT_EQ(expected[i], keyboard.NextKey()) << i;
}

}  // namespace
}  // namespace volmar
