// The host's form format: the template a plug-in hands to HostRunForm, and
// the one writer of it, run at compile time.  The player's and the
// recorder's forms are written with it; the stand-in host reads templates
// by the same names (host/app/core/form_template.h).
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
// A field's data description starts with its size and its type.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <array>

namespace host::form {

enum ElementKind : uint16_t { kButton = 0, kLabel = 3, kNote = 4, kField = 5 };

// The second word of a field's data description.
enum FieldType : uint16_t {
  kNumberField = 1,  // a 16-bit number
  kTextField = 8,    // a text of at most `size` characters
};

// Flags words.  The host's engine acts on kDefaultButton; the other words
// are the ones the plug-ins' forms have always carried for their file
// button and their two kinds of field, written here once.
inline constexpr uint16_t kDefaultButton = 0x0004;     // Enter in a field presses this button
inline constexpr uint16_t kFileButtonFlags = 0x0180;   // a button that opens the file picker
inline constexpr uint16_t kTextFieldFlags = 0x8400;    // a text field
inline constexpr uint16_t kNumberFieldFlags = 0x0400;  // a number field

inline constexpr uint16_t kHeaderMark = 0xFFFF;  // the form header's first word
inline constexpr uint16_t kNoId = 0xFFFF;        // a note's id: nothing answers to it
inline constexpr uint16_t kNoHotKey = 0;

// The ten words every element starts with: kind to height, then two zeros.
inline constexpr size_t kElementHeadBytes = 10 * 2;
// The zero bytes between a field's head and its data description.
inline constexpr size_t kFieldGapBytes = 8;

// A field's length word, for `dataWords` words of data description.
constexpr size_t FieldLength(size_t dataWords) {
  return kElementHeadBytes + kFieldGapBytes + 2 * dataWords;
}

// The words of an element's head that vary.
struct Element {
  uint16_t kind;
  uint16_t id;
  uint16_t flags;
  uint16_t hotKey;
  uint16_t column;
  uint16_t row;
  uint16_t width;
  uint16_t height;
};

namespace detail {
// Called only where a template breaks the format; not a constant
// expression, so the build stops there.
inline void TemplateBreaksTheFormat() {}
}  // namespace detail

// Writes a template into N bytes; with N = 0 it only counts them.  A form
// is written twice so (TemplateSize, then WriteTemplate): the first pass
// gives the size of the array the second fills.  Form() comes first,
// Finish() last, which writes the counts at the front.
template <size_t N>
struct Writer {
  std::array<unsigned char, N == 0 ? 1 : N> bytes{};
  size_t at = 0;
  uint16_t elements = 0;

  constexpr void Form(uint16_t width, uint16_t height, const char *title) {
    for (int i = 0; i < 4; ++i) Word(0);  // the counts, once they are known
    Head({kHeaderMark, 1, 0, 0, 0, 0, width, height});
    Text(title);
  }
  // A button, a label or a note, with its host text.
  constexpr void Item(const Element &e, const char *text) {
    if (e.kind == kField) detail::TemplateBreaksTheFormat();
    Head(e);
    Text(text);
    ++elements;
  }
  // A field, with its data description of `words` words.
  constexpr void Field(const Element &e, const uint16_t *data, size_t words) {
    if (e.kind != kField) detail::TemplateBreaksTheFormat();
    Word(kField);
    Word(FieldLength(words));
    Head(e);
    for (size_t i = 0; i < kFieldGapBytes; ++i) Byte(0);
    for (size_t i = 0; i < words; ++i) Word(data[i]);
    Byte(0);
    ++elements;
  }
  template <size_t W>
  constexpr void Field(const Element &e, const uint16_t (&data)[W]) {
    Field(e, data, W);
  }
  // The three counts at the front; every byte of N written, no more.
  constexpr void Finish() {
    if (at - 8 > 0xFFFF || (N != 0 && at != N)) detail::TemplateBreaksTheFormat();
    size_t end = at;
    at = 0;
    Word((end - 4) & 0xFFFF);
    Word((end - 4) >> 16);
    Word(end - 8);
    Word(elements);
    at = end;
  }

  constexpr void Byte(unsigned value) {
    if (at < N) bytes[at] = static_cast<unsigned char>(value);
    ++at;
  }
  constexpr void Word(size_t value) {
    Byte(value & 0xFF);
    Byte((value >> 8) & 0xFF);
  }
  constexpr void Text(const char *text) {
    for (size_t i = 0; text[i] != 0; ++i) Byte(static_cast<unsigned char>(text[i]));
    Byte(0);
  }
  constexpr void Head(const Element &e) {
    for (uint16_t word : {e.kind, e.id, e.flags, e.hotKey, e.column, e.row, e.width, e.height})
      Word(word);
    Word(0);
    Word(0);
  }
};

// The bytes of the template that `write` (a callable taking any Writer<N>&)
// writes between Form() and Finish().
template <typename Write>
consteval size_t TemplateSize(Write write) {
  Writer<0> out;
  write(out);
  out.Finish();
  return out.at;
}

// The template itself, in an array of its own size:
//   constexpr auto kTemplate = WriteTemplate<TemplateSize(kWrite)>(kWrite);
template <size_t N, typename Write>
consteval std::array<unsigned char, N> WriteTemplate(Write write) {
  Writer<N> out;
  write(out);
  out.Finish();
  return out.bytes;
}

}  // namespace host::form
