#include "base/message_loop/message_loop_proxy.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/message_loop/message_loop.h"
#include "tests/base/deadline.h"
#include "tests/base/loop_test_support.h"

namespace nbase {
namespace {

using nbase_test::Deadline;
using nbase_test::RunWithDeadline;

using PostOperation = std::function<bool(MessageLoopProxy*, StdClosure)>;

struct NamedPost {
  const char* name;
  PostOperation post;
};

const NamedPost kPostOperations[] = {
    {"Post", [](MessageLoopProxy* p, StdClosure t) { return p->Post(std::move(t)); }},
    {"PostDelayed",
     [](MessageLoopProxy* p, StdClosure t) {
       return p->PostDelayed(std::move(t), TickTime::FromMilliseconds(1));
     }},
    {"PostNonNestable",
     [](MessageLoopProxy* p, StdClosure t) { return p->PostNonNestable(std::move(t)); }},
    {"PostNonNestableDelayed",
     [](MessageLoopProxy* p, StdClosure t) {
       return p->PostNonNestableDelayed(std::move(t), TickTime::FromMilliseconds(1));
     }},
};

TEST(MessageLoopProxyTest, EveryPostReachesALiveLoop) {
  Deadline deadline(30);
  MessageLoop loop;
  std::shared_ptr<MessageLoopProxy> proxy = loop.proxy();
  std::vector<std::string> ran;
  for (const NamedPost& op : kPostOperations) {
    EXPECT_TRUE(op.post(proxy.get(), [&ran, &op] { ran.push_back(op.name); })) << op.name;
  }
  proxy->PostDelayed([] { MessageLoop::current()->Quit(); }, TickTime::FromMilliseconds(20));
  RunWithDeadline(&loop);
  EXPECT_EQ(ran.size(), 4u);
}

TEST(MessageLoopProxyTest, AfterTheLoopIsGoneEveryPostIsRefusedAndItsClosureDestroyedUnrun) {
  Deadline deadline(30);
  std::shared_ptr<MessageLoopProxy> proxy;
  {
    MessageLoop loop;
    proxy = loop.proxy();
  }
  for (const NamedPost& op : kPostOperations) {
    auto sentinel = std::make_shared<int>(0);
    bool ran = false;
    EXPECT_FALSE(op.post(proxy.get(), [sentinel, &ran] { ran = true; })) << op.name;
    EXPECT_FALSE(ran) << op.name;
    EXPECT_EQ(sentinel.use_count(), 1) << op.name << ": the refused closure was kept";
  }
  EXPECT_FALSE(proxy->RunsOnCurrentThread());
}

// Records what reaches the loop's queue instead of guessing from timing.
class RecordingLoop : public MessageLoop {
 public:
  void QueueTask(QueuedTask task) override {
    queued.push_back(task);
    MessageLoop::QueueTask(std::move(task));
  }
  std::vector<QueuedTask> queued;
};

TEST(MessageLoopProxyTest, ADelayOfZeroPostsAnImmediateTask) {
  Deadline deadline(30);
  RecordingLoop loop;
  std::shared_ptr<MessageLoopProxy> proxy = loop.proxy();
  ASSERT_TRUE(proxy->PostDelayed([] {}, TickTime()));
  ASSERT_TRUE(proxy->PostNonNestableDelayed([] {}, TickTime()));
  ASSERT_TRUE(proxy->PostDelayed([] {}, TickTime::FromMilliseconds(3)));
  ASSERT_EQ(loop.queued.size(), 3u);
  EXPECT_TRUE(loop.queued[0].run_time.is_null());
  EXPECT_TRUE(loop.queued[0].nestable);
  EXPECT_TRUE(loop.queued[1].run_time.is_null());
  EXPECT_FALSE(loop.queued[1].nestable);
  EXPECT_FALSE(loop.queued[2].run_time.is_null());
}

TEST(MessageLoopProxyTest, RunsOnCurrentThreadOnlyOnTheLoopsThread) {
  Deadline deadline(30);
  MessageLoop loop;
  std::shared_ptr<MessageLoopProxy> proxy = loop.proxy();
  EXPECT_TRUE(proxy->RunsOnCurrentThread());
  bool elsewhere = true;
  std::thread([&] { elsewhere = proxy->RunsOnCurrentThread(); }).join();
  EXPECT_FALSE(elsewhere);
}

TEST(MessageLoopProxyTest, PostsRacingTheLoopsDestructionEitherRunOrAreRefused) {
  // Posters keep going while the loop runs, quits and is destroyed: every closure is
  // either run or refused, and none is left alive. A flooded loop is never idle, so once
  // asked to quit the posters slow down to let it leave.
  Deadline deadline(60);
  std::atomic<int> accepted{0}, refused{0}, ran{0};
  auto sentinel = std::make_shared<int>(0);
  std::shared_ptr<MessageLoopProxy> proxy;
  std::atomic<bool> slow{false}, stop{false};
  std::vector<std::thread> posters;
  {
    MessageLoop loop;
    proxy = loop.proxy();
    for (int p = 0; p < 4; ++p) {
      posters.emplace_back([&, sentinel] {
        while (!stop.load()) {
          if (proxy->Post([sentinel, &ran] { ran.fetch_add(1); })) {
            accepted.fetch_add(1);
          } else {
            refused.fetch_add(1);
          }
          if (slow.load()) ::Sleep(1);
        }
      });
    }
    loop.PostDelayed(
        [&slow] {
          slow = true;
          MessageLoop::current()->Quit();
        },
        TickTime::FromMilliseconds(50));
    RunWithDeadline(&loop);
  }
  EXPECT_TRUE(nbase_test::WaitUntil([&] { return refused.load() > 20; }, 20));
  stop = true;
  for (std::thread& poster : posters) poster.join();
  EXPECT_GT(ran.load(), 0);
  EXPECT_LE(ran.load(), accepted.load());
  EXPECT_EQ(sentinel.use_count(), 1);
}

}  // namespace
}  // namespace nbase
