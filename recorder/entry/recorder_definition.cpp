// What the recorder (zapis-klawiszy.dll) hands the shared layers: its
// description and build date, its key filter, the host functions it calls,
// its settings at activation and the closing of a recording at tear-down.
#include "plugin/binding/host_imports.h"
#include "plugin/identity/plugin_definition.h"
#include "recorder/entry/recorder_filter.h"
#include "recorder/session/recorder_texts.h"
#include "recorder/session/recording.h"

namespace {

// Only these slots are bound; every other stays empty and is never called.
// In table order.
constexpr HostImport kRecorderImports[] = {
    HostImport::HostCheckPlugin,   HostImport::HostMessageF,     HostImport::HostFileFlush,
    HostImport::HostDateNumber,    HostImport::HostConvertText,  HostImport::HostGetFlags,
    HostImport::HostFileGets,      HostImport::HostFileClose,    HostImport::HostSetKeyFilter,
    HostImport::HostSetFlags,      HostImport::HostRunForm,      HostImport::HostRealloc,
    HostImport::HostShowNotice,    HostImport::HostApiLevel,     HostImport::HostMessage,
    HostImport::HostAsk,           HostImport::HostMakePathW,    HostImport::HostFree,
    HostImport::HostFileOpenW,     HostImport::HostCopyText,     HostImport::HostErrorMessageF,
    HostImport::HostProfile,       HostImport::HostCalloc,       HostImport::HostFilePrintf,
};

// [activation] After the key filter is installed.
void ActivateRecorder() { LoadRecorderSettings(); }

// [tear-down] The host lets us go: a recording ends with its file closed.
void TearDownRecorder() { StopRecording(false); }

}  // namespace

const PluginDefinition kPluginDefinition = {
    kRecorderDescription.c_str(),
    static_cast<uint32_t>(kRecorderDescription.size() + 1),
    "May 17 2023",  // the oldest host it works with, as the player
    &RecorderKeyFilter,
    &g_recorder.previousFilter,
    kRecorderImports,
    sizeof kRecorderImports / sizeof kRecorderImports[0],
    &ActivateRecorder,
    &TearDownRecorder,
};
