// The player's identity for the shared layers: its description and its
// definition record (plugin/identity/plugin_definition.h).
#pragma once

// "Wtyczka 'Tastiromatika'\nUruchomienie/zatrzymanie makra - klawisz Shift+F11":
// 74 characters and the terminating zero.
extern const char kPluginDescription[75];
