// The macro commands: what a bracketed word of the macro file means.
#pragma once

#include <stddef.h>
#include <stdint.h>

// A bracketed word holds at most this many characters; a longer one is typed
// as text up to here.
inline constexpr size_t kMacroWordChars = 19;

// Result of the five commands that hand the no-key code to the host.
inline constexpr int32_t kCommandDone = -1;
// Result of SF11: Shift+F11 (0x8700) in the low 16 bits.
inline constexpr int32_t kShiftF11Command = static_cast<int32_t>(0xFFFF8700u);

// Resolves a bracketed word (at most 19 characters): a command, carried out
// before the return, gives -1 or 0xFFFF8700; a key name gives its code; any
// other word gives 0 and is to be typed as text.  `armedOwnPause`, when
// given, tells whether the command armed a pause of its own (DELAY), which
// the player must not replace by the key delay.
int32_t RunMacroWord(const char *word, bool *armedOwnPause = nullptr);

// Logs the text as typed and types it through the host; the host's result.
int32_t TypeMacroText(const char *text);
