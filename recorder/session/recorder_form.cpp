// Both forms are written at compile time in the host's form format
// (plugin/contract/form_format.h).  Esc closes a form without OK, as in
// every host form.
#include "recorder/session/recorder_form.h"

#include <string.h>

#include <array>

#include "plugin/contract/form_format.h"
#include "plugin/contract/host_text.h"
#include "plugin/contract/host_values.h"
#include "plugin/contract/macro_commands.h"

namespace {

using namespace host::form;

constexpr uint16_t kOkId = 0x5001;
constexpr uint16_t kLabelId = 0x4102;
constexpr uint16_t kAltP = 0x1900;
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
constexpr uint16_t kFieldData[] = {257, kTextField, 0, 257, 1};

constexpr uint16_t kFieldId = host::kFileNameField;
constexpr uint16_t kOkKey = host::kKeyF12;

constexpr auto kWriteStartForm = [](auto &out) {
  out.Form(48, 9, kTitle.c_str());
  // kind, id, flags, hot key, column, row, width, height
  out.Item({kLabel, kLabelId, 0, kAltP, 2, 1, 16, 1}, kLabelText.c_str());
  out.Field({kField, kFieldId, kTextFieldFlags, kNoHotKey, 2, 2, 44, 1}, kFieldData);
  // Enter in the field presses OK.
  out.Item({kButton, kOkId, kDefaultButton, kOkKey, 18, 4, 10, 1}, kOkText.c_str());
  out.Item({kNote, kNoId, 0, kNoHotKey, 2, 6, 45, 3}, kNoteText.c_str());
};

// One row per command: its name on a button, its description beside it.
constexpr auto kWriteCommandForm = [](auto &out) {
  out.Form(78, kMacroCommandCount + 4, kCommandTitle.c_str());
  uint16_t row = 1;
  uint16_t id = kFirstCommandId;
#define RECORDER_COMMAND_ROW(Id, name, english, polish)           \
  out.Item({kButton, id++, 0, kNoHotKey, 2, row, 12, 1}, name); \
  out.Item({kNote, kNoId, 0, kNoHotKey, 15, row++, 62, 1}, ToHostText(polish).c_str());
  MACRO_COMMAND_TABLE(RECORDER_COMMAND_ROW)
#undef RECORDER_COMMAND_ROW
  out.Item({kNote, kNoId, 0, kNoHotKey, 2, static_cast<uint16_t>(row + 1), 74, 2},
           kCommandNote.c_str());
};

constexpr size_t kStartBytes = TemplateSize(kWriteStartForm);
constexpr size_t kCommandBytes = TemplateSize(kWriteCommandForm);
constexpr std::array<unsigned char, kCommandBytes> kCommandForm =
    WriteTemplate<kCommandBytes>(kWriteCommandForm);

// The start form is written once more at activation: the keys' names go
// into its note.
std::array<unsigned char, kStartBytes> g_startForm = WriteTemplate<kStartBytes>(kWriteStartForm);

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

const unsigned char *const kCommandFormTemplate = kCommandForm.data();
const size_t kCommandFormTemplateSize = kCommandForm.size();

int CommandOfAnswer(uint32_t answer) {
  uint32_t index = answer - kFirstCommandId;
  return index < static_cast<uint32_t>(kMacroCommandCount) ? static_cast<int>(index) : -1;
}

extern "C" int32_t HOST_STDCALL RecorderFormCallback(uint32_t, uint32_t) {
  return host::kCallbackNotHandled;
}
