// The host's form template: the bytes a plug-in hands to HostRunForm,
// read into a description of the form and its elements.
//
// Layout (numbers are 16-bit little-endian unless said otherwise):
//   u32   count of the bytes that follow, to the end of the template
//   u16   count of the bytes that follow the element count
//   u16   element count
//   header: 0xFFFF, 1, 0, 0, 0, 0, width, height, 0, 0, then the title (zero-terminated)
//   each button (kind 0), label (3) and note (4):
//         kind, id, flags, hot key, column, row, width, height, 0, 0, then the text (zero-terminated)
//   each field: 5, length (bytes from its kind word to its final zero byte,
//         that byte excluded), then kind 5, id, flags, hot key, column, row,
//         width, height, 0, 0, eight zero bytes, the data description words,
//         and one zero byte.
//
// Data description of a field: the first word is the size, the second the
// type.  Type 8 is a text of at most `size` characters; type 1 a number,
// kept as an unsigned 16-bit value (0 to 65535), shown in up to five digits.
// Fields take their places in the record one after another in template
// order: a text field size + 1 bytes, a number field 2 bytes.  (The start
// form's file-name field, 257 characters, so lies at offset 0 and its delay
// field at offset 258.)
//
// Columns and rows count from the form's inner top-left corner; the frame
// with the title lies around the width x height area.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

namespace volmar {

enum FormElementKind : uint16_t {
  kFormButton = 0,
  kFormLabel = 3,
  kFormNote = 4,
  kFormField = 5,
};

enum FormFieldType : uint16_t {
  kFieldNumber = 1,
  kFieldText = 8,
};

enum FormFlags : uint16_t {
  kFormDefaultButton = 0x0004,  // Enter in a field presses this button
};

struct FormElement {
  uint16_t kind = 0;
  uint16_t id = 0;
  uint16_t flags = 0;
  uint16_t hotKey = 0;
  uint16_t column = 0, row = 0, width = 0, height = 0;
  std::string text;  // host text, with its inline codes; empty for fields
  // Fields only.
  std::vector<uint16_t> data;  // the data description words
  uint16_t fieldType = 0;
  uint16_t maxChars = 0;      // text fields: the most characters; number fields: 5
  size_t recordOffset = 0;    // where the field's value lies in the record
  size_t recordSize = 0;      // bytes it takes there
};

struct FormTemplate {
  uint16_t width = 0, height = 0;
  std::string title;
  std::vector<FormElement> elements;
  size_t recordSize = 0;  // bytes of the record that the fields take
};

// Largest template the host reads, to bound a damaged count.
constexpr size_t kMaxFormTemplateBytes = 65536;

// Reads a template of `available` bytes.  False, with a reason in `error`,
// when the bytes do not follow the layout.
bool ReadFormTemplate(const uint8_t *bytes, size_t available, FormTemplate &form,
                      std::string &error);

// The whole size of the template at `bytes` (4 + its leading count), or 0
// when the count is beyond kMaxFormTemplateBytes.
size_t FormTemplateSize(const uint8_t *bytes);

}  // namespace volmar
