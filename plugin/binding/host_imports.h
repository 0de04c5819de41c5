// Binding of the host import table: the slots of host_calls.h that the
// plug-in's definition record lists are filled by ordinal from the host
// module while the library loads; the others stay empty.
#pragma once

#include <stdint.h>

#include "plugin/binding/host_calls.h"

// One row of the host import table: where the slot stands and which ordinal
// of the host module fills it.
struct HostImportEntry {
  uint16_t position;  // 1 to 44, table order
  uint16_t ordinal;   // export ordinal of the host function
  void **slot;        // the slot in g_hostSlots
};

extern const HostImportEntry kHostImportTable[kHostImportCount];

// All 44 positions in table order: the list of a plug-in that binds every
// host function (the player).
extern const HostImport kEveryHostImport[kHostImportCount];

// The host functions that could not be bound at load.
struct MissingImportRecord {
  uint32_t count;        // every failed binding, no upper limit of its own
  uint16_t ordinals[8];  // the first 8 failures in failure (= table) order
};

extern MissingImportRecord g_missingImports;

// Binds one slot.  `ordinalOrName` is an ordinal, or (above 0xFFFF) a pointer
// to a function name.  A failed ordinal is counted and recorded; a failed
// name only leaves its slot empty.  Either writes one diagnostic line to the
// debugger output while a debugger is attached.
void BindHostImport(uintptr_t ordinalOrName, void **slot);

// Binds the slot at `index` (0-based table position) when `list` (table
// positions, `count` of them) names it, else empties it.
void BindHostImportFromList(uint32_t index, const HostImport *list, uint32_t count);

// The same for the list of the plug-in's definition record.  The pre-bind
// initialisers and the call-through entries use it.
extern "C" void BindHostImportAt(uint32_t index);

// The pre-bind initialisers in table order, as the runtime runs them at load.
// The product build hooks this array into the runtime's initialiser pass; the
// native build's tests run it by hand.
typedef int(HOST_CDECL *PreBindInitialiser)(void);
extern PreBindInitialiser const *const kPreBindInitialisers;
void RunPreBindInitialisers();

// Puts every slot back to its load-time value and zeroes the record (tests).
void ResetHostImports();
