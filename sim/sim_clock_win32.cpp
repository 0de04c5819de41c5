// The Windows build's clock.
//
// The plug-in's objects call GetTickCount and Sleep of KERNEL32 through the
// import pointers __imp__GetTickCount@0 and __imp__Sleep@4.  This program
// defines those two pointers itself, so the linker takes them from here and
// not from the KERNEL32 import library: every GetTickCount in the program
// reads the virtual clock, and every Sleep advances it and returns at once.
// The DLL is built from the same objects and keeps the real functions; only
// this program is linked this way.  (The C runtime's start-up reads the tick
// count too, to seed its stack-protection cookie; it gets 0 here, which only
// makes that seed a little less random in a checking tool.)
#include "sim/sim_clock.h"

#include <windows.h>

namespace {

uint32_t g_ticks = 0;
uint64_t g_slept = 0;

DWORD WINAPI VirtualGetTickCount(void) { return g_ticks; }

VOID WINAPI VirtualSleep(DWORD milliseconds) {
  g_ticks += milliseconds;
  g_slept += milliseconds;
}

}  // namespace

extern "C" {
// The import pointers as the compiler names them for i386 (stdcall
// decoration, leading underscore of the C symbol).
DWORD(WINAPI *g_importGetTickCount)(void) asm("__imp__GetTickCount@0") = &VirtualGetTickCount;
VOID(WINAPI *g_importSleep)(DWORD) asm("__imp__Sleep@4") = &VirtualSleep;
}

namespace sim {

void SetClock(uint32_t milliseconds) {
  g_ticks = milliseconds;
  g_slept = 0;
}

uint32_t ClockNow() { return g_ticks; }

void AdvanceClock(uint32_t milliseconds) { g_ticks += milliseconds; }

uint64_t SleptMilliseconds() { return g_slept; }

}  // namespace sim
