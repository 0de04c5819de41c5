// Both forms are built at compile time by one writer: a first pass counts
// the bytes, the second writes them.  Esc closes a form without OK, as in
// every host form.
#include "recorder/session/recorder_form.h"

#include <string.h>

#include <array>
#include <initializer_list>

#include "plugin/contract/host_text.h"
#include "plugin/contract/host_values.h"
#include "plugin/contract/macro_commands.h"

namespace {

enum ElementKind : uint16_t { kButton = 0, kLabel = 3, kNote = 4, kField = 5 };

constexpr uint16_t kNoId = 0xFFFF;
constexpr uint16_t kOkId = 0x5001;
constexpr uint16_t kLabelId = 0x4102;
constexpr uint16_t kAltP = 0x1900;
constexpr uint16_t kDefaultButton = 0x0004;  // Enter in the field presses OK
constexpr uint16_t kTextFieldFlags = 0x8400;
// The command buttons close the form with these answers, in table order.
constexpr uint16_t kFirstCommandId = 0x5010;

// Room for a key's name in the start form's note.
constexpr size_t kKeyNameRoom = 13;
#define RECORDER_KEY_SLOT "             "
static_assert(sizeof RECORDER_KEY_SLOT - 1 == kKeyNameRoom);

// clang-format off
constexpr auto kTitle = ToHostText("Nagrywanie makra");
constexpr auto kLabelText = ToHostText("~P~lik nagrania:");
constexpr auto kOkText = ToHostText("\x05" "F12" "\x01" " OK");
constexpr auto kNoteText = ToHostText(
    "\x05" "Esc" "\x01" " - rezygnacja.\n"
    "Koniec nagrywania: klawisz " RECORDER_KEY_SLOT "\n"
    "Lista poleceń: klawisz " RECORDER_KEY_SLOT);
constexpr auto kCommandTitle = ToHostText("Polecenie do nagrania");
constexpr auto kCommandNote = ToHostText(
    "\x05" "Enter" "\x01" " - wpisz wybrane polecenie do nagrania,  "
    "\x05" "Esc" "\x01" " - nic nie wpisuj.\n"
    "Polecenie wykona Tastiromatika przy odtwarzaniu nagrania.");
// clang-format on

// The text field: 257 characters (type 8) at offset 0 of the record.
constexpr uint16_t kFieldData[] = {257, 8, 0, 257, 1};
constexpr size_t kHeadBytes = 10 * 2;
constexpr size_t kFieldLength = kHeadBytes + 8 + sizeof kFieldData;

// Writes a form template into `bytes` (N bytes); with N = 0 only counts.
template <size_t N>
struct Writer {
  std::array<unsigned char, N == 0 ? 1 : N> bytes{};
  size_t at = 0;
  constexpr void Byte(unsigned v) {
    if (at < N) bytes[at] = static_cast<unsigned char>(v);
    ++at;
  }
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
  // The form's size words and element count, then its header and title.
  constexpr void Start(uint16_t elements, uint16_t width, uint16_t height, const char *title) {
    Word((N - 4) & 0xFFFF);
    Word((N - 4) >> 16);
    Word(N - 8);
    Word(elements);
    Head({0xFFFF, 1, 0, 0, 0, 0, width, height});
    Text(title);
  }
};

template <size_t N>
constexpr Writer<N> WriteStartForm() {
  Writer<N> out;
  out.Start(4, 48, 9, kTitle.c_str());
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
  out.Head({kNote, kNoId, 0, 0, 2, 6, 45, 3});
  out.Text(kNoteText.c_str());
  return out;
}

// One row per command: its name on a button, its description beside it.
template <size_t N>
constexpr Writer<N> WriteCommandForm() {
  Writer<N> out;
  out.Start(2 * kMacroCommandCount + 1, 78, kMacroCommandCount + 4, kCommandTitle.c_str());
  uint16_t row = 1;
#define RECORDER_COMMAND_ROW(Id, name, english, polish)                              \
  out.Head({kButton, static_cast<uint16_t>(kFirstCommandId + row - 1), 0, 0, 2, row, 12, 1}); \
  out.Text(name);                                                                    \
  out.Head({kNote, kNoId, 0, 0, 15, row, 62, 1});                                    \
  out.Text(ToHostText(polish).c_str());                                              \
  ++row;
  MACRO_COMMAND_TABLE(RECORDER_COMMAND_ROW)
#undef RECORDER_COMMAND_ROW
  out.Head({kNote, kNoId, 0, 0, 2, static_cast<uint16_t>(row + 1), 74, 2});
  out.Text(kCommandNote.c_str());
  return out;
}

constexpr size_t kStartBytes = WriteStartForm<0>().at;
constexpr size_t kCommandBytes = WriteCommandForm<0>().at;
constexpr Writer<kStartBytes> kStartForm = WriteStartForm<kStartBytes>();
constexpr Writer<kCommandBytes> kCommandForm = WriteCommandForm<kCommandBytes>();
static_assert(kStartForm.at == kStartBytes && kCommandForm.at == kCommandBytes);

// The start form is written once more at activation: the keys' names go
// into its note.
std::array<unsigned char, kStartBytes> g_startForm = kStartForm.bytes;

// Where the two slots of the note lie in the start form: the last
// kKeyNameRoom bytes of each run of that many blanks or more.
constexpr size_t kNoteStart = kStartBytes - (kNoteText.size() + 1);
constexpr size_t SlotAt(int which) {
  int found = 0;
  size_t run = 0;
  for (size_t i = 0; i <= kNoteText.size(); ++i) {
    if (i < kNoteText.size() && kNoteText.bytes[i] == ' ') {
      ++run;
      continue;
    }
    if (run >= kKeyNameRoom && found++ == which) return kNoteStart + i - kKeyNameRoom;
    run = 0;
  }
  return 0;
}

void WriteSlot(size_t at, const char *name) {
  size_t length = strlen(name);
  if (length > kKeyNameRoom) length = kKeyNameRoom;
  memset(&g_startForm[at], ' ', kKeyNameRoom);
  memcpy(&g_startForm[at], name, length);
}

}  // namespace

const unsigned char *RecorderFormTemplate() { return g_startForm.data(); }
size_t RecorderFormTemplateSize() { return g_startForm.size(); }

void RecorderFormKeys(const char *hotKey, const char *commandKey) {
  static_assert(SlotAt(0) != 0 && SlotAt(1) != 0, "the note holds both slots");
  WriteSlot(SlotAt(0), hotKey);
  WriteSlot(SlotAt(1), commandKey);
}

const unsigned char *const kCommandFormTemplate = kCommandForm.bytes.data();
const size_t kCommandFormTemplateSize = kCommandForm.bytes.size();

int CommandOfAnswer(uint32_t answer) {
  uint32_t index = answer - kFirstCommandId;
  return index < static_cast<uint32_t>(kMacroCommandCount) ? static_cast<int>(index) : -1;
}

extern "C" int32_t HOST_STDCALL RecorderFormCallback(uint32_t, uint32_t) {
  return host::kCallbackNotHandled;
}
