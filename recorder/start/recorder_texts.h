// The recorder's own texts, host text (Mazovia) written readably.
#pragma once

#include "plugin/contract/host_text.h"

// Handed over at the handshake; its first line names the plug-in in the
// host's list and on its status line.
// clang-format off
inline constexpr auto kRecorderDescription = ToHostText(
    "Wtyczka 'Zapis klawiszy'\n"
    "Nagrywanie klawiszy do pliku makra - klawisz Ctrl+F11");
// clang-format on

inline constexpr auto kRecorderTitle = ToHostText("Zapis klawiszy");

// The one-time notice: the description's second line with the hot key the
// settings chose, and how to turn the notice off.
inline constexpr auto kNoticeFormat = ToHostText(
    "Wtyczka 'Zapis klawiszy'\n"
    "Nagrywanie klawiszy do pliku makra: klawisz %s\n"
    "Ten sam klawisz kończy nagrywanie. Plik nagrania odtwarza\n"
    "Tastiromatika (Shift+F11).");
inline constexpr auto kDefaultHotKeyName = ToHostText("Ctrl+F11");

inline constexpr auto kUnknownHotKeyFormat = ToHostText(
    "Klawisza '%s' z ustawień [ZapisKlawiszy] nie ma w pliku wtyczki\\keys.h.\n"
    "Nagrywanie włącza i wyłącza klawisz Ctrl+F11.");

inline constexpr auto kAppendQuestionFormat = ToHostText(
    "Plik '%s' już istnieje.\n"
    "Dopisać nagranie na jego końcu?\n"
    "(Nie - powrót do wyboru nazwy pliku.)");
inline constexpr auto kEmptyNameText = ToHostText("Podaj nazwę pliku nagrania.");
inline constexpr auto kOpenFailedFormat =
    ToHostText("Błąd %d (systemowy %d) przy otwieraniu pliku nagrania '%s'\n\n");

inline constexpr auto kStoppedFormat = ToHostText(
    "Nagrywanie zakończone.\n"
    "Plik: %s\n"
    "Zapisane klawisze: %u");
inline constexpr auto kWriteFailedFormat = ToHostText(
    "Nie udało się zapisać klawisza do pliku '%s'\n"
    "(pełny dysk albo plik usunięty?). Nagrywanie zostało przerwane.\n"
    "Zapisane klawisze: %u");
inline constexpr auto kUnnamedFormat = ToHostText(
    "\nKlawisze bez nazwy (nie zapisane): %u.\n"
    "Aby je nagrywać, dopisz do pliku wtyczki\\keys.h:");
inline constexpr auto kDefineFormat = ToHostText("\n#define KLAWISZ_%04X 0x%04X");
inline constexpr auto kMoreCodesText = ToHostText("\n(i inne kody)");
