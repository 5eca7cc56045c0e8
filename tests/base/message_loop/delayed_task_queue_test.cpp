#include "base/message_loop/delayed_task_queue.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace nbase {
namespace {

QueuedTask TaskAt(int64_t run_time_us, std::vector<std::string>* ran, const std::string& name) {
  QueuedTask task;
  task.run_time = TickTime::FromMicroseconds(run_time_us);
  task.closure = [ran, name] { ran->push_back(name); };
  return task;
}

TEST(DelayedTaskQueueTest, RunsByRunTimeThenByOrderOfEntry) {
  struct Case {
    const char* what;
    std::vector<std::pair<int64_t, std::string>> pushed;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"equal run times keep their order", {{5, "a"}, {5, "b"}, {5, "c"}}, {"a", "b", "c"}},
      {"an earlier run time entered later goes first", {{9, "late"}, {3, "early"}},
       {"early", "late"}},
      {"mixed", {{7, "x"}, {2, "y"}, {7, "z"}, {2, "w"}, {1, "v"}}, {"v", "y", "w", "x", "z"}},
  };
  for (const Case& c : cases) {
    DelayedTaskQueue queue;
    std::vector<std::string> ran;
    for (const auto& [time, name] : c.pushed) queue.Push(TaskAt(time, &ran, name));
    while (!queue.empty()) queue.Pop().closure();
    EXPECT_EQ(ran, c.expected) << c.what;
  }
}

TEST(DelayedTaskQueueTest, PushTellsWhetherTheTaskBecameTheTop) {
  DelayedTaskQueue queue;
  std::vector<std::string> ran;
  EXPECT_TRUE(queue.Push(TaskAt(50, &ran, "first")));
  EXPECT_FALSE(queue.Push(TaskAt(60, &ran, "later")));
  EXPECT_FALSE(queue.Push(TaskAt(50, &ran, "same time, entered later")));
  EXPECT_TRUE(queue.Push(TaskAt(10, &ran, "earlier")));
  EXPECT_EQ(queue.size(), 4u);
  EXPECT_EQ(queue.Top().run_time, TickTime::FromMicroseconds(10));
}

TEST(DelayedTaskQueueTest, StampsIncreasingSequences) {
  DelayedTaskQueue queue;
  std::vector<std::string> ran;
  for (int i = 0; i < 3; ++i) queue.Push(TaskAt(100 - i, &ran, "t"));
  std::vector<int32_t> sequences;
  while (!queue.empty()) sequences.push_back(queue.Pop().sequence);
  EXPECT_EQ(sequences, (std::vector<int32_t>{2, 1, 0}));
}

}  // namespace
}  // namespace nbase
