// The host's form engine: draws a form from its template, lets the user
// edit the fields and press the buttons, and writes the fields into the
// caller's record when the form is confirmed.
//
// Keys in a form:
//   Tab, Down / Shift+Tab, Up   next / previous field or button
//   a button's hot key          presses it (F3, F12 in the start form)
//   a label's hot key           goes to the field after the label (Alt+P);
//                               a letter hot key (K) works from a button, or
//                               with Alt from anywhere.  Every hot letter is
//                               drawn marked: a label that cannot show its
//                               own marks it in the first word beside its
//                               field that starts with it ("F3 Plik")
//   Enter                       presses the focused button; in a field, the
//                               form's default button (flag 0x0004)
//   Esc                         closes the form unconfirmed (kAnswerCancel)
// A field entered anew has its text selected: the first character typed
// replaces it, any other key keeps it.
//
// Pressing a button first calls the form's callback with (button id, 1).
// The answer -2 means the callback handled it and the form stays open;
// otherwise a button whose id lies in 0x5000-0x50FF closes the form with
// its id as the answer (0x5001: OK, after the fields were written into the
// record), and any other button does nothing more.  Esc leaves the record
// untouched.
#pragma once

#include <stdint.h>

#include <string>
#include <string_view>
#include <vector>

#include "host/app/core/form_template.h"
#include "host/app/core/ui.h"
#include "plugin/contract/host_api.h"
#include "plugin/contract/host_values.h"

namespace volmar {

class FormRun : public Layer {
 public:
  FormRun(Ui &ui, const FormTemplate &form, uint8_t *record, FieldCallback callback);

  // Runs the form until it closes; the answer (kAnswerOk, kAnswerCancel, ...).
  int32_t Run();

  // HostFormFieldBuffer: the edit buffer of field `id` (at least 258 bytes,
  // its text zero-terminated), or null when the form has no such field.
  char *FieldBuffer(int32_t id);
  // HostFormRefreshField: takes the buffer's text anew into the field.
  // 0, or -1 when the form has no such field.
  int32_t RefreshField(int32_t id);

  void Draw(Canvas &canvas) override;
  bool TypeText(std::string_view hostText) override;

  // One key; returns true and sets `answer` when the form closes.
  bool HandleKey(uint32_t key, int32_t &answer);

  // The field's text as shown (tests, scripted mode).
  std::string FieldText(int32_t id) const;
  int focusedElement() const;

  static constexpr size_t kMinimumFieldBuffer = 258;
  static constexpr int32_t kCallbackHandled = host::kCallbackHandled;

 private:
  struct Field {
    size_t element;            // index in the template's elements
    std::vector<char> buffer;  // the text, zero-terminated
    int cursor = 0;
    int scroll = 0;
    bool fresh = true;  // selected: the next character replaces it
  };

  // A hot letter drawn marked in another element's first line.
  struct LentHotLetter {
    size_t element;
    int column;
  };
  std::vector<LentHotLetter> LentHotLetters() const;

  Field *FindField(int32_t id);
  Field *FocusedField();
  const FormElement &Focused() const { return form_.elements[focusables_[focus_]]; }
  void MoveFocus(int step);
  void FocusElement(size_t element);
  bool Activate(const FormElement &button, int32_t &answer);
  bool MatchesHotKey(const FormElement &element, uint32_t key);
  void Edit(Field &field, uint32_t key);
  bool Insert(Field &field, char c);
  void Commit();
  void Report(const std::string &text);

  Ui &ui_;
  const FormTemplate &form_;
  uint8_t *record_;
  FieldCallback callback_;
  std::vector<Field> fields_;
  std::vector<size_t> focusables_;  // buttons and fields, template order
  size_t focus_ = 0;
};

}  // namespace volmar
