// Key scripts, and the message boxes of the scripted mode and of the screen.
#include <gtest/gtest.h>

#include "host/app/core/key_codes.h"
#include "host/app/core/key_script.h"
#include "host/app/core/message_box.h"
#include "host/app/core/options.h"
#include "host_test_support.h"

namespace volmar {
namespace {

using testing::TestClock;
using testing::TestScreen;

TEST(KeyScript, ReadsTextKeyNamesAndWaits) {
  std::vector<ScriptStep> steps;
  std::string error;
  ASSERT_TRUE(ParseKeyScript("<Shift+F11>ż<<\n<Wait:500><F12>", steps, error)) << error;
  ASSERT_EQ(4u, steps.size());
  EXPECT_EQ(0x8700, steps[0].key);
  EXPECT_EQ(0xA7, steps[1].key);
  EXPECT_EQ('<', steps[2].key);
  EXPECT_EQ(0x8600, steps[3].key);
  EXPECT_TRUE(steps[3].timed);
  EXPECT_EQ(500u, steps[3].wait);
  EXPECT_FALSE(steps[0].timed);
}

TEST(KeyScript, RejectsWhatCannotBeTyped) {
  std::vector<ScriptStep> steps;
  std::string error;
  EXPECT_FALSE(ParseKeyScript("<Shift+F13>", steps, error));
  EXPECT_NE(std::string::npos, error.find("Shift+F13"));
  EXPECT_FALSE(ParseKeyScript("<F1", steps, error));
  EXPECT_FALSE(ParseKeyScript("€", steps, error));
  EXPECT_FALSE(ParseKeyScript("<Wait:x>", steps, error));
}

TEST(ScriptInput, GivesKeysWhenTheHostIsIdleOrTheirTimeHasCome) {
  TestClock clock;
  std::vector<ScriptStep> steps;
  std::string error;
  ASSERT_TRUE(ParseKeyScript("a<Wait:100>b", steps, error));
  ScriptInput input(steps, std::ref(clock), [&](uint32_t ms) { clock.now += ms; }, 60000);
  uint16_t key;
  input.Pump(false);
  EXPECT_FALSE(input.Peek(key));  // busy: not yet
  input.Pump(true);
  ASSERT_TRUE(input.Take(key));
  EXPECT_EQ('a', key);
  input.Pump(true);
  EXPECT_FALSE(input.Peek(key));  // idle, but 'b' waits for its time
  clock.now += 100;
  input.Pump(false);
  ASSERT_TRUE(input.Take(key));
  EXPECT_EQ('b', key);
  EXPECT_TRUE(input.Ended());
  EXPECT_FALSE(input.Aborted());
  clock.now += 60001;
  EXPECT_TRUE(input.Aborted());
}

class BoxTest : public ::testing::Test, protected testing::TestKeyboard {
 protected:
  TestScreen screen;
};

TEST_F(BoxTest, ScriptedBoxesPrintTheirTextAndTakeTheScriptedAnswers) {
  Ui ui(keyboard, nullptr, std::ref(clock));
  std::string printed;
  ui.report = [&](const std::string &text) { printed += text; };
  ui.answers = {"yes", "dontshow"};
  EXPECT_EQ(0, NoticeWithChoice(ui, "Wtyczka"));  // "yes" is not for a notice: left for the question
  EXPECT_EQ(kAnswerYes, AskBox(ui, "uwaga", "Czy chcesz zatrzyma\x8D?", kAskQuestion));
  EXPECT_EQ(1, NoticeWithChoice(ui, "Wtyczka"));
  EXPECT_EQ(kAnswerNo, AskBox(ui, "uwaga", "Znowu?", kAskQuestion));  // no answers left
  EXPECT_EQ(kAnswerOk, AskBox(ui, "uwaga", "Zako\xA4" "czono.", kAskNotice));
  EXPECT_EQ(0, AskBox(ui, "", "Naci\x9Enij", kAskStanding));
  EXPECT_NE(std::string::npos, printed.find("== pytanie: uwaga ==\nCzy chcesz zatrzymać?\n-> Tak\n"));
  EXPECT_NE(std::string::npos, printed.find("-> Nie pokazuj więcej"));
  EXPECT_NE(std::string::npos, printed.find("Zakończono."));
  EXPECT_NE(std::string::npos, printed.find("Naciśnij"));
}

TEST_F(BoxTest, OnScreenAQuestionIsAnsweredByItsKeys) {
  Ui ui(keyboard, &screen, std::ref(clock));
  struct Case {
    std::deque<uint16_t> keys;
    int32_t answer;
  } cases[] = {
      {{'t'}, kAnswerYes}, {{'Y'}, kAnswerYes}, {{'n'}, kAnswerNo}, {{kKeyEsc}, kAnswerNo},
      {{kKeyEnter}, kAnswerYes}, {{kKeyRight, kKeyEnter}, kAnswerNo}, {{}, kAnswerNo},
  };
  for (const Case &c : cases) {
    input.keys = c.keys;
    EXPECT_EQ(c.answer, AskBox(ui, "uwaga", "Czy?", kAskQuestion));
  }
}

TEST_F(BoxTest, AStandingNoticeStaysUpUntilTheUserPressesEnter) {
  Ui ui(keyboard, &screen, std::ref(clock));
  EXPECT_EQ(0, AskBox(ui, "", "Naci\x9Enij klawisz ENTER", kAskStanding));
  EXPECT_TRUE(ui.HasStanding());
  EXPECT_NE(std::string::npos, screen.Text().find("Naciśnij klawisz ENTER"));
  input.keys = {'a', kKeyEnter};
  EXPECT_EQ('a', ui.NextKey());
  EXPECT_TRUE(ui.HasStanding());
  EXPECT_EQ(kKeyEnter, ui.NextKey());
  EXPECT_FALSE(ui.HasStanding());
}

TEST_F(BoxTest, ANoticeOffersNotToShowItAgain) {
  Ui ui(keyboard, &screen, std::ref(clock));
  input.keys = {kKeyEnter};
  EXPECT_EQ(0, NoticeWithChoice(ui, "Wtyczka"));
  input.keys = {'n'};
  EXPECT_EQ(1, NoticeWithChoice(ui, "Wtyczka"));
  input.keys = {kKeyTab, kKeyEnter};
  EXPECT_EQ(1, NoticeWithChoice(ui, "Wtyczka"));
}

}  // namespace
}  // namespace volmar

namespace volmar {
namespace {

TEST(Options, ReadsTheSwitchesAndRefusesUnknownOnes) {
  Options options;
  std::string error;
  ASSERT_TRUE(ParseOptions({u"--features", u"0x3", u"--withdraw", u"52249,35800", u"--refuse",
                            u"Nie tym razem", u"--build-date", u"May 16 2023", u"--api-level", u"111",
                            u"--keys", u"<F12>", u"--answers", u"yes,dontshow", u"--time-keys",
                            u"--paint-stack"},
                           options, error))
      << error;
  EXPECT_EQ(3u, options.features);
  EXPECT_EQ((std::vector<uint16_t>{52249, 35800}), options.withdraw);
  EXPECT_EQ("Nie tym razem", options.refusal.value());
  EXPECT_EQ("May 16 2023", options.buildDate.value());
  EXPECT_EQ(111, options.apiLevel);
  EXPECT_TRUE(options.scripted);
  EXPECT_EQ((std::vector<std::string>{"yes", "dontshow"}), options.answers);
  EXPECT_TRUE(options.timeKeys);
  EXPECT_TRUE(options.paintStack);

  for (std::vector<std::u16string> bad : {std::vector<std::u16string>{u"--bogus"},
                                          {u"--features"}, {u"--features", u"x"},
                                          {u"--withdraw", u"0"}, {u"--timeout", u"0"}}) {
    Options ignored;
    EXPECT_FALSE(ParseOptions(bad, ignored, error));
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace volmar
