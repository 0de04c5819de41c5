// The clock the plug-in's code sees while the checker plays a macro.
//
// The player measures its pause with GetTickCount and sleeps one second after
// the WAITENTER notice.  The checker must never wait: it runs the player on a
// clock that only moves when the checker moves it, and that a Sleep of the
// player moves at once instead of blocking.  Native build: the platform
// stand-in already is such a clock.  Windows build: virtual_clock_win32.cpp
// puts this clock behind the program's GetTickCount and Sleep.
#pragma once

#include <stdint.h>

namespace check {

void SetClock(uint32_t milliseconds);
uint32_t ClockNow();
void AdvanceClock(uint32_t milliseconds);
// Milliseconds that the player's Sleep calls have asked for since SetClock.
uint64_t SleptMilliseconds();

}  // namespace check
