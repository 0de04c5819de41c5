// Placeholder until the start form lands.
#include "start/settings.h"
#include "start/start_form.h"
StartFormRecord g_startForm;
int32_t LoadSettings() { return 0; }
