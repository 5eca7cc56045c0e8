// A point or a span on the process's monotonic clock, in signed 64-bit microseconds.
// A point of 0 means "no time". Points and spans share the type: a delay given to the
// posting operations is the difference of two points.
#pragma once

#include <cstdint>

namespace nbase {

class TickTime {
 public:
  constexpr TickTime() = default;

  static constexpr TickTime FromMicroseconds(int64_t us) { return TickTime(us); }
  static constexpr TickTime FromMilliseconds(int64_t ms) { return TickTime(ms * 1000); }

  // Now on the monotonic clock; thread-safe.
  static TickTime Now();

  constexpr int64_t ToMicroseconds() const { return us_; }
  // Whole milliseconds, rounded up: a wait of this length never ends before the time.
  int64_t ToMillisecondsRoundedUp() const;
  constexpr bool is_null() const { return us_ == 0; }

  constexpr TickTime operator+(TickTime other) const { return TickTime(us_ + other.us_); }
  constexpr TickTime operator-(TickTime other) const { return TickTime(us_ - other.us_); }
  TickTime& operator+=(TickTime other) {
    us_ += other.us_;
    return *this;
  }
  TickTime& operator-=(TickTime other) {
    us_ -= other.us_;
    return *this;
  }
  constexpr bool operator==(TickTime other) const { return us_ == other.us_; }
  constexpr bool operator!=(TickTime other) const { return us_ != other.us_; }
  constexpr bool operator<(TickTime other) const { return us_ < other.us_; }
  constexpr bool operator<=(TickTime other) const { return us_ <= other.us_; }
  constexpr bool operator>(TickTime other) const { return us_ > other.us_; }
  constexpr bool operator>=(TickTime other) const { return us_ >= other.us_; }

 private:
  constexpr explicit TickTime(int64_t us) : us_(us) {}

  int64_t us_ = 0;
};

}  // namespace nbase
