#include "base/thread/thread_registry.h"

#include <windows.h>

#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "base/message_loop/message_loop_proxy.h"
#include "base/thread/framework_thread.h"
#include "base/thread/framework_thread_record.h"
#include "base/win/scoped_handle.h"
#include "tests/base/deadline.h"

namespace nbase {
namespace {

using nbase_test::Deadline;

// A framework thread the test drives by running calls on it synchronously.
class DrivenThread : public FrameworkThread {
 public:
  explicit DrivenThread(const char* name) : FrameworkThread(name) {}
  ~DrivenThread() override { Stop(); }

  void Call(const std::function<void()>& body) {
    win::ScopedHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(proxy()->Post([&] {
      body();
      ::SetEvent(done.get());
    }));
    ASSERT_EQ(::WaitForSingleObject(done.get(), 20000), WAIT_OBJECT_0);
  }
  bool Register(int identifier) {
    bool result = false;
    Call([&] { result = ThreadRegistry::RegisterThread(identifier); });
    return result;
  }
  bool Unregister() {
    bool result = false;
    Call([&] { result = ThreadRegistry::UnregisterThread(); });
    return result;
  }
  FrameworkThreadRecord Record() {
    FrameworkThreadRecord copy;
    Call([&] { copy = *CurrentFrameworkThreadRecord(); });
    return copy;
  }
};

TEST(ThreadRegistryTest, RegistrationsNestAndTheLastUndoFreesTheIdentifier) {
  Deadline deadline(30);
  DrivenThread thread("registered");
  ASSERT_TRUE(thread.Start());
  EXPECT_EQ(thread.Record().owner, &thread);
  EXPECT_EQ(thread.Record().identifier, -1);

  ASSERT_TRUE(thread.Register(41));
  ASSERT_TRUE(thread.Register(41));
  EXPECT_EQ(thread.Record().managed_count, 2);
  EXPECT_EQ(thread.Record().identifier, 41);
  EXPECT_EQ(ThreadRegistry::Find(41), &thread);

  ASSERT_TRUE(thread.Unregister());
  EXPECT_EQ(ThreadRegistry::Find(41), &thread);
  EXPECT_EQ(thread.Record().managed_count, 1);

  ASSERT_TRUE(thread.Unregister());
  EXPECT_EQ(ThreadRegistry::Find(41), nullptr);
  EXPECT_EQ(thread.Record().identifier, -1);
  EXPECT_FALSE(thread.Unregister()) << "nothing left to undo";
}

TEST(ThreadRegistryTest, RefusesWhatWouldBreakTheMap) {
  Deadline deadline(30);
  DrivenThread first("first"), second("second");
  ASSERT_TRUE(first.Start());
  ASSERT_TRUE(second.Start());
  EXPECT_FALSE(first.Register(-1));
  ASSERT_TRUE(first.Register(42));
  EXPECT_FALSE(second.Register(42)) << "held by another thread";
  EXPECT_EQ(ThreadRegistry::Find(42), &first);
  // A thread holds one identifier: a second one would outlive the thread in the map.
  EXPECT_FALSE(first.Register(43));
  EXPECT_EQ(ThreadRegistry::Find(43), nullptr);
  ASSERT_TRUE(first.Unregister());
  EXPECT_TRUE(second.Register(42));
  EXPECT_EQ(ThreadRegistry::Find(42), &second);
  EXPECT_TRUE(second.Unregister());
}

TEST(ThreadRegistryTest, AThreadWithoutAFrameworkThreadCannotRegister) {
  Deadline deadline(30);
  bool registered = true;
  bool unregistered = true;
  std::thread([&] {
    registered = ThreadRegistry::RegisterThread(0);
    unregistered = ThreadRegistry::UnregisterThread();
  }).join();
  EXPECT_FALSE(registered);
  EXPECT_FALSE(unregistered);
  EXPECT_EQ(CurrentFrameworkThreadRecord(), nullptr);
}

TEST(ThreadRegistryTest, TheRecordLivesExactlyWhileTheThreadRuns) {
  Deadline deadline(30);
  struct Watcher : FrameworkThread {
    Watcher() : FrameworkThread("watcher") {}
    ~Watcher() override { Stop(); }
    void Init() override { in_init = CurrentFrameworkThreadRecord(); }
    void Cleanup() override { in_cleanup = CurrentFrameworkThreadRecord(); }
    FrameworkThreadRecord* in_init = nullptr;
    FrameworkThreadRecord* in_cleanup = nullptr;
  };
  Watcher watcher;
  ASSERT_TRUE(watcher.Start());
  watcher.Stop();
  ASSERT_NE(watcher.in_init, nullptr);
  EXPECT_EQ(watcher.in_init, watcher.in_cleanup);
}

}  // namespace
}  // namespace nbase
