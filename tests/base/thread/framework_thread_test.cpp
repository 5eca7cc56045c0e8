#include "base/thread/framework_thread.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/message_loop/message_loop_proxy.h"
#include "base/win/scoped_handle.h"
#include "tests/base/deadline.h"

namespace nbase {
namespace {

using nbase_test::Deadline;

// Records what happens on the framework thread.
class ProbeThread : public FrameworkThread {
 public:
  ProbeThread() : FrameworkThread("probe") {}
  ~ProbeThread() override { Stop(); }

  void Init() override {
    init_thread = ::GetCurrentThreadId();
    init_loop = MessageLoop::current();
    init_kind = init_loop ? init_loop->kind() : MessageLoopKind::Custom;
    events.push_back("init");
  }
  void Cleanup() override {
    cleanup_thread = ::GetCurrentThreadId();
    events.push_back("cleanup");
  }

  DWORD init_thread = 0;
  DWORD cleanup_thread = 0;
  MessageLoop* init_loop = nullptr;
  MessageLoopKind init_kind = MessageLoopKind::Custom;
  std::vector<std::string> events;  // written on the framework thread only
};

// Runs `body` on the framework thread and waits for it.
void RunOn(FrameworkThread* thread, const std::function<void()>& body) {
  win::ScopedHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(thread->proxy()->Post([&] {
    body();
    ::SetEvent(done.get());
  }));
  ASSERT_EQ(::WaitForSingleObject(done.get(), 20000), WAIT_OBJECT_0);
}

TEST(FrameworkThreadTest, StartReturnsOnceInitRanOnTheNewThreadWithItsLoop) {
  Deadline deadline(30);
  ProbeThread thread;
  ASSERT_TRUE(thread.Start());
  // Start waited for Init; what Init wrote is visible without further waiting.
  EXPECT_EQ(thread.events, (std::vector<std::string>{"init"}));
  EXPECT_NE(thread.init_thread, ::GetCurrentThreadId());
  EXPECT_EQ(thread.init_thread, thread.thread_id());
  EXPECT_NE(thread.init_loop, nullptr);
  EXPECT_EQ(thread.init_kind, MessageLoopKind::Default);
  EXPECT_TRUE(thread.running());
  EXPECT_EQ(thread.name(), "probe");
}

TEST(FrameworkThreadTest, StopRunsQueuedTasksThenCleanupThenJoins) {
  Deadline deadline(30);
  ProbeThread thread;
  ASSERT_TRUE(thread.Start());
  std::shared_ptr<MessageLoopProxy> proxy = thread.proxy();
  for (int i = 0; i < 3; ++i) {
    proxy->Post([&thread, i] { thread.events.push_back("task " + std::to_string(i)); });
  }
  thread.Stop();
  EXPECT_EQ(thread.events,
            (std::vector<std::string>{"init", "task 0", "task 1", "task 2", "cleanup"}));
  EXPECT_EQ(thread.cleanup_thread, thread.init_thread);
  EXPECT_EQ(thread.thread_handle(), nullptr);
  EXPECT_FALSE(thread.running());
  EXPECT_EQ(thread.proxy(), nullptr);
  // The thread's loop is gone: its proxy refuses.
  EXPECT_FALSE(proxy->Post([] {}));
  thread.Stop();  // a second Stop returns at once
}

TEST(FrameworkThreadTest, StopOnAThreadNeverStartedDoesNothing) {
  Deadline deadline(30);
  ProbeThread thread;
  thread.Stop();
  EXPECT_TRUE(thread.events.empty());
  EXPECT_FALSE(thread.running());
}

TEST(FrameworkThreadTest, StartTwiceFailsButAStoppedThreadStartsAgain) {
  Deadline deadline(30);
  ProbeThread thread;
  ASSERT_TRUE(thread.Start());
  EXPECT_FALSE(thread.Start());
  thread.Stop();
  ASSERT_TRUE(thread.Start());
  EXPECT_NE(thread.init_thread, 0u);
  EXPECT_EQ(thread.events, (std::vector<std::string>{"init", "cleanup", "init"}));
}

TEST(FrameworkThreadTest, TheDestructorStopsARunningThread) {
  Deadline deadline(30);
  std::vector<std::string> events;
  {
    ProbeThread thread;
    ASSERT_TRUE(thread.Start());
    RunOn(&thread, [&] { events = thread.events; });
  }
  EXPECT_EQ(events, (std::vector<std::string>{"init"}));
}

TEST(FrameworkThreadTest, StartWithLoopGivesEachKindItsLoop) {
  Deadline deadline(30);
  for (MessageLoopKind kind : {MessageLoopKind::Default, MessageLoopKind::UI,
                               MessageLoopKind::IO, MessageLoopKind::Custom}) {
    ProbeThread thread;
    ASSERT_TRUE(thread.StartWithLoop(kind));
    // A Custom thread without a factory falls back to a default loop.
    EXPECT_EQ(thread.init_kind, kind == MessageLoopKind::Custom ? MessageLoopKind::Default : kind);
    bool task_ran = false;
    RunOn(&thread, [&] { task_ran = true; });
    EXPECT_TRUE(task_ran);
    thread.Stop();
  }
}

class LoopFactory : public MessageLoopFactory {
 public:
  std::unique_ptr<MessageLoop> CreateMessageLoop() override {
    ++created;
    return std::make_unique<FactoryLoop>();
  }
  struct FactoryLoop : MessageLoop {};
  std::atomic<int> created{0};
};

TEST(FrameworkThreadTest, ACustomThreadGetsItsLoopFromTheFactory) {
  Deadline deadline(30);
  auto factory = std::make_shared<LoopFactory>();
  ProbeThread thread;
  thread.set_loop_factory(factory);
  ASSERT_TRUE(thread.StartWithLoop(MessageLoopKind::Custom));
  EXPECT_EQ(factory->created.load(), 1);
  bool is_factory_loop = false;
  RunOn(&thread, [&] {
    is_factory_loop =
        dynamic_cast<LoopFactory::FactoryLoop*>(MessageLoop::current()) != nullptr;
  });
  EXPECT_TRUE(is_factory_loop);
}

TEST(FrameworkThreadTest, RunOnCurrentThreadReturnsAfterTheLoopQuitAndCleanupRan) {
  Deadline deadline(30);
  struct SelfEndingThread : FrameworkThread {
    SelfEndingThread() : FrameworkThread("self-ending") {}
    void Init() override {
      events.push_back("init");
      message_loop()->Post([this] {
        events.push_back("task");
        MessageLoop::current()->Quit();
      });
    }
    void Cleanup() override { events.push_back("cleanup"); }
    std::vector<std::string> events;
  };
  std::thread([] {
    SelfEndingThread thread;
    thread.RunOnCurrentThread(MessageLoopKind::UI, nullptr);
    EXPECT_EQ(thread.events, (std::vector<std::string>{"init", "task", "cleanup"}));
    EXPECT_EQ(MessageLoop::current(), nullptr);
    thread.Stop();
    EXPECT_FALSE(thread.running());
  }).join();
}

}  // namespace
}  // namespace nbase
