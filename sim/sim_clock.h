// The simulated host's clock: the time the plug-in's code sees, which moves
// only when the simulation moves it.
//
// The player measures its pause with GetTickCount and sleeps one second after
// the WAITENTER notice.  A simulation must never wait: the player runs on a
// clock that a Sleep of the player moves at once instead of blocking.  Native
// build: the platform stand-in already is such a clock.  Windows build:
// sim_clock_win32.cpp puts this clock behind the program's GetTickCount and
// Sleep (only a program that links the simulated_clock library).
#pragma once

#include <stdint.h>

namespace sim {

void SetClock(uint32_t milliseconds);
uint32_t ClockNow();
void AdvanceClock(uint32_t milliseconds);
// Milliseconds that the player's Sleep calls have asked for since SetClock.
uint64_t SleptMilliseconds();

}  // namespace sim
