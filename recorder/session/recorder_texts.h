// The recorder's own texts, host text (Mazovia) written readably.
#pragma once

#include "plugin/contract/host_text.h"

// Handed over at the handshake, when the settings are not read yet: so it
// names no key.  Its first line names the plug-in in the host's list and on
// its status line.
// clang-format off
inline constexpr auto kRecorderDescription = ToHostText(
    "Wtyczka 'Zapis klawiszy'\n"
    "Nagrywanie klawiszy do pliku makra");
// clang-format on

inline constexpr auto kRecorderTitle = ToHostText("Zapis klawiszy");

// The one-time notice: the keys the settings chose, as people write keys,
// and how to turn the notice off.
inline constexpr auto kNoticeFormat = ToHostText(
    "Wtyczka 'Zapis klawiszy'\n"
    "Nagrywanie klawiszy do pliku makra: klawisz %s\n"
    "Ten sam klawisz kończy nagrywanie. W czasie nagrywania\n"
    "klawisz %s otwiera listę poleceń (np. czekanie na Enter).\n"
    "Plik nagrania odtwarza Tastiromatika (Shift+F11).");

// A setting "Klawisz" or "KlawiszPolecenia" that cannot be used: the
// setting, the value, why, and the key used instead.
inline constexpr auto kRefusedKeyFormat = ToHostText(
    "Ustawienie %s=%s w sekcji [ZapisKlawiszy] pominięto:\n"
    "%s\n"
    "%s %s.");
inline constexpr auto kNotInKeysFileText = ToHostText("takiego klawisza nie ma w pliku wtyczki\\keys.h.");
inline constexpr auto kTypesTextText =
    ToHostText("ten klawisz wpisuje znak (albo jest to Enter, Tab, Esc lub Backspace).");
inline constexpr auto kPlayerKeyText = ToHostText("Shift+F11 uruchamia i zatrzymuje makra.");
inline constexpr auto kHostKeyText = ToHostText("klawiszy F1 (pomoc) i F10 (koniec) używa sam VOLMAR.");
inline constexpr auto kSameKeyText = ToHostText("ten sam klawisz ma już drugie zadanie wtyczki.");
inline constexpr auto kHotKeyUsedText = ToHostText("Nagrywanie włącza i wyłącza klawisz");
inline constexpr auto kCommandKeyUsedText = ToHostText("Listę poleceń otwiera klawisz");

// The existing file: "Tak", the focused answer, is the safe one.
inline constexpr auto kAppendQuestionFormat = ToHostText(
    "Plik '%s' już istnieje.\n"
    "Wybrać inną nazwę?\n"
    "Tak - powrót do wyboru nazwy pliku.\n"
    "Nie - dopisanie nagrania na końcu tego pliku.");
inline constexpr auto kEmptyNameText = ToHostText("Podaj nazwę pliku nagrania.");

// A file that could not be opened: what happened, what to do, the numbers.
inline constexpr auto kOpenFailedFormat = ToHostText(
    "Nie można zapisywać do pliku nagrania '%s'.\n"
    "%s\n"
    "(błąd %d, systemowy %d)");
inline constexpr auto kNoAccessText = ToHostText(
    "Brak prawa zapisu w tym folderze albo plik jest tylko do odczytu.\n"
    "Wybierz inny folder, na przykład swój folder Dokumenty.");
inline constexpr auto kDiskFullText = ToHostText(
    "Dysk jest pełny.\n"
    "Zwolnij miejsce na dysku albo wybierz folder na innym dysku.");
inline constexpr auto kNoFolderText = ToHostText(
    "Nie ma takiego folderu.\n"
    "Sprawdź nazwę folderu albo wybierz inny.");
inline constexpr auto kBadNameText = ToHostText(
    "Ta nazwa pliku jest niedozwolona.\n"
    "Nazwa nie może zawierać znaków * ? \" < > |.");
inline constexpr auto kInUseText = ToHostText(
    "Plik jest otwarty w innym programie.\n"
    "Zamknij go tam albo wybierz inną nazwę.");
inline constexpr auto kOpenOtherText = ToHostText(
    "Sprawdź nazwę pliku albo wybierz inny folder.");

inline constexpr auto kStoppedFormat = ToHostText(
    "Nagrywanie zakończone.\n"
    "Plik: %s\n"
    "Zapisane klawisze: %u\n"
    "Nowe nagranie: klawisz %s.");
inline constexpr auto kWriteFailedFormat = ToHostText(
    "Nagrywanie zostało przerwane: nie udało się zapisać\n"
    "klawisza do pliku '%s' (pełny dysk albo plik usunięty?).\n"
    "Klawisze zapisane wcześniej zostały w pliku.\n"
    "Zapisane klawisze: %u\n"
    "Nowe nagranie: klawisz %s.");
inline constexpr auto kUnnamedFormat = ToHostText(
    "\nKlawisze bez nazwy (nie zapisane): %u.\n"
    "Aby je nagrywać, dopisz do pliku wtyczki\\keys.h:");
inline constexpr auto kDefineFormat = ToHostText("\n#define %s 0x%04X");
inline constexpr auto kMoreCodesText = ToHostText("\n(i inne kody)");
inline constexpr auto kRestartAfterAddingText = ToHostText(
    "\nPotem uruchom VOLMAR ponownie: wtyczki czytają keys.h raz, przy starcie.");
// The names added to keys.h during the recording, each with its key: the
// first kNamedKeysListed of them, "(i inne)" for the rest.
inline constexpr auto kNamedFormat = ToHostText(
    "\nNowe nazwy klawiszy w pliku wtyczki\\keys.h: %u.");
inline constexpr auto kNamedKeyFormat = ToHostText("\n%s (%s)");
inline constexpr auto kNamedCodeFormat = ToHostText("\n%s (kod 0x%04X)");
inline constexpr auto kMoreNamesText = ToHostText("\n(i inne)");
inline constexpr auto kRestartAfterNamingText = ToHostText(
    "\nPrzed odtworzeniem nagrania uruchom VOLMAR ponownie:\n"
    "Tastiromatika czyta keys.h raz, przy starcie.");

// The first press of a key without a name in a recording: the key as
// people write it with its code (kKeyWithNameFormat), or its code alone
// (kKeyByCodeFormat), and the name offered.
inline constexpr auto kNameQuestionFormat = ToHostText(
    "Klawisz %s nie ma nazwy w pliku wtyczki\\keys.h,\n"
    "więc nie można go nagrać.\n"
    "Dopisać do keys.h nazwę %s i nagrywać ten klawisz?\n"
    "(Nie - ten klawisz zostanie w nagraniu pominięty.)");
inline constexpr auto kKeyWithNameFormat = ToHostText("%s (kod 0x%04X)");
inline constexpr auto kKeyByCodeFormat = ToHostText("o kodzie 0x%04X");
inline constexpr auto kKeysFileFullFormat = ToHostText(
    "Nie udało się dopisać nazwy do pliku wtyczki\\keys.h\n"
    "(plik tylko do odczytu albo ma już %u nazw).\n"
    "Klawisz zostanie w nagraniu pominięty.");
