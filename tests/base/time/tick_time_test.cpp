#include "base/time/tick_time.h"

#include <gtest/gtest.h>

namespace nbase {
namespace {

TEST(TickTimeTest, MillisecondsRoundUpSoWaitsNeverEndEarly) {
  struct Case {
    int64_t us;
    int64_t ms;
  };
  const Case cases[] = {
      {0, 0},   {1, 1},       {999, 1},   {1000, 1},   {1001, 2},
      {-1, 0},  {-999, 0},    {-1000, -1}, {-1500, -1}, {int64_t{1} << 40, 1099511628},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TickTime::FromMicroseconds(c.us).ToMillisecondsRoundedUp(), c.ms) << c.us;
  }
}

TEST(TickTimeTest, ArithmeticAndOrderWorkOnMicroseconds) {
  const TickTime a = TickTime::FromMilliseconds(5);
  const TickTime b = TickTime::FromMicroseconds(1500);
  EXPECT_EQ((a + b).ToMicroseconds(), 6500);
  EXPECT_EQ((b - a).ToMicroseconds(), -3500);
  TickTime c = a;
  c -= b;
  c += TickTime::FromMicroseconds(1);
  EXPECT_EQ(c.ToMicroseconds(), 3501);
  EXPECT_TRUE(b < a);
  EXPECT_TRUE(a >= a);
  EXPECT_TRUE(a != b);
  EXPECT_TRUE(TickTime().is_null());
  EXPECT_FALSE(a.is_null());
}

TEST(TickTimeTest, NowNeverGoesBackAndIsNotNull) {
  TickTime previous = TickTime::Now();
  EXPECT_FALSE(previous.is_null());
  for (int i = 0; i < 1000; ++i) {
    const TickTime now = TickTime::Now();
    ASSERT_GE(now, previous);
    previous = now;
  }
}

}  // namespace
}  // namespace nbase
