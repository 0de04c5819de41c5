// The six playback commands of the macro file: one table of their names and
// the one-line descriptions shown to users, in English and in plain Polish.
// They are the macro language's own words, shared by everything that reads
// or writes macros: the player carries them out (player/playback/commands.cpp,
// in this order), the checker suggests and describes them (tools/check), a
// plug-in that writes macros never writes a key name spelled like one, and a
// test checks that the user guides list them with these descriptions
// (tests/docs/command_table.py).
//
// X(Id, name, English description, Polish description)
//   Id    the player's RunId function carries the command out
//   name  the word between the brackets, compared byte for byte: upper case
//         exactly, searched in this order before the key-name table, so a key
//         name spelled like a command is never reached by name
//
// Only the names reach the player's DLL; the descriptions are for the tools
// and the guides.
#pragma once

// clang-format off
#define MACRO_COMMAND_TABLE(X)                                                        \
  X(WaitEnter, "WAITENTER",                                                           \
    "shows a notice and waits until you press Enter",                                 \
    "pokazuje komunikat i czeka, aż naciśniesz Enter")                                \
  X(Wait, "WAIT",                                                                     \
    "waits for Enter without a notice",                                               \
    "czeka na Enter bez komunikatu")                                                  \
  X(Halt, "HALT",                                                                     \
    "shows a notice and waits until you press Shift+F11",                             \
    "pokazuje komunikat i czeka, aż naciśniesz Shift+F11")                            \
  X(Restart, "RESTART",                                                               \
    "goes back to the start of the file",                                             \
    "wraca na początek pliku")                                                        \
  X(Delay, "DELAY",                                                                   \
    "holds the next keys for 2 seconds",                                              \
    "wstrzymuje następne klawisze na 2 sekundy")                                      \
  X(Sf11, "SF11",                                                                     \
    "presses Shift+F11 for you, so the macro asks whether to stop",                  \
    "naciska za Ciebie Shift+F11, więc makro pyta, czy je zatrzymać")
// clang-format on

// The number of commands.
#define MACRO_COMMAND_COUNT_ONE(...) +1
inline constexpr int kMacroCommandCount = 0 MACRO_COMMAND_TABLE(MACRO_COMMAND_COUNT_ONE);
#undef MACRO_COMMAND_COUNT_ONE
