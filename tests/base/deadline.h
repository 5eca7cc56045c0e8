// Deadlines for tests that run loops and threads, so that a hang fails the test binary
// with a message instead of stalling the run.
//
//   Deadline deadline(20);              // the whole process fails after 20 s
//   RunWithDeadline(loop, 10);          // fails the test if the loop is still running
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace nbase_test {

// A watchdog: if it is still armed after `seconds`, the test is hung (a task or a thread
// that never returns); the process then ends with a failure code, naming the test.
class Deadline {
 public:
  explicit Deadline(int seconds) {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    name_ = info ? std::string(info->test_suite_name()) + "." + info->name() : "setup";
    watchdog_ = std::thread([this, seconds] {
      std::unique_lock<std::mutex> hold(mutex_);
      if (!done_.wait_for(hold, std::chrono::seconds(seconds), [this] { return disarmed_; })) {
        std::fprintf(stderr, "\n%s: deadline of %d s passed; the test hangs\n", name_.c_str(),
                     seconds);
        std::fflush(stderr);
        std::_Exit(3);
      }
    });
  }
  ~Deadline() {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      disarmed_ = true;
    }
    done_.notify_one();
    watchdog_.join();
  }
  Deadline(const Deadline&) = delete;
  Deadline& operator=(const Deadline&) = delete;

 private:
  std::string name_;
  std::mutex mutex_;
  std::condition_variable done_;
  bool disarmed_ = false;
  std::thread watchdog_;
};

// Waits until `condition` holds, checking it every millisecond; false when `seconds`
// passed first. For conditions no event reports (a window another thread opens).
template <typename Condition>
bool WaitUntil(Condition condition, int seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace nbase_test
