#include "base/time/tick_time.h"

namespace nbase {

int64_t TickTime::ToMillisecondsRoundedUp() const {
  // Integer division truncates toward zero, which is already the ceiling for negatives.
  if (us_ <= 0) return us_ / 1000;
  return us_ / 1000 + (us_ % 1000 != 0 ? 1 : 0);
}

}  // namespace nbase
