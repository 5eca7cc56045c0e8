#include "base/message_loop/default_message_pump.h"

#include <algorithm>
#include <cstdint>

namespace nbase {

DefaultMessagePump::DefaultMessagePump()
    : wake_event_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

void DefaultMessagePump::Run(Delegate* delegate) {
  for (;;) {
    bool did_work = delegate->ProcessWork();
    if (quit_) break;
    did_work |= delegate->ProcessDelayedWork(&delayed_wake_time_);
    if (quit_) break;
    if (did_work) continue;
    did_work = delegate->ProcessIdleWork();
    if (quit_) break;
    if (did_work) continue;
    Wait();
  }
  // Only the innermost Run was asked to leave; an outer one goes on.
  quit_ = false;
}

void DefaultMessagePump::Wait() {
  if (delayed_wake_time_.is_null()) {
    ::WaitForSingleObject(wake_event_.get(), INFINITE);
    return;
  }
  const TickTime delay = delayed_wake_time_ - TickTime::Now();
  if (delay > TickTime()) {
    // INFINITE is 0xFFFFFFFF; a longer delay waits the longest finite time and re-checks.
    const int64_t ms = std::min<int64_t>(delay.ToMillisecondsRoundedUp(), 0xFFFFFFFE);
    ::WaitForSingleObject(wake_event_.get(), static_cast<DWORD>(ms));
  } else {
    delayed_wake_time_ = TickTime();
  }
}

void DefaultMessagePump::Quit() { quit_ = true; }

void DefaultMessagePump::Wake() { ::SetEvent(wake_event_.get()); }

void DefaultMessagePump::SetDelayedWakeTime(const TickTime& delayed_wake_time) {
  delayed_wake_time_ = delayed_wake_time;
}

}  // namespace nbase
