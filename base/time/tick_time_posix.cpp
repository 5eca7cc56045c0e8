#include <chrono>

#include "base/time/tick_time.h"

namespace nbase {

TickTime TickTime::Now() {
  const auto since_boot = std::chrono::steady_clock::now().time_since_epoch();
  return FromMicroseconds(std::chrono::duration_cast<std::chrono::microseconds>(since_boot).count());
}

}  // namespace nbase
