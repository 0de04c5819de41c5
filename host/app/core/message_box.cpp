#include "host/app/core/message_box.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>

#include "host/app/core/key_codes.h"
#include "host/app/core/text_codec.h"
#include "host/app/core/text_style.h"
#include "plugin/contract/mazovia.h"

namespace volmar {

namespace {

constexpr Palette kNoticePalette = DarkTextOn(kGrey);
constexpr Palette kErrorPalette = LightTextOn(kRed);
constexpr uint16_t kButtonAttr = Attr(kBlack, kCyan);
constexpr uint16_t kFocusedButtonAttr = Attr(kWhite, kGreen);

std::u16string StyledToText(const std::vector<StyledChar> &line) {
  std::u16string text;
  for (const StyledChar &c : line) text.push_back(c.ch);
  return text;
}

// The text as plain UTF-8 lines, inline codes left out.
std::string PlainUtf8(const std::string &hostText) {
  StyledText laid = LayOutHostText(hostText, 0);
  std::string out;
  for (size_t i = 0; i < laid.lines.size(); ++i) {
    if (i > 0) out += "\n";
    out += Utf16ToUtf8(StyledToText(laid.lines[i]));
  }
  return out;
}

char16_t HotLetter(const std::string &label) {
  std::u16string text = Utf8ToUtf16(label);
  return text.empty() ? 0 : text[0];
}

char16_t Lower(char16_t c) { return ToLowerCase(c); }

// Draws a box of laid-out text with a row of buttons under it.
class BoxLayer : public Layer {
 public:
  BoxLayer(const BoxSpec &box, bool standing) : spec_(box), standing_(standing) {}

  void Draw(Canvas &canvas) override {
    const Palette &palette = spec_.error ? kErrorPalette : kNoticePalette;
    int textWidth = std::max(10, std::min(70, canvas.width() - 8));
    StyledText laid = LayOutHostText(spec_.text, textWidth);
    int buttonsWidth = 0;
    for (const BoxButton &button : spec_.buttons)
      buttonsWidth += static_cast<int>(Utf8ToUtf16(button.label).size()) + 5;
    std::u16string title = HostTextToUtf16(spec_.title);
    int inner = std::max({WidestLine(laid), buttonsWidth, static_cast<int>(title.size()) + 2, 16});
    int w = std::min(inner + 4, canvas.width());
    int lines = static_cast<int>(laid.lines.size());
    int h = lines + 2 + (spec_.buttons.empty() ? 0 : 2);
    int x = (canvas.width() - w) / 2;
    int y = (canvas.height() - h) / 2;
    if (standing_) {  // bottom right, over the status line, out of the way of typing
      x = canvas.width() - w - 1;
      y = canvas.height() - h - 2;
    }
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    canvas.Frame(x, y, w, h, palette.plain, title);
    canvas.Shadow(x, y, w, h);
    for (int i = 0; i < lines; ++i) {
      const auto &line = laid.lines[i];
      int start = x + 2;
      if (laid.centred) start = x + (w - static_cast<int>(line.size())) / 2;
      for (size_t k = 0; k < line.size() && start + static_cast<int>(k) < x + w - 1; ++k)
        canvas.Put(start + static_cast<int>(k), y + 1 + i, line[k].ch, palette.For(line[k].style));
    }
    if (spec_.buttons.empty()) return;
    int bx = x + (w - buttonsWidth) / 2 + 1;
    for (size_t i = 0; i < spec_.buttons.size(); ++i) {
      std::u16string label = u"[ " + Utf8ToUtf16(spec_.buttons[i].label) + u" ]";
      uint16_t attr = i == focus ? kFocusedButtonAttr : kButtonAttr;
      canvas.Text(bx, y + h - 2, label, attr);
      canvas.Put(bx + 2, y + h - 2, label[2], static_cast<uint16_t>((attr & 0xF0) | kYellow));
      bx += static_cast<int>(label.size()) + 1;
    }
  }

  size_t focus = 0;

 private:
  const BoxSpec &spec_;
  bool standing_;
};

std::string Lowered(const std::string &text) {
  std::string lowered;
  for (char c : text) lowered.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  return lowered;
}

// A scripted answer fits a box when it names one of its buttons (its label,
// "yes"/"y"/"t" for Tak, "no"/"n" for Nie, "dontshow"/"never" for the
// button answering 1) or is a number; an answer that does not fit is left
// for a later box.
std::optional<int32_t> AnswerFromToken(const BoxSpec &box, const std::string &token) {
  std::string given = Lowered(token);
  if (given == "yes" || given == "y" || given == "t") given = "tak";
  if (given == "no" || given == "n") given = "nie";
  for (const BoxButton &button : box.buttons)
    if (Lowered(button.label) == given) return button.answer;
  if (given == "dontshow" || given == "never")
    for (const BoxButton &button : box.buttons)
      if (button.answer == 1) return 1;
  char *end = nullptr;
  long number = strtol(given.c_str(), &end, 0);
  if (!given.empty() && *end == 0) return static_cast<int32_t>(number);
  return std::nullopt;
}

int32_t ScriptedAnswer(Ui &ui, const BoxSpec &box) {
  std::string text = "== " + box.kind + (box.title.empty() ? "" : ": " + PlainUtf8(box.title)) +
                     " ==\n" + PlainUtf8(box.text) + "\n";
  int32_t answer = box.escapeAnswer;
  if (box.buttons.size() == 1) {
    answer = box.buttons[0].answer;
  } else if (box.buttons.size() > 1 && !ui.answers.empty()) {
    if (std::optional<int32_t> given = AnswerFromToken(box, ui.answers.front())) {
      answer = *given;
      ui.answers.pop_front();
    }
  }
  for (const BoxButton &button : box.buttons)
    if (button.answer == answer) text += "-> " + button.label + "\n";
  if (ui.report) ui.report(text);
  return answer;
}

}  // namespace

bool IsErrorStyle(uint32_t style) { return ((style >> 12) & 0xF) >= 0xE; }

int32_t RunBox(Ui &ui, const BoxSpec &box) {
  if (ui.scripted()) return ScriptedAnswer(ui, box);
  BoxLayer layer(box, false);
  layer.focus = std::min(box.focus, box.buttons.empty() ? 0 : box.buttons.size() - 1);
  ModalScope scope(ui, &layer);
  ui.Redraw();
  for (;;) {
    uint32_t key = box.typedAnswerOnly ? ui.NextTypedKey() : ui.NextKey();
    if (key == kEndOfInput || key == kKeyEsc) return box.escapeAnswer;
    if (box.buttons.empty()) {
      if (key == kKeyEnter) return box.escapeAnswer;
      continue;
    }
    size_t count = box.buttons.size();
    if (key == kKeyEnter || key == ' ') return box.buttons[layer.focus].answer;
    if (key == kKeyTab || key == kKeyRight || key == kKeyDown) layer.focus = (layer.focus + 1) % count;
    else if (key == kKeyShiftTab || key == kKeyLeft || key == kKeyUp) layer.focus = (layer.focus + count - 1) % count;
    else if (IsCharacterKey(key)) {
      char16_t typed = Lower(MazoviaToUnicode(static_cast<uint8_t>(key)));
      for (const BoxButton &button : box.buttons)
        if (Lower(HotLetter(button.label)) == typed) return button.answer;
      // "y" answers yes as well as "t" does.
      if (typed == u'y')
        for (const BoxButton &button : box.buttons)
          if (button.answer == kAnswerYes) return button.answer;
    }
    ui.Redraw();
  }
}

namespace {
// A standing notice owns its text: it outlives the call that showed it.
class StandingNotice : public Layer {
 public:
  explicit StandingNotice(BoxSpec box) : spec_(std::move(box)), layer_(spec_, true) {}
  void Draw(Canvas &canvas) override { layer_.Draw(canvas); }

 private:
  BoxSpec spec_;
  BoxLayer layer_;
};
}  // namespace

int32_t AskBox(Ui &ui, const std::string &title, const std::string &text, uint32_t flags) {
  BoxSpec box;
  box.title = title;
  box.text = text;
  if (flags & kAskQuestionBit) {
    box.kind = "pytanie";
    box.buttons = {{"Tak", kAnswerYes}, {"Nie", kAnswerNo}};
    box.escapeAnswer = kAnswerNo;
    return RunBox(ui, box);
  }
  if (flags & kAskStanding) {
    box.kind = "informacja";
    if (ui.scripted()) {
      ScriptedAnswer(ui, box);
      return 0;
    }
    ui.ShowStanding(std::make_unique<StandingNotice>(box));
    ui.Redraw();
    return 0;
  }
  box.kind = "komunikat";
  box.buttons = {{"OK", kAnswerOk}};
  box.escapeAnswer = kAnswerOk;
  return RunBox(ui, box);
}

int32_t ShowMessageBox(Ui &ui, const std::string &title, const std::string &text, bool error) {
  BoxSpec box;
  box.title = title;
  box.text = text;
  box.error = error;
  box.kind = error ? "błąd" : "komunikat";
  box.buttons = {{"OK", kAnswerOk}};
  box.escapeAnswer = kAnswerOk;
  return RunBox(ui, box);
}

int16_t NoticeWithChoice(Ui &ui, const std::string &text) {
  BoxSpec box;
  box.text = text;
  box.kind = "powiadomienie";
  box.buttons = {{"OK", 0}, {"Nie pokazuj więcej", 1}};
  box.escapeAnswer = 0;
  return static_cast<int16_t>(RunBox(ui, box));
}

}  // namespace volmar
