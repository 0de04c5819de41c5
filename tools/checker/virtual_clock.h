// The clock the plug-in's code sees while the checker plays a macro: the
// simulated host's clock (sim/sim_clock.h).
#pragma once

#include "sim/sim_clock.h"

namespace checker {

using sim::AdvanceClock;
using sim::ClockNow;
using sim::SetClock;
using sim::SleptMilliseconds;

}  // namespace checker
