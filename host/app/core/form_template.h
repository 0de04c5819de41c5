// The host's form template: the bytes a plug-in hands to HostRunForm,
// read into a description of the form and its elements.
//
// The layout, its element kinds, field types and flags are the contract's
// (plugin/contract/form_format.h); this is the host's reading of them.
//
// Data description of a field: the first word is the size, the second the
// type.  A text field holds at most `size` characters; a number field an
// unsigned 16-bit value (0 to 65535), shown in up to five digits.
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

#include "plugin/contract/form_format.h"

namespace volmar {

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
