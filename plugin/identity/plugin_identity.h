// The plug-in's identity: which module we are and which host we run in.  Set
// by the attach step and the handshake; read by the binding, the
// diagnostics, the settings notice and the key-name table's messages.  What
// each plug-in supplies of its own (description, filter, host functions) is
// its definition record, plugin_definition.h.
#pragma once

#include <stdint.h>

#include "plugin/contract/host_api.h"

struct PluginIdentity {
  HostInstance instance;       // our own instance handle, from the loader's process attach
  char modulePath[300];        // our full file name (GetModuleFileNameA, capacity 300)
  const char *moduleBaseName;  // the file name behind the last '\' or '/', inside modulePath
  void *hostModule;            // the loaded module named VOLMAR; null when there is none
  HostQueryFn hostQuery;       // host ordinal 30006, replaced by every handshake
};

extern PluginIdentity g_plugin;

// The text behind the last '\', then behind the last '/' of what remains;
// the whole path when it has no separator, empty when it ends in one.
const char *ModuleBaseName(const char *path);

// Forgets the identity, as at load (tests).
void ResetPluginIdentity();
