// One task posted to a message loop.
#pragma once

#include <cstdint>
#include <functional>

#include "base/time/tick_time.h"

namespace nbase {

using StdClosure = std::function<void()>;

struct QueuedTask {
  TickTime run_time;     // 0 for an immediate task; otherwise Now at posting + delay
  int32_t sequence = 0;  // stamped when the task enters the delayed queue
  bool nestable = true;  // false: runs only in the outermost run of the loop
  StdClosure closure;
};

}  // namespace nbase
