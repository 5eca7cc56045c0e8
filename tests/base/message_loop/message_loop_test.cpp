#include "base/message_loop/message_loop.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/message_loop/message_loop_proxy.h"
#include "tests/base/deadline.h"
#include "tests/base/loop_test_support.h"

namespace nbase {
namespace {

using nbase_test::Deadline;
using nbase_test::RunWithDeadline;

using Order = std::vector<std::string>;

TickTime Ms(int64_t ms) { return TickTime::FromMilliseconds(ms); }

class MessageLoopTest : public testing::TestWithParam<MessageLoopKind> {
 protected:
  void SetUp() override { loop_ = nbase_test::MakeLoop(GetParam()); }
  void TearDown() override { loop_.reset(); }

  StdClosure Record(const std::string& name) {
    return [this, name] { order_.push_back(name); };
  }
  StdClosure RecordAndQuit(const std::string& name) {
    return [this, name] {
      order_.push_back(name);
      MessageLoop::current()->Quit();
    };
  }

  Deadline deadline_{60};
  std::unique_ptr<MessageLoop> loop_;
  Order order_;
};

TEST_P(MessageLoopTest, BecomesTheThreadsCurrentLoopUntilDestroyed) {
  EXPECT_EQ(MessageLoop::current(), loop_.get());
  EXPECT_EQ(loop_->kind(), GetParam());
  EXPECT_EQ(loop_->run_depth(), 0);
  loop_.reset();
  EXPECT_EQ(MessageLoop::current(), nullptr);
}

TEST_P(MessageLoopTest, ImmediateTasksRunInPostingOrder) {
  for (const char* name : {"1", "2", "3", "4", "5"}) loop_->Post(Record(name));
  loop_->Post(RecordAndQuit("quit"));
  RunWithDeadline(loop_.get());
  EXPECT_EQ(order_, (Order{"1", "2", "3", "4", "5", "quit"}));
}

TEST_P(MessageLoopTest, DelayedTasksRunByRunTimeThenByPostingOrder) {
  loop_->PostDelayed(Record("late"), Ms(60));
  loop_->PostDelayed(Record("soon-a"), Ms(20));
  loop_->PostDelayed(Record("soon-b"), Ms(20));
  loop_->PostNonNestableDelayed(Record("soon-c"), Ms(20));
  loop_->Post(Record("now"));
  loop_->PostDelayed(RecordAndQuit("last"), Ms(80));
  RunWithDeadline(loop_.get());
  EXPECT_EQ(order_, (Order{"now", "soon-a", "soon-b", "soon-c", "late", "last"}));
}

TEST_P(MessageLoopTest, PastDueDelayedTaskRunsWithoutWaitingForLaterOnes) {
  // The pump first sleeps toward a task far away; a past-due task posted then must not
  // wait for it (the deadline would catch that).
  loop_->PostDelayed(Record("far"), Ms(3600 * 1000));
  loop_->Post([this] {
    order_.push_back("poster");
    loop_->PostDelayed(RecordAndQuit("past due"), TickTime::FromMicroseconds(-5000));
  });
  RunWithDeadline(loop_.get(), 10);
  EXPECT_EQ(order_, (Order{"poster", "past due"}));
}

TEST_P(MessageLoopTest, QuitRunsWhatIsDueThenLeavesWhenIdle) {
  loop_->Post(Record("a"));
  loop_->Post(RecordAndQuit("quit"));
  loop_->Post(Record("b"));
  loop_->PostNonNestable(Record("c"));
  loop_->PostDelayed(Record("not due"), Ms(3600 * 1000));
  loop_->Post([this] {
    order_.push_back("d");
    loop_->Post(Record("posted after quit"));
  });
  RunWithDeadline(loop_.get());
  EXPECT_EQ(order_, (Order{"a", "quit", "b", "c", "d", "posted after quit"}));
}

TEST_P(MessageLoopTest, QuitOutsideRunDoesNothing) {
  loop_->Quit();
  loop_->Post(Record("a"));
  loop_->Post(RecordAndQuit("b"));
  RunWithDeadline(loop_.get());
  EXPECT_EQ(order_, (Order{"a", "b"}));
}

TEST_P(MessageLoopTest, CanRunAgainAfterQuitting) {
  loop_->Post(RecordAndQuit("first run"));
  RunWithDeadline(loop_.get());
  loop_->Post(RecordAndQuit("second run"));
  RunWithDeadline(loop_.get());
  EXPECT_EQ(order_, (Order{"first run", "second run"}));
}

TEST_P(MessageLoopTest, NestedRunInsideATaskRunsNoTasks) {
  // The running task enters a nested run that only a window message can end; the task
  // posted meanwhile waits until the outer task has returned.
  if (GetParam() != MessageLoopKind::UI) GTEST_SKIP() << "needs window messages";
  nbase_test::TestWindow window([this](UINT message, WPARAM, LPARAM) {
    if (message != WM_APP) return false;
    order_.push_back("message");
    MessageLoop::current()->Quit();
    return true;
  });
  loop_->Post([&] {
    order_.push_back("outer begins");
    loop_->Post(RecordAndQuit("posted inside"));
    ::PostMessageW(window.get(), WM_APP, 0, 0);
    loop_->Run();
    order_.push_back("outer ends");
  });
  RunWithDeadline(loop_.get());
  EXPECT_EQ(order_, (Order{"outer begins", "message", "outer ends", "posted inside"}));
}

TEST_P(MessageLoopTest, NonNestableTasksWaitForTheOutermostRun) {
  if (GetParam() != MessageLoopKind::UI) GTEST_SKIP() << "needs window messages";
  // A window message handler runs the loop again (depth 2): nestable tasks run there,
  // non-nestable ones wait until the outer run is idle.
  std::vector<int> depths;
  nbase_test::TestWindow window([&](UINT message, WPARAM, LPARAM) {
    if (message != WM_APP) return false;
    order_.push_back("handler begins");
    loop_->Post(Record("nestable 1"));
    loop_->PostNonNestable(Record("non-nestable"));
    loop_->Post([&] {
      order_.push_back("nestable 2");
      depths.push_back(loop_->run_depth());
      MessageLoop::current()->Quit();
    });
    loop_->Run();
    order_.push_back("handler ends");
    loop_->Post(RecordAndQuit("after"));
    return true;
  });
  ::PostMessageW(window.get(), WM_APP, 0, 0);
  RunWithDeadline(loop_.get());
  // The deferred task runs once the outer run is idle, still before it leaves.
  EXPECT_EQ(order_, (Order{"handler begins", "nestable 1", "nestable 2", "handler ends", "after",
                           "non-nestable"}));
  EXPECT_EQ(depths, (std::vector<int>{2}));
}

class CountingTaskObserver : public MessageLoop::TaskObserver {
 public:
  explicit CountingTaskObserver(Order* order) : order_(order) {}
  void WillRunTask() override { order_->push_back("will"); }
  void DidRunTask() override { order_->push_back("did"); }

 private:
  Order* order_;
};

TEST_P(MessageLoopTest, TaskObserversSurroundEveryTask) {
  CountingTaskObserver observer(&order_);
  loop_->AddTaskObserver(&observer);
  loop_->Post(Record("a"));
  loop_->PostDelayed(Record("b"), Ms(5));
  loop_->PostDelayed(RecordAndQuit("c"), Ms(10));
  RunWithDeadline(loop_.get());
  loop_->RemoveTaskObserver(&observer);
  EXPECT_EQ(order_, (Order{"will", "a", "did", "will", "b", "did", "will", "c", "did"}));
}

TEST_P(MessageLoopTest, ATaskThatThrowsEndsThereAndTheLoopGoesOn) {
  loop_->Post([] { throw std::runtime_error("task failure"); });
  loop_->Post(RecordAndQuit("after the throw"));
  RunWithDeadline(loop_.get());
  EXPECT_EQ(order_, (Order{"after the throw"}));
}

TEST_P(MessageLoopTest, PostToCurrentLoopPostsToTheCallingThreadsLoop) {
  EXPECT_TRUE(PostToCurrentLoop(RecordAndQuit("helper")));
  RunWithDeadline(loop_.get());
  EXPECT_EQ(order_, (Order{"helper"}));
  bool posted_elsewhere = true;
  std::thread([&] { posted_elsewhere = PostToCurrentLoop([] {}); }).join();
  EXPECT_FALSE(posted_elsewhere);
}

// Counts destruction and, optionally, posts the next link of a chain from its destructor.
struct ChainLink {
  ChainLink(std::shared_ptr<MessageLoopProxy> proxy, int remaining, std::atomic<int>* destroyed,
            std::atomic<int>* ran)
      : proxy(std::move(proxy)), remaining(remaining), destroyed(destroyed), ran(ran) {}
  ~ChainLink() {
    destroyed->fetch_add(1);
    if (remaining > 0) proxy->Post(MakeTask(proxy, remaining - 1, destroyed, ran));
  }
  static StdClosure MakeTask(std::shared_ptr<MessageLoopProxy> proxy, int remaining,
                             std::atomic<int>* destroyed, std::atomic<int>* ran) {
    auto link = std::make_shared<ChainLink>(proxy, remaining, destroyed, ran);
    return [link] { link->ran->fetch_add(1); };
  }
  std::shared_ptr<MessageLoopProxy> proxy;
  int remaining;
  std::atomic<int>* destroyed;
  std::atomic<int>* ran;
};

TEST_P(MessageLoopTest, DestructionDestroysQueuedTasksUnrunEvenWhenTheyPostMore) {
  struct Case {
    const char* what;
    int chain_length;
  };
  // A short chain settles within the deletion rounds; a long one outlasts them and ends
  // because the detached proxy refuses the rest.
  for (const Case& c : {Case{"short chain", 20}, Case{"chain longer than the rounds", 500}}) {
    std::atomic<int> destroyed{0};
    std::atomic<int> ran{0};
    auto loop = nbase_test::MakeLoop(GetParam());
    std::shared_ptr<MessageLoopProxy> proxy = loop->proxy();
    loop->Post(ChainLink::MakeTask(proxy, c.chain_length - 1, &destroyed, &ran));
    loop->PostDelayed(ChainLink::MakeTask(proxy, 0, &destroyed, &ran), Ms(3600 * 1000));
    loop->PostNonNestable(ChainLink::MakeTask(proxy, 0, &destroyed, &ran));
    loop.reset();
    EXPECT_EQ(ran.load(), 0) << c.what;
    EXPECT_EQ(destroyed.load(), c.chain_length + 2) << c.what;
    EXPECT_FALSE(proxy->Post([] {})) << c.what;
  }
}

class RecordingDestructionObserver : public MessageLoop::DestructionObserver {
 public:
  void OnLoopDestroying() override {
    ++calls;
    still_current = MessageLoop::current() != nullptr;
  }
  int calls = 0;
  bool still_current = false;
};

TEST_P(MessageLoopTest, DestructionObserversHearOfItWhileTheLoopIsCurrent) {
  RecordingDestructionObserver observer;
  loop_->AddDestructionObserver(&observer);
  loop_.reset();
  EXPECT_EQ(observer.calls, 1);
  EXPECT_TRUE(observer.still_current);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, MessageLoopTest,
                         testing::Values(MessageLoopKind::Default, MessageLoopKind::UI,
                                         MessageLoopKind::IO),
                         [](const testing::TestParamInfo<MessageLoopKind>& info) {
                           return std::string(nbase_test::KindName(info.param));
                         });

// Wakes and posting from many threads, over counting pumps of each kind.
class MessageLoopWakeTest : public testing::TestWithParam<MessageLoopKind> {
 protected:
  template <typename Pump>
  void Make(MessageLoopKind kind) {
    auto pump = std::make_shared<nbase_test::CountingPump<Pump>>();
    wakes_ = &pump->wakes;
    loop_ = std::make_unique<nbase_test::LoopOverPump>(kind, pump);
  }
  void SetUp() override {
    switch (GetParam()) {
      case MessageLoopKind::UI:
        Make<WinUIMessagePump>(MessageLoopKind::UI);
        break;
      case MessageLoopKind::IO:
        Make<WinIOMessagePump>(MessageLoopKind::IO);
        break;
      default:
        Make<DefaultMessagePump>(MessageLoopKind::Default);
        break;
    }
  }

  Deadline deadline_{60};
  std::atomic<int>* wakes_ = nullptr;
  std::unique_ptr<MessageLoop> loop_;
};

constexpr int kPosters = 6;
constexpr int kTasksPerPoster = 3000;

TEST_P(MessageLoopWakeTest, BurstFromManyThreadsWakesOnceAndLosesNothing) {
  // The loop sits inside a task while the posters run, so the queue is empty only for
  // the very first post: exactly one wake for the whole burst.
  std::shared_ptr<MessageLoopProxy> proxy = loop_->proxy();
  std::vector<std::vector<int>> received(kPosters);
  win::ScopedHandle burst_done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  int wakes_during_burst = -1;
  loop_->Post([&] {
    const int wakes_before = wakes_->load();
    std::vector<std::thread> posters;
    for (int p = 0; p < kPosters; ++p) {
      posters.emplace_back([&, p] {
        for (int i = 0; i < kTasksPerPoster; ++i) {
          proxy->Post([&received, p, i] { received[p].push_back(i); });
        }
      });
    }
    for (std::thread& poster : posters) poster.join();
    wakes_during_burst = wakes_->load() - wakes_before;
    proxy->Post([] { MessageLoop::current()->Quit(); });
  });
  RunWithDeadline(loop_.get(), 40);
  EXPECT_EQ(wakes_during_burst, 1);
  for (int p = 0; p < kPosters; ++p) {
    ASSERT_EQ(received[p].size(), static_cast<size_t>(kTasksPerPoster)) << "poster " << p;
    for (int i = 0; i < kTasksPerPoster; ++i) ASSERT_EQ(received[p][i], i) << "poster " << p;
  }
}

TEST_P(MessageLoopWakeTest, PostingWhileTheLoopRunsLosesNothing) {
  std::shared_ptr<MessageLoopProxy> proxy = loop_->proxy();
  int delivered = 0;
  std::atomic<int> finished_posters{0};
  std::vector<std::thread> posters;
  for (int p = 0; p < kPosters; ++p) {
    posters.emplace_back([&] {
      for (int i = 0; i < kTasksPerPoster; ++i) {
        proxy->Post([&delivered] { ++delivered; });
        if (i % 64 == 0) std::this_thread::yield();
      }
      if (finished_posters.fetch_add(1) + 1 == kPosters) {
        proxy->Post([] { MessageLoop::current()->Quit(); });
      }
    });
  }
  RunWithDeadline(loop_.get(), 40);
  for (std::thread& poster : posters) poster.join();
  EXPECT_EQ(delivered, kPosters * kTasksPerPoster);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, MessageLoopWakeTest,
                         testing::Values(MessageLoopKind::Default, MessageLoopKind::UI,
                                         MessageLoopKind::IO),
                         [](const testing::TestParamInfo<MessageLoopKind>& info) {
                           return std::string(nbase_test::KindName(info.param));
                         });

}  // namespace
}  // namespace nbase
