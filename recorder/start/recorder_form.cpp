// The recorder's start form in the host's own form format (the layout the
// player's start form uses): a label, the file-name field, OK (F12) and a
// note.  Esc closes the form without OK, as in every host form.
#include "recorder/start/recorder_form.h"

#include <array>

#include "plugin/contract/host_text.h"
#include "plugin/contract/host_values.h"

namespace {

enum ElementKind : uint16_t { kButton = 0, kLabel = 3, kNote = 4, kField = 5 };

constexpr uint16_t kNoId = 0xFFFF;
constexpr uint16_t kOkId = 0x5001;
constexpr uint16_t kLabelId = 0x4102;
constexpr uint16_t kAltP = 0x1900;
constexpr uint16_t kDefaultButton = 0x0004;  // Enter in the field presses OK
constexpr uint16_t kTextFieldFlags = 0x8400;

// clang-format off
constexpr auto kTitle = ToHostText("Nagrywanie makra");
constexpr auto kLabelText = ToHostText("~P~lik nagrania:");
constexpr auto kOkText = ToHostText("\x05" "F12" "\x01" " OK");
constexpr auto kNoteText = ToHostText(
    "\x05" "Esc" "\x01" " - rezygnacja.\n" "Koniec nagrywania: ten sam klawisz.");
// clang-format on

constexpr uint16_t kFormWidth = 48;
constexpr uint16_t kFormHeight = 8;
// The text field: 257 characters (type 8) at offset 0 of the record.
constexpr uint16_t kFieldData[] = {257, 8, 0, 257, 1};
constexpr size_t kHeadBytes = 10 * 2;
constexpr size_t kFieldLength = kHeadBytes + 8 + sizeof kFieldData;

constexpr size_t Bytes(const char *text) {
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n + 1;
}

constexpr size_t kBodyBytes = kHeadBytes + Bytes(kTitle.c_str()) + kHeadBytes + Bytes(kLabelText.c_str()) +
                              4 + kFieldLength + 1 + kHeadBytes + Bytes(kOkText.c_str()) + kHeadBytes +
                              Bytes(kNoteText.c_str());
constexpr size_t kTemplateBytes = 4 + 2 + 2 + kBodyBytes;

inline void TemplateSizeMismatch() {}

struct Writer {
  std::array<unsigned char, kTemplateBytes> bytes{};
  size_t at = 0;
  constexpr void Byte(unsigned v) { bytes[at++] = static_cast<unsigned char>(v); }
  constexpr void Word(size_t v) {
    Byte(v & 0xFF);
    Byte((v >> 8) & 0xFF);
  }
  constexpr void Text(const char *t) {
    for (size_t i = 0; t[i] != 0; ++i) Byte(static_cast<unsigned char>(t[i]));
    Byte(0);
  }
  // kind, id, flags, hot key, column, row, width, height, 0, 0
  constexpr void Head(std::initializer_list<uint16_t> words) {
    for (uint16_t w : words) Word(w);
    Word(0);
    Word(0);
  }
};

consteval std::array<unsigned char, kTemplateBytes> Build() {
  Writer out;
  out.Word((kTemplateBytes - 4) & 0xFFFF);
  out.Word((kTemplateBytes - 4) >> 16);
  out.Word(kBodyBytes);
  out.Word(4);  // elements
  out.Head({0xFFFF, 1, 0, 0, 0, 0, kFormWidth, kFormHeight});
  out.Text(kTitle.c_str());
  out.Head({kLabel, kLabelId, 0, kAltP, 2, 1, 16, 1});
  out.Text(kLabelText.c_str());
  out.Word(kField);
  out.Word(kFieldLength);
  out.Head({kField, static_cast<uint16_t>(host::kFileNameField), kTextFieldFlags, 0, 2, 2, 44, 1});
  for (int i = 0; i < 8; ++i) out.Byte(0);
  for (uint16_t w : kFieldData) out.Word(w);
  out.Byte(0);
  out.Head({kButton, kOkId, kDefaultButton, static_cast<uint16_t>(host::kKeyF12), 18, 4, 10, 1});
  out.Text(kOkText.c_str());
  out.Head({kNote, kNoId, 0, 0, 2, 6, 45, 2});
  out.Text(kNoteText.c_str());
  if (out.at != kTemplateBytes) TemplateSizeMismatch();
  return out.bytes;
}

constexpr std::array<unsigned char, kTemplateBytes> kTemplate = Build();

}  // namespace

const unsigned char *const kRecorderFormTemplate = kTemplate.data();
const size_t kRecorderFormTemplateSize = kTemplate.size();

extern "C" int32_t HOST_STDCALL RecorderFormCallback(uint32_t, uint32_t) {
  return host::kCallbackNotHandled;
}
