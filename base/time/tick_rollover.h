// Extends a 32-bit millisecond counter that wraps every 2^32 ms (about 49.7 days) into
// a 64-bit one: each time a reading is smaller than the one before, the counter has
// wrapped and 2^32 is added to the offset for good.
//
// Not thread-safe: the clock that owns it serialises its readings.
#pragma once

#include <cstdint>

namespace nbase {

class TickRollover {
 public:
  // The reading extended by the wraps seen so far, in milliseconds.
  int64_t Extend(uint32_t reading_ms);

 private:
  uint32_t last_reading_ = 0;
  int64_t offset_ = 0;
};

}  // namespace nbase
