// The start form in the host's own form format, built at compile time from
// the element table below.
//
// Layout (16-bit little-endian words unless noted):
//   u32   bytes that follow this count, to the end of the template
//   u16   bytes that follow the element count
//   u16   element count
//   form header: 0xFFFF, 1, 0, 0, 0, 0, width, height, 0, 0, title, 0
//   button / label / note: kind, id, flags, hot key, column, row, width,
//         height, 0, 0, text, 0
//   field: 5, length, then kind, id, flags, hot key, column, row, width,
//         height, 0, 0, eight zero bytes, the data description words, 0;
//         the length counts the bytes from the kind word up to the final
//         zero byte, that byte excluded
#include <stddef.h>
#include <stdint.h>

#include <array>

#include "plugin/contract/host_text.h"
#include "plugin/contract/host_values.h"
#include "player/start/start_form.h"

namespace {

enum ElementKind : uint16_t { kButton = 0, kLabel = 3, kNote = 4, kField = 5 };

struct FormElement {
  uint16_t kind;
  uint16_t id;
  uint16_t flags;
  uint16_t hotKey;
  uint16_t column;
  uint16_t row;
  uint16_t width;
  uint16_t height;
  const char *text;    // host text of a button, label or note
  uint16_t data[6];    // a field's data description
  uint16_t dataWords;  // words of `data` in use
};

constexpr uint16_t kNoId = 0xFFFF;

// An id or key of the contract as the template's 16-bit word.
constexpr uint16_t Id(uint32_t value) { return static_cast<uint16_t>(value); }
constexpr uint16_t kNoHotKey = 0;

// A key name stands between 0x05 and 0x01; a label's hot letter between
// tildes.  The string pieces keep hex escapes from swallowing letters.
// clang-format off
constexpr auto kTitle = ToHostText("Tastiromatika");
constexpr auto kFileButtonText = ToHostText("\x01" "c" "\x05" "F3" "\x01" " Plik");
constexpr auto kFileLabelText = ToHostText(" ");
constexpr auto kDelayLabelText = ToHostText("Przerwa między ~k~lawiszami [ms]:");
constexpr auto kOkButtonText = ToHostText("\x05" "F12" "\x01" " OK");
constexpr auto kNoteText =
    ToHostText("Zatrzymanie działającgo makra:  " "\x05" "\xFF" "Shift+F11" "\xFF" "\x01");
// clang-format on

constexpr uint16_t kFormWidth = 48;
constexpr uint16_t kFormHeight = 10;

// Seven elements in template order.  The file-name field edits the 257
// characters of the record's file name; the delay field its 16-bit delay.
constexpr FormElement kElements[] = {
    // kind, id, flags, hot key, column, row, width, height
    {kButton, Id(host::kFileButton), 0x0180, Id(host::kKeyF3), 2, 2, 10, 1,
     kFileButtonText.c_str(), {}, 0},
    {kLabel, Id(host::kFileLabel), 0, Id(host::kKeyAltP), 1, 1, 1, 1, kFileLabelText.c_str(), {}, 0},
    {kField, Id(host::kFileNameField), 0x8400, kNoHotKey, 12, 2, 33, 1, nullptr,
     {257, 8, 0, 257, 1}, 5},
    {kLabel, Id(host::kDelayLabel), 0, Id(host::kKeyLetterK), 2, 4, 32, 1, kDelayLabelText.c_str(),
     {}, 0},
    {kField, Id(host::kDelayField), 0x0400, kNoHotKey, 34, 4, 11, 1, nullptr,
     {6, 1, 0x40, 0, 0x8001, 0x7FFF}, 6},
    {kButton, Id(host::kOkButton), 0x0004, Id(host::kKeyF12), 18, 6, 10, 1, kOkButtonText.c_str(),
     {}, 0},
    {kNote, kNoId, 0, kNoHotKey, 2, 8, 45, 2, kNoteText.c_str(), {}, 0},
};
constexpr size_t kElementCount = sizeof kElements / sizeof kElements[0];

constexpr size_t TextBytes(const char *text) {
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n + 1;  // with the terminating zero
}

// The words common to every element: kind to height, then two zero words.
constexpr size_t kElementHeadBytes = 10 * 2;

// A field's own length word: from its kind word up to its final zero byte.
constexpr size_t FieldLength(const FormElement &e) {
  return kElementHeadBytes + 8 + 2 * size_t{e.dataWords};
}

constexpr size_t ElementBytes(const FormElement &e) {
  if (e.kind == kField) return 2 * 2 + FieldLength(e) + 1;
  return kElementHeadBytes + TextBytes(e.text);
}

constexpr size_t kHeaderBytes = 10 * 2 + TextBytes(kTitle.c_str());

constexpr size_t ElementsBytes() {
  size_t n = 0;
  for (const FormElement &e : kElements) n += ElementBytes(e);
  return n;
}

// Bytes behind the element count, and the whole template.
constexpr size_t kBodyBytes = kHeaderBytes + ElementsBytes();
constexpr size_t kTemplateBytes = 4 + 2 + 2 + kBodyBytes;

static_assert(FieldLength(kElements[2]) == 38 && FieldLength(kElements[4]) == 40,
              "the field lengths the host's form engine expects");
static_assert(kBodyBytes <= 0xFFFF, "the body count is one word");

// Called only when the writer and the size count disagree; not a constant
// expression, so the build stops.
inline void TemplateSizeMismatch() {}

struct TemplateWriter {
  std::array<unsigned char, kTemplateBytes> bytes{};
  size_t at = 0;

  constexpr void Byte(unsigned value) { bytes[at++] = static_cast<unsigned char>(value); }
  constexpr void Word(size_t value) {
    Byte(value & 0xFF);
    Byte((value >> 8) & 0xFF);
  }
  constexpr void Dword(size_t value) {
    Word(value & 0xFFFF);
    Word((value >> 16) & 0xFFFF);
  }
  constexpr void Text(const char *text) {
    for (size_t i = 0; text[i] != 0; ++i) Byte(static_cast<unsigned char>(text[i]));
    Byte(0);
  }
  constexpr void Head(const FormElement &e) {
    for (uint16_t word : {e.kind, e.id, e.flags, e.hotKey, e.column, e.row, e.width, e.height})
      Word(word);
    Word(0);
    Word(0);
  }
};

consteval std::array<unsigned char, kTemplateBytes> BuildTemplate() {
  TemplateWriter out;
  out.Dword(kTemplateBytes - 4);
  out.Word(kBodyBytes);
  out.Word(kElementCount);
  for (uint16_t word : {0xFFFF, 1, 0, 0, 0, 0}) out.Word(word);
  out.Word(kFormWidth);
  out.Word(kFormHeight);
  out.Word(0);
  out.Word(0);
  out.Text(kTitle.c_str());
  for (const FormElement &e : kElements) {
    if (e.kind == kField) {
      out.Word(kField);
      out.Word(FieldLength(e));
      out.Head(e);
      for (int i = 0; i < 8; ++i) out.Byte(0);
      for (uint16_t i = 0; i < e.dataWords; ++i) out.Word(e.data[i]);
      out.Byte(0);
    } else {
      out.Head(e);
      out.Text(e.text);
    }
  }
  // Every byte written, no more: a mismatch stops the build here.
  if (out.at != kTemplateBytes) TemplateSizeMismatch();
  return out.bytes;
}

constexpr std::array<unsigned char, kTemplateBytes> kTemplate = BuildTemplate();

}  // namespace

const unsigned char *const kStartFormTemplate = kTemplate.data();
const size_t kStartFormTemplateSize = kTemplate.size();
