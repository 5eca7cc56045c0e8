#include "base/time/tick_rollover.h"

namespace nbase {

int64_t TickRollover::Extend(uint32_t reading_ms) {
  if (reading_ms < last_reading_) offset_ += int64_t{1} << 32;
  last_reading_ = reading_ms;
  return static_cast<int64_t>(reading_ms) + offset_;
}

}  // namespace nbase
