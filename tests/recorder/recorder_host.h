// The recorder's host in the native tests: the one simulated host
// (sim/sim_slots.h), with the forms, questions and notices a user answers
// from queues, and what the recorder shows kept as UTF-8.
#pragma once

#include <stdint.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "sim/sim_slots.h"

class RecorderHost : public sim::HostCalls {
 public:
  // A run of the form: the answer, and the name typed over the offered one
  // (null: the offered name stays).
  struct FormRun {
    uint32_t answer;
    const char *name;
  };

  std::deque<FormRun> forms;          // empty: the form is cancelled (Esc)
  std::vector<std::string> offered;   // the name the form showed, each run
  std::deque<uint32_t> askAnswers;    // empty: "no"
  std::vector<std::string> asked;     // HostAsk texts
  std::vector<std::string> errors;    // HostMessage, HostMessageF, HostErrorMessageF texts
  std::vector<std::string> notices;   // HostShowNotice texts
  int16_t noticeAnswer = 0;
  bool flagsWhileForm = false;        // bit 0x8000 was set while the form ran
  std::deque<uint32_t> commandAnswers;  // the command list's answers; empty: Esc
  uint32_t commandLists = 0;          // times the command list was shown
  // Boxes shown outside the recorder's busy bracket (the busy flag and the
  // state bit): none may be.
  uint32_t unheldBoxes = 0;
  // Called while each box is up: the host's loop offering keys meanwhile.
  std::function<void()> whileBoxUp;

  // A fresh host bound to every slot, and a fresh recorder.
  static RecorderHost &Start();
  // The bytes of a file the recorder wrote, or "<missing>".
  std::string Content(const char *name) const;
  // Host text as UTF-8.
  static std::string Utf8Of(const std::string &hostText);
  // wtyczki\keys.h, as a text file.
  void AddKeysFile(const std::string &content);

  // Each box: counts one shown outside the bracket, runs whileBoxUp.
  void BoxUp();

  uint32_t HostDateNumber(const char *date) override;
  int32_t HostMakePathW(HostWideChar *buffer, int32_t capacity, const HostWideChar *relative) override;
  int32_t HostRunForm(const void *formTemplate, int32_t mode, void *record, FieldCallback callback) override;
  int32_t HostAsk(const char *title, const char *text, uint32_t flags) override;
  int32_t HostShowNotice(int32_t id, int16_t *answer, int32_t zero, const char *text) override;
  int32_t HostMessage(int32_t id, const char *title, const char *text, uint32_t style) override;
  int32_t HostMessageF(int32_t id, const char *title, const char *format, uint32_t style,
                       uint32_t style2, va_list values) override;
  int32_t HostErrorMessageF(int32_t err, int32_t systemErr, const char *format,
                            const HostWideChar *argument, uint32_t style) override;
};
