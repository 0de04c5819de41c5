// The host's message boxes: notices, questions, error messages, and the
// notice that stays up while the user goes on working.  Each box runs the
// host's own key loop (so the key filter keeps being called) until the
// user answers; the host's own questions (BoxSpec::typedAnswerOnly) read
// the user's keys alone.  In the scripted mode a box prints its text instead and
// takes the next scripted answer, or its default.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "host/app/core/ui.h"
#include "plugin/contract/host_values.h"

namespace volmar {

// Answers, as the low 16 bits of the results.
enum BoxAnswer : int32_t {
  kAnswerOk = host::kAnswerOk,
  kAnswerCancel = 0x5002,
  kAnswerYes = host::kAnswerYes,
  kAnswerNo = 0x500A,
};

// HostAsk flags: a yes/no question (0x26006; any flags with 0x20000 ask),
// a notice that stays up without waiting (0x200), else a notice with OK (1).
enum AskFlags : uint32_t {
  kAskNotice = host::kAskNotice,
  kAskStanding = host::kAskWaitNotice,
  kAskQuestionBit = 0x20000,
  kAskQuestion = host::kAskYesNo,
};

// Message styles whose high nibble is 0xE or 0xF (0xE001, 0xF001) show as
// error boxes.
bool IsErrorStyle(uint32_t style);

struct BoxButton {
  std::string label;  // UTF-8
  int32_t answer;
};

struct BoxSpec {
  std::string title;  // host text
  std::string text;   // host text with inline codes
  std::vector<BoxButton> buttons;
  size_t focus = 0;             // the button Enter presses at first
  int32_t escapeAnswer = 0;     // Esc, and the end of scripted input
  bool error = false;
  std::string kind = "komunikat";  // how the scripted mode names it
  // The host's own question that only the user may answer: while it is up
  // no posted or held key is offered and no key filter is called, so a
  // playing macro can neither answer it nor go on under it.
  bool typedAnswerOnly = false;
};

// Shows a box and returns the answer of the button chosen.
int32_t RunBox(Ui &ui, const BoxSpec &box);

// HostAsk: returns kAnswerYes or kAnswerNo for a question, kAnswerOk for a
// notice, 0 for a standing notice (which returns at once).
int32_t AskBox(Ui &ui, const std::string &title, const std::string &text, uint32_t flags);

// HostMessage and friends: an OK box; returns kAnswerOk.
int32_t ShowMessageBox(Ui &ui, const std::string &title, const std::string &text, bool error);

// HostShowNotice: a notice with OK (answer 0) and "do not show again"
// (answer 1).
int16_t NoticeWithChoice(Ui &ui, const std::string &text);

}  // namespace volmar
