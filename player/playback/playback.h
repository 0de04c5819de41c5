// The playback engine: one item of the macro per step, the end of the
// macro, and the stop question.  The key filter calls these inside its
// state bracket (busy flag and the host's state bit set).
#pragma once

#include <stdint.h>

// One item of the macro to the host: a character, or a bracketed word
// (a command, a key name, or text).  Ends the macro at the end of its file.
void PlaybackStep();

// Shift+F11 during playback: asks whether to stop, and stops on "yes".
void AskToStopMacro();

// The pause after a bracketed word, in milliseconds: the start branch hands
// over the start form's key delay at activation and after a confirmed form.
void SetKeyDelay(uint16_t milliseconds);

// Writes the key line for `key`, then hands it to the host; nonzero when taken.
int32_t PostMacroKey(int32_t key);
