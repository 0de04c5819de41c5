// F10 and Alt+X in the editor: at once when nothing runs, after a question
// while a macro is open or a recording runs, never for a key a macro
// played; and the question that no plug-in can answer.  (The scripted
// mode's answers: tests/e2e/scripted_host.py.)
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/app/core/editor.h"
#include "host/app/core/key_codes.h"
#include "host/app/core/quit_question.h"
#include "host_test_support.h"

namespace volmar {
namespace {

using testing::FilterLog;
using testing::g_filter;
using testing::RecordingFilter;

constexpr char kQuestion[] = "Zakończyć pracę programu VOLMAR?";

// The keys the filter was offered, the no-key calls left out; with `first`,
// each key once, where it was first offered (a held key is offered again).
std::vector<uint32_t> Offered(const std::vector<uint32_t> &seen, bool first = false) {
  std::vector<uint32_t> keys;
  for (uint32_t key : seen)
    if (key != kKeyNone && !(first && std::find(keys.begin(), keys.end(), key) != keys.end()))
      keys.push_back(key);
  return keys;
}

// Keeps everything it was shown, and runs `onQuestion` once, when the
// question first shows: the user reads it, then answers.
class RecordingScreen : public testing::TestScreen {
 public:
  void Present(const Canvas &canvas) override {
    TestScreen::Present(canvas);
    shown += Text();
    if (onQuestion && Text().find(kQuestion) != std::string::npos) std::exchange(onQuestion, nullptr)();
  }
  std::string shown;
  std::function<void()> onQuestion;
};

// The stand-in host's editor, key loop and screen, with the filter
// installed, run as VOLMAR runs them (volmar_main.cpp).
struct TestHost : testing::TestKeyboard {
  TestHost() {
    g_filter = FilterLog{};
    keyboard.SetFilter(&RecordingFilter);
    ui.SetBase(&editor);
  }
  // Until the host ends (true) or the input has ended (false).
  bool Run(const ActivitySnapshot &running) {
    for (;;) {
      uint32_t key = ui.NextKey();
      if (key == kEndOfInput) return false;
      if (editor.HandleKey(key) == Editor::Action::kQuit &&
          ConfirmQuit(ui, keyboard.LastKeyTyped(), running))
        return true;
    }
  }

  RecordingScreen screen;
  Ui ui{keyboard, &screen, std::ref(clock)};
  Editor editor;
};

constexpr ActivitySnapshot kIdle{};
constexpr ActivitySnapshot kMacro{0, 0, true, false};
constexpr ActivitySnapshot kRecording{0, 0, false, true};
constexpr ActivitySnapshot kBoth{0, 0, true, true};

// A pause in the filter: every key is handed back (HostDelayKey) the first
// time it is offered, as while the player's key delay runs.
std::function<uint32_t(uint32_t)> HoldEachKeyOnce(Keyboard &keyboard) {
  return [&keyboard, held = std::vector<uint32_t>()](uint32_t key) mutable -> uint32_t {
    if (key == kKeyNone || std::count(held.begin(), held.end(), key) != 0) return key;
    held.push_back(key);
    keyboard.Delay(key);
    return kKeyNone;
  };
}

TEST(QuitQuestion, EndsAtOnceWhenIdleAsksWhileWorkRunsAndNeverForAPlayedKey) {
  struct Case {
    const char *what;
    ActivitySnapshot running;
    uint16_t quitKey;
    bool played;                   // posted by a plug-in, not typed
    bool paused;                   // the filter holds each key back once
    std::vector<uint16_t> answer;  // typed once the question shows; then 'a'
    const char *asked;             // the question's first line; null: not asked
    bool ends;
  } cases[] = {
      {"F10 typed while idle", kIdle, kKeyF10, false, false, {}, nullptr, true},
      {"Alt+X typed while idle", kIdle, kKeyAltX, false, false, {}, nullptr, true},
      {"macro: t", kMacro, kKeyF10, false, false, {'t'}, "Trwa odtwarzanie makra.", true},
      {"macro: n", kMacro, kKeyF10, false, false, {'n'}, "Trwa odtwarzanie makra.", false},
      {"macro: Enter", kMacro, kKeyF10, false, false, {kKeyEnter}, "Trwa odtwarzanie makra.", false},
      {"macro: Esc", kMacro, kKeyF10, false, false, {kKeyEsc}, "Trwa odtwarzanie makra.", false},
      {"macro: other keys, F10 again, then Esc", kMacro, kKeyF10, false, false,
       {'x', kKeyF10, kKeyAltX, kKeyEsc}, "Trwa odtwarzanie makra.", false},
      {"macro, F10 typed in a pause: Enter", kMacro, kKeyF10, false, true, {kKeyEnter},
       "Trwa odtwarzanie makra.", false},
      {"macro, F10 typed in a pause: t", kMacro, kKeyF10, false, true, {'t'},
       "Trwa odtwarzanie makra.", true},
      {"recording, Alt+X: t", kRecording, kKeyAltX, false, false, {'t'}, "Trwa nagrywanie klawiszy.",
       true},
      {"recording, Alt+X: Enter", kRecording, kKeyAltX, false, false, {kKeyEnter},
       "Trwa nagrywanie klawiszy.", false},
      {"recording a playing macro: Enter", kBoth, kKeyF10, false, false, {kKeyEnter},
       "Trwa odtwarzanie makra i nagrywanie klawiszy.", false},
      {"a macro's own [F10]", kMacro, kKeyF10, true, false, {}, nullptr, false},
      {"a macro's own [F10] held back in a pause", kMacro, kKeyF10, true, true, {}, nullptr, false},
      {"a macro's own [ALT_X] while recording", kBoth, kKeyAltX, true, false, {}, nullptr, false},
      {"a played F10 while idle", kIdle, kKeyF10, true, false, {}, nullptr, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    TestHost host;
    if (c.paused) g_filter.react = HoldEachKeyOnce(host.keyboard);
    if (c.played) host.keyboard.Post(c.quitKey);
    else host.input.keys.push_back(c.quitKey);
    std::deque<uint16_t> later(c.answer.begin(), c.answer.end());
    later.push_back('a');
    if (c.asked == nullptr) host.input.keys.insert(host.input.keys.end(), later.begin(), later.end());
    else host.screen.onQuestion = [&] { host.input.keys = later; };

    EXPECT_EQ(c.ends, host.Run(c.running));
    // The filters saw the quit key, none of the answer's keys, and the key
    // after the answer unless the host has ended.
    std::vector<uint32_t> offered{c.quitKey};
    if (!c.ends) offered.push_back('a');
    EXPECT_EQ(offered, Offered(g_filter.seen, true));
    EXPECT_EQ(c.ends ? "" : "a", host.editor.Text());
    bool asked = host.screen.shown.find(kQuestion) != std::string::npos;
    EXPECT_EQ(c.asked != nullptr, asked) << host.screen.shown;
    if (c.asked != nullptr) {
      EXPECT_NE(std::string::npos, host.screen.shown.find(c.asked)) << host.screen.shown;
    }
  }
}

// While the question is up nothing a plug-in handed over reaches the host:
// a played `t` waiting in the queue does not answer it (the user's own key
// does), and after Nie it comes in its turn, with the held key.
TEST(QuitQuestion, KeysAPlugInHandedOverWaitAndDoNotAnswer) {
  for (uint16_t answer : {uint16_t{'n'}, uint16_t{'t'}}) {
    SCOPED_TRACE(static_cast<char>(answer));
    TestHost host;
    g_filter.react = [&host](uint32_t key) -> uint32_t {
      if (key == kKeyF10) {  // a macro plays on as the key passes
        host.keyboard.Post('t');
        host.keyboard.Delay('h');
      }
      return key;
    };
    host.input.keys = {kKeyF10};
    host.screen.onQuestion = [&] { host.input.keys = {answer}; };
    bool ended = host.Run(kMacro);
    EXPECT_EQ(answer == 't', ended);
    if (ended) {
      EXPECT_EQ(std::vector<uint32_t>{kKeyF10}, Offered(g_filter.seen)) << "nothing after Tak";
      EXPECT_EQ("", host.editor.Text());
    } else {
      EXPECT_EQ((std::vector<uint32_t>{kKeyF10, 't', 'h'}), Offered(g_filter.seen));
      EXPECT_EQ("th", host.editor.Text());
    }
  }
}

}  // namespace
}  // namespace volmar
