#include "base/thread/lazy_tls_slot.h"

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/base/deadline.h"

namespace nbase {
namespace {

TEST(LazyTlsSlotTest, ConcurrentFirstUsersShareOneSlotWithAValueEach) {
  nbase_test::Deadline deadline(30);
  static LazyTlsSlot slot;
  constexpr int kThreads = 8;
  std::atomic<int> ready{0};
  std::atomic<bool> go{false};
  std::vector<int> values(kThreads);
  std::vector<bool> own_value_seen(kThreads, false);
  std::vector<bool> empty_at_first(kThreads, false);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      ready.fetch_add(1);
      while (!go.load()) std::this_thread::yield();
      empty_at_first[t] = slot.Get() == nullptr;
      slot.Set(&values[t]);
      std::this_thread::yield();
      own_value_seen[t] = slot.Get() == &values[t];
    });
  }
  while (ready.load() < kThreads) std::this_thread::yield();
  go = true;
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_TRUE(empty_at_first[t]) << t;
    EXPECT_TRUE(own_value_seen[t]) << t;
  }
  EXPECT_EQ(slot.Get(), nullptr);
}

}  // namespace
}  // namespace nbase
