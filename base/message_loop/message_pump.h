// The waiting half of a message loop. The loop hands the pump its Delegate; the pump
// decides when to call back for immediate, delayed and idle work and how to sleep in
// between.
//
// Threads: Run, Quit and SetDelayedWakeTime on the loop's thread only; Wake from any
// thread.
#pragma once

#include "base/time/tick_time.h"

namespace nbase {

class MessagePump {
 public:
  class Delegate {
   public:
    virtual ~Delegate() = default;
    // Runs at most one immediate task; true when one ran.
    virtual bool ProcessWork() = 0;
    // Runs one due delayed task; true when one ran. Sets *next_wake to the run time of
    // the earliest task still waiting, or to 0 when the delayed queue was empty.
    virtual bool ProcessDelayedWork(TickTime* next_wake) = 0;
    // Runs one deferred task, or passes a pending quit on to the pump; true when a task ran.
    virtual bool ProcessIdleWork() = 0;
  };

  MessagePump() = default;
  virtual ~MessagePump() = default;
  MessagePump(const MessagePump&) = delete;
  MessagePump& operator=(const MessagePump&) = delete;

  virtual void Run(Delegate* delegate) = 0;
  // Leaves the innermost Run at its next check; called from inside that Run.
  virtual void Quit() = 0;
  // Makes the pump call ProcessWork soon.
  virtual void Wake() = 0;
  virtual void SetDelayedWakeTime(const TickTime& delayed_wake_time) = 0;
};

}  // namespace nbase
