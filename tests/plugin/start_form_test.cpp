// The start branch and the start form's field callback.
#include <stdio.h>
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "plugin/contract/host_values.h"
#include "player/entry/key_filter.h"
#include "player/playback/player_state.h"
#include "plugin/keys/key_names.h"
#include "player/start/settings.h"
#include "player/start/start_form.h"
#include "tests/plugin/fake_host.h"

namespace {

const std::u16string kKeysPath = u"C:\\VOLMAR\\" + std::u16string(kKeyFileRelativePath);
const char kMacro[] = "C:\\m\\demo.txt";
const char16_t kDemoMacroPath[] = u"C:\\m\\demo.txt";
const char16_t kDemoLogPath[] = u"C:\\m\\demo.log";

class StartBranchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.Install();
    // The key-name table reads this file; give it one so that loading it
    // shows no message of its own.
    host.AddFile(kKeysPath, "#define F1 0x3B00\n");
    host.AddFile(kDemoMacroPath, "abc");
    strcpy(g_startForm.fileName, kMacro);
    g_startForm.keyDelay = 100;
  }

  // The form shows the record, the user edits it and closes the form with
  // `result`.
  void UserEdits(const char *name, uint16_t delay, int32_t result = host::kFormConfirmed) {
    editedName = name;
    editedDelay = delay;
    host.handlers.HostRunForm = [this, result](const void *formTemplate, int32_t, void *record,
                                               FieldCallback callback) -> int32_t {
      EXPECT_EQ(kStartFormTemplate, formTemplate);
      EXPECT_EQ(&g_startForm, record);
      EXPECT_EQ(&StartFormFieldCallback, callback);
      StartFormRecord *form = static_cast<StartFormRecord *>(record);
      strcpy(form->fileName, editedName.c_str());
      form->keyDelay = editedDelay;
      return result;
    };
  }

  // The calls the start branch makes itself; the key-name table's own
  // reading of keys.h is left out.
  std::string BranchTrace() const {
    std::string text;
    for (const HostCall &call : host.calls) {
      if (call.args.find("keys.h") != std::string::npos) continue;
      for (const char *name :
           {"HostPrepareText", "HostRunForm", "HostProfile", "HostConvertText", "HostFileOpenW",
            "HostErrorMessageF", "HostPathAddExtensionW", "HostFileSeek"})
        if (call.name == name) text += call.Text() + "\n";
    }
    return text;
  }

  FakeHost &host = FakeHost::Get();
  std::string editedName;
  uint16_t editedDelay = 0;
};

const char kFormRun[] =
    "HostPrepareText(\"C:\\\\m\\\\demo.txt\", 258)\n"
    "HostRunForm(ptr, 1, ptr, callback)\n";
const char kMacroOpen[] =
    "HostConvertText(\"to buffer\", 520, -1, 1, 5)\n"
    "HostFileOpenW(u\"C:\\\\m\\\\demo.txt\", u\"rt\", 64, 0, -1)\n"
    "HostPathAddExtensionW(u\"C:\\\\m\\\\demo.txt\", 260, u\".log\")\n"
    "HostFileOpenW(u\"C:\\\\m\\\\demo.log\", u\"rt+\", 64, 0, -1)\n";

TEST_F(StartBranchTest, UnchangedFormStoresNothingAndOpensTheMacro) {
  UserEdits(kMacro, 100);
  RunStartBranch();
  EXPECT_EQ(std::string(kFormRun) + kMacroOpen, BranchTrace());
  EXPECT_NE(0u, g_player.macroFile);
  EXPECT_EQ(0u, g_player.logFile);  // no log beside the macro
  EXPECT_TRUE(host.profile.empty());
  EXPECT_TRUE(host.errorMessages.empty());
  EXPECT_EQ("rt", host.files.Mode(kDemoMacroPath));
}

TEST_F(StartBranchTest, ConfirmationIsReadFromTheLow16Bits) {
  UserEdits(kMacro, 100, 0x00015001);
  RunStartBranch();
  EXPECT_NE(0u, g_player.macroFile);
}

TEST_F(StartBranchTest, OnlyTheChangedFieldIsStored) {
  struct Case {
    const char *name;
    uint16_t delay;
    const char *stores;
    const char *file;
    const char *delayText;
  };
  const Case cases[] = {
      {"C:\\m\\Demo.txt", 100,  // letter case counts
       "HostProfile(9, \"MacroFormFile\", \"File\", \"%s\")\n", "C:\\m\\Demo.txt", nullptr},
      {kMacro, 250, "HostProfile(9, \"MacroFormFile\", \"Delay\", \"%d\")\n", nullptr, "250"},
      // The delay is widened without sign: 40000 stays 40000.
      {kMacro, 40000, "HostProfile(9, \"MacroFormFile\", \"Delay\", \"%d\")\n", nullptr, "40000"},
      {"C:\\m\\x.txt", 0,
       "HostProfile(9, \"MacroFormFile\", \"File\", \"%s\")\n"
       "HostProfile(9, \"MacroFormFile\", \"Delay\", \"%d\")\n",
       "C:\\m\\x.txt", "0"},
  };
  for (const Case &c : cases) {
    SetUp();
    UserEdits(c.name, c.delay);
    RunStartBranch();
    std::string trace = BranchTrace();
    size_t open = trace.find("HostConvertText");
    EXPECT_EQ(std::string(kFormRun) + c.stores, trace.substr(0, open)) << c.name << c.delay;
    EXPECT_EQ(c.file != nullptr, host.profile.count("MacroFormFile/File") == 1) << c.name;
    if (c.file) {
      EXPECT_EQ(c.file, host.profile["MacroFormFile/File"]);
    }
    EXPECT_EQ(c.delayText != nullptr, host.profile.count("MacroFormFile/Delay") == 1) << c.delay;
    if (c.delayText) {
      EXPECT_EQ(c.delayText, host.profile["MacroFormFile/Delay"]);
    }
  }
}

TEST_F(StartBranchTest, WhatHostPrepareTextChangesIsNoChangeOfTheUser) {
  host.handlers.HostPrepareText = [](char *text, int32_t) {
    text[5] = 'D';  // C:\m\Demo.txt
    return 0;
  };
  UserEdits("C:\\m\\Demo.txt", 100);
  RunStartBranch();
  EXPECT_EQ(0u, host.Count("HostProfile"));
}

TEST_F(StartBranchTest, ClosedWithoutOkNothingIsStoredOrOpened) {
  UserEdits("C:\\m\\other.txt", 7, 0x5002);
  RunStartBranch();
  EXPECT_EQ(kFormRun, BranchTrace());
  EXPECT_EQ(0u, g_player.macroFile);
  // The record keeps what the form left; it is not restored.
  EXPECT_STREQ("C:\\m\\other.txt", g_startForm.fileName);
  EXPECT_EQ(7, g_startForm.keyDelay);
}

TEST_F(StartBranchTest, NameThatCannotBeOpenedIsStoredAllTheSame) {
  host.files.openErrno = 13;
  host.files.openDosErrno = 5;
  UserEdits("C:\\m\\nie ma.txt", 100);
  RunStartBranch();
  EXPECT_EQ(std::string(kFormRun) +
                "HostProfile(9, \"MacroFormFile\", \"File\", \"%s\")\n"
                "HostConvertText(\"to buffer\", 520, -1, 1, 5)\n"
                "HostFileOpenW(u\"C:\\\\m\\\\nie ma.txt\", u\"rt\", 64, 0, -1)\n"
                "HostErrorMessageF(13, 5, \"B\\x92\\x86d %d (systemowy %d) przy "
                "\\x92adowaniu makra z pliku '%s'\\n\\n\", u\"C:\\\\m\\\\nie ma.txt\", 0xE001)\n",
            BranchTrace());
  ASSERT_EQ(1u, host.errorMessages.size());
  EXPECT_EQ("B\x92\x86" "d 13 (systemowy 5) przy \x92" "adowaniu makra z pliku "
            "'C:\\m\\nie ma.txt'\n\n",
            host.errorMessages[0]);
  EXPECT_EQ(0u, g_player.macroFile);
  EXPECT_EQ(0u, g_player.logFile);
  // The next activation brings the name back.
  LoadSettings();
  EXPECT_STREQ("C:\\m\\nie ma.txt", g_startForm.fileName);
}

TEST_F(StartBranchTest, EmptyNameShowsNothingBetweenTheApostrophes) {
  UserEdits("", 100);
  RunStartBranch();
  ASSERT_EQ(1u, host.errorMessages.size());
  EXPECT_EQ("B\x92\x86" "d 2 (systemowy 2) przy \x92" "adowaniu makra z pliku ''\n\n",
            host.errorMessages[0]);
  EXPECT_EQ(1u, host.Count("HostProfile"));  // the empty name is a change
  EXPECT_EQ(0u, g_player.macroFile);
}

TEST_F(StartBranchTest, HostThatCannotConvertLeavesAnEmptyPath) {
  host.handlers.HostConvertText = [](void *, int32_t, const void *, int32_t, int32_t, int32_t) {
    return 0;
  };
  UserEdits(kMacro, 100);
  RunStartBranch();
  EXPECT_NE(std::string::npos, BranchTrace().find("HostFileOpenW(u\"\", u\"rt\""));
  ASSERT_EQ(1u, host.errorMessages.size());
  EXPECT_NE(std::string::npos, host.errorMessages[0].find("''"));
}

TEST_F(StartBranchTest, ExistingLogIsOpenedAndMovedToItsEnd) {
  host.AddFile(kDemoLogPath, "old line\n");
  UserEdits(kMacro, 100);
  RunStartBranch();
  ASSERT_NE(0u, g_player.logFile);
  char seek[40];
  snprintf(seek, sizeof seek, "HostFileSeek(0x%X, 0, 2)\n", g_player.logFile);
  EXPECT_EQ(std::string(kFormRun) + kMacroOpen + seek, BranchTrace());
  EXPECT_EQ("rt+", host.files.Mode(kDemoLogPath));
  EXPECT_EQ(9u, host.files.Position(kDemoLogPath));
  EXPECT_EQ("old line\n", host.FileContent(kDemoLogPath));
}

TEST_F(StartBranchTest, KeyNamesAreLoadedBeforeTheMacroIsConverted) {
  UserEdits(kMacro, 100);
  RunStartBranch();
  // Whatever the key-name table reads, it reads before the macro path is made.
  size_t convert = 0;
  for (size_t i = 0; i < host.calls.size(); ++i)
    if (host.calls[i].name == "HostConvertText") convert = i;
  for (size_t i = convert; i < host.calls.size(); ++i)
    EXPECT_EQ(std::string::npos, host.calls[i].args.find("keys.h")) << host.calls[i].Text();
  EXPECT_TRUE(host.errorMessages.empty());
  EXPECT_EQ(0x3B00u, FindKeyCode("F1"));
}

// ---------------------------------------------------------------------------
// Field callback
// ---------------------------------------------------------------------------
class FieldCallbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.Install();
    strcpy(field, "C:\\m\\a much longer name than the choice.txt");
    host.fieldBuffer = field;
  }
  FakeHost &host = FakeHost::Get();
  char field[258];
};

TEST_F(FieldCallbackTest, OnlyTheFileButtonActs) {
  const uint32_t pairs[][2] = {{host::kKeyF3, 0}, {host::kKeyF3, 2}, {0x4101, 1}, {0x5001, 1}, {0, 0},
                               {0x3D01, 1}};
  for (const auto &pair : pairs) {
    EXPECT_EQ(0, StartFormFieldCallback(pair[0], pair[1])) << pair[0] << "," << pair[1];
    EXPECT_TRUE(host.calls.empty()) << host.Trace();
  }
}

TEST_F(FieldCallbackTest, ValuesAreComparedAs16Bits) {
  host.pickResult = 0;
  host.pickName = "x.txt";
  EXPECT_EQ(-2, StartFormFieldCallback(0x13D00, 0xFFFF0001));
  EXPECT_STREQ("x.txt", field);
}

TEST_F(FieldCallbackTest, CancelledPickerLeavesTheField) {
  EXPECT_EQ(-2, StartFormFieldCallback(host::kKeyF3, 1));
  EXPECT_EQ("HostPickFile(57, buf, \"*.txt\", 1)\n", host.Trace());
  EXPECT_STREQ("C:\\m\\a much longer name than the choice.txt", field);
}

TEST_F(FieldCallbackTest, ChoiceReplacesTheWholeFieldAndRedrawsIt) {
  host.pickResult = 0;
  host.pickName = "C:\\m\\new.txt";
  EXPECT_EQ(-2, StartFormFieldCallback(host::kKeyF3, 1));
  EXPECT_EQ(
      "HostPickFile(57, buf, \"*.txt\", 1)\n"
      "HostFormFieldBuffer(16641)\n"
      "HostFormRefreshField(16641)\n",
      host.Trace());
  EXPECT_STREQ("C:\\m\\new.txt", field);
}

TEST_F(FieldCallbackTest, PickerStartsWithAZeroedBufferEveryTime) {
  int picks = 0;
  host.handlers.HostPickFile = [&](int32_t, char *buffer, const char *, int32_t) -> int32_t {
    for (int i = 0; i < 258; ++i) EXPECT_EQ(0, buffer[i]) << "pick " << picks << " byte " << i;
    memset(buffer, 'z', 200);  // leaves junk behind for the next pick
    buffer[200] = 0;
    ++picks;
    return picks == 1 ? 0 : -1;
  };
  StartFormFieldCallback(host::kKeyF3, 1);
  StartFormFieldCallback(host::kKeyF3, 1);
  EXPECT_EQ(2, picks);
  EXPECT_EQ(std::string(200, 'z'), field);
}

TEST_F(FieldCallbackTest, UnterminatedChoiceIsCutToTheFieldsSize) {
  char big[258];
  host.fieldBuffer = big;
  host.handlers.HostPickFile = [](int32_t, char *buffer, const char *, int32_t) -> int32_t {
    memset(buffer, 'q', 258);
    return 0;
  };
  EXPECT_EQ(-2, StartFormFieldCallback(host::kKeyF3, 1));
  EXPECT_EQ(std::string(257, 'q'), std::string(big));
}

TEST_F(FieldCallbackTest, NullFieldBufferDropsTheNameButRedraws) {
  host.fieldBuffer = nullptr;
  host.pickResult = 0;
  host.pickName = "C:\\m\\new.txt";
  EXPECT_EQ(-2, StartFormFieldCallback(host::kKeyF3, 1));
  EXPECT_EQ(1u, host.Count("HostFormRefreshField"));
}

}  // namespace
