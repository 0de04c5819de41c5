// The document the user (and every macro) types into: a small full-screen
// text editor with a status line.  Text is held in the host encoding.
#pragma once

#include <stdint.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/app/core/ui.h"

namespace volmar {

class Editor : public Layer {
 public:
  enum class Action { kNone, kQuit, kHelp };

  Editor();

  // One key as the host processes it (after the key filters).
  Action HandleKey(uint32_t key);
  // Types host text at the caret, as if each character were a key.
  bool TypeText(std::string_view hostText) override;
  void Draw(Canvas &canvas) override;

  // The whole text in host encoding, lines joined by '\n'.
  std::string Text() const;
  int row() const { return row_; }
  int column() const { return column_; }

  // Extra text shown in the status line (the active plug-ins).
  std::function<std::u16string()> statusText;
  // What the plug-ins are doing (plugin_activity.h), shown marked in the
  // status line before the plug-ins; nothing when empty.
  std::function<std::u16string()> activityText;

  static constexpr int kTabWidth = 8;

 private:
  void InsertChar(char c);
  void NewLine();
  void Backspace();
  void Delete();
  void Move(int rows, int columns);
  void ClampColumn();
  void ScrollToCaret(int width, int height);

  std::vector<std::string> lines_;
  int row_ = 0, column_ = 0;  // caret: line and byte within it
  int top_ = 0, left_ = 0;    // first line and column shown
  int pageHeight_ = 20;       // text rows on screen, from the last draw
};

}  // namespace volmar
