// Every box the recorder shows (its forms, questions, notices and errors)
// runs inside its busy bracket: the recorder's filter then hands each key
// straight to the box, never to the filter before it, and the host's state
// bit 0x8000 says that a plug-in works.  So a playing macro waits while the
// box is up and goes on, whole, after it: none of its keys answers the box.
#pragma once

#include <stdint.h>

// 1 while a box of ours is up, 0 otherwise; each bracket restores what it
// found, so nested brackets need no count.
extern uint8_t g_recorderBusy;

// The bracket, for as long as it lives; brackets nest.
class BusyBracket {
 public:
  BusyBracket();
  ~BusyBracket();
  BusyBracket(const BusyBracket &) = delete;
  BusyBracket &operator=(const BusyBracket &) = delete;

 private:
  uint8_t wasBusy_;
  bool bitWasClear_;
};

// A notice with one button.
void RecorderNotice(const char *text);
// A yes/no question: true for "Tak", the answer the host focuses.
bool RecorderAskYes(const char *text);
// An error box with the recorder's title.
void RecorderError(const char *text);
// The host's one-time notice; the answer the user gave (0: show it again).
int16_t RecorderFirstRunNotice(const char *text);
// A form of ours; the host's answer (low 16 bits).
uint32_t RecorderRunForm(const unsigned char *formTemplate, void *record);
