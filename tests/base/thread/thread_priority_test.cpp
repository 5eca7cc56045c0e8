#include "base/thread/thread_priority.h"

#include <gtest/gtest.h>

namespace nbase {
namespace {

TEST(ThreadPriorityTest, MapsCodesToOsPriorities) {
  struct Case {
    int code;
    bool applied;
    int os_priority;
  };
  const Case cases[] = {
      {-1, false, 0}, {0, false, 0},  {1, true, -2}, {2, true, -1},
      {3, true, 2},   {4, true, 15},  {5, true, -1}, {1000, true, -1},
  };
  for (const Case& c : cases) {
    int os_priority = 0;
    EXPECT_EQ(OsThreadPriority(c.code, &os_priority), c.applied) << c.code;
    EXPECT_EQ(os_priority, c.os_priority) << c.code;
  }
}

}  // namespace
}  // namespace nbase
