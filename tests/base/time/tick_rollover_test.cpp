#include "base/time/tick_rollover.h"

#include <vector>

#include <gtest/gtest.h>

namespace nbase {
namespace {

constexpr int64_t kWrap = int64_t{1} << 32;

TEST(TickRolloverTest, ExtendsReadingsAcrossEveryWrap) {
  struct Case {
    const char* what;
    std::vector<uint32_t> readings;
    std::vector<int64_t> extended;
  };
  const Case cases[] = {
      {"no wrap", {0, 1, 1, 2000}, {0, 1, 1, 2000}},
      {"one wrap", {0xFFFFFFF0u, 0xFFFFFFFFu, 0x10u, 0x20u},
       {0xFFFFFFF0, 0xFFFFFFFF, kWrap + 0x10, kWrap + 0x20}},
      {"two wraps", {0xFFFFFF00u, 5u, 0xFFFFFF00u, 7u},
       {0xFFFFFF00, kWrap + 5, kWrap + 0xFFFFFF00, 2 * kWrap + 7}},
      {"a reading of zero after a wrap", {10u, 0u, 0u}, {10, kWrap, kWrap}},
  };
  for (const Case& c : cases) {
    TickRollover rollover;
    for (size_t i = 0; i < c.readings.size(); ++i) {
      EXPECT_EQ(rollover.Extend(c.readings[i]), c.extended[i]) << c.what << " #" << i;
    }
  }
}

}  // namespace
}  // namespace nbase
