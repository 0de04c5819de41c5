// Placeholder until the diagnostics land.
#include "diagnostics/compatibility.h"
#include "diagnostics/load_failure_report.h"
uint32_t g_unsupportedFeatures = 0xFFFFFFFFu;
int32_t CheckCompatibility() { return 0; }
void ShowLoadFailureReport() {}
