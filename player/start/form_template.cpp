// The start form in the host's form format (plugin/contract/form_format.h),
// written at compile time: seven elements in template order.
#include <stddef.h>
#include <stdint.h>

#include <array>

#include "plugin/contract/form_format.h"
#include "plugin/contract/host_text.h"
#include "plugin/contract/host_values.h"
#include "player/start/start_form.h"

namespace {

using namespace host::form;

// An id or key of the contract as the template's 16-bit word.
constexpr uint16_t Id(uint32_t value) { return static_cast<uint16_t>(value); }

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

// The file-name field edits the 257 characters of the record's file name;
// the delay field its 16-bit delay.
constexpr uint16_t kFileNameData[] = {257, kTextField, 0, 257, 1};
constexpr uint16_t kDelayData[] = {6, kNumberField, 0x40, 0, 0x8001, 0x7FFF};
static_assert(FieldLength(std::size(kFileNameData)) == 38 && FieldLength(std::size(kDelayData)) == 40,
              "the field lengths the host's form engine expects");

constexpr auto kWriteForm = [](auto &out) {
  out.Form(kFormWidth, kFormHeight, kTitle.c_str());
  // kind, id, flags, hot key, column, row, width, height
  out.Item({kButton, Id(host::kFileButton), kFileButtonFlags, Id(host::kKeyF3), 2, 2, 10, 1},
           kFileButtonText.c_str());
  out.Item({kLabel, Id(host::kFileLabel), 0, Id(host::kKeyAltP), 1, 1, 1, 1}, kFileLabelText.c_str());
  out.Field({kField, Id(host::kFileNameField), kTextFieldFlags, kNoHotKey, 12, 2, 33, 1}, kFileNameData);
  out.Item({kLabel, Id(host::kDelayLabel), 0, Id(host::kKeyLetterK), 2, 4, 32, 1},
           kDelayLabelText.c_str());
  out.Field({kField, Id(host::kDelayField), kNumberFieldFlags, kNoHotKey, 34, 4, 11, 1}, kDelayData);
  out.Item({kButton, Id(host::kOkButton), kDefaultButton, Id(host::kKeyF12), 18, 6, 10, 1},
           kOkButtonText.c_str());
  out.Item({kNote, kNoId, 0, kNoHotKey, 2, 8, 45, 2}, kNoteText.c_str());
};

constexpr std::array<unsigned char, TemplateSize(kWriteForm)> kTemplate =
    WriteTemplate<TemplateSize(kWriteForm)>(kWriteForm);

}  // namespace

const unsigned char *const kStartFormTemplate = kTemplate.data();
const size_t kStartFormTemplateSize = kTemplate.size();
