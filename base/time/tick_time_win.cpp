#include <windows.h>
// timeGetTime; WIN32_LEAN_AND_MEAN leaves the multimedia headers out of windows.h.
#include <mmsystem.h>

#include "base/synchronization/lock.h"
#include "base/time/tick_rollover.h"
#include "base/time/tick_time.h"

namespace nbase {

TickTime TickTime::Now() {
  // Never destroyed: a task or a log line during process exit may still read the clock.
  static Lock* const lock = new Lock;
  static TickRollover* const rollover = new TickRollover;
  AutoLock hold(lock);
  return FromMilliseconds(rollover->Extend(::timeGetTime()));
}

}  // namespace nbase
