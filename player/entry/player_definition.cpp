// What the player (tastiromatika.dll) hands the shared layers: its
// description and build date, its key filter, all 44 host functions in
// table order, and the settings read at activation.
#include "player/entry/player_definition.h"

#include "plugin/binding/host_imports.h"
#include "plugin/identity/plugin_definition.h"
#include "player/entry/key_filter.h"
#include "player/playback/player_state.h"
#include "player/start/settings.h"

const char kPluginDescription[75] =
    "Wtyczka 'Tastiromatika'\nUruchomienie/zatrzymanie makra - klawisz Shift+F11";

namespace {

// [activation] After the key filter is installed: the settings and the
// one-time notice, so the start form always shows what was stored last.
void ActivatePlayer() { LoadSettings(); }

}  // namespace

const PluginDefinition kPluginDefinition = {
    kPluginDescription,
    sizeof kPluginDescription,
    "May 17 2023",
    &PluginKeyFilter,
    &g_player.previousFilter,
    kEveryHostImport,
    kHostImportCount,
    &ActivatePlayer,
    nullptr,  // the tear-down has nothing of the player's own to do
};
