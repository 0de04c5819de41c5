#include "plugin/state/start_form_record.h"

StartFormRecord g_startForm;
