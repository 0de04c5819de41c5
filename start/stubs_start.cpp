// Placeholder until the start form lands.
#include "start/settings.h"
#include "start/start_form.h"
StartFormRecord g_startForm;
static const unsigned char kPlaceholderTemplate[4] = {0};
const unsigned char *const kStartFormTemplate = kPlaceholderTemplate;
const size_t kStartFormTemplateSize = sizeof kPlaceholderTemplate;
int32_t LoadSettings() { return 0; }
extern "C" int32_t HOST_STDCALL StartFormFieldCallback(uint32_t, uint32_t) { return 0; }
void RunStartBranch() {
  HostRunForm(kStartFormTemplate, 1, &g_startForm, &StartFormFieldCallback);
}
