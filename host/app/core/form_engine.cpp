#include "host/app/core/form_engine.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "host/app/core/key_codes.h"
#include "host/app/core/message_box.h"
#include "host/app/core/text_codec.h"
#include "host/app/core/text_style.h"

namespace volmar {

// The kinds, field types and flags of the contract's form format.
using namespace host::form;

namespace {
constexpr Palette kFormPalette = DarkTextOn(kGrey);
constexpr Palette kButtonPalette = DarkTextOn(kCyan);
constexpr Palette kFocusedButtonPalette = LightTextOn(kGreen);
// A field is drawn as a box to type in, cyan like nothing else of the form
// and never in the editor's blue, which would look like a hole in the form;
// the focused one brighter.
constexpr uint16_t kFieldAttr = Attr(kBlack, kCyan);
constexpr uint16_t kFocusedFieldAttr = Attr(kBlack, kLightCyan);
constexpr uint16_t kSelectedAttr = Attr(kWhite, kGreen);

bool IsClosingId(uint16_t id) { return id >= 0x5000 && id <= 0x50FF; }

// The letter between tildes of a label ("~k~lawiszami" gives 'k'), or 0.
char TildeLetter(const std::string &text) {
  size_t open = text.find('~');
  if (open == std::string::npos || open + 2 >= text.size() || text[open + 2] != '~') return 0;
  return text[open + 1];
}

char LowerAscii(uint32_t c) {
  return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
}

// The letter or digit a hot key stands for ('K' and Alt+K give 'k'), or 0.
char HotKeyLetter(uint16_t hotKey) {
  if (IsCharacterKey(hotKey)) return LowerAscii(hotKey);
  for (char c : std::string("abcdefghijklmnopqrstuvwxyz0123456789"))
    if (AltCharacterCode(c) == hotKey) return c;
  return 0;
}

// Where a letter starts a word in a laid-out text: its line and place, or -1.
std::pair<int, int> WordInitial(const StyledText &text, char letter) {
  for (int row = 0; row < static_cast<int>(text.lines.size()); ++row) {
    const auto &line = text.lines[row];
    for (int k = 0; k < static_cast<int>(line.size()); ++k)
      if ((k == 0 || line[k - 1].ch == u' ') && ToLowerCase(line[k].ch) == letter)
        return {row, k};
  }
  return {-1, -1};
}
}  // namespace

// A label whose hot letter its own text does not show (the start form's
// file label is a blank that leads to the file field with Alt+P) lends it
// to the text beside that field: the first word on the field's row that
// starts with the letter gets it marked, as "~k~lawiszami" is marked.
std::vector<FormRun::LentHotLetter> FormRun::LentHotLetters() const {
  std::vector<LentHotLetter> lent;
  for (size_t i = 0; i < form_.elements.size(); ++i) {
    const FormElement &label = form_.elements[i];
    if (label.kind != kLabel || TildeLetter(label.text) != 0) continue;
    char letter = HotKeyLetter(label.hotKey);
    if (letter == 0 || WordInitial(LayOutHostText(label.text, 0, true), letter).first >= 0) continue;
    size_t field = i + 1;
    while (field < form_.elements.size() && form_.elements[field].kind != kField) ++field;
    if (field == form_.elements.size()) continue;
    for (size_t j = 0; j < form_.elements.size(); ++j) {
      const FormElement &other = form_.elements[j];
      if (j == i || other.kind == kField || other.row != form_.elements[field].row) continue;
      auto [row, column] = WordInitial(
          LayOutHostText(other.text, std::max<int>(1, other.width), other.kind == kLabel), letter);
      if (row == 0) {
        lent.push_back({j, column});
        break;
      }
    }
  }
  return lent;
}

FormRun::FormRun(Ui &ui, const FormTemplate &form, uint8_t *record, FieldCallback callback)
    : ui_(ui), form_(form), record_(record), callback_(callback) {
  for (size_t i = 0; i < form_.elements.size(); ++i) {
    const FormElement &element = form_.elements[i];
    if (element.kind == kButton || element.kind == kField) focusables_.push_back(i);
    if (element.kind != kField) continue;
    Field field;
    field.element = i;
    field.buffer.assign(std::max<size_t>(kMinimumFieldBuffer, element.maxChars + 1u), 0);
    if (record_ != nullptr) {
      const uint8_t *value = record_ + element.recordOffset;
      if (element.fieldType == kTextField) {
        size_t length = strnlen(reinterpret_cast<const char *>(value), element.maxChars);
        memcpy(field.buffer.data(), value, length);
      } else {
        std::string digits = std::to_string(value[0] | value[1] << 8);
        memcpy(field.buffer.data(), digits.c_str(), digits.size());
      }
    }
    field.cursor = static_cast<int>(strlen(field.buffer.data()));
    fields_.push_back(std::move(field));
  }
  // The first field has the focus at first; a form without fields starts on
  // its first button.
  for (size_t k = 0; k < focusables_.size(); ++k)
    if (form_.elements[focusables_[k]].kind == kField) {
      focus_ = k;
      break;
    }
}

FormRun::Field *FormRun::FindField(int32_t id) {
  for (Field &field : fields_)
    if (form_.elements[field.element].id == static_cast<uint16_t>(id)) return &field;
  return nullptr;
}

FormRun::Field *FormRun::FocusedField() {
  if (focusables_.empty() || Focused().kind != kField) return nullptr;
  for (Field &field : fields_)
    if (field.element == focusables_[focus_]) return &field;
  return nullptr;
}

int FormRun::focusedElement() const {
  return focusables_.empty() ? -1 : static_cast<int>(focusables_[focus_]);
}

char *FormRun::FieldBuffer(int32_t id) {
  Field *field = FindField(id);
  return field != nullptr ? field->buffer.data() : nullptr;
}

int32_t FormRun::RefreshField(int32_t id) {
  Field *field = FindField(id);
  if (field == nullptr) return -1;
  const FormElement &element = form_.elements[field->element];
  field->buffer.back() = 0;
  if (strlen(field->buffer.data()) > element.maxChars) field->buffer[element.maxChars] = 0;
  if (element.fieldType == kNumberField) {  // only the leading digits count
    size_t digits = strspn(field->buffer.data(), "0123456789");
    field->buffer[digits] = 0;
  }
  field->cursor = static_cast<int>(strlen(field->buffer.data()));
  field->fresh = false;
  ui_.Redraw();
  return 0;
}

std::string FormRun::FieldText(int32_t id) const {
  for (const Field &field : fields_)
    if (form_.elements[field.element].id == static_cast<uint16_t>(id)) return field.buffer.data();
  return {};
}

void FormRun::MoveFocus(int step) {
  if (focusables_.empty()) return;
  size_t count = focusables_.size();
  focus_ = (focus_ + count + (step > 0 ? 1 : count - 1)) % count;
  if (Field *field = FocusedField()) field->fresh = true;
}

void FormRun::FocusElement(size_t element) {
  for (size_t k = 0; k < focusables_.size(); ++k)
    if (focusables_[k] == element) {
      focus_ = k;
      if (Field *field = FocusedField()) field->fresh = true;
      return;
    }
}

bool FormRun::MatchesHotKey(const FormElement &element, uint32_t key) {
  char letter = element.kind == kLabel ? TildeLetter(element.text) : 0;
  if (letter != 0 && key == AltCharacterCode(letter)) return true;
  if (element.hotKey == 0) return false;
  if (!IsCharacterKey(element.hotKey)) return key == element.hotKey;
  // A letter: with Alt anywhere; alone only where it would not be typed.
  if (key == AltCharacterCode(static_cast<char>(element.hotKey))) return true;
  return FocusedField() == nullptr && IsCharacterKey(key) &&
         LowerAscii(key) == LowerAscii(element.hotKey);
}

bool FormRun::Activate(const FormElement &button, int32_t &answer) {
  if (callback_ != nullptr && callback_(button.id, host::kFieldEventPressed) == kCallbackHandled) return false;
  if (!IsClosingId(button.id)) return false;
  if (button.id != kAnswerCancel) Commit();
  answer = button.id;
  return true;
}

bool FormRun::Insert(Field &field, char c) {
  const FormElement &element = form_.elements[field.element];
  std::string text = field.buffer.data();
  if (field.fresh) {
    text.clear();
    field.cursor = 0;
  }
  if (text.size() >= element.maxChars) return false;
  text.insert(text.begin() + field.cursor, c);
  if (element.fieldType == kNumberField &&
      (c < '0' || c > '9' || strtoul(text.c_str(), nullptr, 10) > 0xFFFF))
    return false;
  memcpy(field.buffer.data(), text.c_str(), text.size() + 1);
  ++field.cursor;
  field.fresh = false;
  return true;
}

void FormRun::Edit(Field &field, uint32_t key) {
  std::string text = field.buffer.data();
  int length = static_cast<int>(text.size());
  switch (key) {
    case kKeyBackspace:
      if (field.fresh) field.cursor = length;
      if (field.cursor > 0) text.erase(--field.cursor, 1);
      break;
    case kKeyDel:
      if (field.cursor < length) text.erase(field.cursor, 1);
      break;
    case kKeyLeft: if (field.cursor > 0) --field.cursor; break;
    case kKeyRight: if (field.cursor < length) ++field.cursor; break;
    case kKeyHome: field.cursor = 0; break;
    case kKeyEnd: field.cursor = length; break;
    default:
      if (IsCharacterKey(key) && key >= 0x20 && key != 0x7F) Insert(field, static_cast<char>(key));
      return;
  }
  memcpy(field.buffer.data(), text.c_str(), text.size() + 1);
  field.fresh = false;
}

void FormRun::Commit() {
  if (record_ == nullptr) return;
  for (const Field &field : fields_) {
    const FormElement &element = form_.elements[field.element];
    uint8_t *value = record_ + element.recordOffset;
    if (element.fieldType == kTextField) {
      size_t length = strnlen(field.buffer.data(), element.maxChars);
      memcpy(value, field.buffer.data(), length);
      value[length] = 0;
    } else {
      unsigned long number = strtoul(field.buffer.data(), nullptr, 10);
      if (number > 0xFFFF) number = 0xFFFF;
      value[0] = static_cast<uint8_t>(number);
      value[1] = static_cast<uint8_t>(number >> 8);
    }
  }
}

bool FormRun::HandleKey(uint32_t key, int32_t &answer) {
  if (key == kEndOfInput || key == kKeyEsc) {
    answer = kAnswerCancel;
    return true;
  }
  for (size_t i = 0; i < form_.elements.size(); ++i) {
    const FormElement &element = form_.elements[i];
    if (element.kind == kField || element.kind == kNote || !MatchesHotKey(element, key))
      continue;
    if (element.kind == kButton) {
      FocusElement(i);
      return Activate(element, answer);
    }
    // A label leads to the field that follows it.
    for (size_t k = i + 1; k < form_.elements.size(); ++k)
      if (form_.elements[k].kind == kField) {
        FocusElement(k);
        break;
      }
    return false;
  }
  if (focusables_.empty()) return false;
  Field *field = FocusedField();
  switch (key) {
    case kKeyTab: case kKeyDown: MoveFocus(1); return false;
    case kKeyShiftTab: case kKeyUp: MoveFocus(-1); return false;
    case kKeyEnter:
      if (field == nullptr) return Activate(Focused(), answer);
      for (const FormElement &element : form_.elements)
        if (element.kind == kButton && (element.flags & kDefaultButton))
          return Activate(element, answer);
      MoveFocus(1);
      return false;
    default: break;
  }
  if (field != nullptr) Edit(*field, key);
  else if (key == ' ') return Activate(Focused(), answer);
  return false;
}

bool FormRun::TypeText(std::string_view hostText) {
  Field *field = FocusedField();
  if (field == nullptr) return false;
  for (char c : hostText)
    if (static_cast<uint8_t>(c) >= 0x20) Insert(*field, c);
  return true;
}

void FormRun::Report(const std::string &text) {
  if (ui_.report) ui_.report(text);
}

int32_t FormRun::Run() {
  ModalScope scope(ui_, this);
  if (ui_.scripted()) Report("== formularz: " + HostTextToUtf8(form_.title) + " ==\n");
  ui_.Redraw();
  int32_t answer = kAnswerCancel;
  while (!HandleKey(ui_.NextKey(), answer)) ui_.Redraw();
  if (ui_.scripted()) {
    std::string summary = answer == kAnswerOk ? "-> OK" : "-> zamknięty (" + std::to_string(answer) + ")";
    for (const Field &field : fields_) summary += " [" + HostTextToUtf8(field.buffer.data()) + "]";
    Report(summary + "\n");
  }
  return answer;
}

void FormRun::Draw(Canvas &canvas) {
  const int w = form_.width + 2, h = form_.height + 2;
  const int x0 = std::max(0, (canvas.width() - w) / 2), y0 = std::max(0, (canvas.height() - h) / 2);
  StyledText title = LayOutHostText(form_.title, 0);
  std::u16string titleText;
  for (const StyledChar &c : title.lines[0]) titleText.push_back(c.ch);
  canvas.Frame(x0, y0, w, h, kFormPalette.plain, titleText);
  canvas.Shadow(x0, y0, w, h);
  const int left = x0 + 1, top = y0 + 1;
  const int focused = focusedElement();
  const std::vector<LentHotLetter> lent = LentHotLetters();

  for (size_t i = 0; i < form_.elements.size(); ++i) {
    const FormElement &element = form_.elements[i];
    const int x = left + element.column, y = top + element.row;
    if (element.kind == kField) {
      Field *field = nullptr;
      for (Field &f : fields_)
        if (f.element == i) field = &f;
      const bool hasFocus = static_cast<int>(i) == focused;
      const int width = std::max<int>(1, element.width);
      std::u16string text = HostTextToUtf16(field->buffer.data());
      int scroll = std::clamp(field->scroll, 0, std::max(0, field->cursor));
      if (field->cursor - scroll >= width) scroll = field->cursor - width + 1;
      field->scroll = scroll;
      canvas.Fill(x, y, width, 1, u' ', hasFocus ? kFocusedFieldAttr : kFieldAttr);
      uint16_t textAttr = hasFocus ? (field->fresh && !text.empty() ? kSelectedAttr : kFocusedFieldAttr)
                                   : kFieldAttr;
      if (scroll < static_cast<int>(text.size()))
        canvas.Text(x, y, std::u16string_view(text).substr(scroll), textAttr, width);
      if (hasFocus) {
        canvas.cursorX = x + field->cursor - scroll;
        canvas.cursorY = y;
      }
      continue;
    }
    const bool button = element.kind == kButton;
    const Palette &palette = !button ? kFormPalette
                             : static_cast<int>(i) == focused ? kFocusedButtonPalette
                                                              : kButtonPalette;
    StyledText laid = LayOutHostText(element.text, std::max<int>(1, element.width),
                                     element.kind == kLabel);
    if (button) canvas.Fill(x, y, element.width, std::max<int>(1, element.height), u' ', palette.plain);
    for (int row = 0; row < static_cast<int>(laid.lines.size()) && row < std::max<int>(1, element.height); ++row) {
      const auto &line = laid.lines[row];
      int start = x;
      if (button || laid.centred) start = x + (element.width - static_cast<int>(line.size())) / 2;
      for (size_t k = 0; k < line.size() && static_cast<int>(k) < element.width; ++k) {
        uint8_t style = line[k].style;
        for (const LentHotLetter &letter : lent)
          if (row == 0 && letter.element == i && letter.column == static_cast<int>(k)) style |= kStyleHot;
        canvas.Put(start + static_cast<int>(k), y + row, line[k].ch, palette.For(style));
      }
    }
  }
}

}  // namespace volmar
