// The form reader against the plug-in's own start-form template (whose
// bytes tests/plugin/form_template_test.cpp holds against a dump by hand).
#include <gtest/gtest.h>

#include "host/app/core/form_template.h"
#include "player/start/start_form.h"

namespace volmar {
namespace {

using namespace host::form;

struct Expected {
  uint16_t kind, id, flags, hotKey, column, row, width, height;
  const char *text;
};

const Expected kStartForm[7] = {
    {kButton, 0x3D00, 0x0180, 0x3D00, 2, 2, 10, 1, "\x01" "c\x05" "F3\x01 Plik"},
    {kLabel, 0x4102, 0, 0x1900, 1, 1, 1, 1, " "},
    {kField, 0x4101, 0x8400, 0, 12, 2, 33, 1, ""},
    {kLabel, 0x4103, 0, 0x004B, 2, 4, 32, 1, "Przerwa mi\x91" "dzy ~k~lawiszami [ms]:"},
    {kField, 0x4104, 0x0400, 0, 34, 4, 11, 1, ""},
    {kButton, 0x5001, 0x0004, 0x8600, 18, 6, 10, 1, "\x05" "F12\x01 OK"},
    {kNote, 0xFFFF, 0, 0, 2, 8, 45, 2,
     "Zatrzymanie dzia\x92" "aj\x86" "cgo makra:  \x05\xFF" "Shift+F11\xFF\x01"},
};

void ExpectStartForm(const FormTemplate &form) {
  EXPECT_EQ("Tastiromatika", form.title);
  EXPECT_EQ(48, form.width);
  EXPECT_EQ(10, form.height);
  ASSERT_EQ(7u, form.elements.size());
  for (size_t i = 0; i < 7; ++i) {
    const FormElement &got = form.elements[i];
    const Expected &want = kStartForm[i];
    SCOPED_TRACE(i + 1);
    EXPECT_EQ(want.kind, got.kind);
    EXPECT_EQ(want.id, got.id);
    EXPECT_EQ(want.flags, got.flags);
    if (want.kind != kNote) {
      EXPECT_EQ(want.hotKey, got.hotKey);
    }
    EXPECT_EQ(want.column, got.column);
    EXPECT_EQ(want.row, got.row);
    EXPECT_EQ(want.width, got.width);
    EXPECT_EQ(want.height, got.height);
    EXPECT_EQ(want.text, got.text);
  }
  // The fields lie where the start-form record keeps them.
  EXPECT_EQ(kTextField, form.elements[2].fieldType);
  EXPECT_EQ(257, form.elements[2].maxChars);
  EXPECT_EQ(0u, form.elements[2].recordOffset);
  EXPECT_EQ((std::vector<uint16_t>{257, 8, 0, 257, 1}), form.elements[2].data);
  EXPECT_EQ(kNumberField, form.elements[4].fieldType);
  EXPECT_EQ(258u, form.elements[4].recordOffset);
  EXPECT_EQ((std::vector<uint16_t>{6, 1, 0x40, 0, 0x8001, 0x7FFF}), form.elements[4].data);
  EXPECT_EQ(260u, form.recordSize);
}

TEST(FormTemplate, ReadsThePluginsOwnStartFormTemplate) {
  const auto *bytes = static_cast<const uint8_t *>(kStartFormTemplate);
  ASSERT_EQ(kStartFormTemplateSize, FormTemplateSize(bytes));
  FormTemplate form;
  std::string error;
  ASSERT_TRUE(ReadFormTemplate(bytes, kStartFormTemplateSize, form, error)) << error;
  ExpectStartForm(form);
}

TEST(FormTemplate, RejectsDamagedTemplates) {
  const std::vector<uint8_t> good(kStartFormTemplate, kStartFormTemplate + kStartFormTemplateSize);
  struct Damage {
    const char *what;
    size_t at;      // byte to change, or the size to cut to
    uint8_t value;
    bool cut;
  } damages[] = {
      {"count beyond the bytes", 0, 0xFF, false},
      {"element byte count off by one", 4, static_cast<uint8_t>(good[4] + 1), false},
      {"header not starting with 0xFFFF", 8, 0x00, false},
      {"an element of unknown kind", 8 + 20 + 14, 9, false},  // the first element's kind
      {"cut in the middle", 60, 0, true},
  };
  for (const Damage &damage : damages) {
    std::vector<uint8_t> bytes = good;
    if (damage.cut) bytes.resize(damage.at);
    else bytes[damage.at] = damage.value;
    FormTemplate form;
    std::string error;
    EXPECT_FALSE(ReadFormTemplate(bytes.data(), bytes.size(), form, error)) << damage.what;
    EXPECT_FALSE(error.empty()) << damage.what;
  }
}

}  // namespace
}  // namespace volmar
