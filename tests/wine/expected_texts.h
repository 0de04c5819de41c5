// The plug-in's texts as the host must receive them (Mazovia bytes), written
// here independently of the plug-in's sources.
#pragma once

#include <string>

#include "plugin/contract/host_text.h"

namespace expected {

inline constexpr auto kDescription = ToHostText(
    "Wtyczka 'Tastiromatika'\nUruchomienie/zatrzymanie makra - klawisz Shift+F11");
inline constexpr char kBuildDate[] = "May 17 2023";

// Load-failure report.
inline constexpr char kStop[] = "STOP!!!";
inline constexpr auto kFeatures =
    ToHostText("Program nie obsługuje cech 0x%08X,\nktóre są niezbędne dla modułu '%s'.");
inline constexpr auto kMissing = ToHostText(
    "Wtyczka \"%s\" potrzebuje zaimportować\n%s z modułu głównego,\njednak moduł główny %s "
    "nie posiada. Aby naprawić tę sytuację\nzainstaluj aktualizację programu oraz wtyczki.\n\n"
    "WTYCZKA NIE ZOSTANIE ZAŁADOWANA!!!\n");
inline constexpr auto kVersion = ToHostText(
    "Moduł \"%s\" i program występują w różnych wersjach!\n\nZostał zakualizowany tylko program "
    "albo tylko moduł,\na nie oba jednocześnie! Aby naprawić tę sytuację\nzainstaluj "
    "aktualizację programu wraz z modułem \"%s\".\n\nMODUŁ NIE ZOSTANIE ZAŁADOWANY!!!\n");
inline constexpr auto kNotInitialised =
    ToHostText("Moduł \"%s\" nie został poprawnie zainicjowany,\nwięc NIE BĘDZIE AKTYWNY!");
inline constexpr auto kOneFunction = ToHostText("funkcję o numerze ");
inline constexpr auto kSeveralFunctions = ToHostText("funkcje o numerach");

// Player.
inline constexpr char kAttention[] = "uwaga";
inline constexpr auto kEnd = ToHostText("Zakończono pracę makra z pliku.");
inline constexpr auto kStopped = ToHostText("Zakończono pracę makra z pliku");
inline constexpr auto kStopQuestion = ToHostText("Czy chcesz zatrzymać aktualne makro?");
inline constexpr auto kWaitEnter =
    ToHostText("Naciśnij klawisz ENTER, gdy skończysz\naby kontynuować makro");
inline constexpr auto kHalt =
    ToHostText("Makro zostało zatrzymane. Ponowne uruchomienie Shift+F11");

// Start branch and key-name table.
inline constexpr auto kMacroOpenError =
    ToHostText("Błąd %d (systemowy %d) przy ładowaniu makra z pliku '%s'\n\n");
inline constexpr auto kKeysOpenError =
    ToHostText("Błąd %d (systemowy %d) ładowania definicji klawiszy z pliku '%s'\n\n");
inline constexpr auto kNoKeyMemory = ToHostText("Brak pamięci na tablicę nazw klawiszy!");
inline constexpr char kNoKeyMemoryTitle[] = "Wtyczka 'Tastiromatika'";  // the description's first line

template <size_t N>
std::string Text(const HostText<N> &text) {
  return std::string(text.c_str(), text.size());
}

}  // namespace expected
