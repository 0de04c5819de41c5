#include "recorder/session/recorder_boxes.h"

#include "plugin/binding/host_calls.h"
#include "plugin/contract/host_values.h"
#include "recorder/session/recorder_form.h"
#include "recorder/session/recorder_texts.h"

uint8_t g_recorderBusy;

BusyBracket::BusyBracket()
    : wasBusy_(g_recorderBusy), bitWasClear_((HostGetFlags() & host::kFlagPluginWorking) == 0) {
  g_recorderBusy = 1;
  if (bitWasClear_) HostSetFlags(host::kFlagPluginWorking, 1);
}

BusyBracket::~BusyBracket() {
  if (bitWasClear_) HostSetFlags(host::kFlagPluginWorking, 0);
  g_recorderBusy = wasBusy_;
}

void RecorderNotice(const char *text) {
  BusyBracket held;
  HostAsk(kRecorderTitle.c_str(), text, host::kAskNotice);
}

bool RecorderAskYes(const char *text) {
  BusyBracket held;
  uint32_t answer = static_cast<uint32_t>(HostAsk(kRecorderTitle.c_str(), text, host::kAskYesNo));
  return (answer & host::kKeyCodeMask) == host::kAnswerYes;
}

void RecorderError(const char *text) {
  BusyBracket held;
  HostMessage(host::kMessageId, kRecorderTitle.c_str(), text, host::kErrorStyle);
}

int16_t RecorderFirstRunNotice(const char *text) {
  BusyBracket held;
  int32_t answer = 0;
  HostShowNotice(host::kFirstRunNoticeId, reinterpret_cast<int16_t *>(&answer), 0, text);
  return static_cast<int16_t>(answer & 0xFFFF);
}

uint32_t RecorderRunForm(const unsigned char *formTemplate, void *record) {
  BusyBracket held;
  int32_t result = HostRunForm(formTemplate, host::kFormModeEdit, record, &RecorderFormCallback);
  return static_cast<uint32_t>(result) & host::kKeyCodeMask;
}
