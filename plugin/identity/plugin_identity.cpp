#include "plugin/identity/plugin_identity.h"

#include <string.h>

PluginIdentity g_plugin = {nullptr, {0}, g_plugin.modulePath, nullptr, nullptr};

const char *ModuleBaseName(const char *path) {
  const char *candidate = strrchr(path, '\\');
  candidate = candidate != nullptr ? candidate + 1 : path;
  const char *base = strrchr(candidate, '/');
  return base != nullptr ? base + 1 : candidate;
}

void ResetPluginIdentity() {
  memset(&g_plugin, 0, sizeof g_plugin);
  g_plugin.moduleBaseName = g_plugin.modulePath;
}
