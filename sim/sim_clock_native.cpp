// The native build's clock: the platform stand-in's tick count, which its
// Sleep advances instead of blocking.
#include "sim/sim_clock.h"

#include "plugin/platform/win_standin_control.h"

namespace sim {

namespace {
size_t g_sleepsSeen = 0;  // stand-in sleeps recorded before SetClock
}

void SetClock(uint32_t milliseconds) {
  standin::SetTickCount(milliseconds);
  g_sleepsSeen = standin::Sleeps().size();
}

uint32_t ClockNow() { return GetTickCount(); }

void AdvanceClock(uint32_t milliseconds) { standin::AdvanceTicks(milliseconds); }

uint64_t SleptMilliseconds() {
  uint64_t total = 0;
  const std::vector<uint32_t> &sleeps = standin::Sleeps();
  for (size_t i = g_sleepsSeen; i < sleeps.size(); ++i) total += sleeps[i];
  return total;
}

}  // namespace sim
