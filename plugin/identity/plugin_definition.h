// What each plug-in DLL supplies to the shared layers: one definition
// record, defined once by the plug-in (the player's is in
// player/entry/player_definition.cpp).  The shared handshake, binding,
// diagnostics and key-name table read it; nothing in plugin/ knows any one
// plug-in by name.
#pragma once

#include <stdint.h>

#include "plugin/contract/host_api.h"

struct PluginDefinition {
  // Host text with its terminating zero: handed over at the handshake,
  // quoted by the load-failure report; its first line titles the key-name
  // table's memory message.  The host gives room for the whole description.
  const char *description;
  uint32_t descriptionSize;  // bytes, the terminating zero included

  // The plug-in's build date in the host's date form ("May 17 2023"); the
  // compatibility check refuses a host older than it.
  const char *buildDate;

  // Installed through HostSetKeyFilter at activation.  The filter it
  // replaces is kept in *previousFilter, except when that is our own filter
  // again (a second activation), which would make the filter call itself.
  KeyFilter keyFilter;
  KeyFilter *previousFilter;

  // The host functions this plug-in binds, as table positions in table
  // order (HostImport::HostPostKey ...).  Every other slot stays empty, so
  // its guard answers the neutral result and the host is never asked.
  const HostImport *boundImports;
  uint32_t boundImportCount;

  // The plug-in's own steps, each null when there is none: after the key
  // filter is installed at activation (mode 0), and at the tear-down before
  // the shared tear-down (the key-name table goes back to the host).
  void (*activate)();
  void (*tearDown)();
};

// Defined by each plug-in, constant-initialised: the binding reads it at
// load, before any constructor of the C runtime has run.
extern const PluginDefinition kPluginDefinition;
