// The player's own texts, in host text (Mazovia), written once here.
#pragma once

#include "plugin/contract/host_text.h"

// Title of every notice and question of the player.
inline constexpr auto kNoticeTitle = ToHostText("uwaga");

// The end of the macro file; the full stop tells it apart from a stop.
inline constexpr auto kEndOfFileText = ToHostText("Zakończono pracę makra z pliku.");
// The user confirmed the stop question; no full stop.
inline constexpr auto kStoppedText = ToHostText("Zakończono pracę makra z pliku");
inline constexpr auto kStopQuestion = ToHostText("Czy chcesz zatrzymać aktualne makro?");

// The notices of the commands WAITENTER and HALT.
inline constexpr auto kWaitEnterNotice =
    ToHostText("Naciśnij klawisz ENTER, gdy skończysz\naby kontynuować makro");
inline constexpr auto kHaltNotice =
    ToHostText("Makro zostało zatrzymane. Ponowne uruchomienie Shift+F11");

// Bodies of the log entries (ASCII, so host text as they stand).
inline constexpr const char kLogNameFormat[] = "[%s]\n";
inline constexpr const char kLogCharFormat[] = "{CHAR: %c}\n";
inline constexpr const char kLogCodeFormat[] = "{KSHORT: 0x%04X}\n";
inline constexpr const char kLogTextFormat[] = "{NAPIS: %s}\n";
inline constexpr const char kLogNoticeFormat[] = "{KOMUNIKAT: %s}\n";
