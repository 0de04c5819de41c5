// The editor that macros type into.
#include <gtest/gtest.h>

#include "host/app/core/editor.h"
#include "host/app/core/key_codes.h"
#include "host_test_support.h"

namespace volmar {
namespace {

void Keys(Editor &editor, std::initializer_list<uint32_t> keys) {
  for (uint32_t key : keys) editor.HandleKey(key);
}
void Type(Editor &editor, const std::string &text) {
  for (char c : text) editor.HandleKey(static_cast<uint8_t>(c));
}

TEST(Editor, TypesSplitsAndJoinsLines) {
  Editor editor;
  Type(editor, "abc");
  Keys(editor, {kKeyLeft, kKeyEnter});
  EXPECT_EQ("ab\nc", editor.Text());
  Keys(editor, {kKeyBackspace});
  EXPECT_EQ("abc", editor.Text());
  Keys(editor, {kKeyHome, kKeyDel, kKeyEnd});
  Type(editor, "!");
  EXPECT_EQ("bc!", editor.Text());
  Keys(editor, {kKeyHome, kKeyTab});
  EXPECT_EQ("        bc!", editor.Text());
}

TEST(Editor, DeleteAtALineEndJoinsTheNextLine) {
  Editor editor;
  editor.TypeText("one\ntwo");
  Keys(editor, {kKeyUp, kKeyEnd, kKeyDel});
  EXPECT_EQ("onetwo", editor.Text());
}

TEST(Editor, ArrowsStayInsideTheText) {
  Editor editor;
  editor.TypeText("long line\nx");
  Keys(editor, {kKeyUp, kKeyEnd, kKeyDown});
  EXPECT_EQ(1, editor.row());
  EXPECT_EQ(1, editor.column());  // clamped to the shorter line
  Keys(editor, {kKeyRight, kKeyRight, kKeyDown, kKeyCtrlHome, kKeyLeft, kKeyUp});
  EXPECT_EQ(0, editor.row());
  EXPECT_EQ(0, editor.column());
}

TEST(Editor, ControlCharactersAndUnknownKeysTypeNothing) {
  Editor editor;
  Keys(editor, {1, 27, 0x7F, kKeyF3, 0x8700});
  EXPECT_EQ("", editor.Text());
  EXPECT_EQ(Editor::Action::kQuit, editor.HandleKey(kKeyF10));
  EXPECT_EQ(Editor::Action::kHelp, editor.HandleKey(kKeyF1));
}

TEST(Editor, ShowsPolishLettersAndTheStatusLine) {
  Editor editor;
  editor.TypeText("Za\xA7\xA2\x92\x8D");
  editor.statusText = [] { return std::u16string(u"Wtyczka 'Tastiromatika'"); };
  Canvas canvas;
  canvas.Resize(60, 5);
  editor.Draw(canvas);
  EXPECT_EQ(u"Zażółć", canvas.Row(0).substr(0, 6));
  std::string status = Utf16ToUtf8(canvas.Row(4));
  EXPECT_NE(std::string::npos, status.find("Wiersz 1, kolumna 7")) << status;
  EXPECT_NE(std::string::npos, status.find("Wtyczka 'Tastiromatika'")) << status;
  EXPECT_EQ(6, canvas.cursorX);
}

TEST(Editor, ScrollsToKeepTheCaretInView) {
  Editor editor;
  for (int i = 0; i < 10; ++i) editor.TypeText("line " + std::to_string(i) + "\n");
  Canvas canvas;
  canvas.Resize(20, 4);  // three text rows and the status line
  editor.Draw(canvas);
  EXPECT_EQ(u"line 9", canvas.Row(1).substr(0, 6));
  EXPECT_EQ(2, canvas.cursorY);
}

}  // namespace
}  // namespace volmar
