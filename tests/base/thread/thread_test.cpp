#include "base/thread/thread.h"

#include <windows.h>

#include <atomic>

#include <gtest/gtest.h>

#include "tests/base/deadline.h"

namespace nbase {
namespace {

class RecordingThread : public Thread {
 public:
  void Run() override { ran_on = ::GetCurrentThreadId(); }
  std::atomic<DWORD> ran_on{0};
};

TEST(ThreadTest, RunsOnANewThreadAndCloseWaitsForIt) {
  nbase_test::Deadline deadline(30);
  RecordingThread thread;
  ASSERT_TRUE(thread.Create());
  const uint32_t id = thread.thread_id();
  EXPECT_NE(id, 0u);
  EXPECT_NE(thread.thread_handle(), nullptr);
  thread.Close();
  EXPECT_EQ(thread.ran_on.load(), id);
  EXPECT_NE(thread.ran_on.load(), ::GetCurrentThreadId());
  EXPECT_EQ(thread.thread_id(), 0u);
  EXPECT_EQ(thread.thread_handle(), nullptr);
  thread.Close();  // nothing left to wait for
}

class ThrowingThread : public Thread {
 public:
  void Run() override { throw 42; }
};

TEST(ThreadTest, AnExceptionDoesNotEscapeTheThread) {
  nbase_test::Deadline deadline(30);
  ThrowingThread thread;
  ASSERT_TRUE(thread.Create());
  const HANDLE handle = thread.thread_handle();
  ASSERT_EQ(::WaitForSingleObject(handle, 10000), WAIT_OBJECT_0);
  DWORD exit_code = 1;
  ::GetExitCodeThread(handle, &exit_code);
  EXPECT_EQ(exit_code, 0u);
}

class WaitingThread : public Thread {
 public:
  WaitingThread() : release_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  void Run() override { ::WaitForSingleObject(release_.get(), INFINITE); }
  void Release() { ::SetEvent(release_.get()); }

 private:
  win::ScopedHandle release_;
};

TEST(ThreadTest, AppliesThePriorityCodeWhenCreated) {
  nbase_test::Deadline deadline(30);
  struct Case {
    int code;
    int expected;
  };
  const Case cases[] = {
      {kThreadPriorityDefault, THREAD_PRIORITY_NORMAL},
      {kThreadPriorityLow, THREAD_PRIORITY_LOWEST},
      {kThreadPriorityNormal, THREAD_PRIORITY_BELOW_NORMAL},
      {kThreadPriorityHigh, THREAD_PRIORITY_HIGHEST},
      {kThreadPriorityRealtime, THREAD_PRIORITY_TIME_CRITICAL},
      {9, THREAD_PRIORITY_BELOW_NORMAL},
  };
  for (const Case& c : cases) {
    WaitingThread thread;
    thread.set_priority(c.code);
    ASSERT_TRUE(thread.Create());
    EXPECT_EQ(::GetThreadPriority(thread.thread_handle()), c.expected) << "code " << c.code;
    thread.Release();
    thread.Close();
  }
}

}  // namespace
}  // namespace nbase
