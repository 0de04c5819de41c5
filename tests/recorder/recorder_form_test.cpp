// The recorder's two forms read by the stand-in host's own form reader:
// what the host makes of the bytes is what the recorder's record and
// answers expect.
#include <string>

#include <gtest/gtest.h>

#include "host/app/core/form_template.h"
#include "plugin/contract/host_values.h"
#include "plugin/contract/macro_commands.h"
#include "recorder/session/recorder_form.h"
#include "recorder/writer/key_writer.h"

namespace {

using namespace host::form;

volmar::FormTemplate Read(const unsigned char *bytes, size_t size) {
  volmar::FormTemplate form;
  std::string error;
  EXPECT_EQ(size, volmar::FormTemplateSize(bytes));
  EXPECT_TRUE(volmar::ReadFormTemplate(bytes, size, form, error)) << error;
  return form;
}

TEST(RecorderForms, TheStartFormEditsTheRecordsFileNameAndConfirmsWithF12) {
  volmar::FormTemplate form = Read(RecorderFormTemplate(), RecorderFormTemplateSize());
  ASSERT_EQ(4u, form.elements.size());
  const uint16_t kinds[] = {kLabel, kField, kButton, kNote};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(kinds[i], form.elements[i].kind) << i;
  const volmar::FormElement &field = form.elements[1];
  EXPECT_EQ(host::kFileNameField, field.id);
  EXPECT_EQ(kTextField, field.fieldType);
  EXPECT_EQ(0u, field.recordOffset);
  EXPECT_EQ(sizeof(RecorderFormRecord::fileName) - 1, field.maxChars);
  EXPECT_EQ(sizeof(RecorderFormRecord), form.recordSize);
  const volmar::FormElement &ok = form.elements[2];
  EXPECT_EQ(host::kFormConfirmed, ok.id);
  EXPECT_EQ(host::kKeyF12, ok.hotKey);
  EXPECT_NE(0, ok.flags & kDefaultButton) << "Enter in the field presses OK";
}

// A button per command whose answer stands for that command, a note beside
// each, and a closing note; no field, so the record is never written.
TEST(RecorderForms, TheCommandListAnswersWithEachCommandInTableOrder) {
  volmar::FormTemplate form = Read(kCommandFormTemplate, kCommandFormTemplateSize);
  ASSERT_EQ(2u * kMacroCommandCount + 1, form.elements.size());
  for (int command = 0; command < kMacroCommandCount; ++command) {
    const volmar::FormElement &button = form.elements[2 * command];
    EXPECT_EQ(kButton, button.kind) << command;
    EXPECT_EQ(kPlayerCommandNames[command], button.text);
    EXPECT_EQ(command, CommandOfAnswer(button.id));
    EXPECT_EQ(kNote, form.elements[2 * command + 1].kind) << command;
  }
  EXPECT_EQ(kNote, form.elements.back().kind);
  EXPECT_EQ(0u, form.recordSize);
}

}  // namespace
