// The form engine running the start form: editing in place, the hot keys,
// the field callback, and what the screen shows.
#include <gtest/gtest.h>
#include <string.h>

#include "host/app/core/form_engine.h"
#include "host/app/core/key_codes.h"
#include "host/app/core/message_box.h"
#include "host_test_support.h"
#include "player/start/start_form.h"

namespace volmar {
namespace {

using testing::TestScreen;

// What the field callback saw, and what it does: like the plug-in's, it
// puts a picked name into the file-name field on (0x3D00, 1).
struct CallbackLog {
  std::vector<std::pair<uint32_t, uint32_t>> calls;
  FormRun *form = nullptr;
  const char *picked = "picked.txt";
} g_callback;

int32_t HOST_STDCALL FieldCallback(uint32_t code, uint32_t event) {
  g_callback.calls.emplace_back(code, event);
  if (code != 0x3D00 || event != 1) return 0;
  if (char *buffer = g_callback.form->FieldBuffer(0x4101)) strcpy(buffer, g_callback.picked);
  g_callback.form->RefreshField(0x4101);
  return -2;
}

#pragma pack(push, 1)
struct Record {
  char fileName[258];
  uint16_t keyDelay;
};
#pragma pack(pop)

class FormEngineTest : public ::testing::Test, protected testing::TestKeyboard {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(ReadFormTemplate(kStartFormTemplate, kStartFormTemplateSize, form, error)) << error;
    strcpy(record.fileName, "old.txt");
    record.keyDelay = 100;
    g_callback = CallbackLog{};
    run = std::make_unique<FormRun>(ui, form, reinterpret_cast<uint8_t *>(&record), &FieldCallback);
    g_callback.form = run.get();
  }

  // Presses keys one by one; the answer once the form closes, else 0.
  int32_t Press(std::initializer_list<uint32_t> keys) {
    for (uint32_t key : keys) {
      int32_t answer = 0;
      if (run->HandleKey(key, answer)) return answer;
    }
    return 0;
  }
  int32_t Type(const std::string &text) {
    for (char c : text) {
      int32_t answer = 0;
      if (run->HandleKey(static_cast<uint8_t>(c), answer)) return answer;
    }
    return 0;
  }

  TestScreen screen;
  Ui ui{keyboard, &screen, std::ref(clock)};
  FormTemplate form;
  Record record;
  std::unique_ptr<FormRun> run;
};

TEST_F(FormEngineTest, TypingReplacesTheNameAndF12WritesTheRecord) {
  EXPECT_EQ("old.txt", run->FieldText(0x4101));
  EXPECT_EQ("100", run->FieldText(0x4104));
  EXPECT_EQ(0, Type("new.txt"));
  EXPECT_EQ(kAnswerOk, Press({kKeyF12}));
  EXPECT_STREQ("new.txt", record.fileName);
  EXPECT_EQ(100, record.keyDelay);
}

TEST_F(FormEngineTest, F3CallsTheCallbackWhichFillsTheField) {
  EXPECT_EQ(0, Press({kKeyF3}));
  ASSERT_FALSE(g_callback.calls.empty());
  EXPECT_EQ(std::make_pair(0x3D00u, 1u), g_callback.calls[0]);
  EXPECT_EQ("picked.txt", run->FieldText(0x4101));
  EXPECT_STREQ("old.txt", record.fileName);  // not before the form is confirmed
  EXPECT_EQ(kAnswerOk, Press({kKeyF12}));
  EXPECT_STREQ("picked.txt", record.fileName);
  EXPECT_EQ(std::make_pair(0x5001u, 1u), g_callback.calls.back());
}

TEST_F(FormEngineTest, EscLeavesTheRecordAlone) {
  Type("other.txt");
  EXPECT_EQ(kAnswerCancel, Press({kKeyEsc}));
  EXPECT_STREQ("old.txt", record.fileName);
}

TEST_F(FormEngineTest, TheDelayFieldTakesOnlyDigitsUpTo65535) {
  Press({kKeyTab});
  EXPECT_EQ(4, run->focusedElement());
  Type("7x0000");  // 'x' is refused, and so is the 0 that would make 70000
  EXPECT_EQ("7000", run->FieldText(0x4104));
  Press({kKeyBackspace, kKeyBackspace, kKeyBackspace, kKeyBackspace});
  Type("655359");
  EXPECT_EQ("65535", run->FieldText(0x4104));
  EXPECT_EQ(kAnswerOk, Press({kKeyEnter}));  // Enter in a field presses the default button
  EXPECT_EQ(65535, record.keyDelay);
  EXPECT_STREQ("old.txt", record.fileName);
}

TEST_F(FormEngineTest, HotKeysMoveBetweenFieldsAndButtons) {
  Press({kKeyTab});
  EXPECT_EQ(4, run->focusedElement());
  Press({kKeyAltP});  // the label before the file name
  EXPECT_EQ(2, run->focusedElement());
  Type("k");  // typed into the field, not a hot key there
  EXPECT_EQ("k", run->FieldText(0x4101));
  Press({AltCharacterCode('k')});
  EXPECT_EQ(4, run->focusedElement());
  Press({kKeyTab});  // the OK button
  EXPECT_EQ(5, run->focusedElement());
  Press({'K'});  // from a button the letter alone works
  EXPECT_EQ(4, run->focusedElement());
}

TEST_F(FormEngineTest, ShowsTitleLabelsButtonsAndNote) {
  ui.Push(run.get());
  ui.Redraw();
  std::string screenText = screen.Text();
  for (const char *shown : {"Tastiromatika", "F3 Plik", "old.txt", "Przerwa między klawiszami [ms]:",
                            "100", "F12 OK", "Zatrzymanie działającgo makra:  Shift+F11"})
    EXPECT_NE(std::string::npos, screenText.find(shown)) << shown << "\n" << screenText;
  EXPECT_EQ(std::string::npos, screenText.find('~'));
  ui.Pop(run.get());
}

TEST_F(FormEngineTest, FieldsLookLikeFieldsAndHotLettersAreMarkedAlike) {
  ui.Push(run.get());
  ui.Redraw();
  auto cellOf = [&](const std::u16string &text, int offset) -> const Cell & {
    for (int y = 0; y < screen.last.height(); ++y) {
      size_t at = screen.last.Row(y).find(text);
      if (at != std::u16string::npos) return screen.last.At(static_cast<int>(at) + offset, y);
    }
    ADD_FAILURE() << "not on screen: " << Utf16ToUtf8(text);
    return screen.last.At(0, 0);
  };
  auto background = [](const Cell &cell) { return cell.attr >> 4; };
  // The focused file field beyond its text, and the delay field: neither in
  // the form's grey nor in the editor's blue.
  for (const Cell *cell : {&cellOf(u"old.txt", 10), &cellOf(u"100", 0), &cellOf(u"100", 5)}) {
    EXPECT_NE(kGrey, background(*cell));
    EXPECT_NE(kBlue, background(*cell));
  }
  // Alt+P has no letter of its own label to mark: the P of "Plik" beside
  // the file field shows it, in the colour of the k of "klawiszami".
  const Cell &p = cellOf(u"Plik", 0), &k = cellOf(u"klawiszami", 0);
  EXPECT_EQ(kRed, p.attr & 0x0F);
  EXPECT_EQ(k.attr & 0x0F, p.attr & 0x0F);
  EXPECT_NE(kRed, cellOf(u"Plik", 1).attr & 0x0F);
  EXPECT_NE(kRed, cellOf(u"klawiszami", 1).attr & 0x0F);
  ui.Pop(run.get());
}

TEST_F(FormEngineTest, RunReturnsWhenTheKeysCloseTheForm) {
  input.keys = {'a', kKeyF12};
  EXPECT_EQ(kAnswerOk, run->Run());
  EXPECT_STREQ("a", record.fileName);
  input.keys.clear();
  EXPECT_EQ(kAnswerCancel, run->Run());  // the input ran out
}

}  // namespace
}  // namespace volmar
